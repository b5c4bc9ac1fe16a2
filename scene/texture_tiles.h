#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace skyloom {

// A nebula texture is mostly transparent, yet its billboard covers the
// whole view; on a software renderer every covered pixel costs as much as a
// visible one. Such a texture is cut into a grid of tiles and only the
// tiles with something to show are drawn. (Sun glows gain nothing from it:
// they are seldom large on the screen, and many small tiles cost more to
// set up than the pixels they save.)
inline constexpr int32_t kTextureTilesPerSide = 32;

struct TextureTileMask {
    // Tiles per side actually used: fewer for textures smaller than the grid.
    int32_t tilesPerSide = 0;
    // Row-major, row 0 holding texel row 0; non-zero when the tile is drawn.
    std::array<uint8_t, kTextureTilesPerSide * kTextureTilesPerSide> visible{};
};

// Marks the tiles of a size * size RGBA texture whose alpha is non-zero
// anywhere within the tile or one texel around it: linear filtering mixes
// in the neighbouring texels, so a tile next to a cloud edge still shows a
// trace of it. size must be a power of two; the texture has no mipmaps.
void FindVisibleTiles(const uint8_t* texels, int32_t size, TextureTileMask& mask);

// The visible tiles as quads in the unit square, two floats a corner and
// four corners a tile, in the winding of the billboard's own quad. The
// corners double as texture coordinates.
std::vector<float> VisibleTileCorners(const TextureTileMask& mask);

}  // namespace skyloom
