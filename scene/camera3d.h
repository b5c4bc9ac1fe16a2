#pragma once

#include <cstdint>

#include "scene/camera_roll.h"
#include "scene/vecmath.h"

namespace skyloom {

// The flying camera: moves along -z at constant speed, looks straight
// ahead and may roll about the flight axis. Everything in the scene is
// placed and retired against its eye z.
class FlightCamera {
public:
    // Field of view, speed and roll direction from the settings (the roll
    // through CameraRollModeFromSetting).
    void Configure();
    // aspect = window width / height; the vertical field of view follows,
    // up to 170 degrees for very tall windows.
    // A value that is not positive and finite is ignored.
    void SetAspect(double aspect);
    // Flight and roll for one frame of FrameSeconds.
    void Update();
    // Puts the eye at z on the flight axis, where a flight that long would
    // have brought it; everything is placed against the eye, so the scene
    // follows. For checks of long flights.
    void MoveEyeTo(double z);
    // Projection and view for the 3D render; keeps the frustum planes of
    // these matrices and leaves GL_DEPTH_TEST on and GL_MODELVIEW selected.
    // The modelview holds only the view's rotation, with the eye at the
    // origin: far out on the flight a single-precision vertex or matrix
    // would lose whole units, so world positions reach GL as
    // RelativeToEye(position), subtracted in double.
    void Apply();

    // Window position of a world point, taken relative to the eye of the
    // last Apply, under the current GL matrices and
    // viewport (the whole window): x 0..1 to the right, y 0..1 downward, z
    // window depth. False, with out unchanged, for a point in the eye's
    // plane (it has no projection) or an empty viewport.
    bool ProjectToScreen(const Vector3d& point, Vector3d& out) const;
    // Against the planes of the last Apply: true when the world point is
    // on the outer side of any of them.
    bool IsPointOutsideFrustum(const Vector3d& p) const;

    double EyeZ() const { return eye_.z; }
    // Vertical angle handed to gluPerspective, degrees.
    double FovY() const { return fovY_; }
    double HorizontalFov() const { return horizontalFov_; }
    double Aspect() const { return aspect_; }
    // World units per second along -z.
    double Speed() const { return speed_; }
    // Degrees, within 0..360.
    double RollAngle() const { return rollAngle_; }
    // Degrees per second, within -3..3.
    double RollRate() const { return rollRate_; }
    int32_t RollDirection() const { return rollDirection_; }
    bool ReversalArmed() const { return reversalArmed_; }
    const Vector3d& Eye() const { return eye_; }
    const Vector3d& LookAt() const { return lookAt_; }
    const Vector3d& Up() const { return up_; }

private:
    double horizontalFov_ = 0.0;
    double fovY_ = 0.0;
    double speed_ = 0.0;
    double aspect_ = 0.0;
    double zNear_ = 1.0;
    double zFar_ = 320000.0;
    Vector3d eye_;
    // Ahead of the eye from the start, so the view is never degenerate.
    Vector3d lookAt_{0.0, 0.0, -1000.0};
    Vector3d up_{0.0, 1.0, 0.0};
    // Right, left, bottom, top, near, far; (a, b, c, d) each, unnormalised,
    // for points relative to appliedEye_.
    double frustumPlanes_[6][4] = {};
    // The eye at the last Apply.
    Vector3d appliedEye_;
    double rollAngle_ = 0.0;
    bool reversalArmed_ = false;
    double rollRate_ = 0.0;
    int32_t rollDirection_ = 0;
};

// The one camera of the saver.
extern FlightCamera Camera;

// A world position as GL is to get it: relative to the eye of the camera
// applied last, whose rotation alone the modelview holds.
Vector3d RelativeToEye(const Vector3d& world);

// On each size notification of the GL window, before SetAspect.
void ConfigureCamera();
// Right after glViewport, with the render aspect.
void SetAspect(double aspect);
// First step of each frame's update.
void UpdateCamera();
// Start of each 3D render, after the colour buffer is cleared.
void ApplyCamera();

}  // namespace skyloom
