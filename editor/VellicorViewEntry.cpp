// The "Paper definition" half of the form: every keystroke checked against its
// field's rules, the choices from the drop-down lists, the weight range check,
// and Add, Modify, Delete, Move Up and Move Down on the current catalog.
#include <windows.h>

#include <cstdio>
#include <optional>
#include <string>

#include "catalog/PaperCatalog.h"
#include "catalog/PaperDef.h"
#include "editor/MessageBoxes.h"
#include "editor/VellicorView.h"
#include "platform/MessageBox.h"
#include "resources/resource.h"
#include "state/AppState.h"
#include "text/StringLists.h"

// Refused in names, colours and types. The comma separates the fields of the
// stored forms; the guillemets mark the vocabulary's "any" words ("«Any Color»").
const char ForbiddenCharacters[] = "!\"%'(),/;<>[\\]^{|}\xAB\xBB";
static_assert(sizeof ForbiddenCharacters == 20 + 1);

namespace {

constexpr size_t kMaxNameLength = 31;
constexpr size_t kMaxWordLength = 19;  // colour and type
constexpr size_t kMaxWeightDigits = 3;

// Walks the text character by character in the system code page, so that a
// trail byte of a double-byte character is never taken for a refused one.
bool ContainsAnyOf(const std::string& text, const char* refused) {
    const std::string set(refused);
    for (size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (IsDBCSLeadByte(byte) && i + 1 < text.size()) {
            ++i;
            continue;
        }
        if (set.find(static_cast<char>(byte)) != std::string::npos) return true;
    }
    return false;
}

// Blanks, control characters and the unprintable 0x7F-0xA0 range.
bool HasUnprintableByte(const std::string& text) {
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x21 || (byte >= 0x7F && byte <= 0xA0)) return true;
    }
    return false;
}

struct EditSelection {
    DWORD start = 0;
    DWORD end = 0;
};

EditSelection GetEditSelection(HWND edit) {
    EditSelection selection;
    SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&selection.start), reinterpret_cast<LPARAM>(&selection.end));
    return selection;
}

// After a refusal the field holds its previous text: one character less than
// the control had when the selection was taken, so the caret goes back one.
void PutCaretBack(HWND edit, const EditSelection& selection) {
    const auto start = static_cast<WPARAM>(selection.start > 0 ? selection.start - 1 : 0);
    const auto end = static_cast<LPARAM>(selection.end > 0 ? selection.end - 1 : 0);
    SendMessageA(edit, EM_SETSEL, start, end);
}

// Adds the field's text to the combo's list unless an entry equal to it
// (letter case ignored) is there already. An empty field adds nothing: an
// empty line would only be a way to empty the field again.
void OfferInList(HWND combo, const std::string& text) {
    if (text.empty()) return;
    if (SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text.c_str())) != CB_ERR)
        return;
    SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

// The size keyword of a line of the size list; none for a line that names no
// row of the table (no size chosen).
std::optional<std::string> SizeKeywordOfLine(int32_t line) {
    if (line < 0 || line >= static_cast<int32_t>(PageSizeTable.size()) || line >= AppState.SizeChoiceCount)
        return std::nullopt;
    return std::string(PageSizeTable[static_cast<size_t>(line)].Keyword);
}

}  // namespace

// --- checks on typed text ---

bool CVellicorView::FilterTypedText(std::string& field, std::string& lastValid, const char* refused, size_t maxLength) {
    const bool refuse = ContainsAnyOf(field, refused) || field.size() > maxLength || HasUnprintableByte(field);
    if (!refuse) {
        lastValid = field;
        return false;
    }
    field = lastValid;
    MessageBeep(0xFFFFFFFF);
    WriteFields();
    return true;
}

bool CVellicorView::FilterWeightDigits(std::string& field, std::string& lastValid, size_t maxLength) {
    const size_t digits = field.find_first_not_of("0123456789");
    if (digits == std::string::npos && field.size() <= maxLength) {
        lastValid = field;
        return false;
    }
    field = lastValid;
    MessageBeep(0xFFFFFFFF);
    WriteFields();
    return true;
}

// One keystroke in a field: the fields are read, then `refused` checks the
// typed text (restoring the field when it refuses). Accepted, the paper is being
// edited; refused, the caret goes back to where the refused character was typed.
template <class Check>
static bool AcceptKeystroke(CVellicorView& view, HWND edit, Check refused) {
    view.ReadFields();
    const EditSelection selection = GetEditSelection(edit);
    if (refused()) {
        PutCaretBack(edit, selection);
        return false;
    }
    AppState.PaperEditPending = true;
    return true;
}

void CVellicorView::OnUpdateName() {
    if (!AcceptKeystroke(*this, m_editName, [&] {
            return FilterTypedText(m_strName, AppState.LastValidName, ForbiddenCharacters, kMaxNameLength);
        }))
        SendMessageA(m_editName, EM_SCROLLCARET, 0, 0);
}

void CVellicorView::OnEditUpdateColor() {
    AcceptKeystroke(*this, ComboEdit(m_comboColor), [&] {
        return FilterTypedText(m_strColor, AppState.LastValidColor, ForbiddenCharacters, kMaxWordLength);
    });
}

void CVellicorView::OnEditUpdateWeight() {
    AcceptKeystroke(*this, ComboEdit(m_comboWeight),
                    [&] { return FilterWeightDigits(m_strWeight, AppState.LastValidWeight, kMaxWeightDigits); });
}

void CVellicorView::OnEditUpdateType() {
    AcceptKeystroke(*this, ComboEdit(m_comboType), [&] {
        return FilterTypedText(m_strType, AppState.LastValidType, ForbiddenCharacters, kMaxWordLength);
    });
}

void CVellicorView::OnFieldChanged() {
    UpdateAddButton();
    UpdateModifyButton();
}

// --- choices from the lists ---

void CVellicorView::OnSelChangeSize() { AppState.PaperEditPending = true; }

// A word chosen from a list: during CBN_SELCHANGE the combo's edit field still
// shows the previous text, so the word is taken from the chosen line.
static void TakeChosenWord(CVellicorView& view, HWND combo, std::string& field, std::string& lastValid) {
    view.ReadFields();
    const LRESULT line = SendMessageA(combo, CB_GETCURSEL, 0, 0);
    if (line != CB_ERR) field = fw::GetComboLineText(combo, static_cast<int>(line));
    lastValid = field;
    view.WriteFields();
    // As typing does: with every field complete, Add is ready at once.
    view.UpdateAddButton();
    view.UpdateModifyButton();
}

void CVellicorView::OnSelChangeColor() {
    TakeChosenWord(*this, m_comboColor, m_strColor, AppState.LastValidColor);
    AppState.PaperEditPending = true;
}

void CVellicorView::OnSelChangeWeight() {
    TakeChosenWord(*this, m_comboWeight, m_strWeight, AppState.LastValidWeight);
    AppState.PaperEditPending = true;
}

void CVellicorView::OnSelChangeType() {
    TakeChosenWord(*this, m_comboType, m_strType, AppState.LastValidType);
    ApplyTypeRule();
    AppState.PaperEditPending = true;
}

// Transparencies cannot be printed on both sides. Only a choice from the list
// applies the rule; a typed word does not.
void CVellicorView::ApplyTypeRule() {
    const std::string transparency = GetLocalizedString(kVocabularyList, CAT_TYPE_TRANSPARENCY, AppState.CurrentLanguage);
    if (AppState.LastValidType != transparency) return;
    m_strType = transparency;
    m_bForceOneSided = 1;
    WriteFields();
}

// --- leaving a field ---

void CVellicorView::OnKillFocusColor() {
    ReadFields();
    OfferInList(m_comboColor, m_strColor);
}

void CVellicorView::OnKillFocusType() {
    ReadFields();
    OfferInList(m_comboType, m_strType);
}

// Posted, so the check runs after the click or key that moved the focus, and
// after a deactivation of the program has disarmed it.
void CVellicorView::OnKillFocusWeight() { PostMessageA(Hwnd(), WM_CHECK_WEIGHT_RANGE, IDC_WEIGHT, 0); }

void CVellicorView::OnCheckWeightRange() {
    ReadFields();
    const int32_t value = LeadingNumber(m_strWeight);
    if (AppState.WeightCheckArmed &&
        (value < AppState.MinimumPaperWeight || value > AppState.MaximumPaperWeight)) {
        const std::string outOfRange = InterfaceMessage(MSG_OUT_OF_RANGE);
        const std::string control = InterfaceMessage(MSG_RANGE_CONTROL);
        const std::string field = InterfaceLabel(LAB_WEIGHT_FIELD, TF_NO_COLON);
        const std::string minimum = InterfaceMessage(MSG_RANGE_MINIMUM);
        const std::string maximum = InterfaceMessage(MSG_RANGE_MAXIMUM);
        const char* format = "%s\n\n%s %s\n%s %d\n%s %d";
        const int length = std::snprintf(nullptr, 0, format, outOfRange.c_str(), control.c_str(), field.c_str(),
                                         minimum.c_str(), AppState.MinimumPaperWeight, maximum.c_str(),
                                         AppState.MaximumPaperWeight);
        std::string text(static_cast<size_t>(length > 0 ? length : 0) + 1, '\0');
        std::snprintf(text.data(), text.size(), format, outOfRange.c_str(), control.c_str(), field.c_str(),
                      minimum.c_str(), AppState.MinimumPaperWeight, maximum.c_str(), AppState.MaximumPaperWeight);
        text.resize(static_cast<size_t>(length > 0 ? length : 0));
        ShowRefusal(Hwnd(), text);

        HWND edit = ComboEdit(m_comboWeight);
        SetFocus(edit);
        SendMessageA(edit, EM_SETSEL, 0, -1);
    }
    AppState.WeightCheckArmed = 1;
}

// --- the buttons ---

// The buttons' enable rules keep each operation valid (a new name for Add, a
// selected line for the others); a click that arrives while its button is
// disabled is ignored rather than trusted.

void CVellicorView::OnAdd() {
    if (!IsWindowEnabled(m_btnAdd)) return;
    ReadFields();
    // Only a form started on an empty catalog can have no size chosen.
    const std::optional<std::string> size = SizeKeywordOfLine(m_nSizeIndex);
    if (!size) {
        ShowRefusal(Hwnd(), InterfaceMessage(MSG_SIZE_REQUIRED));
        SetFocus(m_comboSize);
        return;
    }
    CPaperCatalog& catalog = *AppState.CurrentCatalog;
    const int position = catalog.GetCount();
    catalog.AddPaper(m_strName, *size, m_strWeight, m_strColor, m_strType, m_bForceOneSided != 0, position);
    RefreshPaperList();
    m_nSelectedPaper = position;
    WriteFields();
    LoadSelectedPaper();
    UpdateAddButton();
    UpdateModifyButton();
    UpdateMoveUpButton();
    UpdateMoveDownButton();
    UpdateDeleteButton();
    AppState.CatalogModified = true;
    AppState.PaperEditPending = false;
    KeepFieldsAsLastValid();
}

void CVellicorView::OnModify() {
    if (!IsWindowEnabled(m_btnModify)) return;
    ReadFields();
    if (m_nSelectedPaper < 0 || m_nSelectedPaper >= AppState.CurrentCatalog->GetCount()) return;
    const LRESULT topLine = SendMessageA(m_listPapers, LB_GETTOPINDEX, 0, 0);
    CPaperCatalog& catalog = *AppState.CurrentCatalog;
    // Without a chosen size the paper keeps the one it has.
    const std::string size =
        SizeKeywordOfLine(m_nSizeIndex).value_or(catalog.GetPaper(m_nSelectedPaper).GetText(PA_SIZE));
    catalog.ModifyPaper(m_strName, size, m_strWeight, m_strColor, m_strType, m_bForceOneSided != 0, m_nSelectedPaper);
    RefreshPaperList();
    WriteFields();
    LoadSelectedPaper();
    UpdateAddButton();
    UpdateModifyButton();
    SendMessageA(m_listPapers, LB_SETTOPINDEX, static_cast<WPARAM>(topLine), 0);
    AppState.CatalogModified = true;
    AppState.PaperEditPending = false;
    KeepFieldsAsLastValid();
}

void CVellicorView::OnDelete() {
    if (!IsWindowEnabled(m_btnDelete)) return;
    ReadFields();
    if (m_nSelectedPaper < 0 || m_nSelectedPaper >= AppState.CurrentCatalog->GetCount()) return;
    if (SelectedLineText() == AppState.DefaultPaperName) {
        ShowRefusal(Hwnd(), InterfaceMessage(MSG_DEFAULT_NOT_DELETED));
        return;
    }
    AppState.CurrentCatalog->RemovePaper(m_nSelectedPaper);
    RefreshPaperList();
    if (m_nSelectedPaper == static_cast<int32_t>(SendMessageA(m_listPapers, LB_GETCOUNT, 0, 0))) --m_nSelectedPaper;
    WriteFields();
    ShowSelectedPaper();
    AppState.CatalogModified = true;
}

void CVellicorView::OnMoveUp() {
    if (!IsWindowEnabled(m_btnMoveUp)) return;
    ReadFields();
    if (m_nSelectedPaper < 1 || m_nSelectedPaper >= AppState.CurrentCatalog->GetCount()) return;
    AppState.CurrentCatalog->MovePaper(false, m_nSelectedPaper);
    RefreshPaperList();
    --m_nSelectedPaper;
    WriteFields();
    UpdateMoveUpButton();
    UpdateMoveDownButton();
    AppState.CatalogModified = true;
}

void CVellicorView::OnMoveDown() {
    if (!IsWindowEnabled(m_btnMoveDown)) return;
    ReadFields();
    if (m_nSelectedPaper < 0 || m_nSelectedPaper + 1 >= AppState.CurrentCatalog->GetCount()) return;
    AppState.CurrentCatalog->MovePaper(true, m_nSelectedPaper);
    RefreshPaperList();
    ++m_nSelectedPaper;
    WriteFields();
    UpdateMoveUpButton();
    UpdateMoveDownButton();
    AppState.CatalogModified = true;
}
