// The record of annotations asked for, shared by both builds.
#include <map>
#include <utility>

#include "platform/Accessibility.h"

namespace platform {
namespace detail {

namespace {
bool recording = false;
std::map<std::pair<void*, AccessibleProperty>, std::string>& Record() {
    static std::map<std::pair<void*, AccessibleProperty>, std::string> record;
    return record;
}
}  // namespace

void RememberAnnotation(void* window, AccessibleProperty property, const std::string& text) {
    if (recording) Record()[{window, property}] = text;
}

}  // namespace detail

void RecordAnnotations(bool record) {
    detail::recording = record;
    detail::Record().clear();
}

std::optional<std::string> RecordedAnnotation(void* window, AccessibleProperty property) {
    const auto& record = detail::Record();
    const auto found = record.find({window, property});
    if (found == record.end()) return std::nullopt;
    return found->second;
}

}  // namespace platform
