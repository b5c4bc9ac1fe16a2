#pragma once

#include <cstdint>

#include "scene/resource_textures.h"
#include "scene/scene_node.h"
#include "scene/sprites.h"
#include "scene/vecmath.h"

namespace skyloom {

class Sun;

// Number of lens-flare pictures the program carries.
inline constexpr int kFlareTextureCount = 5;

// One disc or ring of a sun's lens flare: an overlay sprite on the line from
// the sun's place on the screen through the window centre, tinted with the
// sun's colour and as bright as the sun's flare strength allows.
class LensFlare : public SceneNode {
public:
    // Draws the sprite's size and picture, then the brightness and the
    // three channel tints.
    explicit LensFlare(Sun* owner);
    ~LensFlare() override;

    // Follows the sun; once the sun is gone the element stays where it is.
    void Update() override;
    // True once the sun has let go of it; marks the sprite finished.
    bool IsFinished() override;
    LensFlare* AsFlare() override { return this; }

    OverlaySprite& Sprite() { return *sprite_; }
    const OverlaySprite& Sprite() const { return *sprite_; }

    // The creating sun; cleared by the sun when it finishes.
    Sun* sun;
    // 0 at the sun, 1 at the window centre.
    double axis = 0.0;
    double brightness;
    double redFactor;
    double greenFactor;
    double blueFactor;
    double fade = 0.0;

private:
    OverlaySprite* sprite_;
};

int LiveLensFlareCount();

// Scene set-up, before the suns: one texture per flare picture. A picture
// that does not load leaves its entry without a texture, and elements that
// draw it stay invisible.
void LoadFlareTextures();
// Teardown, with the context still current.
void ReleaseFlareTextures();
const TextureRecord& FlareTexture(int entry);

// Distance from the window point s (x, y window fractions, y down) to the
// window's far edge along the line through s and the window centre; 10 for
// a point on the vertical centre line.
double LensFlareReach(const Vector3d& s);

// Called once per sun from its render: 4 to 8 elements in low detail, 5 to
// 15 otherwise, spread along the flare line from the sun to about the far
// window edge. None for a sun at the window centre.
void CreateLensFlares(Sun& sun);

}  // namespace skyloom
