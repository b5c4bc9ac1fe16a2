#pragma once

#include <cstdint>
#include <vector>

#include "objects/nebula_worker.h"
#include "scene/scene_node.h"
#include "scene/sprites.h"
#include "scene/texture_tiles.h"
#include "scene/vecmath.h"

namespace skyloom {

// A coloured cloud on the flight axis, 100000 to 150000 units ahead of the
// camera when made: it fades in over ten seconds, fades out over its last
// 25000 units and is finished once the camera has passed it. Its billboard
// carries a texture made by the nebula worker; sparse clouds may flash.
class Nebula : public SceneNode {
public:
    // Uploads the alpha bytes of size * size RGBA texels into a texture of
    // its own, draws its distance and flash limit from the main thread's
    // generator and creates its billboard, which draws only the visible
    // tiles. color on the 0..255 scale; coverage in percent of visible
    // texels. Needs a current GL context.
    Nebula(const uint8_t* texels, int32_t textureSize, const TextureTileMask& tiles, double coverage,
           const ColorRGBA& color);
    // Deletes the texture; the billboard goes by its finished flag.
    ~Nebula() override;

    // Draws the billboard, plus the flashes of a storm.
    void Render() override;
    // Fade, colour and orientation of the billboard.
    void Update() override;
    // Once the camera has passed it; marks the billboard finished too.
    bool IsFinished() override;

    double Size() const { return size_; }
    double Coverage() const { return coverage_; }
    const ColorRGBA& Color() const { return color_; }
    uint32_t Texture() const { return texture_; }
    int32_t FlashCount() const { return flashCount_; }
    int32_t FlashLimit() const { return flashLimit_; }
    BillboardSprite& Billboard() { return *billboard_; }
    const BillboardSprite& Billboard() const { return *billboard_; }

private:
    BillboardSprite* billboard_;
    std::vector<float> tileCorners_;
    double fade_ = 0.0;
    double size_ = 0.0;
    ColorRGBA color_;
    uint32_t texture_ = 0;
    double coverage_ = 0.0;
    int32_t flashCount_ = 0;
    int32_t flashLimit_ = 0;
};

int LiveNebulaCount();

// How many nebulae may live at once, from FactorNumNebulae and LowDetail.
int NebulaTarget();
// Edge length of the nebula textures: 1024, or 512 in low detail, halved
// until it fits the GL limit and MaxTextureSizePixels; 0 when none fits.
int32_t NebulaTextureSize();

// Scene set-up, after the star field: sets the base nebula colour from
// NebulaColorEnum and (re)starts the texture worker, whose generator starts
// from the seed the calling thread's generator was seeded with. Without a texture
// size that fits, or when the worker cannot start, no nebula will appear.
void SetupNebulae();
// Once a frame, after the camera, sun and star updates and before the
// update pass: makes one nebula when a texture is ready, fewer than the
// target live and more than 2000 ms have passed since the last one.
void SpawnNebulae();
// Teardown of the GL window: stops and joins the worker and frees the
// hand-over buffer. Within milliseconds, even in the middle of a texture.
void ShutdownNebulae();
// Back to the state before the first set-up: no worker, no texture, no
// base colour, no last nebula, and SpawnNebulae does not wait.
void ResetNebulae();

// For deterministic offscreen rendering: when set, SpawnNebulae blocks
// until the worker has finished the texture a due nebula needs, so nebulae
// appear at the same frames whatever the machine's speed. The saver never
// sets it.
void SetNebulaSpawnWaitsForTexture(bool wait);

// The slot SpawnNebulae takes textures from.
NebulaHandOver& NebulaTextureSlot();

}  // namespace skyloom
