#include "saver/default_saver_proc.h"

#include <gtest/gtest.h>

namespace skyloom {
namespace {

WindowEvent Key(uint32_t key) {
    WindowEvent event{WindowMessage::KeyDown};
    event.key = key;
    return event;
}

WindowEvent Move(int32_t x, int32_t y) {
    WindowEvent event{WindowMessage::MouseMove};
    event.x = x;
    event.y = y;
    return event;
}

TEST(SaverInputTest, FullScreenEndsOnAnyKeyAndAnyButton) {
    PointerOrigin origin{true, 500, 400};
    for (uint32_t key : {static_cast<uint32_t>('A'), kKeyEscape, kKeyF1, kKeyOther, kKeyUnknown}) {
        EXPECT_TRUE(InputEndsSaver(SaverMode::FullScreen, Key(key), origin)) << key;
    }
    EXPECT_TRUE(InputEndsSaver(SaverMode::FullScreen, WindowEvent{WindowMessage::MouseButton}, origin));
    for (WindowMessage other : {WindowMessage::Create, WindowMessage::Size, WindowMessage::Paint,
                                WindowMessage::Close, WindowMessage::Destroy}) {
        EXPECT_FALSE(InputEndsSaver(SaverMode::FullScreen, WindowEvent{other}, origin));
    }
}

TEST(SaverInputTest, FullScreenEndsOnMotionBeyondTenPixelsFromTheOrigin) {
    PointerOrigin origin{true, 500, 400};
    EXPECT_FALSE(InputEndsSaver(SaverMode::FullScreen, Move(500, 400), origin));
    EXPECT_FALSE(InputEndsSaver(SaverMode::FullScreen, Move(505, 400), origin));
    EXPECT_FALSE(InputEndsSaver(SaverMode::FullScreen, Move(510, 400), origin));  // exactly 10
    EXPECT_FALSE(InputEndsSaver(SaverMode::FullScreen, Move(493, 407), origin));  // 9.9 diagonally
    EXPECT_TRUE(InputEndsSaver(SaverMode::FullScreen, Move(492, 407), origin));   // 10.6
    EXPECT_TRUE(InputEndsSaver(SaverMode::FullScreen, Move(500, 389), origin));
    EXPECT_TRUE(InputEndsSaver(SaverMode::FullScreen, Move(550, 400), origin));
    // Small steps add up: the distance is from the origin, not the last event.
    EXPECT_EQ(origin.x, 500);
    EXPECT_EQ(origin.y, 400);
}

TEST(SaverInputTest, FirstMotionSetsAnUnknownOrigin) {
    PointerOrigin origin;
    EXPECT_FALSE(InputEndsSaver(SaverMode::FullScreen, Move(2000, 30), origin));
    EXPECT_TRUE(origin.known);
    EXPECT_FALSE(InputEndsSaver(SaverMode::FullScreen, Move(2008, 36), origin));
    EXPECT_TRUE(InputEndsSaver(SaverMode::FullScreen, Move(2011, 30), origin));
}

TEST(SaverInputTest, ExtremeCoordinatesDoNotOverflow) {
    PointerOrigin origin{true, INT32_MIN, INT32_MIN};
    EXPECT_TRUE(InputEndsSaver(SaverMode::FullScreen, Move(INT32_MAX, INT32_MAX), origin));
}

TEST(SaverInputTest, DesktopWindowEndsOnlyOnQAndEscape) {
    PointerOrigin origin{true, 0, 0};
    EXPECT_TRUE(InputEndsSaver(SaverMode::Window, Key('Q'), origin));
    EXPECT_TRUE(InputEndsSaver(SaverMode::Window, Key(kKeyEscape), origin));
    EXPECT_FALSE(InputEndsSaver(SaverMode::Window, Key('W'), origin));
    EXPECT_FALSE(InputEndsSaver(SaverMode::Window, Key(kKeyOther), origin));
    EXPECT_FALSE(InputEndsSaver(SaverMode::Window, WindowEvent{WindowMessage::MouseButton}, origin));
    EXPECT_FALSE(InputEndsSaver(SaverMode::Window, Move(900, 900), origin));
}

TEST(SaverInputTest, PreviewAndDaemonModesIgnoreInput) {
    for (SaverMode mode : {SaverMode::Preview, SaverMode::Root}) {
        PointerOrigin origin{true, 0, 0};
        EXPECT_FALSE(InputEndsSaver(mode, Key('Q'), origin));
        EXPECT_FALSE(InputEndsSaver(mode, Key(kKeyEscape), origin));
        EXPECT_FALSE(InputEndsSaver(mode, WindowEvent{WindowMessage::MouseButton}, origin));
        EXPECT_FALSE(InputEndsSaver(mode, Move(900, 900), origin));
    }
}

}  // namespace
}  // namespace skyloom
