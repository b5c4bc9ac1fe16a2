#pragma once

#include <cstdint>

#include "scene/scene_node.h"
#include "scene/sprites.h"
#include "scene/vecmath.h"

namespace skyloom {

class Star;

enum class SunKind : int32_t {
    Ordinary = 0,
    Bright = 1,
    RedGiant = 2,
    Supernova = 3,
};

// A glowing sun on one of the field's stars, ahead of the camera. It grows
// to full size, fades over its last stretch (much earlier for a red giant)
// and is finished once passed or, for a supernova, once burnt out. Its
// billboard shows the glow; its lens flares follow its place on the screen.
class Sun : public SceneNode {
public:
    // Draws the size and colour of this kind, creates the billboard, places
    // the sun and, for an ordinary one, chains a constellation line to the
    // previous ordinary sun.
    explicit Sun(SunKind kind);
    ~Sun() override;

    // Draws the billboard once per brightness step, then takes the sun's
    // window position for the next frame's lens flares and makes the flares
    // the first time the sun is within 20000 units.
    void Render() override;
    void Update() override;
    // Passed or burnt out. Marks the billboard finished and unlinks the lens
    // flares, which then finish in the next pass.
    bool IsFinished() override;

    // A random spot 45000 to 60000 units ahead, moved onto the nearest star
    // that holds no sun yet (whose counter then goes up).
    void PlaceSun();

    BillboardSprite& Billboard() { return *billboard_; }
    const BillboardSprite& Billboard() const { return *billboard_; }

    // Red, green, blue in 0..1; a supernova darkens it to black.
    Vector3d color;
    // x, y as window fractions (y down), z window depth; from the last render.
    Vector3d screenPosition;
    // Outside the view of the last render.
    bool outsideView = false;
    double growth = 0.0;
    // Brightness of the lens flares, 0..0.1.
    double flareStrength = 0.0;
    bool flaresPending = true;
    // Full half-edge of the billboard in world units.
    double baseSize = 0.0;
    SunKind kind;

private:
    BillboardSprite* billboard_;
};

int LiveSunCount();

// The kind of a new sun: bright 1 in 75, else red giant 1 in 110 and
// supernova 1 in 300 when shown. A kind that is switched off takes no draw.
SunKind DrawSunKind();

// The nearest star (straight-line distance) that holds no sun; the first in
// list order on equal distances; null when there is none.
Star* NearestFreeStar(const Vector3d& point);

// The colour ordinary suns take: set up once, redrawn per sun in the
// SunColorMode RandomEach and OffWhite.
const ColorRGBA& CurrentSunColor();
// A random colour, lifted to a sum of at least 1.5, into CurrentSunColor.
void PickRandomSunColor();
// Scales red, green and blue by 1.01 at a time (all four clamped to 0..1)
// until they add up to 1.5, or until scaling makes no more progress (a
// colour with fewer than two non-zero channels cannot get there).
ColorRGBA BrightenSunColor(ColorRGBA color);

// Scene set-up, after the lens-flare textures: both sun textures, the sun
// colour from SunColorEnum (a SunColorMode) / CustomSunColor, and a fresh
// spawner.
void SetupSuns();
// Teardown, with the context still current: deletes both sun textures.
void ReleaseSunTextures();
uint32_t SunFlareTexture();
uint32_t SunPlainTexture();

// Once a frame after the camera update and before the star spawner: moves
// the goal and creates at most one sun (and none within 250 ms of the last)
// while fewer than the goal live. Without sun textures no sun is made.
void SpawnSuns();
// Forgets the goal, the time of the last sun and the constellation chain.
void ResetSunSpawner();
// The spawner's state after its last call.
int SunSpawnTarget();
int SunSpawnGoal();

}  // namespace skyloom
