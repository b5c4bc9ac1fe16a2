// Windows has no libjpeg: stb_image decodes there. stb_image makes do with
// a stream that ends early, so the stream's markers are walked first and
// only one that reaches its end-of-image marker is decoded, as libjpeg
// insists on Linux.

#include "scene/jpeg_decode.h"

#include <climits>
#include <cstdio>
#include <cstdlib>

#define STBI_ONLY_JPEG
#define STBI_NO_STDIO
#define STBI_FAILURE_USERMSG
// The pixels go into a PixelBlock, which frees them with std::free.
#define STBI_MALLOC std::malloc
#define STBI_REALLOC std::realloc
#define STBI_FREE std::free
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#include <stb_image.h>
#pragma GCC diagnostic pop

namespace skyloom {

namespace {

char lastJpegMessage[200] = "";

constexpr uint8_t kMarker = 0xFF;
constexpr uint8_t kStartOfImage = 0xD8;
constexpr uint8_t kEndOfImage = 0xD9;
constexpr uint8_t kStartOfScan = 0xDA;

bool IsRestart(uint8_t code) { return code >= 0xD0 && code <= 0xD7; }

// Moves at past the next marker and stores its code, skipping whatever
// stands before the marker as libjpeg does; false when the data ends first.
bool NextMarker(const uint8_t* data, size_t size, size_t& at, uint8_t& code) {
    for (;;) {
        while (at < size && data[at] != kMarker) {
            ++at;
        }
        while (at < size && data[at] == kMarker) {
            ++at;
        }
        if (at >= size) {
            return false;
        }
        // 0xFF 0x00 outside a scan is no marker either.
        code = data[at++];
        if (code != 0x00) {
            return true;
        }
    }
}

// The position of the marker that ends the entropy-coded data starting at
// at: the first 0xFF followed by neither a stuffed 0x00 nor a restart code.
size_t EndOfScanData(const uint8_t* data, size_t size, size_t at) {
    for (; at + 1 < size; ++at) {
        if (data[at] == kMarker && data[at + 1] != 0x00 && !IsRestart(data[at + 1])) {
            return at;
        }
    }
    return size;
}

// Whether the stream starts with its start-of-image marker and runs through
// whole segments and scans to an end-of-image marker.
bool ReachesEndOfImage(const uint8_t* data, size_t size) {
    if (data == nullptr || size < 2 || data[0] != kMarker || data[1] != kStartOfImage) {
        std::snprintf(lastJpegMessage, sizeof lastJpegMessage, "Not a JPEG file");
        return false;
    }
    size_t at = 2;
    uint8_t code = 0;
    while (NextMarker(data, size, at, code)) {
        if (code == kEndOfImage) {
            return true;
        }
        if (code == 0x01 || IsRestart(code)) {
            continue;  // markers without a segment
        }
        if (size - at < 2) {
            break;
        }
        const size_t length = (static_cast<size_t>(data[at]) << 8) | data[at + 1];
        if (length < 2 || size - at < length) {
            break;
        }
        at += length;
        if (code == kStartOfScan) {
            at = EndOfScanData(data, size, at);
        }
    }
    std::snprintf(lastJpegMessage, sizeof lastJpegMessage, "Premature end of JPEG file");
    return false;
}

void KeepStbFailure() { std::snprintf(lastJpegMessage, sizeof lastJpegMessage, "%s", stbi_failure_reason()); }

}  // namespace

PixelBlock DecodeJpegRows(const uint8_t* data, size_t size, int32_t* width, int32_t* height) {
    lastJpegMessage[0] = '\0';
    if (!ReachesEndOfImage(data, size)) {
        return nullptr;
    }
    if (size > static_cast<size_t>(INT_MAX)) {
        std::snprintf(lastJpegMessage, sizeof lastJpegMessage, "JPEG stream too long");
        return nullptr;
    }
    const int length = static_cast<int>(size);
    int w = 0;
    int h = 0;
    int components = 0;
    // The header alone decides the allocations below: a forged one must not
    // be able to ask for gigabytes.
    if (!stbi_info_from_memory(data, length, &w, &h, &components)) {
        KeepStbFailure();
        return nullptr;
    }
    if (w > kMaxJpegEdge || h > kMaxJpegEdge) {
        std::snprintf(lastJpegMessage, sizeof lastJpegMessage, "Image of %dx%d pixels is too large", w, h);
        return nullptr;
    }
    PixelBlock rows(stbi_load_from_memory(data, length, &w, &h, &components, 3));
    if (!rows) {
        KeepStbFailure();
        return nullptr;
    }
    *width = w;
    *height = h;
    return rows;
}

const char* LastJpegMessage() { return lastJpegMessage; }

}  // namespace skyloom
