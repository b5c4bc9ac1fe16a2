#include "scene/texture_tiles.h"

#include <algorithm>

namespace skyloom {

namespace {

bool AnyAlphaIn(const uint8_t* texels, int32_t size, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    for (int32_t y = y0; y < y1; ++y) {
        const uint8_t* alpha = texels + (static_cast<size_t>(y) * size + x0) * 4 + 3;
        for (int32_t x = x0; x < x1; ++x, alpha += 4) {
            if (*alpha != 0) {
                return true;
            }
        }
    }
    return false;
}

}  // namespace

void FindVisibleTiles(const uint8_t* texels, int32_t size, TextureTileMask& mask) {
    mask.tilesPerSide = std::clamp(size, 1, kTextureTilesPerSide);
    mask.visible.fill(0);
    const int32_t tile = size / mask.tilesPerSide;
    for (int32_t ty = 0; ty < mask.tilesPerSide; ++ty) {
        for (int32_t tx = 0; tx < mask.tilesPerSide; ++tx) {
            const int32_t x0 = std::max(0, tx * tile - 1);
            const int32_t y0 = std::max(0, ty * tile - 1);
            const int32_t x1 = std::min(size, (tx + 1) * tile + 1);
            const int32_t y1 = std::min(size, (ty + 1) * tile + 1);
            mask.visible[ty * kTextureTilesPerSide + tx] = AnyAlphaIn(texels, size, x0, y0, x1, y1) ? 1 : 0;
        }
    }
}

std::vector<float> VisibleTileCorners(const TextureTileMask& mask) {
    std::vector<float> corners;
    const int32_t n = mask.tilesPerSide;
    for (int32_t ty = 0; ty < n; ++ty) {
        for (int32_t tx = 0; tx < n; ++tx) {
            if (mask.visible[ty * kTextureTilesPerSide + tx] == 0) {
                continue;
            }
            const float u0 = static_cast<float>(tx) / n;
            const float u1 = static_cast<float>(tx + 1) / n;
            const float v0 = static_cast<float>(ty) / n;
            const float v1 = static_cast<float>(ty + 1) / n;
            corners.insert(corners.end(), {u0, v0, u1, v0, u1, v1, u0, v1});
        }
    }
    return corners;
}

}  // namespace skyloom
