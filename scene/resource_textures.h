#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

namespace skyloom {

// A texture made from one of the program's images, with the image's size.
struct TextureRecord {
    int32_t texture = -1;  // GL texture name, -1 when none
    int32_t width = 0;
    int32_t height = 0;
};

struct PixelBlockFree {
    void operator()(uint8_t* block) const { std::free(block); }
};
using PixelBlock = std::unique_ptr<uint8_t[], PixelBlockFree>;

// Decodes a JPEG stream of size bytes. The block holds RGB, 3 bytes a pixel,
// rows bottom-up (first row = bottom of the image), each row padded with zero
// bytes to a multiple of 4 bytes (GL's default unpack alignment); greyscale
// images come out with R = G = B. Returns null and sets width and height to
// 0 for anything that is not a complete baseline or progressive JPEG of at
// most kMaxJpegEdge pixels a side: any bytes may be passed.
constexpr int32_t kMaxJpegEdge = 4096;
PixelBlock DecodeJpegFromMemory(const uint8_t* data, size_t size, int32_t* width, int32_t* height);
// The decoder's text for the error that ended the last failed decode, or
// the last warning of the last decode; empty when there was none.
const char* LastJpegMessage();

// An uncompressed true-colour TGA image: pixels R, G, B (and A for 32 bits)
// with the rows in the order the file stores them (its origin bits are not
// looked at).
struct TgaImage {
    std::vector<uint8_t> pixels;
    int32_t width = 0;
    int32_t height = 0;
    int32_t bytesPerPixel = 0;  // 3 or 4
};
// Reads the 18-byte header (width, height, bits per pixel) and the pixels
// that directly follow it. False, leaving image empty, for fewer bytes than
// the header announces, a zero width or height, or a depth other than 24
// or 32 bits.
bool DecodeTga(const uint8_t* data, size_t size, TgaImage* image);

// Fill the texture bound to GL_TEXTURE_2D from the program's "JPG" or "tga"
// image with this id, set its filtering and leave the image's size in
// LastImageWidth and LastImageHeight. When the image is missing or does not
// decode, the texture is left as it was (empty for a fresh name), both
// sizes are 0 and the result is false. Need a current GL context.
bool LoadJpegTexture(uint16_t resourceId);
bool LoadTgaTexture(uint16_t resourceId);

// Size of the image the last LoadJpegTexture or LoadTgaTexture read.
int32_t LastImageWidth();
int32_t LastImageHeight();

}  // namespace skyloom
