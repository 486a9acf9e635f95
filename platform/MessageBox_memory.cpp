#include "platform/MessageBox.h"

namespace platform {
namespace detail {
MessageBoxAnswerer& Answerer();
std::vector<MessageBoxRequest>& Record();
}  // namespace detail

// There is no screen natively: the box is recorded and answered by the test,
// or with OK.
int ShowMessageBox(void* owner, const std::string& text, const std::string& caption, unsigned style) {
    MessageBoxRequest request{owner, text, caption, style};
    detail::Record().push_back(request);
    return detail::Answerer() ? detail::Answerer()(request) : kIdOk;
}

}  // namespace platform
