// Any bytes handed to the TGA reader behind LoadTgaTexture: no crash, no
// read outside the input, and on success exactly the pixels the header
// announced, converted from the file's B, G, R order.

#include "fuzz/fuzz_support.h"
#include "scene/resource_textures.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    skyloom::TgaImage image;
    image.width = -1;
    if (!skyloom::DecodeTga(data, size, &image)) {
        SKYLOOM_FUZZ_CHECK(image.pixels.empty() && image.width == 0 && image.height == 0);
        return 0;
    }
    constexpr size_t kHeader = 18;
    SKYLOOM_FUZZ_CHECK(image.width >= 1 && image.width <= 65535 && image.height >= 1 && image.height <= 65535);
    SKYLOOM_FUZZ_CHECK(image.bytesPerPixel == 3 || image.bytesPerPixel == 4);
    SKYLOOM_FUZZ_CHECK(data[16] == image.bytesPerPixel * 8);
    const size_t count = static_cast<size_t>(image.width) * image.height;
    SKYLOOM_FUZZ_CHECK(image.pixels.size() == count * image.bytesPerPixel);
    SKYLOOM_FUZZ_CHECK(kHeader + image.pixels.size() <= size);
    const size_t step = image.bytesPerPixel;
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* in = data + kHeader + i * step;
        const uint8_t* out = image.pixels.data() + i * step;
        SKYLOOM_FUZZ_CHECK(out[0] == in[2] && out[1] == in[1] && out[2] == in[0]);
        SKYLOOM_FUZZ_CHECK(step == 3 || out[3] == in[3]);
    }
    return 0;
}
