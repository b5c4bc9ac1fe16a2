#include "objects/nebula.h"

#include <GL/gl.h>

#include <cmath>

#include "scene/clock_source.h"
#include "scene/frame_clock.h"
#include "scene/render_size.h"
#include "scene/camera3d.h"
#include "scene/random.h"
#include "settings/settings.h"

namespace skyloom {

namespace {

constexpr uint32_t kSpawnSpacingMs = 2000;
constexpr int kMaxNebulae = 20;
constexpr double kFadeInPerSecond = 0.1;
constexpr double kFadeOutDistance = 25000.0;
constexpr double kStormNearest = 115000.0;
constexpr double kStormFarthest = 120000.0;
constexpr double kStormMaxCoverage = 14.0;
constexpr double kStormMeanPeriod = 0.1;

// Everything the nebulae share, one set per process.
struct NebulaState {
    // Counted by the nebulae themselves.
    int liveNebulae = 0;
    uint32_t lastCreationMs = 0;
    ColorRGBA baseColor;
    bool spawnWaitsForTexture = false;
    // Before the worker: it is stopped (destroyed) while the slot still exists.
    NebulaHandOver handOver;
    NebulaTextureWorker worker;

    // No worker, no texture and the start's values; the live count follows
    // the nebulae.
    void Reset() {
        worker.Stop();
        handOver.Free();
        lastCreationMs = 0;
        baseColor = ColorRGBA();
        spawnWaitsForTexture = false;
    }
};

NebulaState nebulaState;

uint32_t UploadAlphaTexture(const uint8_t* texels, int32_t size) {
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    // Only the alpha bytes count: the colour comes from the billboard.
    glTexImage2D(GL_TEXTURE_2D, 0, GL_ALPHA, size, size, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
    return name;
}

// Half the width of the view at that distance; a rolling camera sees the
// square turned, so it must reach the window's corners instead.
double CoveringHalfSize(double distance) {
    double size = GetRenderAspect() * std::tan(DegToRad(Camera.FovY() / 2.0)) * distance;
    const double halfWidth = GetRenderWidth() / 2.0;
    const double halfHeight = GetRenderHeight() / 2.0;
    if (CameraRollModeFromSetting(CameraRotateEnum.Get()) != CameraRollMode::None && halfWidth > 0.0) {
        size *= std::sqrt(halfWidth * halfWidth + halfHeight * halfHeight) / halfWidth;
    }
    return size;
}

}  // namespace

Nebula::Nebula(const uint8_t* texels, int32_t textureSize, const TextureTileMask& tiles, double coverage,
               const ColorRGBA& color)
    : tileCorners_(VisibleTileCorners(tiles)), color_(color), coverage_(coverage) {
    texture_ = UploadAlphaTexture(texels, textureSize);
    // 100000 to 150000 units ahead.
    const double distance = 100000.0 + RandomDraw() * 1.5259254737998595;
    size_ = CoveringHalfSize(distance);
    position.Set(0.0, 0.0, Camera.EyeZ() - distance);
    billboard_ = new BillboardSprite();
    billboard_->SetName("Nebula");
    billboard_->size = size_;
    billboard_->texture = texture_;
    billboard_->imageWidth = textureSize;
    billboard_->imageHeight = textureSize;
    billboard_->tileCorners = tileCorners_.data();
    billboard_->tileCornerCount = static_cast<int32_t>(tileCorners_.size() / 2);
    billboard_->position = position;
    // Invisible until the first update fades it in.
    billboard_->color = ColorRGBA(color_.r / 255.0, color_.g / 255.0, color_.b / 255.0, 0.0);
    flashLimit_ = RandomInt(3, 8);
    ++nebulaState.liveNebulae;
}

Nebula::~Nebula() {
    const GLuint name = texture_;
    glDeleteTextures(1, &name);
    --nebulaState.liveNebulae;
}

void Nebula::Render() {
    billboard_->Draw();
    if (NebulaeStorms.Get() != 1 || coverage_ > kStormMaxCoverage || flashCount_ >= flashLimit_) {
        return;
    }
    // Each extra draw adds the cloud once more: lightning inside it.
    const double ahead = Camera.EyeZ() - position.z;
    if (RandomEventDue(kStormMeanPeriod) && ahead > kStormNearest && ahead < kStormFarthest) {
        billboard_->Draw();
        if (RandomDraw() % 8 == 0) {
            billboard_->Draw();
        }
        ++flashCount_;
    }
}

void Nebula::Update() {
    billboard_->position = position;
    fade_ += FrameSeconds() * kFadeInPerSecond;
    Clamp(fade_, 0.0, 1.0);
    const double ahead = Camera.EyeZ() - position.z;
    const double nearness = ahead < kFadeOutDistance ? ahead / kFadeOutDistance : 1.0;
    billboard_->color =
        ColorRGBA(color_.r / 255.0, color_.g / 255.0, color_.b / 255.0, nearness * fade_);
    // The cloud keeps its orientation in the world while the camera rolls.
    billboard_->rotation = -Camera.RollAngle();
}

bool Nebula::IsFinished() {
    if (position.z > Camera.EyeZ()) {
        billboard_->finished = true;
        return true;
    }
    return false;
}

int LiveNebulaCount() { return nebulaState.liveNebulae; }

int NebulaTarget() {
    int target = static_cast<int>(FactorNumNebulae.Factor() * kMaxNebulae);
    if (LowDetail.Get() == 1 && target > 2) {
        --target;
    }
    return target;
}

int32_t NebulaTextureSize() { return FitTextureSize(LowDetail.Get() == 1 ? 512 : 1024); }

void SetupNebulae() {
    ShutdownNebulae();
    const NebulaColorMode mode = NebulaColorModeFromSetting(NebulaColorEnum.Get());
    nebulaState.baseColor = ChooseBaseNebulaColor(mode, CustomNebulaColor.Get());
    nebulaState.lastCreationMs = 0;

    NebulaWorkerSettings settings;
    settings.size = NebulaTextureSize();
    // The run's seed: the saver's start seeds this thread with Seed (or the
    // clock), a render with --seed (or Seed).
    settings.seed = RandomSeed();
    settings.colorMode = mode;
    settings.baseColor = nebulaState.baseColor;
    settings.darkStreaks = DarkPatchesInNebulae.Get() == 1;
    // A failed start leaves the slot empty, so the sky simply stays
    // without nebulae.
    nebulaState.worker.Start(nebulaState.handOver, settings);
}

void SpawnNebulae() {
    if (LiveNebulaCount() >= NebulaTarget() || TimeGetTime() - nebulaState.lastCreationMs <= kSpawnSpacingMs) {
        return;
    }
    NebulaHandOver& slot = nebulaState.handOver;
    if (slot.State() != NebulaHandOver::kReady) {
        if (!nebulaState.spawnWaitsForTexture || !nebulaState.worker.WaitForTexture()) {
            return;
        }
    }
    new Nebula(slot.ReadyTexels(), slot.Size(), slot.ReadyTiles(), slot.ReadyCoverage(), slot.ReadyColor());
    slot.TakeTexture();
    nebulaState.lastCreationMs = TimeGetTime();
}

void ShutdownNebulae() { nebulaState.worker.Stop(); }

void ResetNebulae() { nebulaState.Reset(); }

void SetNebulaSpawnWaitsForTexture(bool wait) { nebulaState.spawnWaitsForTexture = wait; }

NebulaHandOver& NebulaTextureSlot() { return nebulaState.handOver; }

}  // namespace skyloom
