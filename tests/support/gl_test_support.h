#pragma once

#include <cstdint>
#include <vector>

#include "platform/offscreen/offscreen_gl.h"

namespace skyloom::testing {

// A framebuffer read back from an offscreen context, rows from the top.
struct Framebuffer {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;

    const uint8_t* At(int x, int y) const { return &rgba[(static_cast<size_t>(y) * width + x) * 4]; }
};

// Reads the current framebuffer of the context; an empty Framebuffer (and
// a failed test) when it cannot.
Framebuffer ReadFramebuffer(const OffscreenGlContext& gl);

// Bounding box and count of the pixels whose brightest colour channel
// exceeds the threshold; right and bottom are inclusive.
struct LitRegion {
    int count = 0;
    int left = 0;
    int top = 0;
    int right = -1;
    int bottom = -1;

    int Width() const { return right - left + 1; }
    int Height() const { return bottom - top + 1; }
    double CentreX() const { return (left + right + 1) * 0.5; }
    double CentreY() const { return (top + bottom + 1) * 0.5; }
};
LitRegion FindLitPixels(const Framebuffer& frame, int threshold = 0);

// A width x height texture, white with the given alpha, nearest filtering
// (complete without mipmaps). Left bound to GL_TEXTURE_2D.
uint32_t MakeSolidTexture(int width, int height, uint8_t alpha);

// The scene-wide state scene set-up establishes: black clear colour,
// additive blending, alpha test above 0, back faces culled, depth test off.
void SetSceneRenderState();

}  // namespace skyloom::testing
