// Screenshot files written from the offscreen context's framebuffer.

#include "saver/screenshot.h"

#include <GL/gl.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <sys/stat.h>

#include "platform/offscreen/offscreen_gl.h"
#include "tests/support/temp_config.h"

namespace skyloom {
namespace {

using testing::ReadFileText;
using testing::ScratchFolder;
using testing::WriteFileText;

uint32_t Read32(const std::string& bytes, size_t at) {
    return static_cast<uint32_t>(static_cast<uint8_t>(bytes[at])) |
           static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 1])) << 8 |
           static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 2])) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 3])) << 24;
}
uint32_t Read16(const std::string& bytes, size_t at) {
    return static_cast<uint32_t>(static_cast<uint8_t>(bytes[at])) |
           static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 1])) << 8;
}

// Blue, green, red of pixel (x, y), y counted from the bottom as stored.
struct Bgr {
    int b, g, r;
    bool operator==(const Bgr&) const = default;
};
Bgr PixelOf(const std::string& file, int stride, int x, int y) {
    const size_t at = kBmpHeaderBytes + static_cast<size_t>(y) * stride + static_cast<size_t>(x) * 3;
    return {static_cast<uint8_t>(file[at]), static_cast<uint8_t>(file[at + 1]), static_cast<uint8_t>(file[at + 2])};
}

void FillRect(int x, int y, int width, int height, float r, float g, float b) {
    glEnable(GL_SCISSOR_TEST);
    glScissor(x, y, width, height);
    glClearColor(r, g, b, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
}

class ScreenshotFileTest : public ::testing::Test {
protected:
    void TearDown() override { gl.Destroy(); }

    // A black picture with a red bottom-left pixel, a blue bottom-right
    // one and a green top-left one, saved and read back.
    std::string Capture(int width, int height) {
        EXPECT_TRUE(gl.Create(width, height));
        FillRect(0, 0, width, height, 0.0f, 0.0f, 0.0f);
        FillRect(0, 0, 1, 1, 1.0f, 0.0f, 0.0f);
        FillRect(width - 1, 0, 1, 1, 0.0f, 0.0f, 1.0f);
        FillRect(0, height - 1, 1, 1, 0.0f, 1.0f, 0.0f);
        const std::string path = ScratchFolder() + "/shot_" + std::to_string(width) + ".bmp";
        EXPECT_EQ(WriteScreenshot(width, height, path.c_str()), 0);
        return ReadFileText(path);
    }

    OffscreenGlContext gl;
};

TEST_F(ScreenshotFileTest, OddWidthPadsEachRowToFourBytes) {
    const std::string file = Capture(150, 100);
    EXPECT_EQ(ScreenshotRowStride(150), 452);
    ASSERT_EQ(file.size(), 45254u);
    EXPECT_EQ(file.substr(0, 2), "BM");
    EXPECT_EQ(Read32(file, 2), 45254u);     // file size
    EXPECT_EQ(Read32(file, 6), 0u);         // reserved
    EXPECT_EQ(Read32(file, 10), 54u);       // pixel data offset
    EXPECT_EQ(Read32(file, 14), 40u);       // information header size
    EXPECT_EQ(Read32(file, 18), 150u);      // width
    EXPECT_EQ(Read32(file, 22), 100u);      // height, positive: bottom-up
    EXPECT_EQ(Read16(file, 26), 1u);        // planes
    EXPECT_EQ(Read16(file, 28), 24u);       // bits per pixel
    EXPECT_EQ(Read32(file, 30), 0u);        // uncompressed
    EXPECT_EQ(Read32(file, 34), 45200u);    // image size
    for (size_t at = 38; at < 54; at += 4) {
        EXPECT_EQ(Read32(file, at), 0u) << "at " << at;
    }
    // Bottom row first, blue-green-red.
    EXPECT_EQ(PixelOf(file, 452, 0, 0), (Bgr{0, 0, 255}));
    EXPECT_EQ(PixelOf(file, 452, 149, 0), (Bgr{255, 0, 0}));
    EXPECT_EQ(PixelOf(file, 452, 0, 99), (Bgr{0, 255, 0}));
    EXPECT_EQ(PixelOf(file, 452, 1, 0), (Bgr{0, 0, 0}));
    for (int row = 0; row < 100; ++row) {
        EXPECT_EQ(file[54 + row * 452 + 450], 0);
        EXPECT_EQ(file[54 + row * 452 + 451], 0);
    }
}

TEST_F(ScreenshotFileTest, WidthOfAMultipleOfFourNeedsNoPadding) {
    const std::string file = Capture(1024, 768);
    ASSERT_EQ(file.size(), 2359350u);
    EXPECT_EQ(Read32(file, 2), 2359350u);
    EXPECT_EQ(Read32(file, 18), 1024u);
    EXPECT_EQ(Read32(file, 22), 768u);
    EXPECT_EQ(Read32(file, 34), 1024u * 768u * 3u);
    EXPECT_EQ(PixelOf(file, 3072, 1023, 0), (Bgr{255, 0, 0}));
    EXPECT_EQ(PixelOf(file, 3072, 0, 767), (Bgr{0, 255, 0}));
}

TEST(ScreenshotWriteTest, NeverOverwritesAndLeavesNothingWhereItCannotWrite) {
    const uint8_t rows[8] = {1, 2, 3, 0, 4, 5, 6, 0};
    const std::string taken = ScratchFolder() + "/taken.bmp";
    ASSERT_TRUE(WriteFileText(taken, "someone's picture"));
    EXPECT_EQ(WriteBmpFile(taken.c_str(), 1, 2, rows), EEXIST);
    EXPECT_EQ(ReadFileText(taken), "someone's picture");

    // A folder that is a regular file.
    const std::string blocker = ScratchFolder() + "/blocker";
    ASSERT_TRUE(WriteFileText(blocker, "x"));
    EXPECT_EQ(WriteBmpFile((blocker + "/shot.bmp").c_str(), 1, 2, rows), ENOTDIR);

    EXPECT_EQ(WriteBmpFile((ScratchFolder() + "/empty.bmp").c_str(), 0, 2, rows), EINVAL);
    struct stat info {};
    EXPECT_NE(stat((ScratchFolder() + "/empty.bmp").c_str(), &info), 0);

    const std::string written = ScratchFolder() + "/tiny.bmp";
    ASSERT_EQ(WriteBmpFile(written.c_str(), 1, 2, rows), 0);
    const std::string file = ReadFileText(written);
    ASSERT_EQ(file.size(), 62u);
    EXPECT_EQ(file.substr(54), std::string(reinterpret_cast<const char*>(rows), 8));
}

}  // namespace
}  // namespace skyloom
