#include "objects/sun_texture.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "scene/render_size.h"
#include "scene/vecmath.h"
#include "settings/settings.h"

namespace skyloom {

namespace {

constexpr uint32_t kNoTexture = 0xFFFFFFFFu;
constexpr int32_t kSunTextureSize = 256;

// Alpha of texel (row i, column j) of an n x n texture.
uint8_t GlowAlpha(int i, int j, int n, SunTextureKind kind, bool sunFlare) {
    const double m = n / 2.0;
    const double d = std::sqrt((j - m) * (j - m) + (i - m) * (i - m)) * kSunGlowScale;
    const double t = d / m;
    // exp(5) is the value at the centre, so the glow starts just below 1.
    const double e5 = std::exp(5.0);
    double v = (std::exp(5.0 * (1.0 - t)) - 1.0) / e5;
    if (t > 0.5) {
        // A gentle slope takes the long tail down to nothing before the edge.
        v -= (t - 0.5) * 0.1;
        Clamp(v, 0.0, 1.0);
    }
    if (sunFlare) {
        if (d < 10.0) {
            v *= 1.025;
        }
        if (kind == SunTextureKind::Flare) {
            const int h = n / 2;
            if (static_cast<int>(d) % 20 == 0) {
                v *= 1.05;
            }
            if (i == h) {
                v *= 1.05;
            }
            if (j == h) {
                v *= 1.1;
            }
            if (std::abs(j - i) < 1.5) {
                v *= 1.025;
            }
            if (std::abs(i + j - n) < 1.5) {
                v *= 1.025;
            }
        }
    }
    double alpha = v * 255.0;
    Clamp(alpha, 0.0, 255.0);
    return static_cast<uint8_t>(alpha);
}

}  // namespace

uint32_t MakeSunTexture(SunTextureKind kind) {
    const int32_t n = FitTextureSize(kSunTextureSize);
    if (n <= 0) {
        return kNoTexture;
    }
    const size_t bytes = static_cast<size_t>(n) * n * 4;
    auto* texels = static_cast<uint8_t*>(std::malloc(bytes));
    if (texels == nullptr) {
        return kNoTexture;
    }
    std::memset(texels, 255, bytes);
    const bool sunFlare = ShowSunFlare.Get() == 1;
    for (int i = 0; i < n; ++i) {
        uint8_t* row = texels + static_cast<size_t>(i) * n * 4;
        for (int j = 0; j < n; ++j) {
            row[j * 4 + 3] = GlowAlpha(i, j, n, kind, sunFlare);
        }
    }

    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    if (kind == SunTextureKind::Flare) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        if (gluBuild2DMipmaps(GL_TEXTURE_2D, GL_RGBA8, n, n, GL_RGBA, GL_UNSIGNED_BYTE, texels) != 0) {
            // Older GLU implementations know only the component count.
            gluBuild2DMipmaps(GL_TEXTURE_2D, 4, n, n, GL_RGBA, GL_UNSIGNED_BYTE, texels);
        }
    } else {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        // The sprite colour tints the glow, so only its alpha is kept.
        glTexImage2D(GL_TEXTURE_2D, 0, GL_ALPHA, n, n, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
    }
    std::free(texels);
    return name;
}

}  // namespace skyloom
