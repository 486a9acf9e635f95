#include "editor/RestoreVersionDlg.h"

#include <algorithm>
#include <utility>

#include "editor/Backups.h"
#include "editor/CatalogChoiceDlg.h"
#include "editor/Relabel.h"
#include "resources/resource.h"
#include "text/StringLists.h"

namespace {
// Room the text of a list line keeps from the next column.
constexpr int kTextMargin = 20;

}  // namespace

CRestoreVersionDlg::CRestoreVersionDlg(std::vector<BackupEntry> backups)
    : fw::CDialog(IDD_RESTORE_VERSION), backups_(std::move(backups)) {}

bool CRestoreVersionDlg::OnInitDialog() {
    m_listBackups = Item(IDC_RESTORE_LIST);
    m_btnRestore = Item(IDC_RESTORE_BUTTON);
    m_btnCancel = Item(IDCANCEL);
    SetItemLabel(Hwnd(), 0, TF_NO_AMPERSAND | TF_NO_PERIOD, LAB_FILE_RESTORE);
    SetItemLabel(Hwnd(), IDC_RESTORE_LABEL, 0, LAB_BACKUPS);
    SetItemLabel(Hwnd(), IDC_RESTORE_BUTTON, 0, LAB_RESTORE);
    SetItemLabel(Hwnd(), IDCANCEL, 0, LAB_CANCEL);
    FitDialogButtons(Hwnd(), m_btnRestore, m_btnCancel);

    // The count column starts after the widest date, whatever the font.
    int dateWidth = 0;
    for (const BackupEntry& entry : backups_) {
        const std::string line = BackupLine(entry);
        dateWidth = std::max(dateWidth, TextWidth(m_listBackups, line.substr(0, line.find('\t'))));
    }
    RECT unit{0, 0, 4, 8};
    MapDialogRect(Hwnd(), &unit);
    const int tabStop = unit.right > 0 ? (dateWidth + kTextMargin) * 4 / unit.right : 0;
    SendMessageA(m_listBackups, LB_SETTABSTOPS, 1, reinterpret_cast<LPARAM>(&tabStop));
    for (const BackupEntry& entry : backups_) {
        SendMessageA(m_listBackups, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(BackupLine(entry).c_str()));
    }
    return true;
}

bool CRestoreVersionDlg::OnNotify(int controlId, UINT code) {
    if (controlId == IDC_RESTORE_LIST && code == LBN_SELCHANGE) {
        EnableWindow(m_btnRestore, TRUE);
        return true;
    }
    if ((controlId == IDC_RESTORE_LIST && code == LBN_DBLCLK) || (controlId == IDC_RESTORE_BUTTON && code == BN_CLICKED)) {
        Choose();
        return true;
    }
    return false;
}

// Enter with no line chosen does nothing but beep, as in the catalog dialogs.
void CRestoreVersionDlg::OnOK() {
    if (SendMessageA(m_listBackups, LB_GETCURSEL, 0, 0) == LB_ERR) {
        MessageBeep(MB_OK);
        return;
    }
    Choose();
}

void CRestoreVersionDlg::Choose() {
    const LRESULT line = SendMessageA(m_listBackups, LB_GETCURSEL, 0, 0);
    if (line < 0 || static_cast<size_t>(line) >= backups_.size()) return;
    chosenPath_ = backups_[static_cast<size_t>(line)].path;
    EndDialog(IDOK);
}
