// "Compare with Stored Catalog": one line per difference, or one saying there is none.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "framework/Controls.h"
#include "framework/Dialog.h"

class CCompareCatalogDlg : public fw::CDialog {
public:
    explicit CCompareCatalogDlg(std::vector<std::string> lines);

protected:
    bool OnInitDialog() override;

private:
    std::vector<std::string> lines_;
    fw::CListBox differences_;
    fw::CButton close_;
};
