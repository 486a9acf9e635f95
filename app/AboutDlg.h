#pragma once

#include <string>

#include "framework/Dialog.h"

class CAboutDlg : public fw::CDialog {
public:
    CAboutDlg();

    std::string m_strProductName;
    std::string m_strNotice;
    std::string m_strVersion;
    std::string m_strProgram;

protected:
    bool OnInitDialog() override;
};
