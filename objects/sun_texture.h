#pragma once

#include <cstdint>

namespace skyloom {

// Scale of the glow in the sun textures; the sun sizes use it as well, so a
// sun's billboard shows its glow at the intended size.
inline constexpr double kSunGlowScale = 0.68;

enum class SunTextureKind {
    // Mipmapped glow; with ShowSunFlare it also carries thin rings, the
    // cross lines and the diagonals of a camera's star filter.
    Flare,
    // Alpha-only glow without rings or lines, for the giant kinds.
    Plain,
};

// Generates a square sun texture of FitTextureSize(256) texels: white with
// the radial glow in the alpha channel. Returns the new texture name, left
// bound to GL_TEXTURE_2D, or 0xFFFFFFFF when no texture size fits (nothing
// is then created). Needs a current GL context.
uint32_t MakeSunTexture(SunTextureKind kind);

}  // namespace skyloom
