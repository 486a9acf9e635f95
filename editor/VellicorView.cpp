#include "editor/VellicorView.h"

#include <commctrl.h>

#include "catalog/EditHistory.h"
#include "catalog/PaperCatalog.h"
#include "catalog/PaperDef.h"
#include "editor/MessageBoxes.h"
#include "resources/resource.h"
#include "state/AppState.h"
#include "text/StringLists.h"

const fw::NotifyEntry<CVellicorView> CVellicorView::kNotifications[] = {
    {IDC_PAPER_LIST, LBN_SELCHANGE, &CVellicorView::OnSelChangePaperList},
    {IDC_MOVE_UP, BN_CLICKED, &CVellicorView::OnMoveUp},
    {IDC_MOVE_DOWN, BN_CLICKED, &CVellicorView::OnMoveDown},
    {IDC_DELETE, BN_CLICKED, &CVellicorView::OnDelete},
    {IDC_ADD, BN_CLICKED, &CVellicorView::OnAdd},
    {IDC_MODIFY, BN_CLICKED, &CVellicorView::OnModify},
    {IDC_NAME, EN_UPDATE, &CVellicorView::OnUpdateName},
    {IDC_NAME, EN_CHANGE, &CVellicorView::OnFieldChanged},
    {IDC_COLOR, CBN_EDITCHANGE, &CVellicorView::OnFieldChanged},
    {IDC_WEIGHT, CBN_EDITCHANGE, &CVellicorView::OnFieldChanged},
    {IDC_TYPE, CBN_EDITCHANGE, &CVellicorView::OnFieldChanged},
    {IDC_COLOR, CBN_EDITUPDATE, &CVellicorView::OnEditUpdateColor},
    {IDC_WEIGHT, CBN_EDITUPDATE, &CVellicorView::OnEditUpdateWeight},
    {IDC_TYPE, CBN_EDITUPDATE, &CVellicorView::OnEditUpdateType},
    {IDC_SIZE, CBN_SELCHANGE, &CVellicorView::OnSelChangeSize},
    {IDC_COLOR, CBN_SELCHANGE, &CVellicorView::OnSelChangeColor},
    {IDC_WEIGHT, CBN_SELCHANGE, &CVellicorView::OnSelChangeWeight},
    {IDC_TYPE, CBN_SELCHANGE, &CVellicorView::OnSelChangeType},
    {IDC_COLOR, CBN_KILLFOCUS, &CVellicorView::OnKillFocusColor},
    {IDC_WEIGHT, CBN_KILLFOCUS, &CVellicorView::OnKillFocusWeight},
    {IDC_TYPE, CBN_KILLFOCUS, &CVellicorView::OnKillFocusType},
};

const fw::CommandEntry<CVellicorView> CVellicorView::kCommands[] = {
    {ID_EDIT_UNDO, &CVellicorView::OnEditUndo, &CVellicorView::OnUpdateEditUndo},
    {ID_EDIT_REDO, &CVellicorView::OnEditRedo, &CVellicorView::OnUpdateEditRedo},
    {ID_EDIT_CUT, &CVellicorView::OnEditCut, &CVellicorView::OnUpdateEditClipboard},
    {ID_EDIT_COPY, &CVellicorView::OnEditCopy, &CVellicorView::OnUpdateEditClipboard},
    {ID_EDIT_PASTE, &CVellicorView::OnEditPaste, &CVellicorView::OnUpdateEditPaste},
    {ID_EDIT_DUPLICATE, &CVellicorView::OnEditDuplicate, &CVellicorView::OnUpdateEditClipboard},
    {ID_EDIT_FIND, &CVellicorView::OnEditFind},
    {ID_EDIT_FIND_NEXT, &CVellicorView::OnEditFindNext, &CVellicorView::OnUpdateEditFindAgain},
    {ID_EDIT_FIND_PREVIOUS, &CVellicorView::OnEditFindPrevious, &CVellicorView::OnUpdateEditFindAgain},
    {ID_EDIT_MOVE_TOP, &CVellicorView::OnEditMoveTop, &CVellicorView::OnUpdateEditMoveTop},
    {ID_EDIT_MOVE_BOTTOM, &CVellicorView::OnEditMoveBottom, &CVellicorView::OnUpdateEditMoveBottom},
    {ID_NEXT_PANE, &CVellicorView::OnSwitchPane},
    {ID_PREV_PANE, &CVellicorView::OnSwitchPane},
};

namespace {
CVellicorView* currentView = nullptr;
}  // namespace

CVellicorView* CurrentView() { return currentView; }

bool CVellicorView::PassPendingEditGate() {
    return !PaperEditPending() || AskCompleteOperation(Hwnd()) == IDNO;
}

CVellicorView::CVellicorView() : fw::CFormView(IDD_VELLICOR_FORM) { currentView = this; }

CVellicorView::~CVellicorView() {
    if (currentView == this) currentView = nullptr;
}

bool CVellicorView::OnNotify(int controlId, UINT code) { return fw::DispatchNotify(this, kNotifications, controlId, code); }

bool CVellicorView::OnCommand(UINT id) { return CommandForTextField(id) || fw::DispatchCommand(this, kCommands, id); }

bool CVellicorView::OnUpdateCommand(fw::CCmdUI& ui) {
    return UpdateForTextField(ui) || fw::DispatchUpdate(this, kCommands, ui);
}

bool CVellicorView::OnMessage(UINT message, WPARAM, LPARAM, INT_PTR& result) {
    if (message == WM_CHECK_WEIGHT_RANGE) {
        OnCheckWeightRange();
        result = 0;
        return true;
    }
    return false;
}

// --- data exchange ---

// Unlike a prefix search, which would put "blue" in a field being restored to
// "bl" (or the first entry into an emptied field), the field gets exactly the
// member's text; a list entry equal to it is selected as well.
void CVellicorView::WriteComboText(const fw::CComboBox& combo, const std::string& text) {
    if (combo.GetText() == text) return;
    combo.SetCurSel(text.empty() ? -1 : combo.FindStringExact(text));
    if (combo.GetText() != text) combo.SetText(text);
}

void CVellicorView::ReadFields() {
    UpdatingControls guard(*this);
    m_nSelectedPaper = m_listPapers.GetCurSel();
    m_strName = m_editName.GetText();
    m_strColor = m_comboColor.GetText();
    m_strWeight = m_comboWeight.GetText();
    m_strType = m_comboType.GetText();
    m_bForceOneSided = m_checkForceOneSided.IsChecked() ? 1 : 0;
    m_nSizeIndex = m_comboSize.GetCurSel();
}

void CVellicorView::WriteFields() {
    UpdatingControls guard(*this);
    // Selecting the line again would scroll it into view, undoing the user's
    // scrolling on every keystroke that is put back.
    if (m_listPapers.GetCurSel() != m_nSelectedPaper) m_listPapers.SetCurSel(m_nSelectedPaper);
    // Setting an unchanged text would move the caret to the start.
    if (m_editName.GetText() != m_strName) m_editName.SetText(m_strName);
    WriteComboText(m_comboColor, m_strColor);
    WriteComboText(m_comboWeight, m_strWeight);
    WriteComboText(m_comboType, m_strType);
    m_checkForceOneSided.SetCheck(m_bForceOneSided != 0);
    m_comboSize.SetCurSel(m_nSizeIndex);
}

// --- the form ---

void CVellicorView::OnInitialUpdate() {
    m_comboWeight.Attach(Item(IDC_WEIGHT));
    m_comboType.Attach(Item(IDC_TYPE));
    m_comboColor.Attach(Item(IDC_COLOR));
    m_editName.Attach(Item(IDC_NAME));
    m_btnModify.Attach(Item(IDC_MODIFY));
    m_btnAdd.Attach(Item(IDC_ADD));
    m_comboSize.Attach(Item(IDC_SIZE));
    m_btnDelete.Attach(Item(IDC_DELETE));
    m_btnMoveUp.Attach(Item(IDC_MOVE_UP));
    m_btnMoveDown.Attach(Item(IDC_MOVE_DOWN));
    m_listPapers.Attach(Item(IDC_PAPER_LIST));
    m_checkForceOneSided.Attach(Item(IDC_FORCE_ONE_SIDED));
    // A paper is dragged to its new place in the list. The form watches the
    // list's mouse itself: a drag list's subclass made every message to the
    // list, and so every line of a refill, many times dearer under Wine.
    RouteControlMessages(IDC_PAPER_LIST);
    WriteFields();
    SetUpForm();
}

void CVellicorView::SetUpForm() {
    // The catalog the form starts on is the one stored: nothing to undo.
    CatalogHistory().Clear();
    FillVocabularyCombo(IDC_SIZE, SizeLabelIds.data(), AppState.SizeChoiceCount);
    FillVocabularyCombo(IDC_WEIGHT, WeightWordIds.data(), AppState.WeightChoiceCount);
    FillVocabularyCombo(IDC_COLOR, ColorWordIds.data(), AppState.ColorChoiceCount);
    FillVocabularyCombo(IDC_TYPE, TypeWordIds.data(), AppState.TypeChoiceCount);
    RefreshPaperList();
    SelectDefaultPaperLine();
    OnSelChangePaperList();
}

void CVellicorView::FillVocabularyCombo(int comboId, const int16_t* ids, int count) {
    ReadFields();
    const fw::CComboBox combo(Item(comboId));
    for (int i = 0; i < count; ++i) combo.AddString(GetLocalizedString(kVocabularyList, ids[i], AppState.CurrentLanguage));
    WriteFields();
}

void CVellicorView::RefreshPaperList() {
    const fw::CListBox list(Item(IDC_PAPER_LIST));
    list.SetRedraw(false);
    list.ResetContent();
    const CPaperCatalog& catalog = *AppState.CurrentCatalog;
    const int count = catalog.GetCount();
    list.InitStorage(count, count * 32);
    for (int i = 0; i < count; ++i) list.AddString(catalog.GetPaper(i).GetText(PA_NAME));
    list.SetRedraw(true);
    InvalidateRect(list.Hwnd(), nullptr, TRUE);
}

void CVellicorView::SelectDefaultPaperLine() {
    const fw::CListBox list(Item(IDC_PAPER_LIST));
    // Searched from the top of the list, so the first equal line wins.
    int line = list.FindStringExact(AppState.DefaultPaperName);
    if (line < 0) line = list.GetCount() > 0 ? 0 : -1;
    list.SetCurSel(line);
    FocusControl(list.Hwnd());
}

void CVellicorView::OnSelChangePaperList() {
    const int32_t previous = m_nSelectedPaper;
    ReadFields();
    if (m_nSelectedPaper != previous) {
        if (m_bPaperEditPending && AskCompleteOperation(Hwnd()) != IDNO) {
            // The user wants to finish the edit: back to the line being edited,
            // with the typed texts.
            m_nSelectedPaper = previous;
            WriteFields();
        } else {
            ShowSelectedPaper();
            return;
        }
    }
    KeepFieldsAsLastValid();
}

// What the fields show now is what a refused keystroke puts back.
void CVellicorView::KeepFieldsAsLastValid() {
    m_lastValid = {m_strName, m_strColor, m_strWeight, m_strType};
}

void CVellicorView::ShowSelectedPaper() {
    ReadFields();
    UpdateMoveUpButton();
    UpdateMoveDownButton();
    UpdateDeleteButton();
    LoadSelectedPaper();
    UpdateAddButton();
    UpdateModifyButton();
    m_bPaperEditPending = false;
    KeepFieldsAsLastValid();
}

// Selects the combo's entry equal to `text` (case ignored), adding it first when
// the list has none, so colours and types outside the vocabulary stay offered.
// An empty text stays in the field without becoming an empty line of the list.
static void SelectOrAppend(const fw::CComboBox& combo, const std::string& text) {
    if (text.empty()) return;
    int index = combo.FindStringExact(text);
    if (index < 0) index = combo.AddString(text);
    combo.SetCurSel(index);
}

void CVellicorView::LoadSelectedPaper() {
    if (m_nSelectedPaper < 0) return;
    const CPaperDef paper = AppState.CurrentCatalog->GetPaper(m_nSelectedPaper);
    m_strName = paper.GetText(PA_NAME);
    m_strWeight = paper.GetText(PA_WEIGHT);
    m_strType = paper.GetText(PA_TYPE);
    m_strColor = paper.GetText(PA_COLOR);
    m_bForceOneSided = paper.GetFlag(PA_FORCE_ONE_SIDED) ? 1 : 0;
    m_nSizeIndex = FindSizeIndex(paper);
    WriteFields();
    UpdatingControls guard(*this);
    SelectOrAppend(m_comboColor, paper.GetText(PA_COLOR));
    SelectOrAppend(m_comboType, paper.GetText(PA_TYPE));
    // The fields now show the list entries, which may differ in case.
    m_strColor = m_comboColor.GetText();
    m_strType = m_comboType.GetText();
}

int CVellicorView::FindSizeIndex(const CPaperDef& paper) const {
    const std::string size = paper.GetText(PA_SIZE);
    const int lines = m_comboSize.GetCount();
    for (int row = 0; row < lines && row < static_cast<int>(PageSizeTable.size()); ++row)
        if (size == PageSizeTable[static_cast<size_t>(row)].Keyword) return row;
    return 0;
}

std::string CVellicorView::SelectedLineText() const { return m_listPapers.GetText(m_nSelectedPaper); }

// --- enable rules ---

FormState CVellicorView::State() const {
    FormState state;
    state.catalog = AppState.CurrentCatalog.get();
    state.defaultPaperName = AppState.DefaultPaperName;
    state.selectedLine = m_nSelectedPaper;
    state.name = m_strName;
    state.color = m_strColor;
    state.weight = m_strWeight;
    state.type = m_strType;
    state.canUndo = CatalogHistory().CanUndo();
    state.canRedo = CatalogHistory().CanRedo();
    state.findTextGiven = !m_strFindText.empty();
    return state;
}

void CVellicorView::UpdateMoveUpButton() { EnableButton(m_btnMoveUp, Commands().moveUp); }

void CVellicorView::UpdateMoveDownButton() { EnableButton(m_btnMoveDown, Commands().moveDown); }

void CVellicorView::UpdateDeleteButton() { EnableButton(m_btnDelete, Commands().remove); }

void CVellicorView::UpdateAddButton() { EnableButton(m_btnAdd, Commands().add); }

void CVellicorView::UpdateModifyButton() { EnableButton(m_btnModify, Commands().modify); }

void CVellicorView::EnableButton(const fw::CButton& button, bool enable) {
    if (!enable && GetFocus() == button.Hwnd()) FocusPaperList();
    button.Enable(enable);
}

void CVellicorView::FocusControl(HWND control) {
    if (control) SendMessageA(Hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
}

// Two panes, so F6 and Shift+F6 both go to the other one: from the list or its
// buttons to the Paper field, from anywhere else (or from nowhere) to the list.
void CVellicorView::OnSwitchPane() {
    HWND focus = GetFocus();
    const bool inPaperPane = focus && (focus == m_listPapers.Hwnd() || focus == m_btnMoveUp.Hwnd() ||
                                       focus == m_btnMoveDown.Hwnd() || focus == m_btnDelete.Hwnd());
    FocusControl(inPaperPane ? m_editName.Hwnd() : m_listPapers.Hwnd());
}
