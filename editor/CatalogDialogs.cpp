// (being written)
#include "editor/CatalogDialogs.h"
#include "resources/resource.h"
void FitDialogButtons(HWND, HWND, HWND) {}
COpenCatalogDlg::COpenCatalogDlg() : fw::CDialog(IDD_OPEN_CATALOG) {}
bool COpenCatalogDlg::OnInitDialog() { return true; }
bool COpenCatalogDlg::OnNotify(int, UINT) { return false; }
void COpenCatalogDlg::OnOK() {}
void COpenCatalogDlg::TakeChoice() {}
CSaveAsCatalogDlg::CSaveAsCatalogDlg() : fw::CDialog(IDD_SAVE_AS_CATALOG) {}
bool CSaveAsCatalogDlg::OnInitDialog() { return true; }
bool CSaveAsCatalogDlg::OnNotify(int, UINT) { return false; }
void CSaveAsCatalogDlg::OnOK() {}
void CSaveAsCatalogDlg::TakeChoice() {}
