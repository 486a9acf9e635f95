#include <windows.h>

#include "platform/MessageBox.h"

namespace platform {
namespace detail {
MessageBoxAnswerer& Answerer();
std::vector<MessageBoxRequest>& Record();
}  // namespace detail

int ShowMessageBox(void* owner, const std::string& text, const std::string& caption, unsigned style) {
    // Only tests install an answerer; the program itself keeps no record.
    if (detail::Answerer()) {
        MessageBoxRequest request{owner, text, caption, style};
        detail::Record().push_back(request);
        return detail::Answerer()(request);
    }
    return MessageBoxA(static_cast<HWND>(owner), text.c_str(), caption.c_str(), style);
}

}  // namespace platform
