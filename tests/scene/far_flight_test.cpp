// A week of flight must not shake the picture: every kind of object is
// drawn through the flying camera frame after frame, once near the origin
// and once where a week of flight at the configured speed takes the camera,
// and the frame-to-frame wobble of its place on the screen is compared.
// The week is reached by starting the eye there: everything is placed
// against the eye, so the same scene simply sits that far out.
#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

#include <gtest/gtest.h>

#include "objects/sun.h"
#include "platform/offscreen/offscreen_gl.h"
#include "scene/clock_source.h"
#include "scene/frame_clock.h"
#include "scene/render_size.h"
#include "scene/camera3d.h"
#include "scene/constellation_line.h"
#include "scene/scene_node.h"
#include "scene/sprites.h"
#include "scene/star_field.h"
#include "settings/settings.h"
#include "tests/support/gl_test_support.h"

namespace skyloom {
namespace {

using skyloom::testing::Framebuffer;
using skyloom::testing::ReadFramebuffer;
using skyloom::testing::SetSceneRenderState;

constexpr int kWidth = 640;
constexpr int kHeight = 360;
constexpr int kFrames = 40;
constexpr double kFrameSeconds = 0.1;
constexpr double kWeekSeconds = 7.0 * 24.0 * 3600.0;
// How much more the far picture may wobble than the near one, in pixels.
constexpr double kTolerance = 0.05;

struct ScreenPoint {
    double x = 0.0;
    double y = 0.0;
};

// Brightness-weighted centre of everything drawn, in pixels.
ScreenPoint LitCentre(const Framebuffer& frame) {
    double sum = 0.0;
    double sx = 0.0;
    double sy = 0.0;
    for (int y = 0; y < frame.height; ++y) {
        for (int x = 0; x < frame.width; ++x) {
            const uint8_t* p = frame.At(x, y);
            const double w = p[0] + p[1] + p[2];
            sum += w;
            sx += w * (x + 0.5);
            sy += w * (y + 0.5);
        }
    }
    EXPECT_GT(sum, 0.0) << "nothing drawn";
    return sum > 0.0 ? ScreenPoint{sx / sum, sy / sum} : ScreenPoint{};
}

// Largest change of the frame-to-frame step: a steady flight moves each
// object smoothly, so its steps change only slowly.
double Wobble(const std::vector<ScreenPoint>& track) {
    double most = 0.0;
    for (size_t k = 2; k < track.size(); ++k) {
        const double ax = track[k].x - 2.0 * track[k - 1].x + track[k - 2].x;
        const double ay = track[k].y - 2.0 * track[k - 1].y + track[k - 2].y;
        most = std::max(most, std::hypot(ax, ay));
    }
    return most;
}

class FarFlightTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(gl.Create(kWidth, kHeight));
        SetRenderSize(kWidth, kHeight);
        glViewport(0, 0, kWidth, kHeight);
        SetSceneRenderState();
        SetClockSource(clock);
        StartFrameClock();
        SetHardwareAccelerated(true);
        CameraRotateEnum.Set(0);
        FactorCameraFov.ResetToDefault();
        FactorCameraSpeed.ResetToDefault();
        glowTexture = MakeGlowTexture();
    }
    void TearDown() override {
        DeleteAllSceneNodes();
        CameraRotateEnum.ResetToDefault();
        UseRealClock();
        SetRenderSize(0, 0);
        gl.Destroy();
    }

    // A soft round glow with linear filtering, so its centre moves smoothly
    // across the pixels.
    static uint32_t MakeGlowTexture() {
        constexpr int kSize = 64;
        std::vector<uint8_t> texels(kSize * kSize * 4, 255);
        for (int y = 0; y < kSize; ++y) {
            for (int x = 0; x < kSize; ++x) {
                const double r = std::hypot(x + 0.5 - kSize / 2.0, y + 0.5 - kSize / 2.0) / (kSize / 2.0);
                texels[(y * kSize + x) * 4 + 3] = static_cast<uint8_t>(255.0 * std::max(0.0, 1.0 - r));
            }
        }
        GLuint name = 0;
        glGenTextures(1, &name);
        glBindTexture(GL_TEXTURE_2D, name);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, kSize, kSize, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
        return name;
    }

    // Where a week of flight at the configured speed takes the eye.
    static double WeekOfFlight() {
        FlightCamera probe;
        probe.Configure();
        return -probe.Speed() * kWeekSeconds;
    }

    // Flies kFrames frames from startZ. place puts the object in the world
    // against the starting eye; draw draws it each frame and says where it
    // is on the screen.
    std::vector<ScreenPoint> Track(double startZ, const std::function<void(const Vector3d& eye)>& place,
                                   const std::function<ScreenPoint(FlightCamera&)>& draw) {
        FlightCamera camera;
        camera.Configure();
        camera.SetAspect(GetRenderAspect());
        camera.MoveEyeTo(startZ);
        place(camera.Eye());
        std::vector<ScreenPoint> track;
        for (int k = 0; k < kFrames; ++k) {
            clock.AdvanceSeconds(kFrameSeconds);
            TickFrameClock();
            camera.Update();
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            camera.Apply();
            glDisable(GL_DEPTH_TEST);
            track.push_back(draw(camera));
        }
        DeleteAllSceneNodes();
        return track;
    }

    ScreenPoint DrawnCentre() { return LitCentre(ReadFramebuffer(gl)); }

    // Near the origin and a week away: the far wobble may exceed the near
    // one by no more than the tolerance.
    void ExpectAsSteadyFarAway(const char* kind, const std::function<void(const Vector3d& eye)>& place,
                               const std::function<ScreenPoint(FlightCamera&)>& draw) {
        const double near = Wobble(Track(0.0, place, draw));
        const double far = Wobble(Track(WeekOfFlight(), place, draw));
        std::printf("%-22s wobble near %.4f px, after a week %.4f px\n", kind, near, far);
        EXPECT_LE(far, near + kTolerance) << kind;
    }

    OffscreenGlContext gl;
    SimulatedClockSource clock;
    uint32_t glowTexture = 0;
};

// Off the flight axis, where an error in depth shows as a move sideways.
Vector3d Ahead(const Vector3d& eye, double x, double y, double distance) {
    return Vector3d(eye.x + x, eye.y + y, eye.z - distance);
}

TEST_F(FarFlightTest, BillboardsOfSunsAndNebulae) {
    BillboardSprite* sprite = nullptr;
    ExpectAsSteadyFarAway(
        "billboard",
        [&](const Vector3d& eye) {
            sprite = new BillboardSprite;
            sprite->position = Ahead(eye, 30000.0, 12000.0, 40000.0);
            sprite->size = 1500.0;
            sprite->texture = glowTexture;
        },
        [&](FlightCamera&) {
            sprite->Draw();
            return DrawnCentre();
        });
}

TEST_F(FarFlightTest, RolledBillboardOfANebula) {
    BillboardSprite* sprite = nullptr;
    ExpectAsSteadyFarAway(
        "rolled billboard",
        [&](const Vector3d& eye) {
            sprite = new BillboardSprite;
            sprite->position = Ahead(eye, 0.0, 0.0, 60000.0);
            sprite->size = 8000.0;
            sprite->rotation = 30.0;
            sprite->texture = glowTexture;
            // Off centre within the quad, so that the turn shows.
            sprite->position.x += 9000.0;
        },
        [&](FlightCamera&) {
            sprite->Draw();
            return DrawnCentre();
        });
}

TEST_F(FarFlightTest, TiledBillboardOfANebula) {
    // The square cut into four tiles, each in the winding of the whole quad.
    static const float kTiles[] = {0.0f, 0.0f, 0.5f, 0.0f, 0.5f, 0.5f, 0.0f, 0.5f,  //
                                   0.5f, 0.0f, 1.0f, 0.0f, 1.0f, 0.5f, 0.5f, 0.5f,  //
                                   0.5f, 0.5f, 1.0f, 0.5f, 1.0f, 1.0f, 0.5f, 1.0f,  //
                                   0.0f, 0.5f, 0.5f, 0.5f, 0.5f, 1.0f, 0.0f, 1.0f};
    BillboardSprite* sprite = nullptr;
    ExpectAsSteadyFarAway(
        "tiled billboard",
        [&](const Vector3d& eye) {
            sprite = new BillboardSprite;
            sprite->position = Ahead(eye, 9000.0, 0.0, 60000.0);
            sprite->size = 8000.0;
            sprite->rotation = 30.0;
            sprite->texture = glowTexture;
            sprite->tileCorners = kTiles;
            sprite->tileCornerCount = 16;
        },
        [&](FlightCamera&) {
            sprite->Draw();
            return DrawnCentre();
        });
}

TEST_F(FarFlightTest, StarsOfTheBatch) {
    ExpectAsSteadyFarAway(
        "star",
        [&](const Vector3d& eye) {
            // A large star: those are smoothed, so the centre of the
            // point moves in fractions of a pixel.
            Star* star = new Star;
            star->position = Ahead(eye, 25000.0, 9000.0, 45000.0);
            star->color.Set(1.0, 1.0, 1.0);
            star->pointSize = 2.5;
            star->fadeIn = 1.0;
            star->distanceFade = 1.0;
        },
        [&](FlightCamera&) {
            RenderSceneNodes();
            DrawStarBatch();
            return DrawnCentre();
        });
}

TEST_F(FarFlightTest, ConstellationLines) {
    ExpectAsSteadyFarAway(
        "constellation line",
        [&](const Vector3d& eye) {
            auto* line = new ConstellationLine(Ahead(eye, 20000.0, 15000.0, 40000.0),
                                               Ahead(eye, 35000.0, -5000.0, 55000.0));
            line->fadeIn = 1.0;
            line->distanceFade = 1.0;
        },
        [&](FlightCamera&) {
            // Smoothed, so that the line's centre moves in fractions of a
            // pixel rather than from pixel to pixel.
            glEnable(GL_LINE_SMOOTH);
            RenderSceneNodes();
            glDisable(GL_LINE_SMOOTH);
            return DrawnCentre();
        });
}

// Lens flares follow the sun's window position, which comes from the camera.
TEST_F(FarFlightTest, SunWindowPositionForLensFlares) {
    Vector3d sun;
    ExpectAsSteadyFarAway(
        "sun window position",
        [&](const Vector3d& eye) { sun = Ahead(eye, 30000.0, 12000.0, 40000.0); },
        [&](FlightCamera& camera) {
            Vector3d screen;
            EXPECT_TRUE(camera.ProjectToScreen(sun, screen));
            EXPECT_FALSE(camera.IsPointOutsideFrustum(sun));
            return ScreenPoint{screen.x * kWidth, screen.y * kHeight};
        });
}

}  // namespace
}  // namespace skyloom
