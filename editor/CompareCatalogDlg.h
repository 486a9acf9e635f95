#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "framework/Dialog.h"

// "Compare with Stored Catalog": one line per difference, or one saying there is none.
class CCompareCatalogDlg : public fw::CDialog {
public:
    explicit CCompareCatalogDlg(std::vector<std::string> lines);

    HWND m_listDifferences = nullptr;
    HWND m_btnClose = nullptr;

protected:
    bool OnInitDialog() override;

private:
    std::vector<std::string> lines_;
};
