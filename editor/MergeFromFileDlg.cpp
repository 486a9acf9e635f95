#include "editor/MergeFromFileDlg.h"

#include <unordered_set>
#include <utility>
#include <vector>

#include "catalog/CatalogMerge.h"
#include "catalog/EditHistory.h"
#include "catalog/PaperTable.h"
#include "catalog/PapersFileKind.h"
#include "editor/MessageBoxes.h"
#include "editor/PapersFileDialog.h"
#include "editor/Relabel.h"
#include "framework/FileDialog.h"
#include "media/JdfMedia.h"
#include "platform/MessageBox.h"
#include "platform/Registry.h"
#include "platform/System.h"
#include "resources/resource.h"
#include "state/AppState.h"
#include "text/StringLists.h"
#include "text/TextFormat.h"

CMergeFromFileDlg::CMergeFromFileDlg(std::vector<std::string> lines, std::string summary, LabelId caption,
                                     bool canMerge)
    : CCompareCatalogDlg(IDD_MERGE_FROM_FILE, std::move(lines), {caption, LAB_MERGE_CHANGES, LAB_CANCEL}),
      summary_(std::move(summary)),
      canMerge_(canMerge) {}

// The base lays out the list and Cancel; Merge keeps its place left of Cancel
// and the summary its width under the list.
bool CMergeFromFileDlg::OnInitDialog() {
    CCompareCatalogDlg::OnInitDialog();
    SetItemLabel(Hwnd(), IDOK, 0, LAB_MERGE_BUTTON);
    SetWindowTextA(Item(IDC_MERGE_SUMMARY), summary_.c_str());
    const RECT cancel = fw::RectInParent(Item(IDCANCEL), Hwnd());
    const RECT merge = fw::RectInParent(Item(IDOK), Hwnd());
    const RECT summary = fw::RectInParent(Item(IDC_MERGE_SUMMARY), Hwnd());
    const RECT list = fw::RectInParent(Item(IDC_COMPARE_LIST), Hwnd());
    const int gap = 8;
    const int mergeWidth = std::max<int>(merge.right - merge.left, MeasureItemText(Item(IDOK)) + 20);
    MoveWindow(Item(IDOK), cancel.left - gap - mergeWidth, merge.top, mergeWidth, merge.bottom - merge.top, FALSE);
    MoveWindow(Item(IDC_MERGE_SUMMARY), summary.left, summary.top, list.right - list.left, summary.bottom - summary.top,
               FALSE);
    if (!canMerge_) {
        EnableWindow(Item(IDOK), FALSE);
        SendMessageA(Hwnd(), DM_SETDEFID, IDCANCEL, 0);
    }
    return true;
}

std::unique_ptr<CPaperCatalog> MergeFromFile(HWND window) {
    const std::optional<std::string> path = fw::ShowFileDialog(PapersFileRequest(false, nullptr));
    if (!path) return nullptr;
    std::string bytes;
    if (const long error = platform::ReadWholeFile(*path, bytes); error != 0) {
        ReportFileFailure(window, MSG_MERGE_FAILED, *path, error);
        return nullptr;
    }
    // A catalog file is held to the rules Import holds it to.
    const PapersFileKind kind = DetectPapersFileKind(bytes);
    if (kind == PapersFileKind::CatalogFile && CPaperCatalog().CheckImportBytes(bytes) != STORE_OK) {
        ShowRefusal(window, InterfaceMessage(MSG_IMPORT_REFUSED));
        return nullptr;
    }
    std::vector<CPaperDef> papers;
    if (kind == PapersFileKind::JdfMedia) {
        JdfMediaRead read = ReadJdfMedia(bytes, AppState.CurrentLanguage);
        if (!read.ok()) {
            ShowRefusal(window, JdfRefusalMessage(read, TableUse::Merge));
            return nullptr;
        }
        papers = std::move(read.papers);
    } else {
        PaperTableRead read = ReadPaperTable(bytes);
        if (!read.ok()) {
            ShowRefusal(window, PaperTableRefusalMessage(read, TableUse::Merge));
            return nullptr;
        }
        papers = std::move(read.papers);
    }
    return PreviewAndMerge(window, papers, MergePreview{});
}

std::unique_ptr<CPaperCatalog> PreviewAndMerge(HWND window, const std::vector<CPaperDef>& incoming,
                                               const MergePreview& preview) {
    CPaperCatalog& catalog = *AppState.CurrentCatalog;
    const MergePlan plan = PlanMerge(catalog, incoming);
    if (plan.Empty() && preview.notes.empty()) {
        platform::ShowMessageBox(window, InterfaceMessage(preview.nothingToMerge), InterfaceLabel(LAB_PRODUCT),
                                 MB_OK | MB_ICONINFORMATION);
        return nullptr;
    }
    const std::string summary =
        FormatText(InterfaceMessage(MSG_MERGE_SUMMARY), {std::to_string(plan.added.size()),
                                                         std::to_string(plan.changed.size()),
                                                         std::to_string(plan.leftAlone)});
    std::vector<std::string> lines = DescribeMerge(plan, catalog.GetCount(), AppState.CurrentLanguage);
    if (!preview.marked.empty()) {
        // The plan's lines: the changed papers first, then the added ones.
        std::unordered_set<std::string> marked;
        for (const std::string& name : preview.marked) marked.insert(platform::FoldRegistryName(name));
        const std::string mark = " " + InterfaceLabel(preview.mark);
        for (size_t i = 0; i < lines.size(); ++i) {
            const std::string& name =
                i < plan.changed.size() ? plan.changed[i].paper.Name : plan.added[i - plan.changed.size()].Name;
            if (marked.count(platform::FoldRegistryName(name))) lines[i] += mark;
        }
    }
    if (!plan.defaultKept.empty())
        lines.push_back(FormatText(InterfaceMessage(MSG_MERGE_DEFAULT_KEPT_LINE), {AppState.DefaultPaperName}));
    lines.insert(lines.end(), preview.notes.begin(), preview.notes.end());
    CMergeFromFileDlg dialog(std::move(lines), summary, preview.caption, !plan.Empty());
    if (dialog.DoModal(window) != IDOK || plan.Empty()) return nullptr;
    auto previous = std::make_unique<CPaperCatalog>(catalog);
    ApplyMerge(catalog, plan);
    return previous;
}
