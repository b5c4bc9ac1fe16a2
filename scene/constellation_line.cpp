#include "scene/constellation_line.h"

#include "scene/camera3d.h"
#include "scene/frame_clock.h"

#include <GL/gl.h>

#include <algorithm>

namespace skyloom {

namespace {
int liveLines = 0;
bool tooManyLatch = false;
}  // namespace

ConstellationLine::ConstellationLine(const Vector3d& a, const Vector3d& b) : endA(a), endB(b) { ++liveLines; }

ConstellationLine::~ConstellationLine() { --liveLines; }

void ConstellationLine::Update() {
    fadeIn += FrameSeconds() * 0.35;
    Clamp(fadeIn, 0.0, 0.7);
    const double d = std::min(Camera.EyeZ() - endA.z, Camera.EyeZ() - endB.z);
    distanceFade = d >= 30000.0 ? 1.0 : d * 0.000033333333333333335;
}

void ConstellationLine::Render() {
    Vector3d span = endA;
    span -= endB;
    if (span.Length() >= 85000.0) {
        return;
    }
    float a[3];
    float b[3];
    RelativeToEye(endA).ToFloats(a);
    RelativeToEye(endB).ToFloats(b);
    glColor4f(0.25f, 0.25f, 0.25f, static_cast<float>(distanceFade * fadeIn));
    glPushMatrix();
    glBegin(GL_LINES);
    glVertex3fv(a);
    glVertex3fv(b);
    glEnd();
    glPopMatrix();
}

bool ConstellationLine::IsFinished() { return endA.z > Camera.EyeZ() && endB.z > Camera.EyeZ(); }

int LiveConstellationLineCount() { return liveLines; }

bool TooManyConstellationLines() {
    if (liveLines >= 25) {
        tooManyLatch = true;
        return true;
    }
    if (liveLines < 17) {
        tooManyLatch = false;
        return false;
    }
    return tooManyLatch;
}

}  // namespace skyloom
