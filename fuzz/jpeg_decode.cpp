// Any bytes handed to the JPEG decoder: no crash, no read outside the
// input, no leak, and a picture only within the size limits, its rows
// padded as promised.

#include "fuzz/fuzz_support.h"
#include "scene/resource_textures.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    int32_t width = -1;
    int32_t height = -1;
    const skyloom::PixelBlock pixels = skyloom::DecodeJpegFromMemory(data, size, &width, &height);
    SKYLOOM_FUZZ_CHECK(std::strlen(skyloom::LastJpegMessage()) < 200);
    if (!pixels) {
        SKYLOOM_FUZZ_CHECK(width == 0 && height == 0);
        return 0;
    }
    SKYLOOM_FUZZ_CHECK(width >= 1 && width <= skyloom::kMaxJpegEdge);
    SKYLOOM_FUZZ_CHECK(height >= 1 && height <= skyloom::kMaxJpegEdge);
    // Every byte of every padded row belongs to the block (the address
    // sanitizer checks the reads), and the padding is zero.
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    const size_t pitch = (rowBytes + 3) / 4 * 4;
    unsigned sum = 0;
    for (int32_t row = 0; row < height; ++row) {
        const uint8_t* line = pixels.get() + static_cast<size_t>(row) * pitch;
        for (size_t i = 0; i < rowBytes; ++i) {
            sum += line[i];
        }
        for (size_t i = rowBytes; i < pitch; ++i) {
            SKYLOOM_FUZZ_CHECK(line[i] == 0);
        }
    }
    // Keeps the reads from being optimised away.
    SKYLOOM_FUZZ_CHECK(sum <= 255u * pitch * static_cast<size_t>(height));
    return 0;
}
