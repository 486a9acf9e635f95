// The Edit menu: undo and redo through the editing history, papers through
// the clipboard, Duplicate, Find, Move to Top and Bottom, and drag and drop in
// the paper list. While a text field of the form has the focus, Undo, Cut,
// Copy and Paste act on that field's text instead.
#include <windows.h>
#include <commctrl.h>
#include <windowsx.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "catalog/EditHistory.h"
#include "catalog/PaperCatalog.h"
#include "catalog/PaperCopies.h"
#include "catalog/PaperDef.h"
#include "editor/CatalogRights.h"
#include "editor/FindDlg.h"
#include "editor/MessageBoxes.h"
#include "editor/PaperClipboard.h"
#include "editor/VellicorView.h"
#include "resources/resource.h"
#include "state/AppState.h"
#include "text/StringLists.h"
#include "text/TextFormat.h"

namespace {

// The list follows each line an undo or redo changed, instead of being
// filled again: on a long catalog that is the difference between an instant
// and a wait.
class ListFollower : public EditListener {
public:
    explicit ListFollower(const fw::CListBox& list) : list_(list) {}
    void Inserted(int index) override {
        list_.InsertString(index, AppState.CurrentCatalog->GetPaper(index).Name);
    }
    void Removed(int index) override { list_.DeleteString(index); }
    void Changed(int index) override {
        Removed(index);
        Inserted(index);
    }
    void Replaced() override { replaced = true; }
    bool replaced = false;

private:
    const fw::CListBox& list_;
};

LabelId ActionLabel(EditAction action) {
    switch (action) {
        case EditAction::Add: return LAB_ACTION_ADD;
        case EditAction::Modify: return LAB_ACTION_MODIFY;
        case EditAction::Delete: return LAB_ACTION_DELETE;
        case EditAction::Cut: return LAB_ACTION_CUT;
        case EditAction::Paste: return LAB_ACTION_PASTE;
        case EditAction::Duplicate: return LAB_ACTION_DUPLICATE;
        case EditAction::MoveUp: return LAB_ACTION_MOVE_UP;
        case EditAction::MoveDown: return LAB_ACTION_MOVE_DOWN;
        case EditAction::MoveToTop: return LAB_ACTION_MOVE_TOP;
        case EditAction::MoveToBottom: return LAB_ACTION_MOVE_BOTTOM;
        case EditAction::Drag: return LAB_ACTION_DRAG;
        case EditAction::Import: return LAB_ACTION_IMPORT;
        case EditAction::RestoreVersion: return LAB_ACTION_RESTORE;
        case EditAction::Merge: return LAB_ACTION_MERGE;
    }
    return LAB_ACTION_MODIFY;
}

// "Undo Delete": the item's text with the action the step takes back.
std::string HistoryItemText(LabelId plain, LabelId named, std::optional<EditAction> action) {
    if (!action) return InterfaceLabel(plain);
    return FormatText(InterfaceLabel(named), {InterfaceLabel(ActionLabel(*action))});
}

bool IsClipboardCommand(UINT id) {
    return id == ID_EDIT_UNDO || id == ID_EDIT_CUT || id == ID_EDIT_COPY || id == ID_EDIT_PASTE;
}

UINT FieldMessageFor(UINT id) {
    switch (id) {
        case ID_EDIT_UNDO: return WM_UNDO;
        case ID_EDIT_CUT: return WM_CUT;
        case ID_EDIT_COPY: return WM_COPY;
        default: return WM_PASTE;
    }
}

// In the system code page, as the list compares its lines.
std::string LowerCase(std::string text) {
    if (!text.empty()) CharLowerBuffA(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

// Index of the paper a name search finds from `start` on (wrapping round,
// forwards or backwards), the name containing `text` with letter case ignored.
int32_t FindPaperName(const CPaperCatalog& catalog, const std::string& text, int32_t start, bool forwards) {
    const int32_t count = catalog.GetCount();
    if (count == 0 || text.empty()) return -1;
    const std::string wanted = LowerCase(text);
    for (int32_t step = 0; step < count; ++step) {
        int32_t index = forwards ? start + step : start - step;
        index = ((index % count) + count) % count;
        if (LowerCase(catalog.GetPaper(index).Name).find(wanted) != std::string::npos) return index;
    }
    return -1;
}

}  // namespace

// --- routing: the focused field first ---

HWND CVellicorView::FocusedTextField() const {
    HWND focus = GetFocus();
    if (!focus || !Hwnd() || !IsChild(Hwnd(), focus)) return nullptr;
    char className[16];
    if (!GetClassNameA(focus, className, sizeof className) || lstrcmpiA(className, "Edit") != 0) return nullptr;
    return focus;
}

bool CVellicorView::CommandForTextField(UINT id) {
    if (!IsClipboardCommand(id)) return false;
    HWND field = FocusedTextField();
    if (!field) return false;
    SendMessageA(field, FieldMessageFor(id), 0, 0);
    return true;
}

bool CVellicorView::UpdateForTextField(fw::CCmdUI& ui) {
    if (!IsClipboardCommand(ui.Id())) return false;
    HWND field = FocusedTextField();
    if (!field) return false;
    if (ui.Id() == ID_EDIT_UNDO) {
        ui.SetText(InterfaceLabel(LAB_EDIT_UNDO));
        ui.Enable(SendMessageA(field, EM_CANUNDO, 0, 0) != 0);
    }
    return true;
}

// --- undo and redo ---

void CVellicorView::OnEditUndo() { StepThroughHistory(false); }

void CVellicorView::OnEditRedo() { StepThroughHistory(true); }

void CVellicorView::OnUpdateEditUndo(fw::CCmdUI& ui) {
    ui.SetText(HistoryItemText(LAB_EDIT_UNDO, LAB_EDIT_UNDO_ACTION, CatalogHistory().UndoAction()));
    ui.Enable(Commands().undo);
}

void CVellicorView::OnUpdateEditRedo(fw::CCmdUI& ui) {
    ui.SetText(HistoryItemText(LAB_EDIT_REDO, LAB_EDIT_REDO_ACTION, CatalogHistory().RedoAction()));
    ui.Enable(Commands().redo);
}

// The paper the step changed is selected and shown; the fields show it as it
// now stands, so typed changes are asked about first.
void CVellicorView::StepThroughHistory(bool redo) {
    EditHistory& history = CatalogHistory();
    if (!(redo ? history.CanRedo() : history.CanUndo())) return;
    if (!PassPendingEditGate()) return;
    EditPendingRelease release(*this);
    ListFollower follower(m_listPapers);
    m_listPapers.SetRedraw(false);
    const std::optional<int> line = redo
                                        ? history.Redo(AppState.CurrentCatalog, AppState.CurrentCatalogName, &follower)
                                        : history.Undo(AppState.CurrentCatalog, AppState.CurrentCatalogName, &follower);
    m_listPapers.SetRedraw(true);
    InvalidateRect(m_listPapers.Hwnd(), nullptr, TRUE);
    if (!line) return;
    if (follower.replaced) {
        RefreshPaperList();
    }
    const int32_t count = AppState.CurrentCatalog->GetCount();
    m_nSelectedPaper = *line < count ? *line : count - 1;
    WriteFields();
    ShowSelectedPaper();
    // A whole-catalog step may bring back another catalog's name, and its rights.
    if (follower.replaced)
        CheckCatalogRights();
    else
        UpdateMainWindowTitle();
    FocusPaperList();
}

// --- the clipboard ---

void CVellicorView::OnUpdateEditClipboard(fw::CCmdUI& ui) {
    const FormCommands commands = Commands();
    ui.Enable(ui.Id() == ID_EDIT_CUT ? commands.cut : ui.Id() == ID_EDIT_COPY ? commands.copy : commands.duplicate);
}

void CVellicorView::OnUpdateEditPaste(fw::CCmdUI& ui) {
    FormState state = State();
    state.clipboardMayHoldPapers = ClipboardMayHoldPapers();
    ui.Enable(EnabledCommands(state).paste);
}

bool CVellicorView::CopySelectedPaper() {
    const int32_t line = m_listPapers.GetCurSel();
    if (line < 0 || line >= AppState.CurrentCatalog->GetCount()) return false;
    if (!PutPapersOnClipboard(Hwnd(), {AppState.CurrentCatalog->GetPaper(line)})) {
        ShowRefusal(Hwnd(), InterfaceMessage(MSG_CLIPBOARD_FAILED));
        return false;
    }
    return true;
}

void CVellicorView::OnEditCopy() { CopySelectedPaper(); }

void CVellicorView::OnEditCut() {
    ReadFields();
    if (m_nSelectedPaper < 0 || m_nSelectedPaper >= AppState.CurrentCatalog->GetCount()) return;
    // As Delete: the default paper stays.
    if (SelectedLineText() == AppState.DefaultPaperName) {
        ShowRefusal(Hwnd(), InterfaceMessage(MSG_DEFAULT_NOT_DELETED));
        return;
    }
    if (!PassPendingEditGate()) return;
    EditPendingRelease release(*this);
    if (!CopySelectedPaper()) return;
    const int32_t line = m_nSelectedPaper;
    CPaperCatalog& catalog = *AppState.CurrentCatalog;
    const int32_t remaining = catalog.GetCount() - 1;
    const int32_t after = line < remaining ? line : remaining - 1;
    CatalogHistory().Do(catalog, EditAction::Cut, {EditChange::Remove, line, 0, catalog.GetPaper(line)}, line, after);
    RemovePaperLine(line);
    AfterCatalogChange(after);
}

void CVellicorView::ShowInsertedPapers(int32_t first, int32_t count) {
    InsertPaperLines(first, count);
    AfterCatalogChange(first);
    FocusPaperList();
}

void CVellicorView::InsertPaperLines(int32_t first, int32_t count) {
    if (count > 1) m_listPapers.SetRedraw(false);
    for (int32_t line = first; line < first + count; ++line)
        m_listPapers.InsertString(line, AppState.CurrentCatalog->GetPaper(line).Name);
    if (count > 1) {
        m_listPapers.SetRedraw(true);
        InvalidateRect(m_listPapers.Hwnd(), nullptr, TRUE);
    }
}

void CVellicorView::RemovePaperLine(int32_t line) {
    m_listPapers.DeleteString(line);
}

void CVellicorView::OnEditPaste() {
    std::vector<CPaperDef> papers;
    std::string refusal;
    if (!ReadPapersFromClipboard(Hwnd(), papers, refusal)) {
        ShowRefusal(Hwnd(), refusal);
        return;
    }
    if (!PassPendingEditGate()) return;
    EditPendingRelease release(*this);
    CPaperCatalog& catalog = *AppState.CurrentCatalog;
    const int32_t selected = m_listPapers.GetCurSel();
    const int32_t first = selected >= 0 ? selected + 1 : catalog.GetCount();
    NameCopies(catalog, papers, AppState.CurrentLanguage);
    std::vector<EditChange> changes;
    changes.reserve(papers.size());
    int32_t at = first;
    for (CPaperDef& paper : papers) changes.push_back({EditChange::Insert, at++, 0, std::move(paper)});
    CatalogHistory().DoGroup(catalog, EditAction::Paste, std::move(changes), selected, first);
    ShowInsertedPapers(first, at - first);
}

void CVellicorView::OnEditDuplicate() {
    const int32_t selected = m_listPapers.GetCurSel();
    CPaperCatalog& catalog = *AppState.CurrentCatalog;
    if (selected < 0 || selected >= catalog.GetCount()) return;
    if (!PassPendingEditGate()) return;
    EditPendingRelease release(*this);
    CPaperDef copy = catalog.GetPaper(selected);
    copy.Name = NameForCopy(catalog, copy.Name, AppState.CurrentLanguage);
    CatalogHistory().Do(catalog, EditAction::Duplicate, {EditChange::Insert, selected + 1, 0, std::move(copy)}, selected,
                        selected + 1);
    ShowInsertedPapers(selected + 1, 1);
}

// --- find ---

void CVellicorView::OnEditFind() {
    const int32_t start = m_listPapers.GetCurSel();
    CFindDlg dialog(m_strFindText, [&](const std::string& text) {
        // From the line after the selection on, so that Find Next moves on.
        return FindPaperName(*AppState.CurrentCatalog, text, start + 1, true);
    });
    if (dialog.DoModal() != IDOK) return;
    m_strFindText = dialog.Text();
    SelectFoundPaper(dialog.Found());
}

void CVellicorView::OnEditFindNext() { FindAgain(true); }

void CVellicorView::OnEditFindPrevious() { FindAgain(false); }

void CVellicorView::OnUpdateEditFindAgain(fw::CCmdUI& ui) { ui.Enable(Commands().findAgain); }

void CVellicorView::FindAgain(bool forwards) {
    if (m_strFindText.empty()) return;
    const int32_t selected = m_listPapers.GetCurSel();
    const int32_t start = forwards ? selected + 1 : (selected >= 0 ? selected - 1 : -1);
    const int32_t found = FindPaperName(*AppState.CurrentCatalog, m_strFindText, start, forwards);
    if (found < 0) {
        ShowRefusal(Hwnd(), FormatText(InterfaceMessage(MSG_FIND_NOT_FOUND), {m_strFindText}));
        return;
    }
    SelectFoundPaper(found);
}

// Showing another paper would lose what was typed: the form's question first.
// The focus goes to the list at the found paper, so a screen reader says which
// it is, also when the search came back to the paper already selected.
void CVellicorView::SelectFoundPaper(int32_t found) {
    if (found < 0) return;
    if (found != m_listPapers.GetCurSel()) {
        if (!PassPendingEditGate()) return;
        EditPendingRelease release(*this);
        m_nSelectedPaper = found;
        WriteFields();
        ShowSelectedPaper();
    }
    FocusPaperList();
}

// --- move to the ends ---

void CVellicorView::OnEditMoveTop() {
    ReadFields();
    if (!Commands().moveToTop) return;
    MoveSelectedPaperTo(0, EditAction::MoveToTop);
}

void CVellicorView::OnEditMoveBottom() {
    ReadFields();
    if (!Commands().moveToBottom) return;
    MoveSelectedPaperTo(AppState.CurrentCatalog->GetCount() - 1, EditAction::MoveToBottom);
}

void CVellicorView::OnUpdateEditMoveTop(fw::CCmdUI& ui) { ui.Enable(Commands().moveToTop); }

void CVellicorView::OnUpdateEditMoveBottom(fw::CCmdUI& ui) { ui.Enable(Commands().moveToBottom); }

// The paper keeps its selection and the fields what they show, typed or not,
// as Move Up and Move Down do.
void CVellicorView::MoveSelectedPaperTo(int32_t target, EditAction action) {
    ReadFields();
    const int32_t from = m_nSelectedPaper;
    const int32_t count = AppState.CurrentCatalog->GetCount();
    if (from < 0 || from >= count || target < 0 || target >= count || target == from) return;
    CatalogHistory().Do(*AppState.CurrentCatalog, action, {EditChange::Move, from, target, {}}, from, target);
    const std::string name = m_listPapers.GetText(from);
    m_listPapers.SetRedraw(false);
    m_listPapers.DeleteString(from);
    m_listPapers.InsertString(target, name);
    m_listPapers.SetRedraw(true);
    InvalidateRect(m_listPapers.Hwnd(), nullptr, TRUE);
    m_nSelectedPaper = target;
    WriteFields();
    UpdateMoveUpButton();
    UpdateMoveDownButton();
}

// --- drag and drop ---

bool CVellicorView::OnControlMessage(int controlId, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (controlId != IDC_PAPER_LIST) return false;
    switch (message) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK: OnPaperListPress(message, wParam, lParam); break;
        case WM_MOUSEMOVE:
            // While a line is pressed the list does not follow the mouse with its selection.
            if (m_nDragFrom < 0) return false;
            if ((wParam & MK_LBUTTON) == 0) {
                EndPaperDrag();
                return false;
            }
            TrackPaperDrag({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
            break;
        case WM_LBUTTONUP:
            if (m_nDragFrom < 0) return false;
            OnPaperListRelease(wParam, lParam);
            break;
        case WM_CAPTURECHANGED:
            // Another window took the mouse (a box, Escape): the drag is over.
            if (m_nDragFrom >= 0 && reinterpret_cast<HWND>(lParam) != m_listPapers.Hwnd()) EndPaperDrag();
            return false;
        default: return false;
    }
    result = 0;
    return true;
}

int CVellicorView::PaperLineAt(POINT at) const {
    const LRESULT found = SendMessageA(m_listPapers.Hwnd(), LB_ITEMFROMPOINT, 0, MAKELPARAM(at.x, at.y));
    // The high word says the point is outside every line.
    if (found == LB_ERR || HIWORD(found) != 0) return -1;
    return static_cast<int>(LOWORD(found));
}

// A press on another line than the selected one changes the selection; with
// typed changes pending, the form's question comes before the list sees the
// press, so that keeping the edit leaves the line being edited selected. The
// list then selects the line (and reports it), and a drag may start there.
void CVellicorView::OnPaperListPress(UINT message, WPARAM wParam, LPARAM lParam) {
    EndPaperDrag();
    const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    const int line = PaperLineAt(at);
    if (line >= 0 && line != m_listPapers.GetCurSel() && m_bPaperEditPending) {
        // Kept, the press is not the list's: the focus stays in the field being edited.
        if (AskCompleteOperation(Hwnd()) != IDNO) return;
        m_bPaperEditPending = false;
    }
    // The list answers a double click with its notification only, the first
    // click having selected the line; when that first press was kept from it
    // (the edit was kept), the second is a press of its own.
    if (message == WM_LBUTTONDBLCLK && line != m_listPapers.GetCurSel()) message = WM_LBUTTONDOWN;
    CallControl(IDC_PAPER_LIST, message, wParam, lParam);
    if (line >= 0 && m_listPapers.GetCurSel() == line) {
        m_nDragFrom = line;
        m_ptDragStart = at;
    }
}

// The mark stands before the line under the cursor; the mouse must first
// leave the pressed point by the system's drag distance, so a shaky click
// stays a click.
void CVellicorView::TrackPaperDrag(POINT at) {
    if (!m_bDragging) {
        if (std::abs(at.x - m_ptDragStart.x) <= GetSystemMetrics(SM_CXDRAG) &&
            std::abs(at.y - m_ptDragStart.y) <= GetSystemMetrics(SM_CYDRAG))
            return;
        m_bDragging = true;
    }
    HWND list = m_listPapers.Hwnd();
    POINT screen = at;
    ClientToScreen(list, &screen);
    // Scrolls the list while the cursor is above or below it.
    const int line = LBItemFromPt(list, screen, TRUE);
    if (line != m_nDragMark) {
        DrawInsert(Hwnd(), list, line);
        m_nDragMark = line;
    }
    SetCursor(LoadCursorA(nullptr, line >= 0 ? IDC_ARROW : IDC_NO));
}

// A drop puts the paper before the marked line: dragged down, it takes the
// place of the line above the mark. On its own line or just above the next
// one, the paper is where it was.
void CVellicorView::OnPaperListRelease(WPARAM wParam, LPARAM lParam) {
    const int32_t from = m_nDragFrom;
    const bool dragged = m_bDragging;
    EndPaperDrag();
    // The list lets go of the mouse.
    CallControl(IDC_PAPER_LIST, WM_LBUTTONUP, wParam, lParam);
    if (!dragged) return;
    POINT screen{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ClientToScreen(m_listPapers.Hwnd(), &screen);
    const int mark = LBItemFromPt(m_listPapers.Hwnd(), screen, FALSE);
    if (mark < 0 || mark == from || mark == from + 1 || m_listPapers.GetCurSel() != from) return;
    MoveSelectedPaperTo(mark > from ? mark - 1 : mark, EditAction::Drag);
}

void CVellicorView::EndPaperDrag() {
    if (m_nDragMark >= 0) DrawInsert(Hwnd(), m_listPapers.Hwnd(), -1);
    m_nDragFrom = -1;
    m_bDragging = false;
    m_nDragMark = -1;
}

// Escape during a drag cancels it: the list lets go of the mouse, and the
// release that follows finds no drag to finish.
void CVellicorView::OnEscape() {
    if (m_nDragFrom < 0) return;
    EndPaperDrag();
    if (GetCapture() == m_listPapers.Hwnd()) ReleaseCapture();
}
