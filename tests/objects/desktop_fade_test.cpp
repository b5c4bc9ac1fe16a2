#include "objects/desktop_fade.h"

#include <GL/gl.h>

#include <cstdint>
#include <cstdlib>
#include <limits>
#include <utility>

#include <gtest/gtest.h>

#include "platform/offscreen/offscreen_gl.h"
#include "scene/clock_source.h"
#include "scene/frame_clock.h"
#include "scene/render_size.h"
#include "settings/settings.h"
#include "tests/support/gl_test_support.h"

namespace skyloom {
namespace {

using skyloom::testing::Framebuffer;
using skyloom::testing::ReadFramebuffer;
using skyloom::testing::SetSceneRenderState;

// A picture whose every pixel differs from its neighbours in all three
// channels, so a shifted or skewed copy cannot match.
uint8_t Red(int x, int y) { return static_cast<uint8_t>(x * 7 + y * 13); }
uint8_t Green(int x, int y) { return static_cast<uint8_t>(x ^ (y * 3)); }
uint8_t Blue(int x, int y) { return static_cast<uint8_t>(x + y * 5 + (x >> 8) * 31); }

DesktopPicture PatternPicture(int width, int height) {
    DesktopPicture picture;
    picture.width = width;
    picture.height = height;
    picture.rowStride = DesktopRowStride(width);
    picture.bgr.assign(static_cast<size_t>(picture.rowStride) * height, 0);
    for (int y = 0; y < height; ++y) {
        // Bottom row first.
        uint8_t* row = picture.bgr.data() + static_cast<size_t>(height - 1 - y) * picture.rowStride;
        for (int x = 0; x < width; ++x) {
            row[x * 3 + 0] = Blue(x, y);
            row[x * 3 + 1] = Green(x, y);
            row[x * 3 + 2] = Red(x, y);
        }
    }
    return picture;
}

class DesktopFadeTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetClockSource(clock);
        StartFrameClock();
        RestoreDefaultSettings();
        fChildPreview = false;
        SetHardwareAccelerated(true);
    }
    void TearDown() override {
        DeleteAllSceneNodes();
        ReleaseDesktopTexture();
        DiscardDesktopPicture();
        RestoreDefaultSettings();
        MaxTextureSizePixels.Set(0);
        fChildPreview = false;
        SetHardwareAccelerated(true);
        SetRenderSize(0, 0);
        UseRealClock();
        gl.Destroy();
    }

    void Open(int width, int height) {
        ASSERT_TRUE(gl.Create(width, height));
        SetRenderSize(width, height);
        SetSceneRenderState();
        GLint maxTexture = 0;
        glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxTexture);
        SetMaxTextureSize(maxTexture);
    }

    static DesktopFade* FindFade() {
        for (SceneNode* node = SceneList(); node != nullptr; node = node->Next()) {
            if (auto* fade = dynamic_cast<DesktopFade*>(node)) {
                return fade;
            }
        }
        return nullptr;
    }

    // One frame of the loop: clock, update pass.
    void Frame(double seconds) {
        clock.AdvanceSeconds(seconds);
        TickFrameClock();
        UpdateSceneNodes();
    }

    OffscreenGlContext gl;
    SimulatedClockSource clock{1'000'000'000};
};

TEST(NextPowerOfTwoTest, SmallestPowerNotBelow) {
    EXPECT_EQ(NextPowerOfTwo(std::numeric_limits<int32_t>::min()), 1);
    EXPECT_EQ(NextPowerOfTwo(0), 1);
    EXPECT_EQ(NextPowerOfTwo(1), 1);
    EXPECT_EQ(NextPowerOfTwo(2), 2);
    EXPECT_EQ(NextPowerOfTwo(3), 4);
    EXPECT_EQ(NextPowerOfTwo(768), 1024);
    EXPECT_EQ(NextPowerOfTwo(800), 1024);
    EXPECT_EQ(NextPowerOfTwo(1024), 1024);
    EXPECT_EQ(NextPowerOfTwo(1025), 2048);
    EXPECT_EQ(NextPowerOfTwo(1366), 2048);
    EXPECT_EQ(NextPowerOfTwo(1 << 30), 1 << 30);
    // No int32 power of two is larger: the limit, which no texture fits.
    EXPECT_EQ(NextPowerOfTwo(std::numeric_limits<int32_t>::max()), 1 << 30);
}

TEST(DesktopRowStrideTest, RowsArePaddedToFourBytes) {
    EXPECT_EQ(DesktopRowStride(1024), 3072);
    EXPECT_EQ(DesktopRowStride(1366), 4100);
    EXPECT_EQ(DesktopRowStride(1), 4);
    EXPECT_EQ(DesktopRowStride(5), 16);
}

// The picture lies on the window one texel per pixel, whatever the padding
// of its rows and however far the texture overhangs.
TEST_F(DesktopFadeTest, PictureCoversTheWindowExactly) {
    struct Case {
        int width;
        int height;
        int textureWidth;
        int textureHeight;
    };
    for (const Case c : {Case{1024, 768, 1024, 1024}, Case{1366, 768, 2048, 1024}}) {
        Open(c.width, c.height);
        StoreDesktopPicture(PatternPicture(c.width, c.height));
        SetupDesktopFade();
        EXPECT_FALSE(HasDesktopPicture());
        DesktopFade* fade = FindFade();
        ASSERT_NE(fade, nullptr) << c.width;
        EXPECT_EQ(DesktopTextureWidth(), c.textureWidth);
        EXPECT_EQ(DesktopTextureHeight(), c.textureHeight);
        const OverlaySprite& sprite = fade->Sprite();
        EXPECT_STREQ(sprite.Name(), "DesktopFade");
        EXPECT_DOUBLE_EQ(sprite.size, static_cast<double>(c.textureWidth) / c.width);
        EXPECT_DOUBLE_EQ(sprite.position.x, c.textureWidth / (2.0 * c.width));
        EXPECT_DOUBLE_EQ(sprite.position.y, 1.0 - c.textureHeight / (2.0 * c.height));
        EXPECT_EQ(sprite.imageWidth, c.textureWidth);
        EXPECT_EQ(sprite.imageHeight, c.textureHeight);
        EXPECT_EQ(sprite.texture, DesktopTexture());

        Frame(0.0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glClear(GL_COLOR_BUFFER_BIT);
        RenderSceneOverlays();
        const Framebuffer frame = ReadFramebuffer(gl);
        ASSERT_EQ(frame.width, c.width);
        int wrong = 0;
        for (int y = 0; y < c.height; ++y) {
            for (int x = 0; x < c.width; ++x) {
                const uint8_t* p = frame.At(x, y);
                wrong += std::abs(p[0] - Red(x, y)) > 1 || std::abs(p[1] - Green(x, y)) > 1 ||
                         std::abs(p[2] - Blue(x, y)) > 1;
            }
        }
        EXPECT_EQ(wrong, 0) << c.width << "x" << c.height;
        DeleteAllSceneNodes();
        ReleaseDesktopTexture();
        gl.Destroy();
    }
}

TEST_F(DesktopFadeTest, AFullFadeTakesTenSecondsFromTheFourthFrameThenGoesWithItsTexture) {
    Open(64, 48);
    StoreDesktopPicture(PatternPicture(64, 48));
    SetupDesktopFade();
    DesktopFade* fade = FindFade();
    ASSERT_NE(fade, nullptr);
    const GLuint texture = DesktopTexture();
    ASSERT_EQ(glIsTexture(texture), GL_TRUE);
    // The first three frames, with the set-up in them, leave it alone.
    for (int frame = 0; frame < 3; ++frame) {
        Frame(2.0);
        EXPECT_EQ(fade->Alpha(), 1.0);
        EXPECT_EQ(fade->Sprite().color.a, 1.0);
    }
    for (int frame = 0; frame < 39; ++frame) {
        Frame(0.25);
    }
    ASSERT_EQ(FindFade(), fade);
    EXPECT_NEAR(fade->Alpha(), 0.025, 1e-9);
    EXPECT_NEAR(fade->Sprite().color.a, 0.025, 1e-9);
    Frame(0.25);
    Frame(0.25);
    EXPECT_EQ(FindFade(), nullptr);
    EXPECT_EQ(glIsTexture(texture), GL_FALSE);
    EXPECT_EQ(DesktopTexture(), 0xFFFFFFFFu);
    Frame(0.25);
    EXPECT_EQ(LiveSpriteCount(), 0);
}

TEST_F(DesktopFadeTest, APartialFadeStopsAtOneMinusTheFactor) {
    Open(64, 48);
    struct Case {
        float factor;
        double rest;
        double secondsToRest;
    };
    for (const Case c : {Case{0.5f, 0.5, 5.0}, Case{0.0f, 1.0, 0.0}, Case{-0.5f, 1.0, 0.0}, Case{2.0f, 0.0, 10.0}}) {
        FactorDeskFade.Set(c.factor);
        StartFrameClock();
        StoreDesktopPicture(PatternPicture(64, 48));
        SetupDesktopFade();
        DesktopFade* fade = FindFade();
        ASSERT_NE(fade, nullptr);
        EXPECT_EQ(fade->MinAlpha(), c.rest);
        for (int frame = 0; frame < 3; ++frame) {
            Frame(0.5);
        }
        if (c.secondsToRest > 0.5) {
            for (double t = 0.0; t < c.secondsToRest - 0.75; t += 0.5) {
                Frame(0.5);
            }
            ASSERT_EQ(FindFade(), fade);
            EXPECT_GT(fade->Alpha(), c.rest);
        }
        for (int frame = 0; frame < 120; ++frame) {
            Frame(0.5);
        }
        if (c.rest > 0.0) {
            // It stays, and so does the picture, for the rest of the run.
            ASSERT_EQ(FindFade(), fade);
            EXPECT_EQ(fade->Alpha(), c.rest);
            EXPECT_EQ(glIsTexture(DesktopTexture()), GL_TRUE);
        } else {
            EXPECT_EQ(FindFade(), nullptr);
        }
        DeleteAllSceneNodes();
        ReleaseDesktopTexture();
        EXPECT_EQ(DesktopTexture(), 0xFFFFFFFFu);
    }
}

TEST_F(DesktopFadeTest, SkippedWhereItCannotOrShouldNotRun) {
    Open(1280, 1024);
    struct Case {
        const char* what;
        void (*arrange)();
    };
    const Case cases[] = {
        {"preview", [] { fChildPreview = true; }},
        {"fade off", [] { FadeFromDesktop.Set(0); }},
        {"low detail", [] { LowDetail.Set(1); }},
        {"software rendering", [] { SetHardwareAccelerated(false); }},
        // 1280 needs a 2048-wide texture.
        {"GL limit", [] { SetMaxTextureSize(1024); }},
        {"texture setting", [] { MaxTextureSizePixels.Set(1024); }},
        {"no picture", [] { DiscardDesktopPicture(); }},
    };
    // All conditions met: the fade is made.
    StoreDesktopPicture(PatternPicture(1280, 1024));
    SetupDesktopFade();
    ASSERT_NE(FindFade(), nullptr);
    DeleteAllSceneNodes();
    ReleaseDesktopTexture();

    GLint maxTexture = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxTexture);
    for (const Case& c : cases) {
        StoreDesktopPicture(PatternPicture(16, 16));
        c.arrange();
        SetupDesktopFade();
        EXPECT_EQ(FindFade(), nullptr) << c.what;
        EXPECT_EQ(DesktopTexture(), 0xFFFFFFFFu) << c.what;
        // Nothing is kept for a fade that will not run.
        EXPECT_FALSE(HasDesktopPicture()) << c.what;
        RestoreDefaultSettings();
        MaxTextureSizePixels.Set(0);
        fChildPreview = false;
        SetHardwareAccelerated(true);
        SetMaxTextureSize(maxTexture);
    }
}

TEST_F(DesktopFadeTest, ASmallerPictureKeepsItsTopLeftCornerOnTheWindow) {
    Open(64, 48);
    // What a screenshot cut short at the screen's right and bottom gives.
    StoreDesktopPicture(PatternPicture(40, 30));
    SetupDesktopFade();
    ASSERT_NE(FindFade(), nullptr);
    Frame(0.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClear(GL_COLOR_BUFFER_BIT);
    RenderSceneOverlays();
    const Framebuffer frame = ReadFramebuffer(gl);
    for (const auto& [x, y] : {std::pair{0, 0}, std::pair{39, 0}, std::pair{0, 29}, std::pair{39, 29}}) {
        EXPECT_NEAR(frame.At(x, y)[0], Red(x, y), 1) << x << "," << y;
        EXPECT_NEAR(frame.At(x, y)[1], Green(x, y), 1) << x << "," << y;
    }
    for (const auto& [x, y] : {std::pair{40, 0}, std::pair{63, 47}, std::pair{0, 30}}) {
        EXPECT_EQ(frame.At(x, y)[0] + frame.At(x, y)[1] + frame.At(x, y)[2], 0) << x << "," << y;
    }
}

}  // namespace
}  // namespace skyloom
