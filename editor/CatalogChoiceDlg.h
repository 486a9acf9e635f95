// The two dialogs that choose a configured catalog by name.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "StringIds.h"
#include "editor/ChooseLineDlg.h"

// What the two dialogs share: their labels and the list of configured catalogs.
class CCatalogChoiceDlg : public CChooseLineDlg {
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

protected:
    explicit CCatalogChoiceDlg(const Layout& layout)
        : CChooseLineDlg(layout.templateId, {layout.listId, layout.actionId, false}), layout_(layout) {}
    bool OnInitDialog() override;
    void OnDestroy() override;
    bool TakeChoice(int line) override;
    // The chosen catalog's name, just before the dialog ends with IDOK.
    virtual void TakeCatalog(const std::string& catalogName) = 0;

private:
    Layout layout_;
};

// "Open a Catalog": the configured catalogs whose key could be read.
class COpenCatalogDlg : public CCatalogChoiceDlg {
public:
    COpenCatalogDlg();
    std::string ChosenName() const { return chosenName_; }

protected:
    void TakeCatalog(const std::string& catalogName) override { chosenName_ = catalogName; }

private:
    std::string chosenName_;
};

// "Save As Catalog": every configured catalog; the choice goes to AppState.SaveAsName.
class CSaveAsCatalogDlg : public CCatalogChoiceDlg {
public:
    CSaveAsCatalogDlg();

protected:
    void TakeCatalog(const std::string& catalogName) override;
};
