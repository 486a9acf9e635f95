// Centring a window over another inside the work area.
#include <gtest/gtest.h>

#include "platform/WindowPlacement.h"

namespace {

using platform::CentredPosition;
using platform::ScreenRect;

struct PlacementCase {
    const char* what;
    ScreenRect over;
    long width;
    long height;
    long x;
    long y;
};

TEST(WindowPlacement, CentredOverTheOwnerAndKeptInsideTheWorkArea) {
    const ScreenRect area{0, 0, 1280, 994};  // a taskbar below
    const PlacementCase cases[] = {
        {"centred", {100, 100, 700, 500}, 200, 100, 300, 250},
        {"odd difference rounds towards the top left", {100, 100, 701, 501}, 200, 100, 300, 250},
        {"owner smaller than the window", {500, 400, 600, 450}, 300, 200, 400, 325},
        {"owner partly off the right and bottom", {1100, 900, 1500, 1200}, 300, 200, 980, 794},
        {"owner partly off the left and top", {-300, -200, 100, 100}, 300, 200, 0, 0},
        {"window wider and taller than the work area keeps its top left inside", {0, 0, 1280, 994}, 1400, 1100, 0, 0},
        {"exactly the work area", {0, 0, 1280, 994}, 1280, 994, 0, 0},
    };
    for (const PlacementCase& c : cases) {
        const platform::ScreenPoint at = CentredPosition(c.over, c.width, c.height, area);
        EXPECT_EQ(at.x, c.x) << c.what;
        EXPECT_EQ(at.y, c.y) << c.what;
    }
}

TEST(WindowPlacement, AWorkAreaAwayFromTheOriginIsRespected) {
    // A second monitor on the left of the first, taskbar on its top.
    const ScreenRect area{-1024, 40, 0, 768};
    EXPECT_EQ(CentredPosition({-1024, 0, 0, 768}, 400, 300, area).x, -712);
    EXPECT_EQ(CentredPosition({-1024, 0, 0, 768}, 400, 300, area).y, 234);
    EXPECT_EQ(CentredPosition({-1200, -100, -900, 100}, 400, 300, area).x, -1024);
    EXPECT_EQ(CentredPosition({-1200, -100, -900, 100}, 400, 300, area).y, 40);
}

}  // namespace
