#include "editor/Backups.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <utility>

#include "catalog/CatalogDifference.h"
#include "catalog/PaperCatalog.h"
#include "editor/CatalogDialogs.h"
#include "editor/MessageBoxes.h"
#include "editor/Relabel.h"
#include "editor/VellicorView.h"
#include "framework/Application.h"
#include "framework/FormView.h"
#include "platform/Files.h"
#include "platform/MessageBox.h"
#include "resources/resource.h"
#include "state/AppState.h"
#include "text/StringLists.h"
#include "text/TextFormat.h"

namespace {

constexpr int16_t kProductLabel = 10109;
constexpr int16_t kCancelLabel = 10105;
constexpr int16_t kCloseLabel = 2054;
constexpr int16_t kRestoreMenuLabel = 11302;
constexpr int16_t kCompareMenuLabel = 11303;
constexpr int16_t kBackupsLabel = 11304;
constexpr int16_t kRestoreLabel = 11305;
constexpr int16_t kPaperCountLabel = 11306;
constexpr int16_t kNotACatalogLabel = 11307;
constexpr int16_t kDifferencesLabel = 11308;
constexpr int16_t kFutureDateLabel = 11310;
constexpr int16_t kNoDifferenceMessage = 19304;
constexpr int16_t kBackupFailedMessage = 19305;
constexpr int16_t kNoBackupMessage = 19308;
constexpr int16_t kUnreadableBackupMessage = 19309;
constexpr int16_t kBackupsNotListedMessage = 19310;
// Room the text of a button or a list line keeps from the edges.
constexpr int kTextMargin = 20;

HWND BoxOwner() {
    CVellicorView* view = CurrentView();
    return view && view->Hwnd() ? view->Hwnd() : fw::MainWindowHandle();
}

// The current catalog is one of the configured ones: it has a key to back up
// and to compare with.
bool CurrentCatalogIsConfigured() {
    if (AppState.CurrentCatalogName.empty()) return false;
    return std::any_of(AppState.CatalogLocations.begin(), AppState.CatalogLocations.end(),
                       [](const CatalogLocation& l) { return l.CatalogName == AppState.CurrentCatalogName; });
}

std::string WithArgument(std::string text, const std::string& argument) {
    const size_t at = text.find("%1");
    if (at != std::string::npos) text.replace(at, 2, argument);
    return text;
}

std::string BackupLine(const BackupEntry& entry) {
    char when[32];
    std::snprintf(when, sizeof when, "%04d-%02d-%02d %02d:%02d:%02d", entry.time.year, entry.time.month, entry.time.day,
                  entry.time.hour, entry.time.minute, entry.time.second);
    std::string count = entry.paperCount < 0 ? InterfaceLabel(kNotACatalogLabel)
                                             : WithArgument(InterfaceLabel(kPaperCountLabel), std::to_string(entry.paperCount));
    // Listed last, and said so: a date ahead of the clock is no sign of a recent backup.
    if (entry.future) count += " " + InterfaceLabel(kFutureDateLabel);
    return std::string(when) + "\t" + count;
}

// Pixel width of `text` in the control's own font.
int TextWidth(HWND control, const std::string& text) {
    HDC dc = GetDC(control);
    if (!dc) return 0;
    HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
    SIZE extent{};
    GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &extent);
    SelectObject(dc, previous);
    ReleaseDC(control, dc);
    return extent.cx;
}

RECT RectIn(HWND child, HWND parent) {
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// Keeps a window that grew inside the screen's work area.
void KeepOnScreen(HWND window) {
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    RECT rect{};
    GetWindowRect(window, &rect);
    const int x = std::max<int>(work.left, std::min<int>(rect.left, work.right - (rect.right - rect.left)));
    const int y = std::max<int>(work.top, std::min<int>(rect.top, work.bottom - (rect.bottom - rect.top)));
    if (x != rect.left || y != rect.top) SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

}  // namespace


bool BackUpBeforeSave(const std::string& catalogName, const std::string& registryPath, const CPaperCatalog& stored,
                      const StoredKeyImage& kept, std::string& written, bool& asked) {
    asked = false;
    const BackupResult result =
        WriteBackup(CurrentBackupSettings(), catalogName, registryPath, stored, platform::CurrentLocalTime(), kept);
    written = result.path;
    if (result.outcome != BackupResult::Failed) return true;
    asked = true;
    const std::string text = FormatText(InterfaceMessage(kBackupFailedMessage), {result.folder, result.reason});
    return platform::ShowMessageBox(BoxOwner(), text, InterfaceLabel(kProductLabel),
                                    platform::kMbYesNo | platform::kMbIconWarning) == platform::kIdYes;
}

void PruneBackupsAfterSave(const std::string& catalogName, const std::string& registryPath, const std::string& written) {
    PruneBackups(CurrentBackupSettings(), catalogName, registryPath, platform::CurrentLocalTime(), written);
}

// ------------------------------------------------------------------ commands

void CVellicorView::OnUpdateConfiguredCatalog(fw::CCmdUI& ui) { ui.Enable(CurrentCatalogIsConfigured()); }

void CVellicorView::OnFileRestoreVersion() {
    if (!CurrentCatalogIsConfigured()) return;
    std::string registryPath;
    std::string pdlName;
    FindCatalogLocation(AppState.CurrentCatalogName, registryPath, pdlName);
    const BackupSettings settings = CurrentBackupSettings();
    const std::string folder = BackupFolderFor(settings, AppState.CurrentCatalogName, registryPath);
    std::vector<BackupEntry> backups;
    std::string reason;
    if (!ListBackups(settings, AppState.CurrentCatalogName, registryPath, platform::CurrentLocalTime(), backups, reason)) {
        ShowRefusal(Hwnd(), FormatText(InterfaceMessage(kBackupsNotListedMessage), {folder, reason}));
        return;
    }
    if (backups.empty()) {
        ShowRefusal(Hwnd(), FormatText(InterfaceMessage(kNoBackupMessage), {folder}));
        return;
    }

    // The choice comes first, so that Cancel changes nothing and asks nothing.
    CRestoreVersionDlg dialog(std::move(backups));
    if (dialog.DoModal() != IDOK) return;
    // Read before anything is asked or replaced: a backup that cannot be read
    // leaves the catalog being edited as it was.
    auto restored = std::make_unique<CPaperCatalog>();
    if (!ReadBackup(dialog.ChosenPath(), *restored) || restored->GetCount() == 0) {
        ShowRefusal(Hwnd(), FormatText(InterfaceMessage(kUnreadableBackupMessage), {dialog.ChosenPath()}));
        return;
    }

    if (!PassPendingEditGate(Hwnd())) return;
    EditPendingRelease release;
    if (!PassUnsavedChangesGate(Hwnd())) return;
    // The save offer may have saved the catalog under a name chosen then; the
    // version restored belongs to the catalog the backup was made of.
    AppState.CurrentCatalog = std::move(restored);
    // Nothing is stored until the user saves: the restored version is a change.
    AppState.CatalogModified = true;
    ShowReplacedCatalog(*this);
}

void CVellicorView::OnFileCompare() {
    if (!CurrentCatalogIsConfigured()) return;
    ShowStoredDifferences(Hwnd(), AppState.CurrentCatalogName);
}

void ShowStoredDifferences(HWND window, const std::string& catalogName) {
    std::string registryPath;
    std::string pdlName;
    FindCatalogLocation(catalogName, registryPath, pdlName);
    std::vector<PaperDifference> differences;
    long systemError = 0;
    if (CompareWithStore(*AppState.CurrentCatalog, registryPath, pdlName, differences, &systemError) != STORE_OK) {
        ReportCompareFailure(window, catalogName, registryPath, systemError);
        return;
    }
    std::vector<std::string> lines;
    for (const PaperDifference& difference : differences) {
        lines.push_back(DescribeDifference(difference, AppState.CurrentLanguage));
    }
    if (lines.empty()) lines.push_back(InterfaceMessage(kNoDifferenceMessage));
    CCompareCatalogDlg dialog(std::move(lines));
    dialog.DoModal();
}

// -------------------------------------------------------------------- dialogs

CRestoreVersionDlg::CRestoreVersionDlg(std::vector<BackupEntry> backups)
    : fw::CDialog(IDD_RESTORE_VERSION), backups_(std::move(backups)) {}

bool CRestoreVersionDlg::OnInitDialog() {
    m_listBackups = Item(IDC_RESTORE_LIST);
    m_btnRestore = Item(IDC_RESTORE_BUTTON);
    m_btnCancel = Item(IDCANCEL);
    SetItemLabel(Hwnd(), 0, TF_NO_AMPERSAND | TF_NO_PERIOD, kRestoreMenuLabel);
    SetItemLabel(Hwnd(), IDC_RESTORE_LABEL, 0, kBackupsLabel);
    SetItemLabel(Hwnd(), IDC_RESTORE_BUTTON, 0, kRestoreLabel);
    SetItemLabel(Hwnd(), IDCANCEL, 0, kCancelLabel);
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

CCompareCatalogDlg::CCompareCatalogDlg(std::vector<std::string> lines)
    : fw::CDialog(IDD_COMPARE_CATALOG), lines_(std::move(lines)) {}

// The dialog grows to the longest line, as far as the screen allows; a longer
// line scrolls sideways.
bool CCompareCatalogDlg::OnInitDialog() {
    m_listDifferences = Item(IDC_COMPARE_LIST);
    m_btnClose = Item(IDCANCEL);
    HWND label = Item(IDC_COMPARE_LABEL);
    SetItemLabel(Hwnd(), 0, TF_NO_AMPERSAND | TF_NO_PERIOD, kCompareMenuLabel);
    SetItemLabel(Hwnd(), IDC_COMPARE_LABEL, 0, kDifferencesLabel);
    SetItemLabel(Hwnd(), IDCANCEL, TF_NO_AMPERSAND, kCloseLabel);

    int widest = TextWidth(label, InterfaceLabel(kDifferencesLabel, TF_NO_AMPERSAND));
    for (const std::string& line : lines_) {
        SendMessageA(m_listDifferences, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
        widest = std::max(widest, TextWidth(m_listDifferences, line));
    }
    const int extent = widest + kTextMargin;
    SendMessageA(m_listDifferences, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(extent), 0);

    RECT client{};
    GetClientRect(m_listDifferences, &client);
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    RECT dialog{};
    GetWindowRect(Hwnd(), &dialog);
    const int room = (work.right - work.left) - (dialog.right - dialog.left);
    const int growth = std::max(0, std::min(extent - static_cast<int>(client.right), room));

    const RECT listRect = RectIn(m_listDifferences, Hwnd());
    const RECT labelRect = RectIn(label, Hwnd());
    MoveWindow(m_listDifferences, listRect.left, listRect.top, listRect.right - listRect.left + growth,
               listRect.bottom - listRect.top, FALSE);
    MoveWindow(label, labelRect.left, labelRect.top, labelRect.right - labelRect.left + growth,
               labelRect.bottom - labelRect.top, FALSE);
    // The button keeps its right edge under the list's and fits its text.
    const RECT buttonRect = RectIn(m_btnClose, Hwnd());
    const int buttonWidth =
        std::max<int>(buttonRect.right - buttonRect.left, MeasureItemText(m_btnClose) + kTextMargin);
    MoveWindow(m_btnClose, buttonRect.right + growth - buttonWidth, buttonRect.top, buttonWidth,
               buttonRect.bottom - buttonRect.top, FALSE);
    SetWindowPos(Hwnd(), nullptr, 0, 0, dialog.right - dialog.left + growth, dialog.bottom - dialog.top,
                 SWP_NOMOVE | SWP_NOZORDER);
    KeepOnScreen(Hwnd());
    return true;
}
