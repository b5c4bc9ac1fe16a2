#include "objects/sun_texture.h"

#include <GL/gl.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include <gtest/gtest.h>

#include "platform/offscreen/offscreen_gl.h"
#include "scene/render_size.h"
#include "settings/settings.h"

namespace skyloom {
namespace {

// Level 0 of a texture, read back.
struct AlphaImage {
    int size = 0;
    std::vector<uint8_t> alpha;
    int At(int row, int column) const { return alpha[static_cast<size_t>(row) * size + column]; }
};

class SunTextureTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(gl.Create(256, 256));
        RestoreDefaultSettings();
        GLint maxTexture = 0;
        glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxTexture);
        SetMaxTextureSize(maxTexture);
    }
    void TearDown() override {
        for (const GLuint name : made) {
            glDeleteTextures(1, &name);
        }
        RestoreDefaultSettings();
        MaxTextureSizePixels.Set(0);
        gl.Destroy();
    }

    AlphaImage Make(SunTextureKind kind) {
        const uint32_t name = MakeSunTexture(kind);
        AlphaImage image;
        EXPECT_NE(name, 0xFFFFFFFFu);
        if (name == 0xFFFFFFFFu) {
            return image;
        }
        made.push_back(name);
        glBindTexture(GL_TEXTURE_2D, name);
        GLint width = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
        image.size = width;
        image.alpha.resize(static_cast<size_t>(width) * width);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_ALPHA, GL_UNSIGNED_BYTE, image.alpha.data());
        return image;
    }

    OffscreenGlContext gl;
    std::vector<GLuint> made;
};

// Texels of the ring, line and diagonal marks of a 256 texture.
bool OnFlareMark(int i, int j, int n) {
    const double m = n / 2.0;
    const double d = std::sqrt((j - m) * (j - m) + (i - m) * (i - m)) * kSunGlowScale;
    return static_cast<int>(d) % 20 == 0 || i == n / 2 || j == n / 2 || std::abs(j - i) < 2 ||
           std::abs(i + j - n) < 2 || d < 10.0;
}

TEST_F(SunTextureTest, GlowIsFullAtTheCentreAndGoneAtTheEdges) {
    for (const int sunFlare : {0, 1}) {
        ShowSunFlare.Set(sunFlare);
        const AlphaImage plain = Make(SunTextureKind::Plain);
        ASSERT_EQ(plain.size, 256);
        EXPECT_GE(plain.At(128, 128), 250);
        for (int k = 0; k < 256; ++k) {
            EXPECT_LE(plain.At(0, k), 8);
            EXPECT_LE(plain.At(255, k), 8);
            EXPECT_LE(plain.At(k, 0), 8);
            EXPECT_LE(plain.At(k, 255), 8);
        }
        // Corners are beyond the glow.
        EXPECT_EQ(plain.At(0, 0), 0);
        EXPECT_EQ(plain.At(255, 255), 0);
        // Along a ray the glow only falls.
        for (int j = 129; j < 256; ++j) {
            EXPECT_LE(plain.At(128 + (j - 128) / 3, j), plain.At(128 + (j - 129) / 3, j - 1)) << j;
        }
    }
}

TEST_F(SunTextureTest, RingsAndLinesOnlyOnTheFlareTextureAndOnlyWithSunFlare) {
    ShowSunFlare.Set(0);
    const AlphaImage plainOff = Make(SunTextureKind::Plain);
    const AlphaImage flareOff = Make(SunTextureKind::Flare);
    ASSERT_EQ(flareOff.alpha, plainOff.alpha);

    ShowSunFlare.Set(1);
    const AlphaImage plain = Make(SunTextureKind::Plain);
    const AlphaImage flare = Make(SunTextureKind::Flare);
    ASSERT_EQ(flare.size, 256);
    int brighterOffMarks = 0;
    for (int i = 0; i < 256; ++i) {
        for (int j = 0; j < 256; ++j) {
            ASSERT_GE(flare.At(i, j), plainOff.At(i, j));
            if (!OnFlareMark(i, j, 256)) {
                brighterOffMarks += flare.At(i, j) != plainOff.At(i, j);
            }
        }
    }
    EXPECT_EQ(brighterOffMarks, 0);
    // The plain texture gains only the brighter core.
    for (int i = 0; i < 256; ++i) {
        for (int j = 0; j < 256; ++j) {
            if (std::hypot(i - 128.0, j - 128.0) * kSunGlowScale >= 10.0) {
                ASSERT_EQ(plain.At(i, j), plainOff.At(i, j));
            }
        }
    }
    // Vertical line, horizontal line, a diagonal and a ring, where the glow
    // is still strong enough to show them.
    EXPECT_GT(flare.At(60, 128), plainOff.At(60, 128));
    EXPECT_GT(flare.At(128, 60), plainOff.At(128, 60));
    EXPECT_GT(flare.At(100, 100), plainOff.At(100, 100));
    EXPECT_GT(flare.At(100, 156), plainOff.At(100, 156));
    // Radius 20 / 0.68 from the centre: the first ring.
    const int ring = 128 + static_cast<int>(std::ceil(20.0 / kSunGlowScale));
    EXPECT_GT(flare.At(128 + 3, ring), plainOff.At(128 + 3, ring));
    EXPECT_EQ(flare.At(128 + 3, ring - 3), plainOff.At(128 + 3, ring - 3));
}

TEST_F(SunTextureTest, SizeFollowsTheTextureLimitsAndNoneWithoutAFit) {
    MaxTextureSizePixels.Set(128);
    EXPECT_EQ(Make(SunTextureKind::Flare).size, 128);
    EXPECT_EQ(Make(SunTextureKind::Plain).size, 128);
    MaxTextureSizePixels.Set(-1);
    EXPECT_EQ(MakeSunTexture(SunTextureKind::Flare), 0xFFFFFFFFu);
}

}  // namespace
}  // namespace skyloom
