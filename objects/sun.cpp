#include "objects/sun.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "objects/lensflaremgr.h"
#include "objects/sun_color.h"
#include "objects/sun_texture.h"
#include "scene/clock_source.h"
#include "scene/frame_clock.h"
#include "scene/render_size.h"
#include "scene/camera3d.h"
#include "scene/constellation_line.h"
#include "scene/random.h"
#include "scene/star_field.h"
#include "settings/settings.h"

namespace skyloom {

namespace {

constexpr uint32_t kNoTexture = 0xFFFFFFFFu;
constexpr int kMaxSuns = 200;
constexpr int kMinimumGoal = 5;
constexpr uint32_t kSpawnSpacingMs = 250;
constexpr double kGoalChangePeriod = 33.0;
constexpr double kGoalResetPeriod = 20.0;
constexpr double kFlareDistance = 20000.0;
constexpr double kFlareStrengthMax = 0.1;
constexpr double kFlareStrengthRate = 2.0 / 3.0;

// Everything the suns share, one set per process.
struct SunState {
    // Counted by the suns themselves.
    int liveSuns = 0;
    ColorRGBA currentColor{1.0, 1.0, 1.0, 1.0};
    uint32_t flareTexture = kNoTexture;
    uint32_t plainTexture = kNoTexture;
    // The spawner.
    uint32_t lastCreationMs = 0;
    bool firstSpawn = true;
    int goal = 0;
    int target = 0;
    // The constellation chain: where the next line ends.
    bool lineEndSet = false;
    Vector3d lineEnd;

    // A fresh spawner and chain. The live count, the colour and the
    // textures follow the suns and their set-up, not the spawner.
    void Reset() {
        lastCreationMs = 0;
        firstSpawn = true;
        goal = 0;
        target = 0;
        lineEndSet = false;
    }
};

SunState sunState;

double SquaredDistance(const Vector3d& a, const Vector3d& b) {
    const double dx = a.x - b.x;
    const double dy = a.y - b.y;
    const double dz = a.z - b.z;
    return dx * dx + dy * dy + dz * dz;
}

// The colour modes that give every sun its own colour draw it here.
void DrawOrdinarySunColor() {
    switch (SunColorModeFromSetting(SunColorEnum.Get())) {
        case SunColorMode::RandomEach:
            PickRandomSunColor();
            break;
        case SunColorMode::OffWhite: {
            const double red = RandomRange(0.86, 1.0);
            const double green = RandomRange(0.86, 1.0);
            const double blue = RandomRange(0.86, 1.0);
            sunState.currentColor.Set(red, green, blue, 1.0);
            break;
        }
        case SunColorMode::Custom:
        case SunColorMode::RandomOnce:
            break;
    }
}

// Additive blending: every repetition makes the sun brighter.
int DrawsPerFrame(SunKind kind) {
    switch (kind) {
        case SunKind::Bright:
            return 2;
        case SunKind::RedGiant:
            return 4;
        case SunKind::Supernova:
            return 3;
        case SunKind::Ordinary:
            break;
    }
    return 1;
}

void DeleteTexture(uint32_t& name) {
    if (name != kNoTexture) {
        const GLuint texture = name;
        glDeleteTextures(1, &texture);
        name = kNoTexture;
    }
}

}  // namespace

Sun::Sun(SunKind sunKind) : kind(sunKind) {
    baseSize = RandomRange(HardwareAccelerated() ? 5000.0 : 1000.0, 10000.0) * kSunGlowScale;
    switch (kind) {
        case SunKind::RedGiant: {
            const double green = 0.1 + RandomDraw() * 0.7 / 32767.0;
            const double blue = RandomDraw() * 0.5 / 32767.0;
            color.Set(1.0, green, blue);
            baseSize *= 3.0 + RandomDraw() * 5.0 / 32767.0;
            break;
        }
        case SunKind::Supernova: {
            color.x = 0.4 + RandomDraw() * 0.6 / 32767.0;
            color.y = 0.4 + RandomDraw() * 0.6 / 32767.0;
            color.z = 0.4 + RandomDraw() * 0.6 / 32767.0;
            // Every channel starts at 0.4 or more, so this always gets there.
            while (color.Length() < 1.25) {
                color *= 1.01;
                color.Clamp(0.0, 1.0);
            }
            baseSize *= 15.0 + RandomDraw() * 5.0 / 32767.0;
            break;
        }
        case SunKind::Ordinary:
        case SunKind::Bright:
            DrawOrdinarySunColor();
            color.Set(sunState.currentColor.r, sunState.currentColor.g, sunState.currentColor.b);
            break;
    }

    billboard_ = new BillboardSprite();
    billboard_->SetName("Sun");
    billboard_->color = ColorRGBA(color.x, color.y, color.z, 1.0);
    billboard_->size = baseSize;
    billboard_->texture = kind == SunKind::Ordinary ? sunState.flareTexture : sunState.plainTexture;

    PlaceSun();
    ++sunState.liveSuns;

    if (ConstellationLines.Get() == 1 && !TooManyConstellationLines() && kind == SunKind::Ordinary) {
        if (!sunState.lineEndSet) {
            sunState.lineEnd = position;
            sunState.lineEndSet = true;
        }
        new ConstellationLine(position, sunState.lineEnd);
        sunState.lineEnd = position;
    }
}

Sun::~Sun() { --sunState.liveSuns; }

void Sun::PlaceSun() {
    const double distance = 45000.0 + RandomDraw() * 15000.0 / 32767.0;
    const double halfHeight = std::tan(DegToRad(Camera.FovY() / 2.0)) * distance;
    const double halfWidth = Camera.Aspect() * halfHeight;
    double x = 0.0;
    double y = 0.0;
    if (FactorCameraSpeed.Factor() > 0.0 && HardwareAccelerated()) {
        double spread = 0.87;
        if (kind == SunKind::Ordinary && RandomDraw() % 4 == 0) {
            spread = 0.25;
        }
        // The central tenth stays free: nothing sits straight on the flight path.
        do {
            x = RandomTriangular(-halfWidth * spread, halfWidth * spread);
            y = RandomTriangular(-halfHeight * spread, halfHeight * spread);
        } while (std::fabs(x) < halfWidth * 0.1 && std::fabs(y) < halfHeight * 0.1);
    } else {
        x = RandomRange(-halfWidth, halfWidth);
        y = RandomRange(-halfHeight, halfHeight);
    }
    position.Set(x, y, Camera.EyeZ() - distance);
    if (Star* star = NearestFreeStar(position)) {
        position = star->position;
        ++star->sunCount;
    }
}

void Sun::Update() {
    const double dt = FrameSeconds();
    billboard_->position = position;

    double pulse = 1.0;
    if (kind == SunKind::RedGiant) {
        const double a = LowDetail.Get() == 1 ? 0.01 : 0.03;
        pulse = RandomTriangular(1.0 - a, 1.0 + a);
    }
    const double rate = kind == SunKind::RedGiant ? 0.05 : kind == SunKind::Supernova ? 0.25 : 0.1;
    growth += rate * dt;
    Clamp(growth, 0.0, 1.0);
    billboard_->size = baseSize * growth * pulse;

    const double ahead = Camera.EyeZ() - position.z;
    const double reach = kind == SunKind::RedGiant ? 25000.0 : 2000.0;
    const double nearness = ahead < reach ? ahead / reach : 1.0;
    ColorRGBA frame(color.x, color.y, color.z, nearness);

    if (kind == SunKind::RedGiant) {
        frame.r += RandomTriangular(-2.5 * dt, 2.5 * dt);
        frame.g += RandomTriangular(-2.5 * dt, 2.5 * dt);
        frame.b += RandomTriangular(-2.5 * dt, 2.5 * dt);
        frame.Clamp(0.0, 1.0);
    } else if (kind == SunKind::Supernova) {
        const double burn = 0.5 * growth * dt;
        color -= Vector3d(color.x * burn, color.y * burn, color.z * burn);
        if (color.Length() < 0.4) {
            // Dim embers would otherwise take forever to go out.
            const double fall = 0.15 * dt;
            color -= Vector3d(fall, fall, fall);
        }
        color.Clamp(0.0, 1.0);
    }
    billboard_->color = frame;

    if (ShowLensFlare.Get() == 1) {
        flareStrength += outsideView ? -dt * kFlareStrengthRate : dt * kFlareStrengthRate;
        Clamp(flareStrength, 0.0, kFlareStrengthMax);
    }
}

void Sun::Render() {
    int draws = DrawsPerFrame(kind);
    if (LowDetail.Get() == 1 && draws > 2) {
        --draws;
    }
    for (int i = 0; i < draws; ++i) {
        billboard_->Draw();
    }
    outsideView = Camera.IsPointOutsideFrustum(position);
    Camera.ProjectToScreen(position, screenPosition);
    if (flaresPending && ShowLensFlare.Get() == 1 && Camera.EyeZ() - kFlareDistance < position.z) {
        CreateLensFlares(*this);
        flaresPending = false;
    }
}

bool Sun::IsFinished() {
    if (position.z <= Camera.EyeZ() && color.Length() != 0.0) {
        return false;
    }
    billboard_->finished = true;
    for (SceneNode* node = SceneList(); node != nullptr; node = node->Next()) {
        LensFlare* flare = node->AsFlare();
        if (flare != nullptr && flare->sun == this) {
            flare->sun = nullptr;
        }
    }
    return true;
}

int LiveSunCount() { return sunState.liveSuns; }

SunKind DrawSunKind() {
    if (RandomDraw() % 75 == 0) {
        return SunKind::Bright;
    }
    if (ShowRedGiants.Get() == 1 && RandomDraw() % 110 == 0) {
        return SunKind::RedGiant;
    }
    if (ShowSupernovae.Get() == 1 && RandomDraw() % 300 == 0) {
        return SunKind::Supernova;
    }
    return SunKind::Ordinary;
}

Star* NearestFreeStar(const Vector3d& point) {
    Star* nearest = nullptr;
    double nearestDistance = 0.0;
    for (SceneNode* node = SceneList(); node != nullptr; node = node->Next()) {
        Star* star = node->AsStar();
        if (star == nullptr || star->sunCount != 0) {
            continue;
        }
        const double distance = SquaredDistance(star->position, point);
        if (nearest == nullptr || distance < nearestDistance) {
            nearest = star;
            nearestDistance = distance;
        }
    }
    return nearest;
}

const ColorRGBA& CurrentSunColor() { return sunState.currentColor; }

ColorRGBA BrightenSunColor(ColorRGBA color) {
    while (color.r + color.g + color.b < 1.5) {
        const double before = color.r + color.g + color.b;
        color.r *= 1.01;
        color.g *= 1.01;
        color.b *= 1.01;
        color.Clamp(0.0, 1.0);
        if (color.r + color.g + color.b <= before) {
            break;
        }
    }
    return color;
}

void PickRandomSunColor() {
    const double red = RandomUnit();
    const double green = RandomUnit();
    const double blue = RandomUnit();
    sunState.currentColor = BrightenSunColor(ColorRGBA(red, green, blue, 1.0));
}

void SetupSuns() {
    sunState.flareTexture = MakeSunTexture(SunTextureKind::Flare);
    sunState.plainTexture = MakeSunTexture(SunTextureKind::Plain);
    if (SunColorModeFromSetting(SunColorEnum.Get()) == SunColorMode::Custom) {
        const uint32_t custom = static_cast<uint32_t>(CustomSunColor.Get());
        sunState.currentColor.Set((custom & 0xFF) / 255.0, ((custom >> 8) & 0xFF) / 255.0,
                                  ((custom >> 16) & 0xFF) / 255.0, 1.0);
    } else {
        PickRandomSunColor();
    }
    ResetSunSpawner();
}

void ReleaseSunTextures() {
    DeleteTexture(sunState.flareTexture);
    DeleteTexture(sunState.plainTexture);
}

uint32_t SunFlareTexture() { return sunState.flareTexture; }

uint32_t SunPlainTexture() { return sunState.plainTexture; }

void SpawnSuns() {
    sunState.target = RoundToInt(FactorNumSuns.Factor() * kMaxSuns);
    if (sunState.firstSpawn) {
        sunState.goal = sunState.target;
        sunState.firstSpawn = false;
    }
    if (sunState.target > 0 && RandomEventDue(kGoalChangePeriod)) {
        sunState.goal = RandomDraw() % sunState.target;
    }
    if (RandomEventDue(kGoalResetPeriod)) {
        sunState.goal = sunState.target;
    }
    if (sunState.goal < kMinimumGoal) {
        sunState.goal = std::min(sunState.target, kMinimumGoal);
    }
    if (sunState.flareTexture == kNoTexture || sunState.plainTexture == kNoTexture) {
        return;
    }
    // Suns above the goal are not removed, just not replaced.
    while (sunState.goal > sunState.liveSuns) {
        if (TimeGetTime() - sunState.lastCreationMs <= kSpawnSpacingMs) {
            break;
        }
        new Sun(DrawSunKind());
        sunState.lastCreationMs = TimeGetTime();
    }
}

void ResetSunSpawner() { sunState.Reset(); }

int SunSpawnTarget() { return sunState.target; }

int SunSpawnGoal() { return sunState.goal; }

}  // namespace skyloom
