#pragma once

#include <cstdint>

#include "scene/scene_node.h"
#include "scene/vecmath.h"

namespace skyloom {

// Stars are born this far ahead of the camera.
inline constexpr double kStarBirthDistance = 80000.0;

// Extents of the birth area at kStarBirthDistance; set by
// ComputeStarFieldExtents after the camera has its aspect.
double StarSpawnHalfWidth();
double StarSpawnHalfHeight();
double StarFieldRadius();
void ComputeStarFieldExtents();

// Tops the population up to FactorNumStars x 20000 (at most 20000).
void SpawnStars();
int LiveStarCount();

// A single point of the background field. Its Render adds it to the star
// batch; DrawStarBatch draws the whole batch after the render pass.
class Star : public SceneNode {
public:
    Star();
    ~Star() override;

    void Render() override;
    void Update() override;
    bool IsFinished() override;
    Star* AsStar() override { return this; }

    Vector3d color;
    double pointSize = 1.0;
    double fadeIn = 0.0;
    double distanceFade = 0.0;
    // Suns placed on this star; suns pick only stars with none.
    int32_t sunCount = 0;
    // Distance from the flight axis.
    double axisDistance = 0.0;
};

// Draws, and empties, the stars that rendered since the last call: one
// batched draw per point size. Additive blending makes the result the same
// as drawing each star where its Render ran.
void DrawStarBatch();
// Forgets the extents and the stars that rendered since the last draw.
void ResetStarField();

}  // namespace skyloom
