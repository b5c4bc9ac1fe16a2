#pragma once

#include "scene/resource_textures.h"

#include <cstddef>
#include <cstdint>

namespace skyloom {

// Decodes a complete baseline or progressive JPEG stream of at most
// kMaxJpegEdge pixels a side into rows of width * 3 bytes, RGB, top row
// first and unpadded; greyscale comes out with R = G = B. Null for anything
// else, with LastJpegMessage saying why; width and height are then left
// alone. Each build links one decoder: libjpeg on Linux, stb_image's on
// Windows.
PixelBlock DecodeJpegRows(const uint8_t* data, size_t size, int32_t* width, int32_t* height);

}  // namespace skyloom
