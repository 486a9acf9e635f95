// The two dialogs that choose a configured catalog by name.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "StringIds.h"

#include "framework/Dialog.h"

// Widens or narrows the two buttons to the larger of their texts plus 20
// pixels, keeping the Cancel button's right edge.
void FitDialogButtons(HWND dialog, HWND actionButton, HWND cancelButton);

// What the two dialogs share: their labels, the fitted buttons, the list of
// configured catalogs, and an action button (the default) that takes the
// chosen line once a line is chosen.
class CCatalogChoiceDlg : public fw::CDialog {
public:
    struct Layout {
        UINT templateId;
        int labelId;
        int listId;
        int actionId;
        LabelId captionLabel;
        LabelId actionLabel;
        uint8_t actionTextFlags;
        bool availableOnly;  // only the catalogs whose key could be read
    };

    HWND m_btnCancel = nullptr;
    HWND m_listCatalogs = nullptr;
    HWND m_btnAction = nullptr;

protected:
    explicit CCatalogChoiceDlg(const Layout& layout) : fw::CDialog(layout.templateId), layout_(layout) {}
    bool OnInitDialog() override;
    bool OnNotify(int controlId, UINT code) override;
    void OnOK() override;
    // The chosen line's text, just before the dialog ends with IDOK.
    virtual void TakeChoice(const std::string& catalogName) = 0;

private:
    void Choose();
    Layout layout_;
};

// "Open a Catalog": the configured catalogs whose key could be read.
class COpenCatalogDlg : public CCatalogChoiceDlg {
public:
    COpenCatalogDlg();
    std::string ChosenName() const { return chosenName_; }

    HWND& m_btnOpen = m_btnAction;

protected:
    void TakeChoice(const std::string& catalogName) override { chosenName_ = catalogName; }

private:
    std::string chosenName_;
};

// "Save As Catalog": every configured catalog; the choice goes to AppState.SaveAsName.
class CSaveAsCatalogDlg : public CCatalogChoiceDlg {
public:
    CSaveAsCatalogDlg();

    HWND& m_btnSaveAs = m_btnAction;

protected:
    void TakeChoice(const std::string& catalogName) override;
};
