// Resource identifiers of Vellicor.exe, shared by Vellicor.rc and the C++ code.
// Plain #defines only: windres reads this file through the C preprocessor.
// Include it after <windows.h>: winuser.h defines IDC_SIZE (a system cursor),
// and this file takes the name over for the size box.
#ifndef QUANDREL_RESOURCES_RESOURCE_H
#define QUANDREL_RESOURCES_RESOURCE_H

#if !defined(RC_INVOKED) && defined(_WIN32) && !defined(_WINUSER_)
#error "include <windows.h> before resources/resource.h"
#endif

// Menu, accelerator table and icon share one id.
#define IDR_MAINFRAME 1000

// Dialog templates.
#define IDD_VELLICOR_FORM 1001
#define IDD_OPEN_CATALOG 2000
#define IDD_SAVE_AS_CATALOG 3000
#define IDD_ABOUTBOX 4000

// Editor form (template 1001).
#define IDC_PAPERS_GROUP 1002
#define IDC_PAPER_LIST 1003
#define IDC_MOVE_UP 1004
#define IDC_MOVE_DOWN 1005
#define IDC_DELETE 1006
#define IDC_DEFINITION_GROUP 1007
#define IDC_NAME_LABEL 1008
#define IDC_NAME 1009
#define IDC_SIZE_LABEL 1010
#undef IDC_SIZE
#define IDC_SIZE 1011
#define IDC_COLOR_LABEL 1012
#define IDC_COLOR 1013
#define IDC_WEIGHT_LABEL 1014
#define IDC_WEIGHT 1015
#define IDC_TYPE_LABEL 1016
#define IDC_TYPE 1017
#define IDC_FORCE_ONE_SIDED 1018
#define IDC_ADD 1019
#define IDC_MODIFY 1020

// Open a Catalog (template 2000).
#define IDC_OPEN_LABEL 2001
#define IDC_OPEN_LIST 2002
#define IDC_OPEN_BUTTON 2003

// Save As Catalog (template 3000).
#define IDC_SAVE_AS_LABEL 3001
#define IDC_SAVE_AS_LIST 3002
#define IDC_SAVE_AS_BUTTON 3003

// About box (template 4000).
#define IDC_ABOUT_PRODUCT 4001
#define IDC_ABOUT_PROGRAM 4002
#define IDC_ABOUT_VERSION 4003
#define IDC_ABOUT_NOTICE 4004

// Restore Previous Version (template 5000) and Compare with Stored Catalog (5010).
#define IDD_RESTORE_VERSION 5000
#define IDC_RESTORE_LABEL 5001
#define IDC_RESTORE_LIST 5002
#define IDC_RESTORE_BUTTON 5003
#define IDD_COMPARE_CATALOG 5010
#define IDC_COMPARE_LABEL 5011
#define IDC_COMPARE_LIST 5012

// Merge from File (template 8100): the Compare view's label and list, a
// summary line, Merge and Cancel.
#define IDD_MERGE_FROM_FILE 8100
#define IDC_MERGE_SUMMARY 8101
#define ID_FILE_MERGE 8110

// Get Media from Printer (templates 8200 and 8210): the printer's address with
// an example under it and the choice of loaded media only; then the wait with
// its text and Cancel.
#define IDD_GET_MEDIA 8200
#define IDC_GET_MEDIA_ADDRESS_LABEL 8201
#define IDC_GET_MEDIA_ADDRESS 8202
#define IDC_GET_MEDIA_HINT 8203
#define IDC_GET_MEDIA_READY 8204
#define IDD_GET_MEDIA_WAIT 8210
#define IDC_GET_MEDIA_WAIT_TEXT 8211
#define ID_FILE_GET_MEDIA 8220

// Commands: the standard command numbers of the classic Windows application
// framework, and the program's own three below 57344.
#define ID_FILE_IMPORT 100
#define ID_FILE_EXPORT 101
#define ID_HELP_TOPICS 102
#define ID_FILE_RESTORE_VERSION 110
#define ID_FILE_COMPARE 111
#define ID_FILE_NEW 57600
#define ID_FILE_OPEN 57601
#define ID_FILE_CLOSE 57602
#define ID_FILE_SAVE 57603
#define ID_FILE_SAVE_AS 57604
#define ID_EDIT_COPY 57634
#define ID_EDIT_CUT 57635
#define ID_EDIT_PASTE 57637
#define ID_EDIT_UNDO 57643
#define ID_APP_ABOUT 57664
#define ID_APP_EXIT 57665
#define ID_NEXT_PANE 57680
#define ID_PREV_PANE 57681

// The application title: the caption of the internal-error box.
#define IDS_APP_TITLE 57344

// Stored catalog changed by someone else: the question before Save overwrites it.
#define IDD_STORED_CHANGE 7000
#define IDC_STORED_CHANGE_ICON 7001
#define IDC_STORED_CHANGE_TEXT 7002
#define IDC_STORED_CHANGE_OVERWRITE 7003
#define IDC_STORED_CHANGE_DIFFERENCES 7004

// The Edit menu's own commands (Undo, Cut, Copy and Paste keep the standard
// numbers above) and the Find dialog.
#define ID_EDIT_REDO 8000
#define ID_EDIT_DUPLICATE 8001
#define ID_EDIT_FIND 8002
#define ID_EDIT_FIND_NEXT 8003
#define ID_EDIT_FIND_PREVIOUS 8004
#define ID_EDIT_MOVE_TOP 8005
#define ID_EDIT_MOVE_BOTTOM 8006
#define IDD_FIND 8010
#define IDC_FIND_LABEL 8011
#define IDC_FIND_TEXT 8012

#endif
