// Find: asks for the text a paper name must contain and looks for it with the
// search it is given; a text nothing matches is said so, the dialog staying
// open for another try.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "framework/Dialog.h"

class CFindDlg : public fw::CDialog {
public:
    // `search` answers the index of the paper found, or -1.
    using Search = std::function<int32_t(const std::string& text)>;
    CFindDlg(std::string text, Search search);

    const std::string& Text() const { return text_; }
    int32_t Found() const { return found_; }

protected:
    bool OnInitDialog() override;
    bool OnNotify(int controlId, UINT code) override;
    void OnOK() override;

private:
    std::string text_;
    Search search_;
    int32_t found_ = -1;
};
