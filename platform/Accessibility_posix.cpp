#include "platform/Accessibility.h"

namespace platform {
namespace detail {
void RememberAnnotation(void* window, AccessibleProperty property, const std::string& text);
}  // namespace detail

// No windows here, so no screen reader to tell.
bool AnnotateWindow(void* window, AccessibleProperty property, const std::string& text) {
    detail::RememberAnnotation(window, property, text);
    return false;
}

}  // namespace platform
