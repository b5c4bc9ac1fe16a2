#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <jpeglib.h>

#include <gtest/gtest.h>

#include "scene/jpeg_memory_source.h"
#include "scene/resource_textures.h"

namespace skyloom {
namespace {

// Pixels of a test image, top row first, tightly packed.
struct Picture {
    int width;
    int height;
    int components;  // 1 grey, 3 RGB
    std::vector<uint8_t> samples;
};

struct EncodeOptions {
    int quality = 100;
    bool progressive = false;
    size_t markerBytes = 0;  // an APP5 marker of this size, which decoders skip
};

// Compresses with libjpeg, no chroma subsampling, so flat areas survive
// almost unchanged.
std::vector<uint8_t> Encode(const Picture& picture, const EncodeOptions& options = {}) {
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr error{};
    cinfo.err = jpeg_std_error(&error);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = picture.width;
    cinfo.image_height = picture.height;
    cinfo.input_components = picture.components;
    cinfo.in_color_space = picture.components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, options.quality, TRUE);
    for (int c = 0; c < cinfo.num_components; ++c) {
        cinfo.comp_info[c].h_samp_factor = 1;
        cinfo.comp_info[c].v_samp_factor = 1;
    }
    if (options.progressive) {
        jpeg_simple_progression(&cinfo);
    }
    jpeg_start_compress(&cinfo, TRUE);
    if (options.markerBytes > 0) {
        const std::vector<JOCTET> marker(options.markerBytes, 0x5A);
        jpeg_write_marker(&cinfo, JPEG_APP0 + 5, marker.data(), static_cast<unsigned>(marker.size()));
    }
    const size_t stride = static_cast<size_t>(picture.width) * picture.components;
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(&picture.samples[cinfo.next_scanline * stride]);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::vector<uint8_t> bytes(buffer, buffer + size);
    std::free(buffer);
    return bytes;
}

// Each row one flat colour, so JPEG's blocks reproduce it closely.
Picture StripedRgb(int width, const std::vector<std::array<uint8_t, 3>>& rowColors) {
    Picture p{width, static_cast<int>(rowColors.size()), 3, {}};
    for (const auto& color : rowColors) {
        for (int x = 0; x < width; ++x) {
            p.samples.insert(p.samples.end(), color.begin(), color.end());
        }
    }
    return p;
}

size_t PitchFor(int width) { return (static_cast<size_t>(width) * 3 + 3) / 4 * 4; }

struct Decoded {
    PixelBlock pixels;
    int32_t width = -1;
    int32_t height = -1;
};

Decoded Decode(const std::vector<uint8_t>& bytes, size_t length) {
    Decoded d;
    d.pixels = DecodeJpegFromMemory(bytes.data(), length, &d.width, &d.height);
    return d;
}

Decoded Decode(const std::vector<uint8_t>& bytes) { return Decode(bytes, bytes.size()); }

void ExpectRowNear(const uint8_t* row, int width, std::array<uint8_t, 3> color, const char* what) {
    for (int x = 0; x < width; ++x) {
        for (int c = 0; c < 3; ++c) {
            EXPECT_NEAR(row[3 * x + c], color[c], 6) << what << " pixel " << x << " channel " << c;
        }
    }
}

TEST(JpegDecodeTest, RgbRowsComeBottomUpPaddedToFourBytes) {
    // 5 pixels = 15 bytes a row, padded to 16; height 3 swaps the outer rows.
    const std::array<uint8_t, 3> top{200, 40, 40}, middle{40, 200, 40}, bottom{40, 40, 200};
    const Decoded d = Decode(Encode(StripedRgb(5, {top, middle, bottom})));
    ASSERT_TRUE(d.pixels);
    EXPECT_EQ(d.width, 5);
    EXPECT_EQ(d.height, 3);
    const size_t pitch = 16;
    ExpectRowNear(d.pixels.get(), 5, bottom, "block row 0");
    ExpectRowNear(d.pixels.get() + pitch, 5, middle, "block row 1");
    ExpectRowNear(d.pixels.get() + 2 * pitch, 5, top, "block row 2");
    for (size_t r = 0; r < 3; ++r) {
        EXPECT_EQ(d.pixels[r * pitch + 15], 0) << "padding of row " << r;
    }
}

TEST(JpegDecodeTest, SingleRowIsNotFlipped) {
    // 7 pixels = 21 bytes, padded with 3 zeros; a left-to-right ramp shows
    // the row is neither mirrored nor shifted.
    Picture p{7, 1, 3, {}};
    for (int x = 0; x < 7; ++x) {
        const uint8_t v = static_cast<uint8_t>(20 + 30 * x);
        p.samples.insert(p.samples.end(), {v, static_cast<uint8_t>(255 - v), 128});
    }
    const Decoded d = Decode(Encode(p));
    ASSERT_TRUE(d.pixels);
    EXPECT_EQ(d.width, 7);
    EXPECT_EQ(d.height, 1);
    for (int i = 0; i < 21; ++i) {
        EXPECT_NEAR(d.pixels[i], p.samples[i], 6) << "byte " << i;
    }
    EXPECT_EQ(d.pixels[21], 0);
    EXPECT_EQ(d.pixels[22], 0);
    EXPECT_EQ(d.pixels[23], 0);
}

TEST(JpegDecodeTest, RowPitchFollowsTheWidth) {
    // 637 * 3 = 1911 rounds up to 1912; 256 * 3 = 768 needs no padding.
    for (const int width : {637, 256}) {
        const std::array<uint8_t, 3> top{230, 230, 230}, bottom{20, 20, 20};
        const Decoded d = Decode(Encode(StripedRgb(width, {top, top, top, top, bottom, bottom, bottom, bottom})));
        ASSERT_TRUE(d.pixels) << width;
        const size_t pitch = PitchFor(width);
        EXPECT_EQ(pitch, width == 637 ? 1912u : 768u);
        // The bottom image rows come first; the last row of the block is the
        // top of the image and ends exactly at the block's end.
        EXPECT_NEAR(d.pixels[0], 20, 6);
        EXPECT_NEAR(d.pixels[7 * pitch], 230, 6);
        EXPECT_NEAR(d.pixels[7 * pitch + width * 3 - 1], 230, 6);
        if (pitch > static_cast<size_t>(width) * 3) {
            EXPECT_EQ(d.pixels[8 * pitch - 1], 0);
        }
    }
}

TEST(JpegDecodeTest, GreyscaleExpandsToTheSameBlockAsEqualRgb) {
    Picture grey{9, 3, 1, {}};
    Picture rgb{9, 3, 3, {}};
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 9; ++x) {
            const uint8_t g = static_cast<uint8_t>(10 + 25 * x + 5 * y);
            grey.samples.push_back(g);
            rgb.samples.insert(rgb.samples.end(), {g, g, g});
        }
    }
    const Decoded fromGrey = Decode(Encode(grey));
    const Decoded fromRgb = Decode(Encode(rgb));
    ASSERT_TRUE(fromGrey.pixels);
    ASSERT_TRUE(fromRgb.pixels);
    EXPECT_EQ(fromGrey.width, 9);
    EXPECT_EQ(fromGrey.height, 3);
    const size_t pitch = PitchFor(9);  // 27 -> 28
    for (size_t r = 0; r < 3; ++r) {
        const uint8_t* row = fromGrey.pixels.get() + r * pitch;
        for (int x = 0; x < 9; ++x) {
            EXPECT_EQ(row[3 * x], row[3 * x + 1]);
            EXPECT_EQ(row[3 * x], row[3 * x + 2]);
            // Bottom row first: block row r holds image row 2 - r.
            EXPECT_NEAR(row[3 * x], grey.samples[(2 - r) * 9 + x], 6);
        }
    }
    EXPECT_EQ(std::memcmp(fromGrey.pixels.get(), fromRgb.pixels.get(), 3 * pitch), 0);
}

TEST(JpegDecodeTest, SkipsMarkersLargerThanTheSourceBuffer) {
    // A 10000-byte marker nobody reads is skipped across several refills of
    // the 4096-byte buffer; progressive streams read in several scans.
    const std::array<uint8_t, 3> color{90, 160, 220};
    for (const bool progressive : {false, true}) {
        const std::vector<uint8_t> bytes =
            Encode(StripedRgb(33, std::vector<std::array<uint8_t, 3>>(17, color)), {100, progressive, 10000});
        ASSERT_GT(bytes.size(), 10000u);
        const Decoded d = Decode(bytes);
        ASSERT_TRUE(d.pixels) << LastJpegMessage();
        EXPECT_EQ(d.width, 33);
        EXPECT_EQ(d.height, 17);
        ExpectRowNear(d.pixels.get() + 8 * PitchFor(33), 33, color, progressive ? "progressive" : "baseline");
    }
}

TEST(JpegDecodeTest, ReinstallingTheSourceReusesItsRecord) {
    const std::vector<uint8_t> first = Encode(StripedRgb(4, {{1, 2, 3}}));
    const std::vector<uint8_t> second = Encode(StripedRgb(12, {{1, 2, 3}, {4, 5, 6}}));
    jpeg_decompress_struct cinfo{};
    jpeg_error_mgr error{};
    cinfo.err = jpeg_std_error(&error);
    jpeg_create_decompress(&cinfo);
    InstallJpegMemorySource(&cinfo, first.data(), first.size());
    jpeg_source_mgr* const installed = cinfo.src;
    ASSERT_EQ(jpeg_read_header(&cinfo, TRUE), JPEG_HEADER_OK);
    EXPECT_EQ(cinfo.image_width, 4u);
    jpeg_abort_decompress(&cinfo);
    InstallJpegMemorySource(&cinfo, second.data(), second.size());
    EXPECT_EQ(cinfo.src, installed);
    // Starts again from the first byte of the new block.
    ASSERT_EQ(jpeg_read_header(&cinfo, TRUE), JPEG_HEADER_OK);
    EXPECT_EQ(cinfo.image_width, 12u);
    EXPECT_EQ(cinfo.image_height, 2u);
    jpeg_destroy_decompress(&cinfo);
}

TEST(JpegDecodeTest, EveryTruncationIsRejected) {
    // Run under AddressSanitizer this also shows that no cut makes the
    // decoder read past the bytes it was given: each cut is copied into a
    // block of exactly its own length.
    const std::vector<uint8_t> whole = Encode(StripedRgb(24, std::vector<std::array<uint8_t, 3>>(10, {7, 99, 201})));
    ASSERT_TRUE(Decode(whole).pixels);
    for (size_t length = 0; length < whole.size(); ++length) {
        const std::vector<uint8_t> cut(whole.begin(), whole.begin() + length);
        const Decoded d = Decode(cut);
        EXPECT_FALSE(d.pixels) << "cut to " << length << " of " << whole.size() << " bytes";
        EXPECT_EQ(d.width, 0);
        EXPECT_EQ(d.height, 0);
        EXPECT_STRNE(LastJpegMessage(), "") << length;
    }
}

TEST(JpegDecodeTest, NonJpegInputIsRejected) {
    const std::vector<std::vector<uint8_t>> inputs = {
        {},
        {0xFF},
        {0xFF, 0xD8},
        {0xFF, 0xD8, 0xFF, 0xD9},  // start and end with no image between
        std::vector<uint8_t>(5000, 0),
        {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0},
    };
    for (const auto& bytes : inputs) {
        const Decoded d = Decode(bytes);
        EXPECT_FALSE(d.pixels) << bytes.size() << " bytes";
        EXPECT_EQ(d.width, 0);
        EXPECT_EQ(d.height, 0);
    }
    int32_t width = -1;
    int32_t height = -1;
    EXPECT_FALSE(DecodeJpegFromMemory(nullptr, 0, &width, &height));
    EXPECT_EQ(width, 0);
    EXPECT_EQ(height, 0);
}

// Offset of the 16-bit height in the stream's SOF marker.
size_t FrameHeightOffset(const std::vector<uint8_t>& bytes) {
    for (size_t i = 2; i + 9 < bytes.size(); ++i) {
        if (bytes[i] == 0xFF && (bytes[i + 1] == 0xC0 || bytes[i + 1] == 0xC2)) {
            return i + 5;
        }
    }
    return 0;
}

TEST(JpegDecodeTest, OversizedImagesAreRejectedBeforeAllocating) {
    std::vector<uint8_t> bytes = Encode(StripedRgb(16, std::vector<std::array<uint8_t, 3>>(8, {50, 50, 50})));
    const size_t at = FrameHeightOffset(bytes);
    ASSERT_NE(at, 0u);
    auto setSize = [&bytes, at](int width, int height) {
        bytes[at] = static_cast<uint8_t>(height >> 8);
        bytes[at + 1] = static_cast<uint8_t>(height);
        bytes[at + 2] = static_cast<uint8_t>(width >> 8);
        bytes[at + 3] = static_cast<uint8_t>(width);
    };
    for (const auto& [width, height] : {std::pair{kMaxJpegEdge + 1, 8}, std::pair{16, kMaxJpegEdge + 1},
                                        std::pair{65500, 65500}}) {
        setSize(width, height);
        const Decoded d = Decode(bytes);
        EXPECT_FALSE(d.pixels) << width << "x" << height;
        EXPECT_EQ(d.width, 0);
        EXPECT_NE(std::strstr(LastJpegMessage(), "too large"), nullptr) << LastJpegMessage();
    }
    // At the limit the header is believed; the scan's data ends early at the
    // end-of-image marker and the rest of the picture is filled in.
    setSize(kMaxJpegEdge, 8);
    const Decoded d = Decode(bytes);
    ASSERT_TRUE(d.pixels) << LastJpegMessage();
    EXPECT_EQ(d.width, kMaxJpegEdge);
    EXPECT_EQ(d.height, 8);
    EXPECT_EQ(std::strstr(LastJpegMessage(), "too large"), nullptr);
}

TEST(JpegDecodeTest, CorruptBytesNeverBreakTheDecoder) {
    // Flips bytes all through a valid stream. The decoder may reject the
    // result or decode garbage, but anything it returns has a sane size.
    const std::vector<uint8_t> whole =
        Encode(StripedRgb(41, std::vector<std::array<uint8_t, 3>>(24, {120, 30, 220})), {90, false, 0});
    uint32_t state = 12345;
    auto next = [&state] {
        state = state * 1103515245u + 12345u;
        return state >> 8;
    };
    int rejected = 0;
    for (int trial = 0; trial < 400; ++trial) {
        std::vector<uint8_t> bytes = whole;
        const int flips = 1 + static_cast<int>(next() % 6);
        for (int f = 0; f < flips; ++f) {
            bytes[next() % bytes.size()] ^= static_cast<uint8_t>(1 + next() % 255);
        }
        const Decoded d = Decode(bytes);
        if (!d.pixels) {
            ++rejected;
            EXPECT_EQ(d.width, 0);
            EXPECT_EQ(d.height, 0);
            continue;
        }
        ASSERT_GT(d.width, 0);
        ASSERT_GT(d.height, 0);
        ASSERT_LE(d.width, kMaxJpegEdge);
        ASSERT_LE(d.height, kMaxJpegEdge);
        // Padding stays zero whatever the data; reading it row by row up to
        // the last byte also checks the block is as large as its size says.
        const size_t pitch = PitchFor(d.width);
        for (int32_t r = 0; r < d.height; ++r) {
            for (size_t i = static_cast<size_t>(d.width) * 3; i < pitch; ++i) {
                ASSERT_EQ(d.pixels[r * pitch + i], 0) << "row " << r;
            }
        }
    }
    EXPECT_GT(rejected, 0);
}

}  // namespace
}  // namespace skyloom
