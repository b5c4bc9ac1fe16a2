#include "scene/star_field.h"

#include "scene/camera3d.h"
#include "scene/random.h"
#include "scene/frame_clock.h"
#include "scene/render_size.h"
#include "settings/settings.h"

#include <GL/gl.h>

#include <cmath>

namespace skyloom {

namespace {
constexpr int kMaxStars = 20000;

// Client arrays for the batched draw, one per point size, filled by the
// render pass. Sized for the largest population so no frame allocates.
struct PointBatch {
    float vertices[kMaxStars * 3];
    float colors[kMaxStars * 4];
    int count = 0;
};

// Everything the stars share, one set per process.
struct StarFieldState {
    double spawnHalfWidth = 0.0;
    double spawnHalfHeight = 0.0;
    // From the birth area's centre to its corners.
    double radius = 0.0;
    // Counted by the stars themselves.
    int liveStars = 0;
    PointBatch smallPoints;
    PointBatch largePoints;

    // No extents and empty batches; the live count follows the stars.
    void Reset() {
        spawnHalfWidth = 0.0;
        spawnHalfHeight = 0.0;
        radius = 0.0;
        smallPoints.count = 0;
        largePoints.count = 0;
    }
};

StarFieldState field;

void DrawPoints(PointBatch& batch, float pointSize, bool smooth) {
    if (batch.count == 0) {
        return;
    }
    glPointSize(pointSize);
    if (smooth) {
        glEnable(GL_POINT_SMOOTH);
    }
    glVertexPointer(3, GL_FLOAT, 0, batch.vertices);
    glColorPointer(4, GL_FLOAT, 0, batch.colors);
    glDrawArrays(GL_POINTS, 0, batch.count);
    if (smooth) {
        glDisable(GL_POINT_SMOOTH);
    }
    batch.count = 0;
}

void FlushBatches() {
    if (field.smallPoints.count == 0 && field.largePoints.count == 0) {
        return;
    }
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    DrawPoints(field.smallPoints, 1.0f, false);
    DrawPoints(field.largePoints, 2.5f, true);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
}

void AddPoint(PointBatch& batch, const Vector3d& position, const Vector3d& color, double alpha) {
    if (batch.count == kMaxStars) {
        FlushBatches();
    }
    float* v = batch.vertices + batch.count * 3;
    position.ToFloats(v);
    float* c = batch.colors + batch.count * 4;
    color.ToFloats(c);
    c[3] = static_cast<float>(alpha);
    ++batch.count;
}
}  // namespace

double StarSpawnHalfWidth() { return field.spawnHalfWidth; }
double StarSpawnHalfHeight() { return field.spawnHalfHeight; }
double StarFieldRadius() { return field.radius; }
int LiveStarCount() { return field.liveStars; }

void ComputeStarFieldExtents() {
    const double halfHeight = std::tan(DegToRad(Camera.FovY() * 0.5)) * kStarBirthDistance;
    const double halfWidth = GetRenderAspect() * halfHeight;
    field.spawnHalfWidth = halfWidth;
    field.spawnHalfHeight = halfHeight;
    field.radius = std::sqrt(halfWidth * halfWidth + halfHeight * halfHeight);
    if (CameraRollModeFromSetting(CameraRotateEnum.Get()) != CameraRollMode::None) {
        // The view may roll: cover every rolled view with the square around it.
        field.spawnHalfWidth = field.radius;
        field.spawnHalfHeight = field.radius;
    }
}

void SpawnStars() {
    const int target = RoundToInt(FactorNumStars.Factor() * kMaxStars);
    while (field.liveStars < target) {
        new Star();
    }
}

Star::Star() {
    ++field.liveStars;
    const double size = 0.5 + RandomDraw() * 0.00003357036042359691;
    color.x = 0.6 + RandomDraw() * 0.000012207403790398877;
    color.y = 0.6 + RandomDraw() * 0.000012207403790398877;
    color.z = 0.6 + RandomDraw() * 0.000012207403790398877;
    color.Normalize();
    color *= size * 0.5625;
    pointSize = RoundToInt(size);
    if (pointSize < 1.0 || fChildPreview) {
        pointSize = 1.0;
    }
    position.x = RandomRange(-field.spawnHalfWidth, field.spawnHalfWidth);
    position.y = RandomRange(-field.spawnHalfHeight, field.spawnHalfHeight);
    sunCount = 0;
    position.z = Camera.EyeZ() - kStarBirthDistance;
    fadeIn = 0.0;
    axisDistance = std::sqrt(position.x * position.x + position.y * position.y);
}

Star::~Star() { --field.liveStars; }

void Star::Update() {
    const double dt = FrameSeconds();
    if (fadeIn < 1.0) {
        fadeIn += dt * 0.35;
        if (fadeIn > 1.0) {
            fadeIn = 1.0;
        }
    }
    const double d = Camera.EyeZ() - position.z;
    distanceFade = d >= 60000.0 ? 1.0 : d * 0.000016666666666666667;
}

bool Star::IsFinished() {
    const double d = Camera.EyeZ() - position.z;
    return d < 0.0 || d * 0.0000125 * field.radius < axisDistance;
}

void Star::Render() {
    const double alpha = distanceFade * fadeIn;
    if (alpha <= 0.0) {
        return;  // the alpha test would discard it anyway
    }
    AddPoint(pointSize >= 2.0 ? field.largePoints : field.smallPoints, RelativeToEye(position), color, alpha);
}

void DrawStarBatch() { FlushBatches(); }

void ResetStarField() { field.Reset(); }

}  // namespace skyloom
