#pragma once

#include <atomic>
#include <cstdint>
#include <optional>

#include "objects/nebula_color.h"
#include "scene/vecmath.h"

namespace skyloom {

// Edge lengths the generator accepts: powers of two from 2 to 1024, the
// sizes texture fitting produces from 1024 or 512.
inline constexpr int32_t kPlasmaMaxSize = 1024;
// Row stride of the height grid.
inline constexpr int32_t kPlasmaGridStride = kPlasmaMaxSize + 1;
bool IsPlasmaSize(int32_t size);

// How the texture that is being made will be coloured, which decides
// whether it gets dark streaks.
struct PlasmaColoring {
    NebulaColorMode mode = NebulaColorMode::RandomEach;
    ColorRGBA baseColor;  // 0..255 scale
    bool darkStreaks = true;
};

struct PlasmaTexture {
    // Percentage of texels with non-zero alpha, counted before dark streaks.
    double coverage = 0.0;
    // Colour of the nebula that will wear the texture, 0..255 scale.
    ColorRGBA nextColor;
};

// One attempt at a nebula texture: midpoint-displacement plasma on the
// (size + 1)^2 height grid with roughness r, of which the top fraction t
// of the value range becomes alpha (0 below it, rising to 255 at the top)
// in size * size RGBA texels with white colour. Then the next colour is
// chosen, and a dark colour (sum of components at most 200) gets dark
// streaks when coloring asks for them. Draws from the calling thread's
// generator in a fixed order, so a seed reproduces the bytes.
// Uses the one static height grid: one caller at a time.
// nullopt when stop became set (checked every grid row and every few
// thousand walker steps; the texels are then incomplete) or for a size that
// is not a plasma size, a threshold outside (0, 1] or null texels.
std::optional<PlasmaTexture> GeneratePlasmaAlpha(int32_t size, double threshold, double roughness,
                                                 const PlasmaColoring& coloring, uint8_t* texels,
                                                 const std::atomic<bool>* stop = nullptr);

// The dark-streak walker over the alpha bytes of size * size RGBA texels:
// 500000 steps that alternately darken a saved point and a random
// neighbour by 1 %, moving the saved point on about once in forty steps.
// False when stop became set first, or for null texels or a size below 1.
bool BurnDarkStreaks(uint8_t* texels, int32_t size, const std::atomic<bool>* stop = nullptr);

// The height grid of the last generation, row stride kPlasmaGridStride;
// cell (i, j) became texel row i, column j.
const float* PlasmaHeightGrid();

}  // namespace skyloom
