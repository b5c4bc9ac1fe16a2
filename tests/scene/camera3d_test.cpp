#include "scene/camera3d.h"

#include <GL/gl.h>

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "platform/offscreen/offscreen_gl.h"
#include "scene/clock_source.h"
#include "scene/frame_clock.h"
#include "scene/render_size.h"
#include "scene/random.h"
#include "settings/settings.h"

namespace skyloom {
namespace {

class CameraTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetClockSource(clock);
        StartFrameClock();
        SetHardwareAccelerated(true);
        FactorCameraFov.ResetToDefault();
        FactorCameraSpeed.ResetToDefault();
        CameraRotateEnum.ResetToDefault();
    }
    void TearDown() override {
        UseRealClock();
        SetHardwareAccelerated(true);
        FactorCameraFov.ResetToDefault();
        FactorCameraSpeed.ResetToDefault();
        CameraRotateEnum.ResetToDefault();
    }

    // One frame of dt seconds as the frame loop runs it: tick, then fly.
    void Frame(FlightCamera& camera, double dt) {
        clock.AdvanceSeconds(dt);
        TickFrameClock();
        camera.Update();
    }

    SimulatedClockSource clock;
};

TEST_F(CameraTest, FieldOfViewFromFactor) {
    FlightCamera camera;
    FactorCameraFov.Set(0.0f);
    camera.Configure();
    EXPECT_DOUBLE_EQ(camera.HorizontalFov(), 20.0);
    FactorCameraFov.Set(1.0f);
    camera.Configure();
    EXPECT_DOUBLE_EQ(camera.HorizontalFov(), 179.0);
    FactorCameraFov.ResetToDefault();
    camera.Configure();
    EXPECT_NEAR(camera.HorizontalFov(), 150.38, 1e-4);
}

TEST_F(CameraTest, HandEditedFactorsBeyondTheirRangeCountAsTheNearerEnd) {
    struct Case {
        float stored;
        double fov;
        double speed;
    };
    const Case cases[] = {{1e10f, 179.0, 30000.0}, {7.5f, 179.0, 30000.0}, {-4.0f, 20.0, 0.0}, {-1e30f, 20.0, 0.0}};
    for (const Case& c : cases) {
        FlightCamera camera;
        FactorCameraFov.Set(c.stored);
        FactorCameraSpeed.Set(c.stored);
        camera.Configure();
        EXPECT_DOUBLE_EQ(camera.HorizontalFov(), c.fov) << c.stored;
        EXPECT_DOUBLE_EQ(camera.Speed(), c.speed) << c.stored;
    }
}

TEST_F(CameraTest, VerticalFovFollowsAspect) {
    FlightCamera camera;
    camera.Configure();
    camera.SetAspect(4.0 / 3.0);
    EXPECT_NEAR(camera.FovY(), 112.785, 1e-3);
    EXPECT_DOUBLE_EQ(camera.Aspect(), 4.0 / 3.0);
    // No shape to take a field of view from: the last good one stays.
    for (double bad : {0.0, -1.5, std::numeric_limits<double>::quiet_NaN(),
                       std::numeric_limits<double>::infinity()}) {
        camera.SetAspect(bad);
        EXPECT_NEAR(camera.FovY(), 112.785, 1e-3) << bad;
        EXPECT_DOUBLE_EQ(camera.Aspect(), 4.0 / 3.0) << bad;
    }
}

TEST_F(CameraTest, FliesAlongNegativeZAtConfiguredSpeed) {
    FlightCamera camera;
    camera.Configure();
    EXPECT_NEAR(camera.Speed(), 3600.0, 1e-3);
    Frame(camera, 0.5);
    EXPECT_NEAR(camera.EyeZ(), -1800.0, 1e-3);
    EXPECT_EQ(camera.Eye().x, 0.0);
    EXPECT_EQ(camera.Eye().y, 0.0);
    EXPECT_NEAR(camera.LookAt().z, camera.EyeZ() - 1000.0, 1e-9);
    EXPECT_EQ(camera.LookAt().x, 0.0);

    SetHardwareAccelerated(false);
    camera.Configure();
    EXPECT_NEAR(camera.Speed(), 36.0, 1e-5);
    Frame(camera, 0.5);
    EXPECT_NEAR(camera.EyeZ(), -1818.0, 1e-3);
}

TEST_F(CameraTest, NoRollModeKeepsUpright) {
    FlightCamera camera;
    CameraRotateEnum.Set(1);
    camera.Configure();
    ASSERT_EQ(camera.RollDirection(), -1);
    CameraRotateEnum.Set(0);
    // Mode 0 neither changes the direction nor draws a random number, so a
    // fixed seed gives the same scene whatever the mode.
    SeedRandom(5);
    camera.Configure();
    const int next = RandomDraw();
    SeedRandom(5);
    EXPECT_EQ(next, RandomDraw());
    EXPECT_EQ(camera.RollDirection(), -1);

    for (int i = 0; i < 500; ++i) {
        Frame(camera, 0.02);
    }
    EXPECT_EQ(camera.RollAngle(), 0.0);
    EXPECT_EQ(camera.RollRate(), 0.0);
    EXPECT_EQ(camera.Up().x, 0.0);
    EXPECT_EQ(camera.Up().y, 1.0);
    EXPECT_EQ(camera.Up().z, 0.0);
}

TEST_F(CameraTest, FirstFrameOfEachFixedRoll) {
    FlightCamera clockwise;
    CameraRotateEnum.Set(1);
    clockwise.Configure();
    Frame(clockwise, 0.02);
    EXPECT_NEAR(clockwise.RollRate(), -0.005, 1e-12);
    EXPECT_NEAR(clockwise.RollAngle(), 359.9999, 1e-9);
    EXPECT_TRUE(clockwise.ReversalArmed());
    // Just short of a full turn: the up vector is nearly (0, -1, 0).
    EXPECT_NEAR(clockwise.Up().x, -1.745e-6, 5e-8);
    EXPECT_NEAR(clockwise.Up().y, -1.0, 1e-9);
    EXPECT_EQ(clockwise.Up().z, 0.0);

    FlightCamera counter;
    CameraRotateEnum.Set(2);
    counter.Configure();
    Frame(counter, 0.02);
    EXPECT_NEAR(counter.RollRate(), 0.005, 1e-12);
    EXPECT_NEAR(counter.RollAngle(), 0.0001, 1e-12);
    EXPECT_NEAR(counter.Up().x, 1.745e-6, 5e-8);

    SetHardwareAccelerated(false);
    FlightCamera slow;
    slow.Configure();
    Frame(slow, 0.02);
    EXPECT_NEAR(slow.RollRate(), 0.02 * 0.25 * 0.00025, 1e-15);
}

TEST_F(CameraTest, RollRateRampsToItsLimitAndAngleWraps) {
    for (int mode : {1, 2}) {
        SCOPED_TRACE(mode);
        CameraRotateEnum.Set(mode);
        FlightCamera camera;
        camera.Configure();
        const double sign = mode == 1 ? -1.0 : 1.0;
        for (int i = 0; i < 600; ++i) {
            Frame(camera, 0.02);
        }
        EXPECT_NEAR(camera.RollRate(), sign * 3.0, 1e-9) << "12 seconds from rest";
        int wraps = 0;
        double previous = camera.RollAngle();
        for (int i = 0; i < 400; ++i) {
            Frame(camera, 1.0);
            ASSERT_GE(camera.RollRate(), -3.0);
            ASSERT_LE(camera.RollRate(), 3.0);
            ASSERT_GE(camera.RollAngle(), 0.0);
            ASSERT_LE(camera.RollAngle(), 360.0);
            if (std::abs(camera.RollAngle() - previous) > 180.0) {
                ++wraps;
            }
            previous = camera.RollAngle();
            double s = 0.0;
            double c = 0.0;
            SinCosDegrees(camera.RollAngle(), s, c);
            ASSERT_EQ(camera.Up().x, s);
            ASSERT_EQ(camera.Up().y, c);
        }
        EXPECT_EQ(camera.RollRate(), sign * 3.0);
        // 1200 degrees of steady roll pass 0/360 three or four times.
        EXPECT_GE(wraps, 3);
    }
}

TEST_F(CameraTest, RandomRollDirectionFollowsTheSeed) {
    CameraRotateEnum.Set(3);
    bool sawClockwise = false;
    bool sawCounter = false;
    for (uint32_t seed = 1; seed <= 40; ++seed) {
        SeedRandom(seed);
        const int draw = RandomDraw();
        const int second = RandomDraw();
        SeedRandom(seed);
        FlightCamera camera;
        camera.Configure();
        EXPECT_EQ(camera.RollDirection(), draw % 2 == 1 ? 1 : -1) << seed;
        EXPECT_EQ(RandomDraw(), second) << "one draw per configuration";
        sawClockwise |= camera.RollDirection() == -1;
        sawCounter |= camera.RollDirection() == 1;
    }
    EXPECT_TRUE(sawClockwise);
    EXPECT_TRUE(sawCounter);
}

TEST_F(CameraTest, LongFrameAlwaysReversesOnceArmed) {
    CameraRotateEnum.Set(3);
    for (uint32_t seed = 1; seed <= 20; ++seed) {
        SCOPED_TRACE(seed);
        SeedRandom(seed);
        FlightCamera camera;
        camera.Configure();
        const int32_t direction = camera.RollDirection();
        // Not armed before the first update: even a huge frame keeps it.
        Frame(camera, 20.0);
        ASSERT_EQ(camera.RollDirection(), direction);
        ASSERT_TRUE(camera.ReversalArmed());
        // Longer than the mean period: one chance in one.
        Frame(camera, 15.5);
        EXPECT_EQ(camera.RollDirection(), -direction);
    }

    // The fixed modes never reverse.
    CameraRotateEnum.Set(1);
    FlightCamera fixed;
    fixed.Configure();
    for (int i = 0; i < 5; ++i) {
        Frame(fixed, 15.0);
        EXPECT_EQ(fixed.RollDirection(), -1);
    }
}

TEST_F(CameraTest, StoredModeOutOfRangeRollsLikeRandomMode) {
    for (int32_t bad : {-1, 4, 99}) {
        SCOPED_TRACE(bad);
        CameraRotateEnum.Set(3);
        SeedRandom(7);
        FlightCamera expected;
        expected.Configure();
        for (int i = 0; i < 300; ++i) {
            Frame(expected, 0.05);
        }

        CameraRotateEnum.Set(bad);
        SeedRandom(7);
        FlightCamera camera;
        camera.Configure();
        for (int i = 0; i < 300; ++i) {
            Frame(camera, 0.05);
        }
        EXPECT_NE(camera.RollAngle(), 0.0);
        EXPECT_EQ(camera.RollDirection(), expected.RollDirection());
        EXPECT_EQ(camera.RollRate(), expected.RollRate());
        EXPECT_EQ(camera.RollAngle(), expected.RollAngle());
    }
}

// Projection and visibility against the matrices GL really holds.
class CameraGlTest : public CameraTest {
protected:
    void SetUp() override {
        CameraTest::SetUp();
        ASSERT_TRUE(gl.Create(640, 480));
    }
    void TearDown() override {
        gl.Destroy();
        SetRenderSize(0, 0);
        CameraTest::TearDown();
    }

    // As the GL window's size notification does it.
    void SizeWindow(FlightCamera& camera, int width, int height) {
        ASSERT_TRUE(gl.Resize(width, height));
        SetRenderSize(width, height);
        glViewport(0, 0, width, height);
        camera.Configure();
        camera.SetAspect(GetRenderAspect());
    }

    OffscreenGlContext gl;
};

TEST_F(CameraTest, VerticalFovStopsShortOfHalfATurnInTallWindows) {
    FlightCamera camera;
    camera.Configure();
    // 150.38 degrees across a 9:16 portrait screen would be 267 upright.
    camera.SetAspect(9.0 / 16.0);
    EXPECT_DOUBLE_EQ(camera.FovY(), 170.0);
    // Where the quotient is below the limit it stands.
    camera.SetAspect(0.9);
    EXPECT_NEAR(camera.FovY(), 150.38 / 0.9, 1e-3);
}

TEST_F(CameraGlTest, APortraitWindowSeesUpwardUpAndAheadInTheMiddle) {
    CameraRotateEnum.Set(0);
    FlightCamera camera;
    SizeWindow(camera, 270, 480);
    Frame(camera, 0.5);
    camera.Apply();
    Vector3d centre;
    ASSERT_TRUE(camera.ProjectToScreen(camera.LookAt(), centre));
    EXPECT_NEAR(centre.x, 0.5, 1e-6);
    EXPECT_NEAR(centre.y, 0.5, 1e-6);
    // A point above the flight axis shows in the upper half (y runs down).
    Vector3d above = camera.LookAt();
    above.y += 100.0;
    Vector3d shown;
    ASSERT_TRUE(camera.ProjectToScreen(above, shown));
    EXPECT_LT(shown.y, 0.5);
    EXPECT_FALSE(camera.IsPointOutsideFrustum(above));
}

TEST_F(CameraGlTest, LookAtPointProjectsToTheCentreOnAnyWindow) {
    struct Window {
        int width;
        int height;
        float fovFactor;
    };
    CameraRotateEnum.Set(2);
    for (const Window& window : {Window{640, 480, 0.82f}, Window{1280, 720, 1.0f}, Window{300, 500, 0.3f}}) {
        SCOPED_TRACE(window.width);
        FactorCameraFov.Set(window.fovFactor);
        FlightCamera camera;
        SizeWindow(camera, window.width, window.height);
        // Rolled and moved away from the origin.
        for (int i = 0; i < 40; ++i) {
            Frame(camera, 0.5);
        }
        ASSERT_GT(camera.RollAngle(), 10.0);
        camera.Apply();
        Vector3d screen;
        ASSERT_TRUE(camera.ProjectToScreen(camera.LookAt(), screen));
        EXPECT_NEAR(screen.x, 0.5, 1e-6);
        EXPECT_NEAR(screen.y, 0.5, 1e-6);
        EXPECT_GT(screen.z, 0.0);
        EXPECT_LT(screen.z, 1.0);
    }
}

TEST_F(CameraGlTest, ScreenPositionRunsRightAndDown) {
    CameraRotateEnum.Set(0);
    FlightCamera camera;
    SizeWindow(camera, 640, 480);
    Frame(camera, 0.1);
    camera.Apply();
    const Vector3d ahead = camera.LookAt();
    Vector3d right;
    Vector3d up;
    ASSERT_TRUE(camera.ProjectToScreen(Vector3d(ahead.x + 100.0, ahead.y, ahead.z), right));
    ASSERT_TRUE(camera.ProjectToScreen(Vector3d(ahead.x, ahead.y + 100.0, ahead.z), up));
    EXPECT_GT(right.x, 0.5);
    EXPECT_NEAR(right.y, 0.5, 1e-6);
    EXPECT_NEAR(up.x, 0.5, 1e-6);
    EXPECT_LT(up.y, 0.5) << "y grows downward";

}

TEST_F(CameraGlTest, PointLevelWithTheEyeHasNoProjection) {
    CameraRotateEnum.Set(0);
    FactorCameraSpeed.Set(0.0f);  // eye exactly at the origin
    FlightCamera camera;
    SizeWindow(camera, 640, 480);
    Frame(camera, 0.1);
    camera.Apply();
    Vector3d untouched(7.0, 8.0, 9.0);
    EXPECT_FALSE(camera.ProjectToScreen(Vector3d(50.0, 20.0, 0.0), untouched));
    EXPECT_EQ(untouched.x, 7.0);
    EXPECT_EQ(untouched.y, 8.0);
    EXPECT_EQ(untouched.z, 9.0);
}

TEST_F(CameraGlTest, UsableBeforeTheFirstFlight) {
    // Looking ahead from the start, so a render before any update still
    // has a proper view.
    FlightCamera camera;
    SizeWindow(camera, 640, 480);
    camera.Apply();
    Vector3d screen;
    ASSERT_TRUE(camera.ProjectToScreen(Vector3d(0.0, 0.0, -500.0), screen));
    EXPECT_NEAR(screen.x, 0.5, 1e-9);
    EXPECT_NEAR(screen.y, 0.5, 1e-9);
    EXPECT_FALSE(camera.IsPointOutsideFrustum(Vector3d(0.0, 0.0, -500.0)));
}

TEST_F(CameraGlTest, FrustumInsideAheadOutsideBehind) {
    CameraRotateEnum.Set(1);
    FlightCamera camera;
    SizeWindow(camera, 640, 480);
    for (int i = 0; i < 30; ++i) {
        Frame(camera, 0.3);
    }
    camera.Apply();
    const double z = camera.EyeZ();
    EXPECT_FALSE(camera.IsPointOutsideFrustum(Vector3d(0.0, 0.0, z - 1000.0)));
    EXPECT_FALSE(camera.IsPointOutsideFrustum(Vector3d(0.0, 0.0, z - 300000.0)));
    EXPECT_TRUE(camera.IsPointOutsideFrustum(Vector3d(0.0, 0.0, z + 10.0))) << "behind";
    EXPECT_TRUE(camera.IsPointOutsideFrustum(Vector3d(0.0, 0.0, z - 0.5))) << "before the near plane";
    EXPECT_TRUE(camera.IsPointOutsideFrustum(Vector3d(0.0, 0.0, z - 330000.0))) << "beyond the far plane";
    EXPECT_TRUE(camera.IsPointOutsideFrustum(Vector3d(0.0, 1e6, z - 1000.0))) << "far off to the side";

    // Agreement with the projection: points projecting inside the window
    // are inside, points projecting outside it are outside.
    for (double x = -30000.0; x <= 30000.0; x += 2500.0) {
        const Vector3d p(x, 0.4 * x, z - 5000.0);
        Vector3d screen;
        ASSERT_TRUE(camera.ProjectToScreen(p, screen));
        const bool onScreen = screen.x > 0.0 && screen.x < 1.0 && screen.y > 0.0 && screen.y < 1.0;
        EXPECT_EQ(camera.IsPointOutsideFrustum(p), !onScreen) << x;
    }
}

TEST_F(CameraGlTest, ApplyLeavesDepthTestOnAndModelviewSelected) {
    FlightCamera camera;
    SizeWindow(camera, 640, 480);
    glDisable(GL_DEPTH_TEST);
    glMatrixMode(GL_TEXTURE);
    camera.Apply();
    EXPECT_EQ(glIsEnabled(GL_DEPTH_TEST), GL_TRUE);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
}

TEST(CameraRollModeTest, StoredValuesAndUnknownOnes) {
    struct Case {
        int32_t stored;
        CameraRollMode mode;
    };
    for (const Case c : {Case{0, CameraRollMode::None}, Case{1, CameraRollMode::Clockwise},
                         Case{2, CameraRollMode::CounterClockwise}, Case{3, CameraRollMode::Random},
                         Case{4, CameraRollMode::Random}, Case{-1, CameraRollMode::Random}}) {
        EXPECT_EQ(CameraRollModeFromSetting(c.stored), c.mode) << c.stored;
    }
}

}  // namespace
}  // namespace skyloom
