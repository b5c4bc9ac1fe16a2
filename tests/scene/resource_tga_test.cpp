#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "scene/resource_textures.h"

namespace skyloom {
namespace {

// An 18-byte header (no id, no colour map, type 2) followed by body.
std::vector<uint8_t> Tga(int width, int height, int bits, const std::vector<uint8_t>& body) {
    std::vector<uint8_t> bytes(18, 0);
    bytes[2] = 2;
    bytes[12] = static_cast<uint8_t>(width);
    bytes[13] = static_cast<uint8_t>(width >> 8);
    bytes[14] = static_cast<uint8_t>(height);
    bytes[15] = static_cast<uint8_t>(height >> 8);
    bytes[16] = static_cast<uint8_t>(bits);
    bytes.insert(bytes.end(), body.begin(), body.end());
    return bytes;
}

bool Decode(const std::vector<uint8_t>& bytes, TgaImage* image) {
    return DecodeTga(bytes.data(), bytes.size(), image);
}

TEST(TgaDecodeTest, TwentyFourBitPixelsBecomeRgbInStoredRowOrder) {
    // 3 x 2: odd width, so rows are 9 bytes with nothing between them.
    const std::vector<uint8_t> body = {
        1, 2, 3, 4, 5, 6, 7, 8, 9,        // first stored row, B G R each
        10, 11, 12, 13, 14, 15, 16, 17, 18,
    };
    TgaImage image;
    ASSERT_TRUE(Decode(Tga(3, 2, 24, body), &image));
    EXPECT_EQ(image.width, 3);
    EXPECT_EQ(image.height, 2);
    EXPECT_EQ(image.bytesPerPixel, 3);
    const std::vector<uint8_t> expected = {3, 2, 1, 6, 5, 4, 9, 8, 7, 12, 11, 10, 15, 14, 13, 18, 17, 16};
    EXPECT_EQ(image.pixels, expected);
}

TEST(TgaDecodeTest, ThirtyTwoBitPixelsKeepTheirAlpha) {
    const std::vector<uint8_t> body = {10, 20, 30, 40, 50, 60, 70, 80};
    TgaImage image;
    ASSERT_TRUE(Decode(Tga(1, 2, 32, body), &image));
    EXPECT_EQ(image.bytesPerPixel, 4);
    const std::vector<uint8_t> expected = {30, 20, 10, 40, 70, 60, 50, 80};
    EXPECT_EQ(image.pixels, expected);
}

TEST(TgaDecodeTest, BytesAfterThePixelsAreIgnored) {
    // The TGA 2.0 footer and anything else past the pixels.
    std::vector<uint8_t> bytes = Tga(2, 1, 24, {1, 2, 3, 4, 5, 6});
    const std::vector<uint8_t> footer(26, 0x41);
    bytes.insert(bytes.end(), footer.begin(), footer.end());
    TgaImage image;
    ASSERT_TRUE(Decode(bytes, &image));
    EXPECT_EQ(image.pixels.size(), 6u);
}

TEST(TgaDecodeTest, RejectsWhatItCannotReadInFull) {
    const std::vector<uint8_t> four(4 * 4 * 4, 0x80);
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
    };
    std::vector<Case> cases = {
        {"zero width", Tga(0, 4, 24, four)},
        {"zero height", Tga(4, 0, 32, four)},
        {"16 bits per pixel", Tga(4, 4, 16, four)},
        {"8 bits per pixel", Tga(4, 4, 8, four)},
        {"0 bits per pixel", Tga(4, 4, 0, four)},
        {"one byte short", Tga(4, 4, 32, std::vector<uint8_t>(4 * 4 * 4 - 1, 0x80))},
        {"24-bit one byte short", Tga(3, 3, 24, std::vector<uint8_t>(26, 0x80))},
        {"largest header on few bytes", Tga(65535, 65535, 32, four)},
        {"header only", Tga(1, 1, 24, {})},
    };
    const std::vector<uint8_t> tiny = Tga(1, 1, 24, {1, 2, 3});
    for (size_t length = 0; length < 18; ++length) {
        cases.push_back({"short header", std::vector<uint8_t>(tiny.begin(), tiny.begin() + length)});
    }
    for (const Case& c : cases) {
        TgaImage image;
        image.width = 99;  // must be reset
        EXPECT_FALSE(Decode(c.bytes, &image)) << c.what << " (" << c.bytes.size() << " bytes)";
        EXPECT_EQ(image.width, 0) << c.what;
        EXPECT_EQ(image.height, 0) << c.what;
        EXPECT_TRUE(image.pixels.empty()) << c.what;
    }
    TgaImage image;
    EXPECT_FALSE(DecodeTga(nullptr, 0, &image));
    // Exactly enough bytes is enough.
    EXPECT_TRUE(Decode(Tga(3, 3, 24, std::vector<uint8_t>(27, 0x80)), &image));
}

TEST(TgaDecodeTest, ArbitraryBytesStayWithinTheirBlock) {
    // Random headers with believable sizes and depths over random lengths;
    // under AddressSanitizer any read past a block shows up.
    uint32_t state = 777;
    auto next = [&state] {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    };
    int accepted = 0;
    for (int trial = 0; trial < 2000; ++trial) {
        std::vector<uint8_t> bytes(next() % 300);
        for (uint8_t& b : bytes) {
            b = static_cast<uint8_t>(next());
        }
        if (bytes.size() >= 18) {
            bytes[12] = static_cast<uint8_t>(next() % 10);
            bytes[13] = 0;
            bytes[14] = static_cast<uint8_t>(next() % 10);
            bytes[15] = 0;
            bytes[16] = (next() % 2) ? 24 : 32;
        }
        TgaImage image;
        if (!Decode(bytes, &image)) {
            continue;
        }
        ++accepted;
        const size_t expected = static_cast<size_t>(image.width) * image.height * image.bytesPerPixel;
        ASSERT_EQ(image.pixels.size(), expected);
        ASSERT_LE(expected + 18, bytes.size());
        EXPECT_EQ(image.pixels[0], bytes[20]);  // R comes from the third byte
    }
    EXPECT_GT(accepted, 100);
}

}  // namespace
}  // namespace skyloom
