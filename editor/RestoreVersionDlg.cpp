#include "editor/RestoreVersionDlg.h"

#include <cstdio>

#include <algorithm>
#include <utility>

#include "editor/Relabel.h"
#include "text/TextFormat.h"
#include "resources/resource.h"
#include "text/StringLists.h"

namespace {
// Room the text of a list line keeps from the next column.
constexpr int kTextMargin = 20;

}  // namespace

namespace {

// One line of the list: date and time, a tab, the paper count.
std::string BackupLine(const BackupEntry& entry) {
    char when[32];
    std::snprintf(when, sizeof when, "%04d-%02d-%02d %02d:%02d:%02d", entry.time.year, entry.time.month, entry.time.day,
                  entry.time.hour, entry.time.minute, entry.time.second);
    std::string count = entry.paperCount < 0 ? InterfaceLabel(LAB_BACKUP_NOT_CATALOG)
                                             : FormatText(InterfaceLabel(LAB_BACKUP_PAPERS), {std::to_string(entry.paperCount)});
    // Listed last, and said so: a date ahead of the clock is no sign of a recent backup.
    if (entry.future) count += " " + InterfaceLabel(LAB_BACKUP_FUTURE_DATE);
    return std::string(when) + "\t" + count;
}

}  // namespace

CRestoreVersionDlg::CRestoreVersionDlg(std::vector<BackupEntry> backups)
    : CChooseLineDlg(IDD_RESTORE_VERSION, {IDC_RESTORE_LIST, IDC_RESTORE_BUTTON, true}), backups_(std::move(backups)) {}

bool CRestoreVersionDlg::OnInitDialog() {
    SetItemLabel(Hwnd(), 0, TF_NO_AMPERSAND | TF_NO_PERIOD, LAB_FILE_RESTORE);
    SetItemLabel(Hwnd(), IDC_RESTORE_LABEL, 0, LAB_BACKUPS);
    SetItemLabel(Hwnd(), IDC_RESTORE_BUTTON, 0, LAB_RESTORE);
    SetItemLabel(Hwnd(), IDCANCEL, 0, LAB_CANCEL);
    SetUpChoice();

    // The count column starts after the widest date, whatever the font.
    int dateWidth = 0;
    for (const BackupEntry& entry : backups_) {
        const std::string line = BackupLine(entry);
        dateWidth = std::max(dateWidth, TextWidth(list_.Hwnd(), line.substr(0, line.find('\t'))));
    }
    RECT unit{0, 0, 4, 8};
    MapDialogRect(Hwnd(), &unit);
    list_.SetTabStop(unit.right > 0 ? (dateWidth + kTextMargin) * 4 / unit.right : 0);
    for (const BackupEntry& entry : backups_) list_.AddString(BackupLine(entry));
    return true;
}

bool CRestoreVersionDlg::TakeChoice(int line) {
    if (static_cast<size_t>(line) >= backups_.size()) return false;
    chosenPath_ = backups_[static_cast<size_t>(line)].path;
    return true;
}
