#include "editor/CatalogChoiceDlg.h"

#include "editor/Relabel.h"
#include "resources/resource.h"
#include "state/AppState.h"
#include "text/StringLists.h"

bool CCatalogChoiceDlg::OnInitDialog() {
    SetItemLabel(Hwnd(), 0, 0, layout_.captionLabel);
    SetItemLabel(Hwnd(), layout_.labelId, 0, LAB_CATALOGS);
    SetItemLabel(Hwnd(), layout_.actionId, layout_.actionTextFlags, layout_.actionLabel);
    SetItemLabel(Hwnd(), IDCANCEL, 0, LAB_CANCEL);
    // The label stands after the list in the template, so the system does not
    // take it for the list's name, and its mnemonic would not reach the list.
    NameForScreenReaders(Item(layout_.listId), Item(layout_.labelId), false);
    // After the labels, so that the translated texts are measured.
    SetUpChoice();
    // One line per configured catalog, in the configuration's order.
    for (const CatalogLocation& location : AppState.CatalogLocations) {
        if (layout_.availableOnly && !location.Available) continue;
        list_.AddString(location.CatalogName);
    }
    return true;
}

void CCatalogChoiceDlg::OnDestroy() { ForgetScreenReaderNames(Item(layout_.listId)); }

bool CCatalogChoiceDlg::TakeChoice(int line) {
    TakeCatalog(list_.GetText(line));
    return true;
}

COpenCatalogDlg::COpenCatalogDlg()
    : CCatalogChoiceDlg({IDD_OPEN_CATALOG, IDC_OPEN_LABEL, IDC_OPEN_LIST, IDC_OPEN_BUTTON, LAB_OPEN_CAPTION, LAB_OPEN_BUTTON, 0, true}) {}

// Any configured catalog can be saved to, whether or not its key exists yet.
CSaveAsCatalogDlg::CSaveAsCatalogDlg()
    : CCatalogChoiceDlg({IDD_SAVE_AS_CATALOG, IDC_SAVE_AS_LABEL, IDC_SAVE_AS_LIST, IDC_SAVE_AS_BUTTON, LAB_SAVE_AS_CAPTION, LAB_SAVE_AS_BUTTON,
                         TF_NO_PERIOD, false}) {}

void CSaveAsCatalogDlg::TakeCatalog(const std::string& catalogName) { AppState.SaveAsName = catalogName; }
