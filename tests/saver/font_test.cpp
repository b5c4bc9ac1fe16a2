// The bitmap font on the offscreen context: glyphs read back from the
// framebuffer and compared with the font image itself.

#include "saver/font.h"

#include <GL/gl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "scene/resources.h"
#include "platform/offscreen/offscreen_gl.h"
#include "saver/overlay_pass.h"
#include "scene/render_size.h"
#include "scene/resource_textures.h"
#include "tests/support/gl_test_support.h"

namespace skyloom {
namespace {

using testing::FindLitPixels;
using testing::Framebuffer;
using testing::LitRegion;
using testing::ReadFramebuffer;

const ColorRGBA kWhite(1.0, 1.0, 1.0, 1.0);

// The font image as the program carries it, rows from the top.
class FontImage {
public:
    FontImage() {
        const ResourceBytes jpeg = FindResource("JPG", 142);
        pixels_ = DecodeJpegFromMemory(jpeg.data, jpeg.size, &width_, &height_);
    }
    bool Valid() const { return pixels_ != nullptr && width_ == 256 && height_ == 256; }
    // Brightest channel of pixel (x, y) of the cell of code, y from the cell's top.
    int CellPixel(int code, int x, int y) const {
        const int imageX = (code % 16) * 16 + x;
        const int imageY = (code / 16) * 16 + y;
        const uint8_t* p = &pixels_[static_cast<size_t>(255 - imageY) * 256 * 3 + imageX * 3];
        return std::max({p[0], p[1], p[2]});
    }
    // First and last column of the cell with a pixel above the threshold.
    std::pair<int, int> InkColumns(int code, int threshold) const {
        int first = 16;
        int last = -1;
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 16; ++x) {
                if (CellPixel(code, x, y) > threshold) {
                    first = std::min(first, x);
                    last = std::max(last, x);
                }
            }
        }
        return {first, last};
    }
    int CellInk(int code) const {
        int sum = 0;
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 16; ++x) {
                sum += CellPixel(code, x, y);
            }
        }
        return sum;
    }

private:
    PixelBlock pixels_;
    int32_t width_ = 0;
    int32_t height_ = 0;
};

int Brightest(const uint8_t* pixel) { return std::max({pixel[0], pixel[1], pixel[2]}); }

// Largest difference between the framebuffer's 16 x 16 block with its
// top-left corner at (left, top) and the code's cell scaled by gain.
int CellDifference(const Framebuffer& frame, const FontImage& font, int code, int left, int top, double gain = 1.0) {
    int worst = 0;
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            const int expected = static_cast<int>(font.CellPixel(code, x, y) * gain + 0.5);
            worst = std::max(worst, std::abs(Brightest(frame.At(left + x, top + y)) - expected));
        }
    }
    return worst;
}

// Above the faint ringing the JPEG leaves around the glyphs.
constexpr int kInk = 40;

// Lit pixels within rows top..bottom (inclusive) of the frame.
LitRegion LitInRows(const Framebuffer& frame, int top, int bottom) {
    Framebuffer band;
    band.width = frame.width;
    band.height = bottom - top + 1;
    band.rgba.assign(frame.rgba.begin() + static_cast<ptrdiff_t>(top) * frame.width * 4,
                     frame.rgba.begin() + static_cast<ptrdiff_t>(bottom + 1) * frame.width * 4);
    return FindLitPixels(band, kInk);
}

class FontTest : public ::testing::Test {
protected:
    void Open(int width, int height) {
        ASSERT_TRUE(gl.Create(width, height));
        SetRenderSize(width, height);
        GLint maxTextureSize = 0;
        glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxTextureSize);
        SetMaxTextureSize(maxTextureSize);
        testing::SetSceneRenderState();
        glClear(GL_COLOR_BUFFER_BIT);
        LoadFont(8);
        ASSERT_TRUE(FontLoaded());
        SetupOverlayProjection();
        ASSERT_TRUE(image.Valid());
    }
    void TearDown() override {
        ReleaseFont();
        gl.Destroy();
    }

    OffscreenGlContext gl;
    FontImage image;
};

TEST_F(FontTest, GlyphIsItsImageCellAtTheSnappedPoint) {
    Open(256, 64);
    // 0.25 x 256 = 64: the 16-pixel cell starts 4 pixels to the left; the
    // cell's middle row sits at 0.5 x 64 = 32 from the top.
    DrawText2D(0.2502, 0.5, "H", true, kWhite);
    const Framebuffer frame = ReadFramebuffer(gl);
    EXPECT_LE(CellDifference(frame, image, 'H', 60, 24), 3);
    const LitRegion lit = FindLitPixels(frame);
    EXPECT_GT(lit.count, 20);
    EXPECT_GE(lit.left, 60);
    EXPECT_LE(lit.right, 75);
    EXPECT_GE(lit.top, 24);
    EXPECT_LE(lit.bottom, 39);
}

TEST_F(FontTest, NextGlyphIsOneAdvanceFurtherAndTheColorTintsIt) {
    Open(256, 64);
    DrawText2D(0.25, 0.5, "  l", true, ColorRGBA(0.0, 1.0, 0.0, 1.0));
    const Framebuffer frame = ReadFramebuffer(gl);
    EXPECT_LE(CellDifference(frame, image, 'l', 60 + 16, 24), 3);
    const LitRegion lit = FindLitPixels(frame);
    for (int y = lit.top; y <= lit.bottom; ++y) {
        for (int x = lit.left; x <= lit.right; ++x) {
            EXPECT_EQ(frame.At(x, y)[0], 0);
            EXPECT_EQ(frame.At(x, y)[2], 0);
        }
    }
}

TEST_F(FontTest, UnsnappedTextOnWholePixelsIsDrawnAtThreeQuarters) {
    Open(256, 64);
    DrawText2D(0.25, 0.5, "H", false, kWhite);
    EXPECT_LE(CellDifference(ReadFramebuffer(gl), image, 'H', 60, 24, 0.75), 3);
}

TEST_F(FontTest, Utf8CharactersUseTheirWindows1252Glyphs) {
    Open(256, 64);
    struct Case {
        const char* text;
        int code;
    };
    // é, Ä, ß, the euro sign (0x80 in Windows-1252) and ł, which the font
    // lacks and draws as "?".
    const Case cases[] = {{"\xC3\xA9", 0xE9}, {"\xC3\x84", 0xC4}, {"\xC3\x9F", 0xDF}, {"\xE2\x82\xAC", 0x80},
                          {"\xC5\x82", '?'}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        if (c.code != '?') {
            // The cells differ, so a wrong mapping cannot pass.
            ASSERT_NE(image.CellInk(c.code), image.CellInk('?'));
        }
        glClear(GL_COLOR_BUFFER_BIT);
        DrawText2D(0.25, 0.5, c.text, true, kWhite);
        const Framebuffer frame = ReadFramebuffer(gl);
        EXPECT_LE(CellDifference(frame, image, c.code, 60, 24), 3);
        // One glyph whatever the byte count: nothing one advance further.
        EXPECT_LE(FindLitPixels(frame).right, 75);
    }
    EXPECT_EQ(TextWidth("\xC3\xA9\xE2\x82\xAC"), 16);
    EXPECT_EQ(TextWidth("Skyloom"), 56);
    EXPECT_EQ(TextWidth(""), 0);
}

TEST_F(FontTest, EmptyTextAndAFontNotLoadedDrawNothing) {
    Open(256, 64);
    DrawText2D(0.5, 0.5, "", true, kWhite);
    DrawTextCentered(0.5, "", true, kWhite);
    DrawTextCenteredWrapped(0.5, "", true, kWhite);
    DrawText2D(0.5, 0.5, nullptr, true, kWhite);
    EXPECT_EQ(FindLitPixels(ReadFramebuffer(gl)).count, 0);

    ReleaseFont();
    EXPECT_FALSE(FontLoaded());
    DrawText2D(0.5, 0.5, "Skyloom", true, kWhite);
    DrawTextCenteredWrapped(0.5, "Skyloom", true, kWhite);
    EXPECT_EQ(FindLitPixels(ReadFramebuffer(gl)).count, 0);
}

// 160 pixels hold 20 glyphs of 8. The first line's cell rows at y 0.25
// are 8..23 from the top; the second line comes 16 x 1.05 pixels lower.
constexpr int kWrapWidth = 160;
constexpr int kWrapHeight = 64;

TEST_F(FontTest, TextAsWideAsTheWindowBreaksAtTheFirstSpaceFromItsMiddle) {
    Open(kWrapWidth, kWrapHeight);
    const auto [inkLeft, inkRight] = image.InkColumns('H', kInk);
    // 20 glyphs: the search starts at index 10 and finds the space at 11.
    DrawTextCenteredWrapped(0.25, "HHHHHHHHHHH HHHHHHHH", true, kWhite);
    const Framebuffer frame = ReadFramebuffer(gl);
    const LitRegion first = LitInRows(frame, 8, 23);
    const LitRegion second = LitInRows(frame, 25, 41);
    EXPECT_EQ(FindLitPixels(frame, kInk).count, first.count + second.count) << "lit outside the two lines";
    // 11 glyphs centred: 88 pixels from 36, cells from 32.
    EXPECT_EQ(first.left, 32 + inkLeft);
    EXPECT_EQ(first.right, 32 + 10 * 8 + inkRight);
    // " HHHHHHHH" centred: 72 pixels from 44, the leading space blank.
    EXPECT_EQ(second.left, 40 + 8 + inkLeft);
    EXPECT_EQ(second.right, 40 + 8 * 8 + inkRight);
}

TEST_F(FontTest, TextOneGlyphNarrowerThanTheWindowStaysOnOneLine) {
    Open(kWrapWidth, kWrapHeight);
    const auto [inkLeft, inkRight] = image.InkColumns('H', kInk);
    DrawTextCenteredWrapped(0.25, "HHHHHHHHHH HHHHHHHH", true, kWhite);
    const Framebuffer frame = ReadFramebuffer(gl);
    const LitRegion line = LitInRows(frame, 8, 23);
    EXPECT_EQ(FindLitPixels(frame, kInk).count, line.count);
    // 152 pixels centred: from 4, cells from 0.
    EXPECT_EQ(line.left, inkLeft);
    EXPECT_EQ(line.right, 18 * 8 + inkRight);
}

TEST_F(FontTest, WideTextWithoutASpaceAfterItsMiddleStaysWhole) {
    Open(kWrapWidth, kWrapHeight);
    const auto [inkLeft, inkRight] = image.InkColumns('H', kInk);
    const std::string text = "HHHH HHHHHHHHHHHHHHHHHHH";
    DrawTextCenteredWrapped(0.25, text.c_str(), true, kWhite);
    const Framebuffer frame = ReadFramebuffer(gl);
    const LitRegion line = LitInRows(frame, 8, 23);
    EXPECT_EQ(FindLitPixels(frame, kInk).count, line.count);
    // 192 pixels centred on 160: the cells start at -20 and run over both
    // edges; the ink seen is what falls inside.
    int left = kWrapWidth;
    int right = -1;
    for (size_t k = 0; k < text.size(); ++k) {
        if (text[k] == ' ') {
            continue;
        }
        const int cell = -20 + 8 * static_cast<int>(k);
        if (cell + inkRight < 0 || cell + inkLeft >= kWrapWidth) {
            continue;
        }
        left = std::min(left, std::max(0, cell + inkLeft));
        right = std::max(right, std::min(kWrapWidth - 1, cell + inkRight));
    }
    EXPECT_EQ(line.left, left);
    EXPECT_EQ(line.right, right);
}

}  // namespace
}  // namespace skyloom
