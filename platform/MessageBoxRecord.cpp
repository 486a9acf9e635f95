// The record of message boxes and the test answerer, shared by both builds.
#include "platform/MessageBox.h"

#include <utility>

namespace platform {
namespace detail {
MessageBoxAnswerer& Answerer() {
    static MessageBoxAnswerer answerer;
    return answerer;
}
std::vector<MessageBoxRequest>& Record() {
    static std::vector<MessageBoxRequest> record;
    return record;
}
}  // namespace detail

void SetMessageBoxAnswerer(MessageBoxAnswerer answerer) { detail::Answerer() = std::move(answerer); }
const std::vector<MessageBoxRequest>& RecordedMessageBoxes() { return detail::Record(); }
void ClearRecordedMessageBoxes() { detail::Record().clear(); }

}  // namespace platform
