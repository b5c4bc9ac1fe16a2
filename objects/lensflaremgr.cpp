#include "objects/lensflaremgr.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "objects/sun.h"
#include "scene/frame_clock.h"
#include "scene/random.h"
#include "settings/settings.h"

namespace skyloom {

namespace {

// Glow, ringed glow, thin ring, dark disc, bubble.
constexpr uint16_t kFlareResourceIds[kFlareTextureCount] = {188, 189, 190, 193, 192};
// On the vertical centre line the flare line has no slope: any reach far
// beyond the window does.
constexpr double kVerticalReach = 10.0;

TextureRecord flareTextures[kFlareTextureCount];
int liveFlares = 0;

double Distance2D(double x, double y, const Vector3d& s) { return std::hypot(x - s.x, y - s.y); }

}  // namespace

LensFlare::LensFlare(Sun* owner) : sun(owner) {
    sprite_ = new OverlaySprite();
    sprite_->SetName("Flare");
    sprite_->size = 0.01 + RandomDraw() * 0.05 / 32767.0;
    const TextureRecord& picture = flareTextures[RandomDraw() % kFlareTextureCount];
    sprite_->texture = static_cast<uint32_t>(picture.texture);
    sprite_->imageWidth = picture.width;
    sprite_->imageHeight = picture.height;
    brightness = 0.8 + RandomDraw() * 0.4 / 32767.0;
    redFactor = 0.9 + RandomDraw() * 0.2 / 32767.0;
    greenFactor = 0.9 + RandomDraw() * 0.2 / 32767.0;
    blueFactor = 0.9 + RandomDraw() * 0.2 / 32767.0;
    ++liveFlares;
}

LensFlare::~LensFlare() { --liveFlares; }

void LensFlare::Update() {
    fade += 0.5 * FrameSeconds();
    Clamp(fade, 0.0, 1.0);
    if (sun == nullptr) {
        return;
    }
    const Vector3d& s = sun->screenPosition;
    sprite_->position.Set(s.x + axis * (0.5 - s.x), s.y + axis * (0.5 - s.y), s.z - axis * s.z);
    ColorRGBA color(sun->color.x * redFactor * brightness, sun->color.y * greenFactor * brightness,
                     sun->color.z * blueFactor * brightness, sun->flareStrength * sun->growth * fade);
    color.Clamp(0.0, 1.0);
    sprite_->color = color;
}

bool LensFlare::IsFinished() {
    if (sun != nullptr) {
        return false;
    }
    sprite_->finished = true;
    return true;
}

int LiveLensFlareCount() { return liveFlares; }

void LoadFlareTextures() {
    for (int k = 0; k < kFlareTextureCount; ++k) {
        GLuint name = 0;
        glGenTextures(1, &name);
        glBindTexture(GL_TEXTURE_2D, name);
        if (LoadTgaTexture(kFlareResourceIds[k])) {
            flareTextures[k] = TextureRecord{static_cast<int32_t>(name), LastImageWidth(), LastImageHeight()};
        } else {
            glDeleteTextures(1, &name);
            flareTextures[k] = TextureRecord{};
        }
    }
}

void ReleaseFlareTextures() {
    for (TextureRecord& record : flareTextures) {
        if (record.texture != -1) {
            const GLuint name = static_cast<GLuint>(record.texture);
            glDeleteTextures(1, &name);
        }
        record = TextureRecord{};
    }
}

const TextureRecord& FlareTexture(int entry) { return flareTextures[entry]; }

double LensFlareReach(const Vector3d& s) {
    const double vx = 0.5 - s.x;
    const double vy = 0.5 - s.y;
    if (vx == 0.0) {
        return kVerticalReach;
    }
    // The flare line: y = b + k x.
    const double k = vy / vx;
    const double b = 0.5 - 0.5 * k;
    // Where it crosses the left and right edges; the far one counts.
    const double dx = std::max(Distance2D(0.0, b, s), Distance2D(1.0, b + k, s));
    if (k == 0.0) {
        return dx;
    }
    // The same for the top and bottom edges; the line leaves the window at
    // whichever far crossing comes first.
    const double dy = std::max(Distance2D(-b / k, 0.0, s), Distance2D((1.0 - b) / k, 1.0, s));
    return std::min(dx, dy);
}

void CreateLensFlares(Sun& sun) {
    const Vector3d& s = sun.screenPosition;
    const double reach = LensFlareReach(s);
    const double towardsCentre = std::hypot(0.5 - s.x, 0.5 - s.y);
    if (towardsCentre == 0.0) {
        return;
    }
    const double axisMax = reach / towardsCentre;
    const int count = LowDetail.Get() == 1 ? RandomInt(4, 8) : RandomInt(5, 15);
    const double step = axisMax / count;
    char name[32];
    for (int n = 0; n < count; ++n) {
        auto* flare = new LensFlare(&sun);
        std::snprintf(name, sizeof name, "Lens flare #%d", n);
        flare->SetName(name);
        flare->axis = (n + 1) * step - step / 2.0 + RandomDraw() * step / 32767.0;
    }
}

}  // namespace skyloom
