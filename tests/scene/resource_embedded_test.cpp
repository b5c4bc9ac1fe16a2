#include <cmath>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "scene/resources.h"
#include "scene/resource_textures.h"

namespace skyloom {
namespace {

constexpr int kFlareIds[] = {188, 189, 190, 193, 192};

TEST(EmbeddedResourceTest, LookupByTypeAndId) {
    struct Wanted {
        const char* type;
        int id;
    };
    for (const Wanted w : {Wanted{"JPG", 142}, Wanted{"tga", 188}, Wanted{"tga", 189}, Wanted{"tga", 190},
                           Wanted{"tga", 192}, Wanted{"tga", 193}, Wanted{"bitmap", 145}}) {
        const ResourceBytes r = FindResource(w.type, w.id);
        EXPECT_NE(r.data, nullptr) << w.type << " " << w.id;
        EXPECT_GT(r.size, 18u) << w.type << " " << w.id;
    }
    // Type names match without regard to case, as resource types do.
    EXPECT_EQ(FindResource("jpg", 142).data, FindResource("JPG", 142).data);
    EXPECT_EQ(FindResource("TGA", 192).data, FindResource("tga", 192).data);
    EXPECT_NE(FindResource("tga", 188).data, FindResource("tga", 189).data);

    for (const Wanted w : {Wanted{"tga", 142}, Wanted{"JPG", 188}, Wanted{"tga", 191}, Wanted{"tg", 188},
                           Wanted{"tgax", 188}, Wanted{"", 142}, Wanted{nullptr, 142}}) {
        const ResourceBytes r = FindResource(w.type, w.id);
        EXPECT_EQ(r.data, nullptr) << (w.type ? w.type : "(null)") << " " << w.id;
        EXPECT_EQ(r.size, 0u);
    }
}

// The font atlas, decoded: image row y (from the top) is block row 255 - y.
class FontAtlasTest : public ::testing::Test {
protected:
    void SetUp() override {
        const ResourceBytes r = FindResource("JPG", 142);
        pixels_ = DecodeJpegFromMemory(r.data, r.size, &width_, &height_);
        ASSERT_TRUE(pixels_) << LastJpegMessage();
    }

    // Brightness at x, y of the image, y from the top.
    int At(int x, int y) const { return pixels_[static_cast<size_t>(255 - y) * 768 + 3 * x]; }

    // Lit pixels in the cell of a character code.
    int Ink(int code) const {
        int lit = 0;
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 16; ++x) {
                if (At((code % 16) * 16 + x, (code / 16) * 16 + y) > 128) {
                    ++lit;
                }
            }
        }
        return lit;
    }

    PixelBlock pixels_;
    int32_t width_ = 0;
    int32_t height_ = 0;
};

TEST_F(FontAtlasTest, IsA256PixelSquareOfWhiteOnBlack) {
    EXPECT_EQ(width_, 256);
    EXPECT_EQ(height_, 256);
    // Colourless: a tinted atlas would tint every text.
    int tinted = 0;
    for (int y = 0; y < 256; ++y) {
        for (int x = 0; x < 256; ++x) {
            const uint8_t* p = &pixels_[static_cast<size_t>(y) * 768 + 3 * x];
            if (std::abs(p[0] - p[1]) > 8 || std::abs(p[0] - p[2]) > 8) {
                ++tinted;
            }
        }
    }
    EXPECT_EQ(tinted, 0);
}

TEST_F(FontAtlasTest, GlyphsSitInTheirCellsNarrowEnoughForAnAdvanceOf8) {
    // Quads are 16 wide and drawn 8 apart, so ink outside the middle ten
    // columns of a cell would run into the neighbouring characters.
    for (int code = 0; code < 256; ++code) {
        const int x0 = (code % 16) * 16;
        const int y0 = (code / 16) * 16;
        for (int y = 0; y < 16; ++y) {
            for (int x : {0, 1, 2, 13, 14, 15}) {
                ASSERT_LT(At(x0 + x, y0 + y), 96) << "code " << code << " at " << x << "," << y;
            }
        }
    }
}

TEST_F(FontAtlasTest, BoxesForCodesWithoutGlyphsAndBlanksForSpaces) {
    const int box = Ink(0x01);
    EXPECT_GT(box, 20);
    for (int code : {0x00, 0x09, 0x1F, 0x81, 0x8D, 0x8F, 0x90, 0x9D}) {
        EXPECT_EQ(Ink(code), box) << "code " << code;
        // An outline: the middle of the box is empty.
        EXPECT_LT(At((code % 16) * 16 + 8, (code / 16) * 16 + 8), 64) << "code " << code;
    }
    EXPECT_EQ(Ink(' '), 0);
    EXPECT_EQ(Ink(0xA0), 0);  // no-break space
    for (int code : {0x41 /* A */, 0x67 /* g */, 0x30 /* 0 */, 0x3F /* ? */, 0x80 /* euro */, 0xE9 /* e acute */,
                     0xDF /* sharp s */}) {
        const int ink = Ink(code);
        EXPECT_GT(ink, 8) << "code " << code;
        EXPECT_NE(ink, box) << "code " << code;
    }
}

TEST(FontImageTest, EveryCutOfTheStreamIsRejected) {
    const ResourceBytes r = FindResource("JPG", 142);
    ASSERT_GT(r.size, 1000u);
    // Every 97th length and the last few: each decode takes its time.
    for (size_t length = 0; length < r.size; length += r.size - length <= 4 ? 1 : 97) {
        int32_t width = -1;
        int32_t height = -1;
        EXPECT_FALSE(DecodeJpegFromMemory(r.data, length, &width, &height)) << length;
        EXPECT_EQ(width, 0) << length;
        EXPECT_EQ(height, 0) << length;
        EXPECT_STRNE(LastJpegMessage(), "") << length;
    }
}

struct Flare {
    TgaImage image;
    // Colour channel c at distance r from the centre along the middle row.
    int AtRadius(double r, int c = 0) const {
        const int x = static_cast<int>(std::lround(31.5 + r));
        return image.pixels[(static_cast<size_t>(32) * 64 + x) * image.bytesPerPixel + c];
    }
};

Flare LoadFlare(int id) {
    Flare f;
    const ResourceBytes r = FindResource("tga", id);
    EXPECT_TRUE(DecodeTga(r.data, r.size, &f.image)) << id;
    return f;
}

TEST(FlareImageTest, SixtyFourSquareAndOnlyTheBubbleHasAlpha) {
    for (const int id : kFlareIds) {
        const Flare f = LoadFlare(id);
        EXPECT_EQ(f.image.width, 64) << id;
        EXPECT_EQ(f.image.height, 64) << id;
        EXPECT_EQ(f.image.bytesPerPixel, id == 192 ? 4 : 3) << id;
        // Black corners: the pictures are drawn on black.
        EXPECT_EQ(f.image.pixels[0] + f.image.pixels[1] + f.image.pixels[2], 0) << id;
    }
}

TEST(FlareImageTest, StoredAsTheLoadersExpect) {
    // Top-left origin for the 24-bit pictures; bottom-left, 8 alpha bits and
    // the TGA 2.0 footer for the bubble.
    for (const int id : kFlareIds) {
        const ResourceBytes r = FindResource("tga", id);
        ASSERT_GE(r.size, 18u);
        EXPECT_EQ(r.data[2], 2) << "uncompressed true colour, " << id;
        EXPECT_EQ(r.data[17], id == 192 ? 0x08 : 0x20) << id;
    }
    const ResourceBytes bubble = FindResource("tga", 192);
    ASSERT_EQ(bubble.size, 18u + 64 * 64 * 4 + 26);
    EXPECT_EQ(std::memcmp(bubble.data + bubble.size - 18, "TRUEVISION-XFILE.", 18), 0);
}

TEST(FlareImageTest, EachPictureHasItsShape) {
    const Flare glow = LoadFlare(188);
    EXPECT_GT(glow.AtRadius(0), 240);                          // white centre
    EXPECT_GT(glow.AtRadius(15, 2), glow.AtRadius(15, 0));     // bluish further out
    EXPECT_LT(glow.AtRadius(31, 2), 8);                        // black by ~30

    const Flare ringed = LoadFlare(189);
    EXPECT_GT(ringed.AtRadius(0), 200);
    EXPECT_GT(ringed.AtRadius(10), ringed.AtRadius(7) + 20);  // the ring at ~10
    EXPECT_GT(ringed.AtRadius(10, 0), ringed.AtRadius(10, 1)); // pinkish

    const Flare ring = LoadFlare(190);
    EXPECT_EQ(ring.AtRadius(0, 1), 0);                           // black inside
    EXPECT_GT(ring.AtRadius(27.5, 1), ring.AtRadius(27.5, 0));   // green inner edge
    EXPECT_GT(ring.AtRadius(30, 2), ring.AtRadius(30, 1));       // violet outer edge

    const Flare disc = LoadFlare(193);
    for (double r : {0.0, 10.0, 20.0, 27.0}) {
        EXPECT_EQ(disc.AtRadius(r), 43) << r;
    }
    EXPECT_EQ(disc.AtRadius(31), 0);

    const Flare bubble = LoadFlare(192);
    EXPECT_NEAR(bubble.AtRadius(0, 3), 8, 2);
    EXPECT_NEAR(bubble.AtRadius(24, 3), 140, 15);
    EXPECT_EQ(bubble.AtRadius(30, 3), 0);
    for (double r = 0; r < 31; r += 1.0) {
        EXPECT_EQ(bubble.AtRadius(r, 0), bubble.AtRadius(r, 3)) << "grey follows alpha at " << r;
    }
}

TEST(BannerImageTest, IsA512By180TrueColorPng) {
    const ResourceBytes r = FindResource("bitmap", 145);
    ASSERT_GT(r.size, 33u);
    EXPECT_EQ(std::memcmp(r.data, "\x89PNG\r\n\x1a\n", 8), 0);
    EXPECT_EQ(std::memcmp(r.data + 12, "IHDR", 4), 0);
    auto be32 = [&r](size_t at) {
        return (uint32_t{r.data[at]} << 24) | (uint32_t{r.data[at + 1]} << 16) | (uint32_t{r.data[at + 2]} << 8) |
               r.data[at + 3];
    };
    EXPECT_EQ(be32(16), 512u);
    EXPECT_EQ(be32(20), 180u);
    EXPECT_EQ(r.data[24], 8);  // bits per channel
    EXPECT_EQ(r.data[25], 2);  // RGB, no alpha: 24 bits per pixel
}

}  // namespace
}  // namespace skyloom
