#include "platform/WindowPlacement.h"

namespace platform {

namespace {
// The start of a span of `length` centred on [low, high) and kept in [areaLow, areaHigh).
long CentredStart(long low, long high, long length, long areaLow, long areaHigh) {
    long start = low + ((high - low) - length) / 2;
    if (start + length > areaHigh) start = areaHigh - length;
    if (start < areaLow) start = areaLow;
    return start;
}
}  // namespace

ScreenPoint CentredPosition(const ScreenRect& over, long width, long height, const ScreenRect& workArea) {
    return {CentredStart(over.left, over.right, width, workArea.left, workArea.right),
            CentredStart(over.top, over.bottom, height, workArea.top, workArea.bottom)};
}

}  // namespace platform
