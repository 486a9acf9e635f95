// "Compare with Stored Catalog": one line per difference, or one saying there is none.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "framework/Controls.h"
#include "framework/Dialog.h"
#include "text/StringLists.h"

class CCompareCatalogDlg : public fw::CDialog {
public:
    explicit CCompareCatalogDlg(std::vector<std::string> lines);

protected:
    // A dialog of the same layout with its own words: caption, the list's
    // label and the button at the right (IDCANCEL).
    struct Texts {
        LabelId caption;
        LabelId listLabel;
        LabelId closeButton;
    };
    CCompareCatalogDlg(UINT templateId, std::vector<std::string> lines, Texts texts);
    bool OnInitDialog() override;
    // How far the dialog grew to show its longest line.
    int Growth() const { return growth_; }

private:
    std::vector<std::string> lines_;
    Texts texts_;
    int growth_ = 0;
    fw::CListBox differences_;
    fw::CButton close_;
};
