// The catalog editor form: the list of the catalog's papers with Move Up, Move
// Down and Delete, and the fields of one paper definition with Add and Modify.
// It also receives the File menu's catalog commands.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "framework/FormView.h"
#include "framework/MessageMap.h"

class CPaperDef;
struct StoreReport;

// Posted by the form to itself when the weight field has lost the focus.
inline constexpr UINT WM_CHECK_WEIGHT_RANGE = WM_APP + 100;  // 0x8064

class CVellicorView : public fw::CFormView {
public:
    CVellicorView();
    ~CVellicorView() override;

    void OnInitialUpdate() override;

    // Commands of the File menu (VellicorViewCommands.cpp) and their update handlers.
    bool OnCommand(UINT id) override;
    bool OnUpdateCommand(fw::CCmdUI& ui) override;

    // --- data exchange: all seven controls at once ---
    void ReadFields();
    void WriteFields();

    // --- the form (VellicorView.cpp) ---
    void SetUpForm();
    void FillVocabularyCombo(int comboId, const int16_t* ids, int count);
    void RefreshPaperList();
    void SelectDefaultPaperLine();
    void OnSelChangePaperList();
    void ShowSelectedPaper();
    void LoadSelectedPaper();
    int FindSizeIndex(const CPaperDef& paper) const;
    void UpdateMoveUpButton();
    void UpdateMoveDownButton();
    void UpdateDeleteButton();
    void UpdateAddButton();
    void UpdateModifyButton();

    // --- entry and validation (VellicorViewEntry.cpp) ---
    bool FilterTypedText(std::string& field, std::string& lastValid, const char* refused, size_t maxLength);
    bool FilterWeightDigits(std::string& field, std::string& lastValid, size_t maxLength);
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

    // --- document commands (VellicorViewCommands.cpp) ---
    void OnFileNew();  // New and Close
    void OnFileOpen();
    void OnFileSave();
    void OnFileSaveAs();
    void OnFileImport();
    void OnFileExport();
    void OnUpdateFileSave(fw::CCmdUI& ui);
    void OnUpdateFileSaveAs(fw::CCmdUI& ui);

    // --- backups and the comparison (Backups.cpp) ---
    void OnFileRestoreVersion();
    void OnFileCompare();
    void OnUpdateConfiguredCatalog(fw::CCmdUI& ui);

    // Members exchanged with the controls.
    int32_t m_nSelectedPaper = -1;
    std::string m_strName;
    std::string m_strColor;
    std::string m_strWeight;
    std::string m_strType;
    int32_t m_bForceOneSided = 0;
    int32_t m_nSizeIndex = -1;

    // The controls (valid once the form exists).
    HWND m_comboWeight = nullptr;
    HWND m_comboType = nullptr;
    HWND m_comboColor = nullptr;
    HWND m_editName = nullptr;
    HWND m_btnModify = nullptr;
    HWND m_btnAdd = nullptr;
    HWND m_comboSize = nullptr;
    HWND m_btnDelete = nullptr;
    HWND m_btnMoveUp = nullptr;
    HWND m_btnMoveDown = nullptr;
    HWND m_listPapers = nullptr;

protected:
    bool OnNotify(int controlId, UINT code) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

private:
    // The edit control inside a combo box with an edit field.
    static HWND ComboEdit(HWND combo);
    // Reads or writes one combo's edit text as the data exchange does.
    static std::string ReadComboText(HWND combo);
    static void WriteComboText(HWND combo, const std::string& text);
    std::string SelectedLineText() const;
    void KeepFieldsAsLastValid();

    static const fw::NotifyEntry<CVellicorView> kNotifications[];
    static const fw::CommandEntry<CVellicorView> kCommands[];
};

// Document commands shared with the main window (VellicorViewCommands.cpp).
void StartNewCatalog(CVellicorView& view);
// The gates of the commands that replace the catalog, and the form refilled after.
bool PassPendingEditGate(HWND window);
bool PassUnsavedChangesGate(HWND window);
void ShowReplacedCatalog(CVellicorView& view);

// Clears PaperEditPending however a command ends once it is past the
// pending-edit question: the user has let the typed changes go.
class EditPendingRelease {
public:
    EditPendingRelease() = default;
    ~EditPendingRelease();
    EditPendingRelease(const EditPendingRelease&) = delete;
    EditPendingRelease& operator=(const EditPendingRelease&) = delete;
};

int16_t OpenCatalogFromStore(const std::string& registryPath, const std::string& pdlName, StoreReport& report);
// The one way the editor stores a catalog: writes CurrentCatalog into the
// configured catalog `catalogName`, in the form its PDL demands, after asking
// before entries that are not part of the catalog would be removed and, with
// `askIfChangedElsewhere`, before a change made by someone else since the
// catalog was opened or saved would be overwritten. A change made while its
// questions were open is asked about in any case. True when stored (what the
// key holds then is remembered); otherwise the failure has been reported (or
// the user said No).
bool SaveCatalogAs(HWND window, const std::string& catalogName, bool askIfChangedElsewhere);
void UpdateMainWindowTitle();
void SetCatalogAvailable(const std::string& catalogName, bool available);
int QueryCloseMainWindow(HWND owner);

// The form of the running program, or null (the main frame creates it).
CVellicorView* CurrentView();
