#include "scene/camera3d.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>

#include "scene/frame_clock.h"
#include "scene/render_size.h"
#include "scene/random.h"
#include "settings/settings.h"

namespace skyloom {

FlightCamera Camera;

namespace {

constexpr double kMaxFovY = 170.0;

// The eye of the last Apply, of whichever camera: the origin of what the
// modelview holds.
Vector3d appliedOrigin;

}  // namespace

void FlightCamera::Configure() {
    horizontalFov_ = FactorCameraFov.Factor() * 159.0 + 20.0;
    speed_ = FactorCameraSpeed.Factor() * 30000.0;
    if (!HardwareAccelerated()) {
        speed_ *= 0.01;
    }
    switch (CameraRollModeFromSetting(CameraRotateEnum.Get())) {
        case CameraRollMode::None:
            break;
        case CameraRollMode::Clockwise:
            rollDirection_ = -1;
            break;
        case CameraRollMode::CounterClockwise:
            rollDirection_ = 1;
            break;
        case CameraRollMode::Random:
            rollDirection_ = RandomDraw() % 2 == 1 ? 1 : -1;
            break;
    }
}

void FlightCamera::SetAspect(double aspect) {
    if (!(aspect > 0.0) || !std::isfinite(aspect)) {
        return;
    }
    aspect_ = aspect;
    // In a window much taller than wide the quotient reaches 180 degrees,
    // where the perspective turns the picture over; it stops short of that.
    fovY_ = std::min(horizontalFov_ / aspect, kMaxFovY);
}

void FlightCamera::Update() {
    const double dt = FrameSeconds();
    eye_.z -= dt * speed_;
    lookAt_ = eye_;
    lookAt_.z -= 1000.0;

    const CameraRollMode mode = CameraRollModeFromSetting(CameraRotateEnum.Get());
    if (mode == CameraRollMode::None) {
        return;
    }
    // On average once every 15 seconds whatever the frame rate; a frame of
    // 15 seconds or more always reverses.
    if (reversalArmed_ && mode == CameraRollMode::Random && RandomEventDue(15.0)) {
        rollDirection_ = -rollDirection_;
        reversalArmed_ = false;
    }
    double acceleration = dt * 0.25;
    if (!HardwareAccelerated()) {
        acceleration *= 0.00025;
    }
    const double oldRate = rollRate_;
    rollRate_ = oldRate + acceleration * rollDirection_;
    Clamp(rollRate_, -3.0, 3.0);
    rollAngle_ += dt * rollRate_;
    // Once the rate has reached or crossed zero the next reversal may come.
    if ((oldRate <= 0.0 && rollRate_ >= 0.0) || (oldRate >= 0.0 && rollRate_ <= 0.0)) {
        reversalArmed_ = true;
    }
    WrapToRange(rollAngle_, 0.0, 360.0);
    SinCosDegrees(rollAngle_, up_.x, up_.y);
}

void FlightCamera::MoveEyeTo(double z) {
    eye_.z = z;
    lookAt_ = eye_;
    lookAt_.z -= 1000.0;
}

void FlightCamera::Apply() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(fovY_, aspect_, zNear_, zFar_);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    Vector3d ahead = lookAt_;
    ahead -= eye_;
    gluLookAt(0.0, 0.0, 0.0, ahead.x, ahead.y, ahead.z, up_.x, up_.y, up_.z);
    appliedEye_ = eye_;
    appliedOrigin = eye_;

    // The planes come from the matrices GL actually holds, so visibility
    // tests agree with what is drawn.
    GLdouble modelview[16];
    GLdouble projection[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    double k[16];
    for (int column = 0; column < 4; ++column) {
        for (int row = 0; row < 4; ++row) {
            double sum = 0.0;
            for (int i = 0; i < 4; ++i) {
                sum += projection[i * 4 + row] * modelview[column * 4 + i];
            }
            k[column * 4 + row] = sum;
        }
    }
    // Rows of the clip matrix combined with its w row (row 3).
    const int planeRow[6] = {0, 0, 1, 1, 2, 2};
    const double planeSign[6] = {-1.0, 1.0, 1.0, -1.0, 1.0, -1.0};
    for (int plane = 0; plane < 6; ++plane) {
        for (int column = 0; column < 4; ++column) {
            frustumPlanes_[plane][column] =
                k[column * 4 + 3] + planeSign[plane] * k[column * 4 + planeRow[plane]];
        }
    }
    glEnable(GL_DEPTH_TEST);
}

bool FlightCamera::ProjectToScreen(const Vector3d& point, Vector3d& out) const {
    GLdouble modelview[16];
    GLdouble projection[16];
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    GLdouble wx = 0.0;
    GLdouble wy = 0.0;
    GLdouble wz = 0.0;
    const Vector3d p = RelativeToEye(point);
    if (gluProject(p.x, p.y, p.z, modelview, projection, viewport, &wx, &wy, &wz) != GL_TRUE) {
        return false;
    }
    // The viewport is the whole window (set with the render size).
    const double windowWidth = viewport[2];
    const double windowHeight = viewport[3];
    if (windowWidth <= 0.0 || windowHeight <= 0.0) {
        return false;
    }
    out.x = wx / windowWidth;
    out.y = (windowHeight - wy) / windowHeight;
    out.z = wz;
    return true;
}

bool FlightCamera::IsPointOutsideFrustum(const Vector3d& world) const {
    Vector3d p = world;
    p -= appliedEye_;
    for (const auto& plane : frustumPlanes_) {
        if (plane[0] * p.x + plane[1] * p.y + plane[2] * p.z + plane[3] < 0.0) {
            return true;
        }
    }
    return false;
}

Vector3d RelativeToEye(const Vector3d& world) {
    Vector3d relative = world;
    relative -= appliedOrigin;
    return relative;
}

void ConfigureCamera() { Camera.Configure(); }

void SetAspect(double aspect) { Camera.SetAspect(aspect); }

void UpdateCamera() { Camera.Update(); }

void ApplyCamera() { Camera.Apply(); }

}  // namespace skyloom
