#include "app/AboutDlg.h"

#include <cstdio>

#include "config/Startup.h"
#include "resources/resource.h"
#include "state/AppState.h"
#include "text/StringLists.h"

CAboutDlg::CAboutDlg() : fw::CDialog(IDD_ABOUTBOX) {}

bool CAboutDlg::OnInitDialog() {
    const int16_t language = AppState.CurrentLanguage;
    SetWindowTextA(Hwnd(), GetLocalizedString(kLabelList, LAB_ABOUT_CAPTION, language, TF_NO_AMPERSAND | TF_NO_PERIOD).c_str());

    productName_ = AppState.ProductName;
    notice_ = GetLocalizedString(kLabelList, LAB_ABOUT_NOTICE, language);
    program_ = GetLocalizedString(kLabelList, LAB_ABOUT_PROGRAM, language);
    char version[128];
    std::snprintf(version, sizeof version, "%s %s", GetLocalizedString(kLabelList, LAB_VERSION, language).c_str(),
                  kProgramVersion);
    version_ = version;

    SetDlgItemTextA(Hwnd(), IDC_ABOUT_PRODUCT, productName_.c_str());
    SetDlgItemTextA(Hwnd(), IDC_ABOUT_NOTICE, notice_.c_str());
    SetDlgItemTextA(Hwnd(), IDC_ABOUT_VERSION, version_.c_str());
    SetDlgItemTextA(Hwnd(), IDC_ABOUT_PROGRAM, program_.c_str());
    return true;
}
