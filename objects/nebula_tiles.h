#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace skyloom {

// A nebula texture is mostly transparent, yet its billboard covers the whole
// view; on a software renderer every covered pixel costs as much as a
// visible one. The texture is cut into a grid of tiles and only the tiles
// with something to show are drawn.
inline constexpr int32_t kNebulaTilesPerSide = 32;

struct NebulaTileMask {
    // Tiles per side actually used: fewer for textures smaller than the grid.
    int32_t tilesPerSide = 0;
    // Row-major, row 0 holding texel row 0; non-zero when the tile is drawn.
    std::array<uint8_t, kNebulaTilesPerSide * kNebulaTilesPerSide> visible{};
};

// Marks the tiles of a size * size RGBA texture whose alpha is non-zero
// anywhere within the tile or one texel around it: linear filtering mixes
// in the neighbouring texels, so a tile next to a cloud edge still shows a
// trace of it. size must be a power of two.
void FindVisibleTiles(const uint8_t* texels, int32_t size, NebulaTileMask& mask);

// The visible tiles as quads in the unit square, two floats a corner and
// four corners a tile, in the winding of the billboard's own quad. The
// corners double as texture coordinates.
std::vector<float> VisibleTileCorners(const NebulaTileMask& mask);

}  // namespace skyloom
