#pragma once

#include <string>

#include "framework/Dialog.h"

class CAboutDlg : public fw::CDialog {
public:
    CAboutDlg();

    std::string productName_;
    std::string notice_;
    std::string version_;
    std::string program_;

protected:
    bool OnInitDialog() override;
};
