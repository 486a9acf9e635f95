// The catalog editor form: the list of the catalog's papers with Move Up, Move
// Down and Delete, and the fields of one paper definition with Add and Modify.
// It also carries out the Edit menu's commands.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "editor/FormCommands.h"
#include "framework/Controls.h"
#include "framework/FormView.h"
#include "framework/MessageMap.h"

class CPaperDef;
enum class EditAction : int;

// Posted by the form to itself when the weight field has lost the focus.
inline constexpr UINT WM_CHECK_WEIGHT_RANGE = WM_APP + 100;  // 0x8064

class CVellicorView : public fw::CFormView {
public:
    CVellicorView();
    ~CVellicorView() override;

    void OnInitialUpdate() override;

    // Commands of the Edit menu and their update handlers.
    bool OnCommand(UINT id) override;
    bool OnUpdateCommand(fw::CCmdUI& ui) override;

    // --- data exchange: all seven controls at once ---
    void ReadFields();
    void WriteFields();

    // --- the form (VellicorView.cpp) ---
    void RefreshPaperList();
    void SelectDefaultPaperLine();
    void ShowSelectedPaper();
    // The paper list's selected line, as the fields last read it; -1 for none.
    int32_t SelectedPaper() const { return m_nSelectedPaper; }

    // A paper's fields were changed by typing or by a choice from a list, and
    // neither Add nor Modify has taken the change yet.
    bool PaperEditPending() const { return m_bPaperEditPending; }
    // The user has let the typed changes go.
    void DropPendingEdit() { m_bPaperEditPending = false; }
    // True when a command may go on: no typed change is pending, or the user
    // chose not to complete it. Otherwise the fields keep what was typed, so
    // the user can still click Add or Modify.
    bool PassPendingEditGate();
    // What a command that changed the catalog ends with: the fields show the
    // paper of `line` as it now stands, and no edit is pending.
    void AfterCatalogChange(int32_t line);
    // The focus on the paper list, at its selected paper, where a keyboard user
    // and a screen reader expect it after a command that selected a paper.
    void FocusPaperList() { FocusControl(m_listPapers.Hwnd()); }
    // The weight range check speaks only while the program is the active one.
    void ArmWeightCheck(bool armed) { m_bWeightCheckArmed = armed; }
    bool WeightCheckArmed() const { return m_bWeightCheckArmed; }

    // What a refused keystroke puts back into each text field.
    struct FieldTexts {
        std::string name;
        std::string color;
        std::string weight;
        std::string type;
    };
    const FieldTexts& LastValidTexts() const { return m_lastValid; }

protected:
    bool OnNotify(int controlId, UINT code) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
    // The paper list's mouse: a press selects under the form's rules, a drag moves a paper.
    bool OnControlMessage(int controlId, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void OnEscape() override;

private:
    // --- the form (VellicorView.cpp) ---
    void SetUpForm();
    void FillVocabularyCombo(int comboId, const int16_t* ids, int count);
    void OnSelChangePaperList();
    void LoadSelectedPaper();
    int FindSizeIndex(const CPaperDef& paper) const;
    void UpdateMoveUpButton();
    void UpdateMoveDownButton();
    void UpdateDeleteButton();
    void UpdateAddButton();
    void UpdateModifyButton();
    // What the enabled states depend on: what the members hold (the fields as
    // last read) and what the history and Find answer. The clipboard is asked
    // only by Paste's menu item: each question is a round trip to the system.
    FormState State() const;
    FormCommands Commands() const { return EnabledCommands(State()); }
    // Every enable rule ends here: a button about to be disabled while it holds
    // the focus first hands the focus to the paper list (a disabled window
    // would drop it into nothing, leaving Tab, Alt+letter and Esc dead).
    void EnableButton(const fw::CButton& button, bool enable);
    // Moves the keyboard focus as the dialog manager does (WM_NEXTDLGCTL), so
    // that it keeps its own record of the focus and the default button in step.
    void FocusControl(HWND control);
    // F6 and Shift+F6: between the two panes, the paper list (with its buttons)
    // and the paper's fields (with theirs).
    void OnSwitchPane();
    // Writes one combo's edit text as the data exchange does.
    static void WriteComboText(const fw::CComboBox& combo, const std::string& text);
    std::string SelectedLineText() const;
    void KeepFieldsAsLastValid();

    // --- entry and validation (VellicorViewEntry.cpp) ---
    bool FilterTypedText(std::string& field, std::string& lastValid, size_t maxLength);
    bool FilterWeightDigits(std::string& field, std::string& lastValid);
    bool KeepOrPutBack(bool refuse, std::string& field, std::string& lastValid);
    template <class Check>
    bool AcceptKeystroke(const fw::CEdit& edit, Check refused);
    void TakeChosenWord(const fw::CComboBox& combo, std::string& field, std::string& lastValid);
    void OnUpdateName();
    void OnEditUpdateColor();
    void OnEditUpdateWeight();
    void OnEditUpdateType();
    void OnFieldChanged();
    void OnSelChangeSize();
    void OnSelChangeColor();
    void OnSelChangeWeight();
    void OnSelChangeType();
    void ApplyTypeRule();
    void OnKillFocusColor();
    void OnKillFocusWeight();
    void OnKillFocusType();
    void OnCheckWeightRange();
    void OnAdd();
    void OnModify();
    void OnDelete();
    void OnMoveUp();
    void OnMoveDown();
    void MoveSelectedPaper(bool down);
    // Moves the selected paper to `target` as one step of the history.
    void MoveSelectedPaperTo(int32_t target, EditAction action);

    // --- the Edit menu (VellicorViewEdit.cpp) ---
    void OnEditUndo();
    void OnEditRedo();
    void OnEditCut();
    void OnEditCopy();
    void OnEditPaste();
    void OnEditDuplicate();
    void OnEditFind();
    void OnEditFindNext();
    void OnEditFindPrevious();
    void OnEditMoveTop();
    void OnEditMoveBottom();
    void OnUpdateEditUndo(fw::CCmdUI& ui);
    void OnUpdateEditRedo(fw::CCmdUI& ui);
    void OnUpdateEditClipboard(fw::CCmdUI& ui);
    void OnUpdateEditPaste(fw::CCmdUI& ui);
    void OnUpdateEditFindAgain(fw::CCmdUI& ui);
    void OnUpdateEditMoveTop(fw::CCmdUI& ui);
    void OnUpdateEditMoveBottom(fw::CCmdUI& ui);
    // The form's text field (an edit or a combo's edit) that has the focus; null when none has.
    HWND FocusedTextField() const;
    // Undo, Cut, Copy and Paste while a text field has the focus: the field's own.
    bool CommandForTextField(UINT id);
    bool UpdateForTextField(fw::CCmdUI& ui);
    void StepThroughHistory(bool redo);
    // After papers went in at `first`: the list, the selection on `first`, the fields.
    void ShowInsertedPapers(int32_t first, int32_t count);
    // The list's lines follow the catalog: `count` papers from `first` inserted, one line removed.
    void InsertPaperLines(int32_t first, int32_t count);
    void RemovePaperLine(int32_t line);
    bool CopySelectedPaper();
    void FindAgain(bool forwards);
    void SelectFoundPaper(int32_t found);
    // Drag and drop in the paper list (VellicorViewEdit.cpp).
    void OnPaperListPress(UINT message, WPARAM wParam, LPARAM lParam);
    void OnPaperListRelease(WPARAM wParam, LPARAM lParam);
    void TrackPaperDrag(POINT at);
    void EndPaperDrag();
    // The line under a point of the list's client area; -1 below the last line or outside.
    int PaperLineAt(POINT at) const;

    std::string m_strFindText;
    // The line pressed, while the button is held on it; -1 when no drag can start.
    int32_t m_nDragFrom = -1;
    POINT m_ptDragStart{};
    // The mouse has left the pressed point far enough to be dragging.
    bool m_bDragging = false;
    // The line the insert mark stands before; -1 for no mark.
    int m_nDragMark = -1;

    // Members exchanged with the controls.
    int32_t m_nSelectedPaper = -1;
    std::string m_strName;
    std::string m_strColor;
    std::string m_strWeight;
    std::string m_strType;
    int32_t m_bForceOneSided = 0;
    int32_t m_nSizeIndex = -1;

    FieldTexts m_lastValid;
    bool m_bPaperEditPending = false;
    bool m_bWeightCheckArmed = true;

    // The controls (valid once the form exists).
    fw::CComboBox m_comboWeight;
    fw::CComboBox m_comboType;
    fw::CComboBox m_comboColor;
    fw::CEdit m_editName;
    fw::CButton m_btnModify;
    fw::CButton m_btnAdd;
    fw::CComboBox m_comboSize;
    fw::CButton m_btnDelete;
    fw::CButton m_btnMoveUp;
    fw::CButton m_btnMoveDown;
    fw::CListBox m_listPapers;
    fw::CButton m_checkForceOneSided;

    static const fw::NotifyEntry<CVellicorView> kNotifications[];
    static const fw::CommandEntry<CVellicorView> kCommands[];
};

// Drops the form's pending edit however a command ends once it is past the
// pending-edit question: the user has let the typed changes go.
class EditPendingRelease {
public:
    explicit EditPendingRelease(CVellicorView& view) : view_(view) {}
    ~EditPendingRelease() { view_.DropPendingEdit(); }
    EditPendingRelease(const EditPendingRelease&) = delete;
    EditPendingRelease& operator=(const EditPendingRelease&) = delete;

private:
    CVellicorView& view_;
};

// The form of the running program, or null: the form is the current one from
// its construction to its destruction.
CVellicorView* CurrentView();
