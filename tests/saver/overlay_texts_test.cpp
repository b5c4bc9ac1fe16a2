// The texts of the overlay pass on the offscreen context: which appear in
// preview and full screen, and under which settings.

#include "saver/overlay_pass.h"

#include <GL/gl.h>

#include <gtest/gtest.h>

#include <cstring>

#include "config/language_tables.h"
#include "platform/offscreen/offscreen_gl.h"
#include "scene/clock_source.h"
#include "saver/font.h"
#include "scene/frame_clock.h"
#include "scene/render_size.h"
#include "settings/settings.h"
#include "tests/support/gl_test_support.h"

namespace skyloom {
namespace {

using testing::FindLitPixels;
using testing::Framebuffer;
using testing::LitRegion;
using testing::ReadFramebuffer;

constexpr int kWidth = 640;
constexpr int kHeight = 400;
constexpr int kInk = 40;

// Rows (from the top) of the 16-pixel cells of a line centred on y.
struct Band {
    int top;
    int bottom;
};
// Frame rate at 16 / h; local time at 1 - 1.1 x 16 / h; the notice at
// 0.805, wrapped onto a second line 16.8 pixels lower; captions at 0.3,
// 0.5 and 0.7.
constexpr Band kFrameRate{8, 23};
constexpr Band kLocalTime{374, 389};
constexpr Band kNotice{314, 346};
constexpr Band kCaptions[] = {{112, 127}, {192, 207}, {272, 287}};

LitRegion LitIn(const Framebuffer& frame, Band band) {
    Framebuffer part;
    part.width = frame.width;
    part.height = band.bottom - band.top + 1;
    part.rgba.assign(frame.rgba.begin() + static_cast<ptrdiff_t>(band.top) * frame.width * 4,
                     frame.rgba.begin() + static_cast<ptrdiff_t>(band.bottom + 1) * frame.width * 4);
    return FindLitPixels(part, kInk);
}

class OverlayTextsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(gl.Create(kWidth, kHeight));
        SetRenderSize(kWidth, kHeight);
        GLint maxTextureSize = 0;
        glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxTextureSize);
        SetMaxTextureSize(maxTextureSize);
        testing::SetSceneRenderState();
        LoadFont(8);
        ASSERT_TRUE(FontLoaded());

        // The build's English texts.
        AppDir.Set("");
        CurrentLanguage.Set("english");
        LoadLanguageTables();
        ASSERT_GT(std::strlen(GetText(T_NO3DACCELERATION)) * 8, static_cast<size_t>(kWidth)) << "wraps";

        SetClockSource(clock);
        StartFrameClock();
        // Every full-screen text on: a software renderer in an early run.
        fChildPreview = false;
        SetHardwareAccelerated(false);
        UsageCountScreensaver.Set(1);
        ShowFramerate.Set(1);
        ShowLocalTime.Set(1);
    }
    void TearDown() override {
        ReleaseFont();
        gl.Destroy();
        UseRealClock();
        fChildPreview = false;
        RestoreDefaultSettings();
    }

    Framebuffer Draw() {
        glClear(GL_COLOR_BUFFER_BIT);
        DrawOverlayPass();
        return ReadFramebuffer(gl);
    }

    OffscreenGlContext gl;
    SimulatedClockSource clock;
};

TEST_F(OverlayTextsTest, FullScreenShowsFrameRateTimeAndNoticeInTheirPlaces) {
    const Framebuffer frame = Draw();
    const LitRegion rate = LitIn(frame, kFrameRate);
    const LitRegion time = LitIn(frame, kLocalTime);
    const LitRegion notice = LitIn(frame, kNotice);
    EXPECT_EQ(FindLitPixels(frame, kInk).count, rate.count + time.count + notice.count) << "lit elsewhere";
    // "0" right-aligned with a margin of a tenth of its width.
    EXPECT_GT(rate.count, 0);
    EXPECT_GE(rate.left, kWidth - 16);
    // From 2 % of the width.
    EXPECT_GT(time.count, 0);
    EXPECT_GE(time.left, 9);
    EXPECT_LE(time.left, 16);
    // Centred over both lines.
    EXPECT_GT(notice.count, 0);
    EXPECT_NEAR(notice.CentreX(), kWidth / 2.0, 12.0);
    EXPECT_GT(LitIn(frame, {331, 346}).count, 0) << "no second line";
}

TEST_F(OverlayTextsTest, PreviewShowsTheThreeCaptionsAlone) {
    fChildPreview = true;
    const Framebuffer frame = Draw();
    int captions = 0;
    for (const Band& band : kCaptions) {
        const LitRegion caption = LitIn(frame, band);
        EXPECT_GT(caption.count, 0);
        EXPECT_NEAR(caption.CentreX(), kWidth / 2.0, 8.0);
        captions += caption.count;
    }
    EXPECT_EQ(FindLitPixels(frame, kInk).count, captions);
}

TEST_F(OverlayTextsTest, OnlyAStoredOneShowsTheFrameRateAndTheTime) {
    ShowFramerate.Set(2);
    ShowLocalTime.Set(2);
    const Framebuffer frame = Draw();
    EXPECT_EQ(LitIn(frame, kFrameRate).count, 0);
    EXPECT_EQ(LitIn(frame, kLocalTime).count, 0);
    EXPECT_GT(LitIn(frame, kNotice).count, 0);
}

TEST_F(OverlayTextsTest, NoticeShowsOnlyInTheFirstFifteenSecondsOfTheFirstFiveRunsWithoutAcceleration) {
    UsageCountScreensaver.Set(5);
    clock.AdvanceSeconds(14.9);
    TickFrameClock();
    EXPECT_GT(LitIn(Draw(), kNotice).count, 0);

    UsageCountScreensaver.Set(6);
    EXPECT_EQ(LitIn(Draw(), kNotice).count, 0);

    UsageCountScreensaver.Set(1);
    SetHardwareAccelerated(true);
    EXPECT_EQ(LitIn(Draw(), kNotice).count, 0);

    SetHardwareAccelerated(false);
    clock.AdvanceSeconds(0.2);
    TickFrameClock();
    EXPECT_EQ(LitIn(Draw(), kNotice).count, 0);
}

}  // namespace
}  // namespace skyloom
