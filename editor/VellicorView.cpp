#include "editor/VellicorView.h"

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
    {ID_FILE_NEW, &CVellicorView::OnFileNew},
    {ID_FILE_CLOSE, &CVellicorView::OnFileNew},
    {ID_FILE_OPEN, &CVellicorView::OnFileOpen},
    {ID_FILE_SAVE, &CVellicorView::OnFileSave, &CVellicorView::OnUpdateFileSave},
    {ID_FILE_SAVE_AS, &CVellicorView::OnFileSaveAs, &CVellicorView::OnUpdateFileSaveAs},
    {ID_FILE_IMPORT, &CVellicorView::OnFileImport},
    {ID_FILE_EXPORT, &CVellicorView::OnFileExport},
    {ID_FILE_RESTORE_VERSION, &CVellicorView::OnFileRestoreVersion, &CVellicorView::OnUpdateConfiguredCatalog},
    {ID_FILE_COMPARE, &CVellicorView::OnFileCompare, &CVellicorView::OnUpdateConfiguredCatalog},
};

namespace {
CVellicorView* currentView = nullptr;
}  // namespace

CVellicorView* CurrentView() { return currentView; }

CVellicorView::CVellicorView() : fw::CFormView(IDD_VELLICOR_FORM) { currentView = this; }

CVellicorView::~CVellicorView() {
    if (currentView == this) currentView = nullptr;
}

bool CVellicorView::OnNotify(int controlId, UINT code) { return fw::DispatchNotify(this, kNotifications, controlId, code); }

bool CVellicorView::OnCommand(UINT id) { return fw::DispatchCommand(this, kCommands, id); }

bool CVellicorView::OnUpdateCommand(fw::CCmdUI& ui) { return fw::DispatchUpdate(this, kCommands, ui); }

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
    selectedPaper_ = listPapers_.GetCurSel();
    name_ = editName_.GetText();
    color_ = comboColor_.GetText();
    weight_ = comboWeight_.GetText();
    type_ = comboType_.GetText();
    forceOneSided_ = checkForceOneSided_.IsChecked() ? 1 : 0;
    sizeIndex_ = comboSize_.GetCurSel();
}

void CVellicorView::WriteFields() {
    UpdatingControls guard(*this);
    // Selecting the line again would scroll it into view, undoing the user's
    // scrolling on every keystroke that is put back.
    if (listPapers_.GetCurSel() != selectedPaper_) listPapers_.SetCurSel(selectedPaper_);
    // Setting an unchanged text would move the caret to the start.
    if (editName_.GetText() != name_) editName_.SetText(name_);
    WriteComboText(comboColor_, color_);
    WriteComboText(comboWeight_, weight_);
    WriteComboText(comboType_, type_);
    checkForceOneSided_.SetCheck(forceOneSided_ != 0);
    comboSize_.SetCurSel(sizeIndex_);
}

// --- the form ---

void CVellicorView::OnInitialUpdate() {
    comboWeight_.Attach(Item(IDC_WEIGHT));
    comboType_.Attach(Item(IDC_TYPE));
    comboColor_.Attach(Item(IDC_COLOR));
    editName_.Attach(Item(IDC_NAME));
    btnModify_.Attach(Item(IDC_MODIFY));
    btnAdd_.Attach(Item(IDC_ADD));
    comboSize_.Attach(Item(IDC_SIZE));
    btnDelete_.Attach(Item(IDC_DELETE));
    btnMoveUp_.Attach(Item(IDC_MOVE_UP));
    btnMoveDown_.Attach(Item(IDC_MOVE_DOWN));
    listPapers_.Attach(Item(IDC_PAPER_LIST));
    checkForceOneSided_.Attach(Item(IDC_FORCE_ONE_SIDED));
    WriteFields();
    SetUpForm();
}

void CVellicorView::SetUpForm() {
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
    list.SetFocus();
}

void CVellicorView::OnSelChangePaperList() {
    const int32_t previous = selectedPaper_;
    ReadFields();
    if (selectedPaper_ != previous) {
        if (paperEditPending_ && AskCompleteOperation(Hwnd()) != IDNO) {
            // The user wants to finish the edit: back to the line being edited,
            // with the typed texts.
            selectedPaper_ = previous;
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
    lastValid_ = {name_, color_, weight_, type_};
}

void CVellicorView::ShowSelectedPaper() {
    ReadFields();
    UpdateMoveUpButton();
    UpdateMoveDownButton();
    UpdateDeleteButton();
    LoadSelectedPaper();
    UpdateAddButton();
    UpdateModifyButton();
    paperEditPending_ = false;
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
    if (selectedPaper_ < 0) return;
    const CPaperDef paper = AppState.CurrentCatalog->GetPaper(selectedPaper_);
    name_ = paper.GetText(PA_NAME);
    weight_ = paper.GetText(PA_WEIGHT);
    type_ = paper.GetText(PA_TYPE);
    color_ = paper.GetText(PA_COLOR);
    forceOneSided_ = paper.GetFlag(PA_FORCE_ONE_SIDED) ? 1 : 0;
    sizeIndex_ = FindSizeIndex(paper);
    WriteFields();
    UpdatingControls guard(*this);
    SelectOrAppend(comboColor_, paper.GetText(PA_COLOR));
    SelectOrAppend(comboType_, paper.GetText(PA_TYPE));
    // The fields now show the list entries, which may differ in case.
    color_ = comboColor_.GetText();
    type_ = comboType_.GetText();
}

int CVellicorView::FindSizeIndex(const CPaperDef& paper) const {
    const std::string size = paper.GetText(PA_SIZE);
    const int lines = comboSize_.GetCount();
    for (int row = 0; row < lines && row < static_cast<int>(PageSizeTable.size()); ++row)
        if (size == PageSizeTable[static_cast<size_t>(row)].Keyword) return row;
    return 0;
}

std::string CVellicorView::SelectedLineText() const { return listPapers_.GetText(selectedPaper_); }

// --- enable rules ---

void CVellicorView::UpdateMoveUpButton() {
    ReadFields();
    btnMoveUp_.Enable(selectedPaper_ != 0 && selectedPaper_ != -1);
    WriteFields();
}

void CVellicorView::UpdateMoveDownButton() {
    ReadFields();
    btnMoveDown_.Enable(selectedPaper_ != -1 && selectedPaper_ + 1 != listPapers_.GetCount());
    WriteFields();
}

void CVellicorView::UpdateDeleteButton() {
    ReadFields();
    btnDelete_.Enable(selectedPaper_ != -1);
    WriteFields();
}

// Add and Modify need every text field filled in.
bool CVellicorView::FieldsComplete() const {
    return !name_.empty() && !color_.empty() && !weight_.empty() && !type_.empty();
}

void CVellicorView::UpdateAddButton() {
    ReadFields();
    btnAdd_.Enable(FieldsComplete() && !AppState.CurrentCatalog->ContainsName(name_));
}

void CVellicorView::UpdateModifyButton() {
    ReadFields();
    bool enable = FieldsComplete() && selectedPaper_ != -1;
    if (enable) {
        const std::string line = SelectedLineText();
        enable = line != AppState.DefaultPaperName &&
                 (name_ == line || !AppState.CurrentCatalog->ContainsName(name_));
    }
    btnModify_.Enable(enable);
}
