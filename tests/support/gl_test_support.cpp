#include "tests/support/gl_test_support.h"

#include <GL/gl.h>

#include <algorithm>

#include <gtest/gtest.h>

namespace skyloom::testing {

Framebuffer ReadFramebuffer(const OffscreenGlContext& gl) {
    Framebuffer frame;
    if (!gl.ReadPixels(frame.rgba)) {
        ADD_FAILURE() << "the offscreen framebuffer could not be read";
        frame.rgba.clear();
        return frame;
    }
    frame.width = gl.Width();
    frame.height = gl.Height();
    return frame;
}

LitRegion FindLitPixels(const Framebuffer& frame, int threshold) {
    LitRegion region;
    for (int y = 0; y < frame.height; ++y) {
        for (int x = 0; x < frame.width; ++x) {
            const uint8_t* p = frame.At(x, y);
            if (std::max({p[0], p[1], p[2]}) <= threshold) {
                continue;
            }
            if (region.count == 0) {
                region.left = region.right = x;
                region.top = region.bottom = y;
            } else {
                region.left = std::min(region.left, x);
                region.right = std::max(region.right, x);
                region.top = std::min(region.top, y);
                region.bottom = std::max(region.bottom, y);
            }
            ++region.count;
        }
    }
    return region;
}

uint32_t MakeSolidTexture(int width, int height, uint8_t alpha) {
    std::vector<uint8_t> texels(static_cast<size_t>(width) * height * 4, 255);
    for (size_t i = 3; i < texels.size(); i += 4) {
        texels[i] = alpha;
    }
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    return name;
}

void SetSceneRenderState() {
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glEnable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0.0f);
    glDisable(GL_DEPTH_TEST);
}

}  // namespace skyloom::testing
