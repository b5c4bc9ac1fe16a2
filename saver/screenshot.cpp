#include "saver/screenshot.h"

#include "os/beep.h"
#include "os/user_folders.h"
#include "scene/render_size.h"

#include <GL/gl.h>

// GL 1.2's name for the format; Windows' GL 1.1 header has only the older
// extension's name for the same value.
#ifndef GL_BGR
#define GL_BGR GL_BGR_EXT
#endif

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

namespace skyloom {

namespace {

constexpr uint32_t kFileHeaderBytes = 14;
constexpr uint32_t kInfoHeaderBytes = 40;

// The next number to try for a screenshot name; counts up for the whole run.
int32_t screenshotCounter = 0;

struct PendingScreenshot {
    char path[kScreenshotPathSize];
};
PendingScreenshot pending[kMaxPendingScreenshots];
int pendingCount = 0;

void Put16(uint8_t* at, uint32_t value) {
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
}

void Put32(uint8_t* at, uint32_t value) {
    Put16(at, value & 0xFFFF);
    Put16(at + 2, value >> 16);
}

// Whether the picture's byte counts fit the file's 32-bit fields.
bool FitsBmp(int32_t width, int32_t height) {
    if (width <= 0 || height <= 0) {
        return false;
    }
    const uint64_t imageBytes = static_cast<uint64_t>(ScreenshotRowStride(width)) * static_cast<uint64_t>(height);
    return imageBytes <= std::numeric_limits<uint32_t>::max() - kBmpHeaderBytes;
}

}  // namespace

int32_t ScreenshotRowStride(int32_t width) { return (width * 3 + 3) / 4 * 4; }

void FillBmpHeaders(int32_t width, int32_t height, uint8_t (&headers)[kBmpHeaderBytes]) {
    const uint32_t imageBytes = static_cast<uint32_t>(ScreenshotRowStride(width)) * static_cast<uint32_t>(height);
    std::memset(headers, 0, sizeof headers);
    headers[0] = 'B';
    headers[1] = 'M';
    Put32(headers + 2, static_cast<uint32_t>(kBmpHeaderBytes) + imageBytes);
    // 6 and 8: two reserved words, 0.
    Put32(headers + 10, static_cast<uint32_t>(kBmpHeaderBytes));
    uint8_t* info = headers + kFileHeaderBytes;
    Put32(info + 0, kInfoHeaderBytes);
    Put32(info + 4, static_cast<uint32_t>(width));
    // Positive: the rows run from the bottom of the picture up.
    Put32(info + 8, static_cast<uint32_t>(height));
    Put16(info + 12, 1);   // planes
    Put16(info + 14, 24);  // bits per pixel
    // 16: no compression; 20: image size; 24 .. 39: resolution and
    // palette counts, all 0.
    Put32(info + 20, imageBytes);
}

int WriteBmpFile(const char* path, int32_t width, int32_t height, const uint8_t* rows) {
    if (!FitsBmp(width, height)) {
        return EINVAL;
    }
    uint8_t headers[kBmpHeaderBytes];
    FillBmpHeaders(width, height, headers);
    const size_t imageBytes = static_cast<size_t>(ScreenshotRowStride(width)) * static_cast<size_t>(height);
    // "x": a name taken since it was chosen is never overwritten.
    std::FILE* file = std::fopen(path, "wbx");
    if (file == nullptr) {
        return errno != 0 ? errno : EIO;
    }
    int error = 0;
    if (std::fwrite(headers, 1, sizeof headers, file) != sizeof headers ||
        std::fwrite(rows, 1, imageBytes, file) != imageBytes || std::fflush(file) != 0) {
        error = errno != 0 ? errno : EIO;
    }
    if (std::fclose(file) != 0 && error == 0) {
        error = errno != 0 ? errno : EIO;
    }
    if (error != 0) {
        // Half a picture is worse than none.
        std::remove(path);
    }
    return error;
}

int WriteScreenshot(int32_t width, int32_t height, const char* path) {
    if (!FitsBmp(width, height)) {
        return EINVAL;
    }
    const size_t imageBytes = static_cast<size_t>(ScreenshotRowStride(width)) * static_cast<size_t>(height);
    auto* rows = static_cast<uint8_t*>(std::calloc(imageBytes, 1));
    if (rows == nullptr) {
        return ENOMEM;
    }
    // Errors left by earlier calls are not this read's.
    for (int k = 0; k < 16 && glGetError() != GL_NO_ERROR; ++k) {
    }
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, width, height, GL_BGR, GL_UNSIGNED_BYTE, rows);
    int error = glGetError() == GL_NO_ERROR ? 0 : EIO;
    if (error == 0) {
        error = WriteBmpFile(path, width, height, rows);
    }
    std::free(rows);
    return error;
}

bool ChooseScreenshotPath(char* path, size_t pathSize) {
    const std::string folder = PicturesFolder();
    if (folder.empty()) {
        std::fprintf(stderr, "Skyloom: no screenshot: there is no home folder to save it in.\n");
        return false;
    }
    if (!CreateFolderPath(folder)) {
        std::fprintf(stderr, "Skyloom: no screenshot: the pictures folder %s cannot be made: %s.\n", folder.c_str(),
                     std::strerror(errno));
        return false;
    }
    while (screenshotCounter < std::numeric_limits<int32_t>::max()) {
        const int length =
            std::snprintf(path, pathSize, "%s/sk_screenshot_%03d.bmp", folder.c_str(), screenshotCounter++);
        if (length < 0 || static_cast<size_t>(length) >= pathSize) {
            std::fprintf(stderr, "Skyloom: no screenshot: the path of the pictures folder %s is too long.\n",
                         folder.c_str());
            return false;
        }
        if (!FileExists(path)) {
            return true;
        }
    }
    std::fprintf(stderr, "Skyloom: no screenshot: every screenshot name in %s is taken.\n", folder.c_str());
    return false;
}

bool SaveScreenshot(const char* path) {
    if (pendingCount == kMaxPendingScreenshots) {
        std::fprintf(stderr, "Skyloom: no screenshot %s: %d are still waiting for the next frame.\n", path,
                     kMaxPendingScreenshots);
        return false;
    }
    if (std::strlen(path) >= kScreenshotPathSize) {
        std::fprintf(stderr, "Skyloom: no screenshot: the path %s is too long.\n", path);
        return false;
    }
    std::strcpy(pending[pendingCount].path, path);
    ++pendingCount;
    return true;
}

void CapturePendingScreenshots() {
    for (int k = 0; k < pendingCount; ++k) {
        const int error = WriteScreenshot(GetRenderWidth(), GetRenderHeight(), pending[k].path);
        if (error == 0) {
            Beep();
        } else {
            std::fprintf(stderr, "Skyloom: the screenshot %s could not be written: %s.\n", pending[k].path,
                         std::strerror(error));
        }
    }
    pendingCount = 0;
}

}  // namespace skyloom
