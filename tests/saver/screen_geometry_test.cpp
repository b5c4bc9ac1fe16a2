#include "saver/screen_geometry.h"

#include <gtest/gtest.h>

namespace skyloom {
namespace {

const ScreenRect kVirtualScreen{0, 0, 3840, 1200};
// A wide monitor on the left, the primary one (taller, lower) on the right.
const MonitorInfo kLeft{{0, 0, 1920, 1080}, false};
const MonitorInfo kRightPrimary{{1920, 120, 1920, 1080}, true};

TEST(ScreenGeometryTest, PrimaryOnlyCoversThePrimaryMonitorAtItsRealPlace) {
    EXPECT_EQ(ChooseGlWindowRect(true, {kLeft, kRightPrimary}, true, kVirtualScreen),
              (ScreenRect{1920, 120, 1920, 1080}));
    // Order in the list does not matter.
    EXPECT_EQ(ChooseGlWindowRect(true, {kRightPrimary, kLeft}, true, kVirtualScreen), kRightPrimary.rect);
}

TEST(ScreenGeometryTest, WholeClientAreaWhenPrimaryOnlyDoesNotApply) {
    // Setting off.
    EXPECT_EQ(ChooseGlWindowRect(true, {kLeft, kRightPrimary}, false, kVirtualScreen), kVirtualScreen);
    // One monitor: nothing to leave out.
    EXPECT_EQ(ChooseGlWindowRect(true, {kRightPrimary}, true, kVirtualScreen), kVirtualScreen);
    // Monitors unknown.
    EXPECT_EQ(ChooseGlWindowRect(true, {}, true, kVirtualScreen), kVirtualScreen);
    // Not full screen (a preview, a desktop window, a daemon's window).
    const ScreenRect preview{0, 0, 152, 112};
    EXPECT_EQ(ChooseGlWindowRect(false, {kLeft, kRightPrimary}, true, preview), preview);
}

TEST(ScreenGeometryTest, FirstMonitorWhenNoneIsMarkedPrimary) {
    const MonitorInfo right{{1920, 120, 1920, 1080}, false};
    EXPECT_EQ(ChooseGlWindowRect(true, {right, kLeft}, true, kVirtualScreen), right.rect);
    const MonitorInfo third{{3840, 0, 1280, 1024}, true};
    EXPECT_EQ(ChooseGlWindowRect(true, {right, kLeft, third}, true, kVirtualScreen), third.rect);
}

}  // namespace
}  // namespace skyloom
