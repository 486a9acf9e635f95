// The one function every message box of the program goes through, so that
// tests can answer it. The Windows build shows MessageBoxA unless a test has
// installed an answerer; the native build records every box and answers with
// the answerer's reply, or IDOK when there is none.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace platform {

// Button and icon flags and answers, numerically those of the Win32 API.
enum : unsigned {
    kMbOk = 0x00,
    kMbYesNoCancel = 0x03,
    kMbYesNo = 0x04,
    kMbIconHand = 0x10,
    kMbIconWarning = 0x30,
};
enum : int { kIdOk = 1, kIdCancel = 2, kIdYes = 6, kIdNo = 7 };

struct MessageBoxRequest {
    void* owner = nullptr;  // owner window handle, null for none
    std::string text;
    std::string caption;
    unsigned style = 0;
};

int ShowMessageBox(void* owner, const std::string& text, const std::string& caption, unsigned style);

// Test hooks. An answerer replaces the real box; every box shown is recorded.
using MessageBoxAnswerer = std::function<int(const MessageBoxRequest&)>;
void SetMessageBoxAnswerer(MessageBoxAnswerer answerer);
const std::vector<MessageBoxRequest>& RecordedMessageBoxes();
void ClearRecordedMessageBoxes();

}  // namespace platform
