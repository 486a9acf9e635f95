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

CVellicorView::CVellicorView() : fw::CFormView(IDD_VELLICOR_FORM) {}

CVellicorView::~CVellicorView() = default;

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

HWND CVellicorView::ComboEdit(HWND combo) {
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    if (GetComboBoxInfo(combo, &info) && info.hwndItem) return info.hwndItem;
    return GetWindow(combo, GW_CHILD);
}

std::string CVellicorView::ReadComboText(HWND combo) { return fw::GetWindowTextString(combo); }

// Unlike a prefix search, which would put "blue" in a field being restored to
// "bl" (or the first entry into an emptied field), the field gets exactly the
// member's text; a list entry equal to it is selected as well.
void CVellicorView::WriteComboText(HWND combo, const std::string& text) {
    if (fw::GetWindowTextString(combo) == text) return;
    LRESULT index = text.empty() ? CB_ERR : SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                                          reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageA(combo, CB_SETCURSEL, index == CB_ERR ? static_cast<WPARAM>(-1) : static_cast<WPARAM>(index), 0);
    if (fw::GetWindowTextString(combo) != text) SetWindowTextA(combo, text.c_str());
}

void CVellicorView::ReadFields() {
    UpdatingControls guard(*this);
    LRESULT selected = SendMessageA(m_listPapers, LB_GETCURSEL, 0, 0);
    m_nSelectedPaper = selected == LB_ERR ? -1 : static_cast<int32_t>(selected);
    m_strName = fw::GetWindowTextString(m_editName);
    m_strColor = ReadComboText(m_comboColor);
    m_strWeight = ReadComboText(m_comboWeight);
    m_strType = ReadComboText(m_comboType);
    m_bForceOneSided = IsDlgButtonChecked(Hwnd(), IDC_FORCE_ONE_SIDED) == BST_CHECKED ? 1 : 0;
    LRESULT size = SendMessageA(m_comboSize, CB_GETCURSEL, 0, 0);
    m_nSizeIndex = size == CB_ERR ? -1 : static_cast<int32_t>(size);
}

void CVellicorView::WriteFields() {
    UpdatingControls guard(*this);
    // Selecting the line again would scroll it into view, undoing the user's
    // scrolling on every keystroke that is put back.
    if (SendMessageA(m_listPapers, LB_GETCURSEL, 0, 0) != m_nSelectedPaper)
        SendMessageA(m_listPapers, LB_SETCURSEL, static_cast<WPARAM>(m_nSelectedPaper), 0);
    // Setting an unchanged text would move the caret to the start.
    if (fw::GetWindowTextString(m_editName) != m_strName) SetWindowTextA(m_editName, m_strName.c_str());
    WriteComboText(m_comboColor, m_strColor);
    WriteComboText(m_comboWeight, m_strWeight);
    WriteComboText(m_comboType, m_strType);
    CheckDlgButton(Hwnd(), IDC_FORCE_ONE_SIDED, m_bForceOneSided ? BST_CHECKED : BST_UNCHECKED);
    SendMessageA(m_comboSize, CB_SETCURSEL, static_cast<WPARAM>(m_nSizeIndex), 0);
}

// --- the form ---

void CVellicorView::OnInitialUpdate() {
    m_comboWeight = Item(IDC_WEIGHT);
    m_comboType = Item(IDC_TYPE);
    m_comboColor = Item(IDC_COLOR);
    m_editName = Item(IDC_NAME);
    m_btnModify = Item(IDC_MODIFY);
    m_btnAdd = Item(IDC_ADD);
    m_comboSize = Item(IDC_SIZE);
    m_btnDelete = Item(IDC_DELETE);
    m_btnMoveUp = Item(IDC_MOVE_UP);
    m_btnMoveDown = Item(IDC_MOVE_DOWN);
    m_listPapers = Item(IDC_PAPER_LIST);
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
    HWND combo = Item(comboId);
    for (int i = 0; i < count; ++i) {
        const std::string word = GetLocalizedString(kVocabularyList, ids[i], AppState.CurrentLanguage);
        SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(word.c_str()));
    }
    WriteFields();
}

void CVellicorView::RefreshPaperList() {
    HWND list = Item(IDC_PAPER_LIST);
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    const CPaperCatalog& catalog = *AppState.CurrentCatalog;
    const int count = catalog.GetCount();
    SendMessageA(list, LB_INITSTORAGE, static_cast<WPARAM>(count), static_cast<LPARAM>(count) * 32);
    for (int i = 0; i < count; ++i) {
        const std::string name = catalog.GetPaper(i).GetText(PA_NAME);
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    }
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

void CVellicorView::SelectDefaultPaperLine() {
    HWND list = Item(IDC_PAPER_LIST);
    LRESULT line = SendMessageA(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                reinterpret_cast<LPARAM>(AppState.DefaultPaperName.c_str()));
    // LB_FINDSTRINGEXACT wraps around from the start line; -1 searches the whole
    // list from the top, so the first equal line wins.
    if (line == LB_ERR) line = SendMessageA(list, LB_GETCOUNT, 0, 0) > 0 ? 0 : -1;
    SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(line), 0);
    SetFocus(list);
}

void CVellicorView::OnSelChangePaperList() {
    const int32_t previous = m_nSelectedPaper;
    ReadFields();
    if (m_nSelectedPaper != previous) {
        if (AppState.PaperEditPending && AskCompleteOperation(Hwnd()) != IDNO) {
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
    AppState.LastValidName = m_strName;
    AppState.LastValidColor = m_strColor;
    AppState.LastValidWeight = m_strWeight;
    AppState.LastValidType = m_strType;
}

void CVellicorView::ShowSelectedPaper() {
    ReadFields();
    UpdateMoveUpButton();
    UpdateMoveDownButton();
    UpdateDeleteButton();
    LoadSelectedPaper();
    UpdateAddButton();
    UpdateModifyButton();
    AppState.PaperEditPending = false;
    KeepFieldsAsLastValid();
}

// Selects the combo's entry equal to `text` (case ignored), adding it first when
// the list has none, so colours and types outside the vocabulary stay offered.
// An empty text stays in the field without becoming an empty line of the list.
static void SelectOrAppend(HWND combo, const std::string& text) {
    if (text.empty()) return;
    LRESULT index = SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text.c_str()));
    if (index == CB_ERR) index = SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
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
    m_strColor = ReadComboText(m_comboColor);
    m_strType = ReadComboText(m_comboType);
}

int CVellicorView::FindSizeIndex(const CPaperDef& paper) const {
    const std::string size = paper.GetText(PA_SIZE);
    const LRESULT lines = SendMessageA(m_comboSize, CB_GETCOUNT, 0, 0);
    for (LRESULT row = 0; row < lines && row < static_cast<LRESULT>(PageSizeTable.size()); ++row)
        if (size == PageSizeTable[static_cast<size_t>(row)].Keyword) return static_cast<int>(row);
    return 0;
}

std::string CVellicorView::SelectedLineText() const { return fw::GetListLineText(m_listPapers, m_nSelectedPaper); }

// --- enable rules ---

void CVellicorView::UpdateMoveUpButton() {
    ReadFields();
    EnableWindow(m_btnMoveUp, m_nSelectedPaper != 0 && m_nSelectedPaper != -1);
    WriteFields();
}

void CVellicorView::UpdateMoveDownButton() {
    ReadFields();
    const LRESULT lines = SendMessageA(m_listPapers, LB_GETCOUNT, 0, 0);
    EnableWindow(m_btnMoveDown, m_nSelectedPaper != -1 && m_nSelectedPaper + 1 != lines);
    WriteFields();
}

void CVellicorView::UpdateDeleteButton() {
    ReadFields();
    EnableWindow(m_btnDelete, m_nSelectedPaper != -1);
    WriteFields();
}

void CVellicorView::UpdateAddButton() {
    ReadFields();
    const bool filled = !m_strName.empty() && !m_strColor.empty() && !m_strWeight.empty() && !m_strType.empty();
    EnableWindow(m_btnAdd, filled && !AppState.CurrentCatalog->ContainsName(m_strName));
}

void CVellicorView::UpdateModifyButton() {
    ReadFields();
    const bool filled = !m_strName.empty() && !m_strColor.empty() && !m_strWeight.empty() && !m_strType.empty();
    bool enable = filled && m_nSelectedPaper != -1;
    if (enable) {
        const std::string line = SelectedLineText();
        enable = line != AppState.DefaultPaperName &&
                 (m_strName == line || !AppState.CurrentCatalog->ContainsName(m_strName));
    }
    EnableWindow(m_btnModify, enable);
}
