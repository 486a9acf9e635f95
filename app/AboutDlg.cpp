#include "app/AboutDlg.h"

#include <cstdio>

#include "app/Startup.h"
#include "resources/resource.h"
#include "state/AppState.h"
#include "text/StringLists.h"

CAboutDlg::CAboutDlg() : fw::CDialog(IDD_ABOUTBOX) {}

bool CAboutDlg::OnInitDialog() {
    const int16_t language = AppState.CurrentLanguage;
    SetWindowTextA(Hwnd(), GetLocalizedString(kLabelList, LAB_ABOUT_CAPTION, language, TF_NO_AMPERSAND | TF_NO_PERIOD).c_str());

    m_strProductName = AppState.ProductName;
    m_strNotice = GetLocalizedString(kLabelList, LAB_ABOUT_NOTICE, language);
    m_strProgram = GetLocalizedString(kLabelList, LAB_ABOUT_PROGRAM, language);
    char version[128];
    std::snprintf(version, sizeof version, "%s %s", GetLocalizedString(kLabelList, LAB_VERSION, language).c_str(),
                  kProgramVersion);
    m_strVersion = version;

    SetDlgItemTextA(Hwnd(), IDC_ABOUT_PRODUCT, m_strProductName.c_str());
    SetDlgItemTextA(Hwnd(), IDC_ABOUT_NOTICE, m_strNotice.c_str());
    SetDlgItemTextA(Hwnd(), IDC_ABOUT_VERSION, m_strVersion.c_str());
    SetDlgItemTextA(Hwnd(), IDC_ABOUT_PROGRAM, m_strProgram.c_str());
    return true;
}
