// The two dialogs that choose a configured catalog by name.
#pragma once

#include <windows.h>

#include <string>

#include "framework/Dialog.h"

// Widens or narrows the two buttons to the larger of their texts plus 20
// pixels, keeping the Cancel button's right edge.
void FitDialogButtons(HWND dialog, HWND actionButton, HWND cancelButton);

// "Open a Catalog": the configured catalogs whose key could be read.
class COpenCatalogDlg : public fw::CDialog {
public:
    COpenCatalogDlg();
    std::string ChosenName() const { return chosenName_; }

    HWND m_btnCancel = nullptr;
    HWND m_btnOpen = nullptr;
    HWND m_listCatalogs = nullptr;

protected:
    bool OnInitDialog() override;
    bool OnNotify(int controlId, UINT code) override;
    void OnOK() override;

private:
    void TakeChoice();
    std::string chosenName_;
};

// "Save As Catalog": every configured catalog; the choice goes to AppState.SaveAsName.
class CSaveAsCatalogDlg : public fw::CDialog {
public:
    CSaveAsCatalogDlg();

    HWND m_btnCancel = nullptr;
    HWND m_listCatalogs = nullptr;
    HWND m_btnSaveAs = nullptr;

protected:
    bool OnInitDialog() override;
    bool OnNotify(int controlId, UINT code) override;
    void OnOK() override;

private:
    void TakeChoice();
};
