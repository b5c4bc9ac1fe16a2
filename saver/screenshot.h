#pragma once

#include <cstddef>
#include <cstdint>

namespace skyloom {

// F5 saves the picture in the GL window as an uncompressed 24-bit BMP,
// "sk_screenshot_NNN.bmp" in the user's pictures folder. The key only
// names the file and asks; the picture is read from the next frame before
// its swap, so the file always holds one whole frame.

inline constexpr size_t kBmpHeaderBytes = 54;
// Room for a screenshot's path, terminator included.
inline constexpr size_t kScreenshotPathSize = 4096;
// Requests waiting for the next frame at most; F5 is refused beyond that.
inline constexpr int kMaxPendingScreenshots = 4;

// Bytes in one stored row: width x 3 rounded up to a multiple of 4, the
// layout glReadPixels gives with its default pack alignment.
int32_t ScreenshotRowStride(int32_t width);

// The BMP file header (14 bytes) and information header (40 bytes) of a
// width x height 24-bit picture stored bottom row first.
void FillBmpHeaders(int32_t width, int32_t height, uint8_t (&headers)[kBmpHeaderBytes]);

// Writes the headers and the rows (bottom row first, blue-green-red,
// ScreenshotRowStride bytes each). A file that cannot be written whole is
// removed again. Returns 0, or the errno of the failure.
int WriteBmpFile(const char* path, int32_t width, int32_t height, const uint8_t* rows);

// Reads width x height pixels from the lower-left corner of the current
// read buffer and writes them with WriteBmpFile. Needs the GL context
// current. Returns 0, or the errno of the failure.
int WriteScreenshot(int32_t width, int32_t height, const char* path);

// The next free name in the user's pictures folder (created when it does
// not exist yet): "sk_screenshot_%03d.bmp" with the first number from the
// run's counter whose name is not taken. False, with one line on stderr,
// when there is no such folder or name.
bool ChooseScreenshotPath(char* path, size_t pathSize);

// Asks for the next frame's picture to go to path. False, with one line on
// stderr, when kMaxPendingScreenshots are already waiting or the path is
// too long.
bool SaveScreenshot(const char* path);

// The frame loop's part, after drawing and before the swap: writes every
// waiting request from the back buffer at the render size, rings the bell
// for each file written and writes one line on stderr for each that could
// not be.
void CapturePendingScreenshots();

}  // namespace skyloom
