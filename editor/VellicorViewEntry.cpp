// The "Paper definition" half of the form: every keystroke checked against its
// field's rules, the choices from the drop-down lists, the weight range check,
// and Add, Modify, Delete, Move Up and Move Down on the current catalog.
#include <windows.h>

#include <cstdio>
#include <optional>
#include <string>

#include "catalog/EditHistory.h"
#include "catalog/PaperCatalog.h"
#include "catalog/PaperDef.h"
#include "catalog/PaperRules.h"
#include "editor/MessageBoxes.h"
#include "editor/VellicorView.h"
#include "platform/MessageBox.h"
#include "resources/resource.h"
#include "state/AppState.h"
#include "text/StringLists.h"

namespace {

// The form walks the text in the system code page: a DBCS trail byte is no refused character.
bool IsSystemLeadByte(unsigned char byte) { return IsDBCSLeadByte(byte) != FALSE; }

struct EditSelection {
    DWORD start = 0;
    DWORD end = 0;
};

EditSelection GetEditSelection(const fw::CEdit& edit) {
    EditSelection selection;
    edit.GetSel(selection.start, selection.end);
    return selection;
}

// After a refusal the field holds its previous text: one character less than
// the control had when the selection was taken, so the caret goes back one.
void PutCaretBack(const fw::CEdit& edit, const EditSelection& selection) {
    edit.SetSel(static_cast<int>(selection.start > 0 ? selection.start - 1 : 0),
                static_cast<int>(selection.end > 0 ? selection.end - 1 : 0));
}

// Adds the field's text to the combo's list unless an entry equal to it
// (letter case ignored) is there already. An empty field adds nothing: an
// empty line would only be a way to empty the field again.
void OfferInList(const fw::CComboBox& combo, const std::string& text) {
    if (text.empty() || combo.FindStringExact(text) >= 0) return;
    combo.AddString(text);
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

bool CVellicorView::FilterTypedText(std::string& field, std::string& lastValid, size_t maxLength) {
    return KeepOrPutBack(CheckTypedText(field, maxLength, IsSystemLeadByte) != FieldFault::FieldOk, field, lastValid);
}

bool CVellicorView::FilterWeightDigits(std::string& field, std::string& lastValid) {
    return KeepOrPutBack(CheckTypedWeight(field) != FieldFault::FieldOk, field, lastValid);
}

// An accepted text becomes the last valid one; a refused one is replaced by
// it, in the control too, with a beep. True when refused.
bool CVellicorView::KeepOrPutBack(bool refuse, std::string& field, std::string& lastValid) {
    if (!refuse) {
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
bool CVellicorView::AcceptKeystroke(const fw::CEdit& edit, Check refused) {
    ReadFields();
    const EditSelection selection = GetEditSelection(edit);
    if (refused()) {
        PutCaretBack(edit, selection);
        return false;
    }
    m_bPaperEditPending = true;
    return true;
}

void CVellicorView::OnUpdateName() {
    if (!AcceptKeystroke(m_editName, [&] {
            return FilterTypedText(m_strName, m_lastValid.name, kMaxNameLength);
        }))
        m_editName.ScrollCaret();
}

void CVellicorView::OnEditUpdateColor() {
    AcceptKeystroke(fw::CEdit(m_comboColor.EditHandle()), [&] {
        return FilterTypedText(m_strColor, m_lastValid.color, kMaxWordLength);
    });
}

void CVellicorView::OnEditUpdateWeight() {
    AcceptKeystroke(fw::CEdit(m_comboWeight.EditHandle()),
                    [&] { return FilterWeightDigits(m_strWeight, m_lastValid.weight); });
}

void CVellicorView::OnEditUpdateType() {
    AcceptKeystroke(fw::CEdit(m_comboType.EditHandle()), [&] {
        return FilterTypedText(m_strType, m_lastValid.type, kMaxWordLength);
    });
}

void CVellicorView::OnFieldChanged() {
    ReadFields();
    UpdateAddButton();
    UpdateModifyButton();
}

// --- choices from the lists ---

void CVellicorView::OnSelChangeSize() { m_bPaperEditPending = true; }

// A word chosen from a list: during CBN_SELCHANGE the combo's edit field still
// shows the previous text, so the word is taken from the chosen line.
void CVellicorView::TakeChosenWord(const fw::CComboBox& combo, std::string& field, std::string& lastValid) {
    ReadFields();
    const int line = combo.GetCurSel();
    if (line >= 0) field = combo.GetLBText(line);
    lastValid = field;
    WriteFields();
    // As typing does: with every field complete, Add is ready at once.
    UpdateAddButton();
    UpdateModifyButton();
}

void CVellicorView::OnSelChangeColor() {
    TakeChosenWord(m_comboColor, m_strColor, m_lastValid.color);
    m_bPaperEditPending = true;
}

void CVellicorView::OnSelChangeWeight() {
    TakeChosenWord(m_comboWeight, m_strWeight, m_lastValid.weight);
    m_bPaperEditPending = true;
}

void CVellicorView::OnSelChangeType() {
    TakeChosenWord(m_comboType, m_strType, m_lastValid.type);
    ApplyTypeRule();
    m_bPaperEditPending = true;
}

// Transparencies cannot be printed on both sides. Only a choice from the list
// applies the rule; a typed word does not.
void CVellicorView::ApplyTypeRule() {
    const std::string transparency = GetLocalizedString(kVocabularyList, CAT_TYPE_TRANSPARENCY, AppState.CurrentLanguage);
    if (m_lastValid.type != transparency) return;
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
    if (m_bWeightCheckArmed && !IsWeightInRange(m_strWeight)) {
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

        const fw::CEdit edit(m_comboWeight.EditHandle());
        FocusControl(edit.Hwnd());
        edit.SelectAll();
    }
    m_bWeightCheckArmed = true;
}

// --- the buttons ---

// A click is checked against the enabled states again rather than trusted:
// it may arrive while its button is disabled.

void CVellicorView::OnAdd() {
    ReadFields();
    if (!Commands().add) return;
    // Only a form started on an empty catalog can have no size chosen.
    const std::optional<std::string> size = SizeKeywordOfLine(m_nSizeIndex);
    if (!size) {
        ShowRefusal(Hwnd(), InterfaceMessage(MSG_SIZE_REQUIRED));
        FocusControl(m_comboSize.Hwnd());
        return;
    }
    CPaperCatalog& catalog = *AppState.CurrentCatalog;
    const int position = catalog.GetCount();
    CatalogHistory().Do(catalog, EditAction::Add,
                        {EditChange::Insert, position, 0,
                         CPaperDef(m_strName, *size, m_strWeight, m_strColor, m_strType, m_bForceOneSided != 0, position)},
                        m_nSelectedPaper, position);
    InsertPaperLines(position, 1);
    AfterCatalogChange(position);
}

void CVellicorView::OnModify() {
    ReadFields();
    if (!Commands().modify) return;
    if (m_nSelectedPaper < 0 || m_nSelectedPaper >= AppState.CurrentCatalog->GetCount()) return;
    const int topLine = m_listPapers.GetTopIndex();
    CPaperCatalog& catalog = *AppState.CurrentCatalog;
    // Without a chosen size the paper keeps the one it has.
    const std::string size =
        SizeKeywordOfLine(m_nSizeIndex).value_or(catalog.GetPaper(m_nSelectedPaper).GetText(PA_SIZE));
    CatalogHistory().Do(catalog, EditAction::Modify,
                        {EditChange::Replace, m_nSelectedPaper, 0,
                         CPaperDef(m_strName, size, m_strWeight, m_strColor, m_strType, m_bForceOneSided != 0,
                                   m_nSelectedPaper)},
                        m_nSelectedPaper, m_nSelectedPaper);
    RemovePaperLine(m_nSelectedPaper);
    InsertPaperLines(m_nSelectedPaper, 1);
    AfterCatalogChange(m_nSelectedPaper);
    // The list stays scrolled where the user left it.
    m_listPapers.SetTopIndex(topLine);
}

void CVellicorView::OnDelete() {
    ReadFields();
    if (!Commands().remove) return;
    if (m_nSelectedPaper < 0 || m_nSelectedPaper >= AppState.CurrentCatalog->GetCount()) return;
    if (SelectedLineText() == AppState.DefaultPaperName) {
        ShowRefusal(Hwnd(), InterfaceMessage(MSG_DEFAULT_NOT_DELETED));
        return;
    }
    CPaperCatalog& catalog = *AppState.CurrentCatalog;
    // The line after the deleted one, or the new last line.
    const int32_t remaining = catalog.GetCount() - 1;
    const int32_t after = m_nSelectedPaper < remaining ? m_nSelectedPaper : remaining - 1;
    CatalogHistory().Do(catalog, EditAction::Delete, {EditChange::Remove, m_nSelectedPaper, 0, catalog.GetPaper(m_nSelectedPaper)},
                        m_nSelectedPaper, after);
    RemovePaperLine(m_nSelectedPaper);
    AfterCatalogChange(after);
}

// The list shows the catalog again with `line` selected, and the fields, the
// buttons and what a refused keystroke puts back show that paper as it now
// stands: no edit is pending. The change is in the history already, which
// keeps the changed mark, and in the list (each change updates only the lines
// it changed: on a long catalog a refill is what the user would wait for).
void CVellicorView::AfterCatalogChange(int32_t line) {
    m_nSelectedPaper = line;
    WriteFields();
    ShowSelectedPaper();
}

void CVellicorView::OnMoveUp() { MoveSelectedPaper(false); }

void CVellicorView::OnMoveDown() { MoveSelectedPaper(true); }

// The selected paper changes places with its neighbour above or below and
// stays selected; the fields keep what they show, typed or not.
void CVellicorView::MoveSelectedPaper(bool down) {
    ReadFields();
    const FormCommands commands = Commands();
    if (!(down ? commands.moveDown : commands.moveUp)) return;
    const int32_t count = AppState.CurrentCatalog->GetCount();
    const int32_t target = down ? m_nSelectedPaper + 1 : m_nSelectedPaper - 1;
    if (m_nSelectedPaper < 0 || m_nSelectedPaper >= count || target < 0 || target >= count) return;
    MoveSelectedPaperTo(target, down ? EditAction::MoveDown : EditAction::MoveUp);
}
