#include "objects/lensflaremgr.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "objects/sun.h"
#include "platform/offscreen/offscreen_gl.h"
#include "scene/clock_source.h"
#include "scene/frame_clock.h"
#include "scene/render_size.h"
#include "scene/camera3d.h"
#include "scene/random.h"
#include "settings/settings.h"
#include "tests/support/gl_test_support.h"

namespace skyloom {
namespace {

using skyloom::testing::FindLitPixels;
using skyloom::testing::Framebuffer;
using skyloom::testing::LitRegion;
using skyloom::testing::MakeSolidTexture;
using skyloom::testing::ReadFramebuffer;
using skyloom::testing::SetSceneRenderState;

constexpr int kWidth = 1280;
constexpr int kHeight = 1024;

class LensFlareTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(gl.Create(kWidth, kHeight));
        SetClockSource(clock);
        StartFrameClock();
        SetRenderSize(kWidth, kHeight);
        SetSceneRenderState();
        RestoreDefaultSettings();
        CameraRotateEnum.Set(0);
        FactorCameraSpeed.Set(0.0f);
        SetHardwareAccelerated(true);
        GLint maxTexture = 0;
        glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxTexture);
        SetMaxTextureSize(maxTexture);
        ConfigureCamera();
        SetAspect(static_cast<double>(kWidth) / kHeight);
        Frame(0.0);
        SeedRandom(777);
        LoadFlareTextures();
        SetupSuns();
    }
    void TearDown() override {
        DeleteAllSceneNodes();
        ReleaseSunTextures();
        ReleaseFlareTextures();
        RestoreDefaultSettings();
        SetRenderSize(0, 0);
        UseRealClock();
        gl.Destroy();
    }

    void Frame(double seconds) {
        clock.AdvanceSeconds(seconds);
        TickFrameClock();
        UpdateCamera();
        ApplyCamera();
        glDisable(GL_DEPTH_TEST);
    }

    // A sun far ahead (no flares of its own render) seen at s.
    static Sun* SunSeenAt(double x, double y) {
        auto* sun = new Sun(SunKind::Ordinary);
        sun->position.z = Camera.EyeZ() - 50000;
        sun->screenPosition.Set(x, y, 0.9);
        return sun;
    }

    // The flares of the scene, newest first.
    static std::vector<LensFlare*> Flares() {
        std::vector<LensFlare*> flares;
        for (SceneNode* node = SceneList(); node != nullptr; node = node->Next()) {
            if (LensFlare* flare = node->AsFlare()) {
                flares.push_back(flare);
            }
        }
        return flares;
    }

    OffscreenGlContext gl;
    SimulatedClockSource clock{1'000'000'000};
};

// Where the ray from s through the window centre leaves the unit square,
// as a distance from s: the far edge the flare line reaches.
double FarEdgeDistance(double sx, double sy) {
    const double dx = 0.5 - sx;
    const double dy = 0.5 - sy;
    double t = 1e300;
    if (dx != 0.0) {
        t = std::min(t, ((dx > 0.0 ? 1.0 : 0.0) - sx) / dx);
    }
    if (dy != 0.0) {
        t = std::min(t, ((dy > 0.0 ? 1.0 : 0.0) - sy) / dy);
    }
    return t * std::hypot(dx, dy);
}

TEST_F(LensFlareTest, ReachIsTheDistanceToTheFarWindowEdge) {
    const double points[][2] = {{0.25, 0.5}, {0.25, 0.25}, {0.1, 0.3}, {0.9, 0.8}, {0.7, 0.45},
                                {0.02, 0.97}, {0.6, 0.1}, {0.49, 0.9}, {0.8, 0.5}};
    for (const auto& p : points) {
        EXPECT_NEAR(LensFlareReach(Vector3d(p[0], p[1], 0.5)), FarEdgeDistance(p[0], p[1]), 1e-9)
            << p[0] << ", " << p[1];
    }
    // The window depth plays no part.
    EXPECT_EQ(LensFlareReach(Vector3d(0.1, 0.3, 0.0)), LensFlareReach(Vector3d(0.1, 0.3, 0.99)));
    // On the vertical centre line the line has no slope: a fixed reach.
    EXPECT_EQ(LensFlareReach(Vector3d(0.5, 0.2, 0.5)), 10.0);
    EXPECT_EQ(LensFlareReach(Vector3d(0.5, 0.9, 0.5)), 10.0);
}

TEST_F(LensFlareTest, NoElementsForASunAtTheWindowCentre) {
    Sun* sun = SunSeenAt(0.5, 0.5);
    SeedRandom(99);
    CreateLensFlares(*sun);
    EXPECT_EQ(LiveLensFlareCount(), 0);
    // Not a draw taken either.
    const int next = RandomDraw();
    SeedRandom(99);
    EXPECT_EQ(next, RandomDraw());
}

TEST_F(LensFlareTest, OnTheVerticalCentreLineTheElementsSpreadFarBeyondTheWindow) {
    Sun* sun = SunSeenAt(0.5, 0.2);
    CreateLensFlares(*sun);
    const std::vector<LensFlare*> flares = Flares();
    ASSERT_GE(flares.size(), 5u);
    // Reach 10 at 0.3 from the centre.
    const double step = (10.0 / 0.3) / static_cast<double>(flares.size());
    const double farthest = flares.front()->axis;
    EXPECT_GE(farthest, (flares.size() - 0.5) * step);
    EXPECT_LE(farthest, (flares.size() + 0.5) * step);
    EXPECT_GT(farthest, 25.0);
}

TEST_F(LensFlareTest, ElementCountsNamesAndPlacesAlongTheLine) {
    for (const int lowDetail : {1, 0}) {
        LowDetail.Set(lowDetail);
        const int lo = lowDetail == 1 ? 4 : 5;
        const int hi = lowDetail == 1 ? 8 : 15;
        std::set<int> counts;
        for (int i = 0; i < 200; ++i) {
            Sun* sun = SunSeenAt(RandomRange(0.0, 1.0), RandomRange(0.0, 0.45));
            CreateLensFlares(*sun);
            std::vector<LensFlare*> flares = Flares();
            const int count = static_cast<int>(flares.size());
            ASSERT_GE(count, lo);
            ASSERT_LE(count, hi);
            counts.insert(count);
            // Oldest first: the order they were made in.
            std::reverse(flares.begin(), flares.end());
            const Vector3d& s = sun->screenPosition;
            const double step = LensFlareReach(s) / std::hypot(0.5 - s.x, 0.5 - s.y) / count;
            for (int n = 0; n < count; ++n) {
                char name[32];
                std::snprintf(name, sizeof name, "Lens flare #%d", n);
                ASSERT_STREQ(flares[n]->Name(), name);
                EXPECT_EQ(flares[n]->sun, sun);
                EXPECT_GE(flares[n]->axis, (n + 0.5) * step - 1e-12);
                EXPECT_LE(flares[n]->axis, (n + 1.5) * step + 1e-12);
                EXPECT_STREQ(flares[n]->Sprite().Name(), "Flare");
                EXPECT_GE(flares[n]->Sprite().size, 0.01);
                EXPECT_LE(flares[n]->Sprite().size, 0.06);
            }
            DeleteAllSceneNodes();
        }
        EXPECT_EQ(counts.size(), static_cast<size_t>(hi - lo + 1));
    }
}

TEST_F(LensFlareTest, FlarePicturesAreLoadedWithTheirSizes) {
    std::set<int32_t> names;
    for (int k = 0; k < kFlareTextureCount; ++k) {
        const TextureRecord& record = FlareTexture(k);
        EXPECT_NE(record.texture, -1);
        EXPECT_EQ(glIsTexture(static_cast<GLuint>(record.texture)), GL_TRUE);
        EXPECT_EQ(record.width, 64);
        EXPECT_EQ(record.height, 64);
        names.insert(record.texture);
    }
    EXPECT_EQ(names.size(), static_cast<size_t>(kFlareTextureCount));
    // Elements pick among all five.
    std::set<uint32_t> used;
    Sun* sun = SunSeenAt(0.1, 0.1);
    for (int i = 0; i < 10; ++i) {
        CreateLensFlares(*sun);
    }
    for (LensFlare* flare : Flares()) {
        used.insert(flare->Sprite().texture);
    }
    EXPECT_EQ(used.size(), static_cast<size_t>(kFlareTextureCount));

    ReleaseFlareTextures();
    EXPECT_EQ(FlareTexture(0).texture, -1);
    EXPECT_EQ(glIsTexture(static_cast<GLuint>(*names.begin())), GL_FALSE);
}

TEST_F(LensFlareTest, ElementsFollowTheSunAndTakeItsColorAndStrength) {
    Sun* sun = SunSeenAt(0.2, 0.3);
    sun->color.Set(0.5, 0.25, 1.0);
    sun->growth = 0.5;
    sun->flareStrength = 0.1;
    CreateLensFlares(*sun);
    Frame(0.5);
    for (LensFlare* flare : Flares()) {
        flare->Update();
    }
    sun->screenPosition.Set(0.3, 0.8, 0.9);
    Frame(0.5);
    for (LensFlare* flare : Flares()) {
        flare->Update();
        EXPECT_NEAR(flare->fade, 0.5, 1e-9);
        const OverlaySprite& sprite = flare->Sprite();
        EXPECT_NEAR(sprite.position.x, 0.3 + flare->axis * 0.2, 1e-12);
        EXPECT_NEAR(sprite.position.y, 0.8 - flare->axis * 0.3, 1e-12);
        EXPECT_NEAR(sprite.position.z, 0.9 * (1.0 - flare->axis), 1e-12);
        EXPECT_NEAR(sprite.color.r, 0.5 * flare->redFactor * flare->brightness, 1e-12);
        EXPECT_NEAR(sprite.color.g, 0.25 * flare->greenFactor * flare->brightness, 1e-12);
        EXPECT_LE(sprite.color.b, 1.0);
        EXPECT_NEAR(sprite.color.a, 0.1 * 0.5 * 0.5, 1e-12);
        EXPECT_GE(flare->brightness, 0.8);
        EXPECT_LE(flare->brightness, 1.2);
        for (const double f : {flare->redFactor, flare->greenFactor, flare->blueFactor}) {
            EXPECT_GE(f, 0.9);
            EXPECT_LE(f, 1.1);
        }
    }
}

TEST_F(LensFlareTest, AnElementWhoseSunFinishesStopsAndGoesInTheNextPass) {
    Sun* sun = SunSeenAt(0.2, 0.3);
    sun->flareStrength = 0.1;
    CreateLensFlares(*sun);
    const int count = LiveLensFlareCount();
    ASSERT_GT(count, 0);
    UpdateSceneNodes();
    // The sun's own update pass leaves screenPosition alone (only its render
    // sets it), so the elements sit where the line put them.
    std::vector<Vector3d> places;
    for (LensFlare* flare : Flares()) {
        places.push_back(flare->Sprite().position);
    }

    // Passed: the sun goes in this pass and lets its elements go.
    sun->position.z = Camera.EyeZ() + 1.0;
    UpdateSceneNodes();
    EXPECT_EQ(LiveSunCount(), 0);
    ASSERT_EQ(LiveLensFlareCount(), count);
    std::vector<OverlaySprite*> sprites;
    for (LensFlare* flare : Flares()) {
        EXPECT_EQ(flare->sun, nullptr);
        sprites.push_back(&flare->Sprite());
    }

    // Next pass: the elements finish without touching the sun, their
    // sprites stay where they were and are marked finished.
    UpdateSceneNodes();
    EXPECT_EQ(LiveLensFlareCount(), 0);
    ASSERT_EQ(sprites.size(), places.size());
    for (size_t i = 0; i < sprites.size(); ++i) {
        EXPECT_TRUE(sprites[i]->finished);
        EXPECT_EQ(sprites[i]->position.x, places[i].x);
        EXPECT_EQ(sprites[i]->position.y, places[i].y);
    }
    UpdateSceneNodes();
    EXPECT_EQ(LiveSpriteCount(), 0);
}

TEST_F(LensFlareTest, ASquareElementKeepsItsAspectOnA1280x1024Window) {
    Sun* sun = SunSeenAt(0.1, 0.1);
    sun->color.Set(1.0, 1.0, 1.0);
    sun->growth = 1.0;
    sun->flareStrength = 0.1;
    CreateLensFlares(*sun);
    LensFlare* flare = Flares().front();
    // Only this element, at the window centre, fully lit on a plain picture.
    for (LensFlare* other : Flares()) {
        other->Sprite().color.a = 0.0;
    }
    const uint32_t solid = MakeSolidTexture(64, 64, 255);
    OverlaySprite& sprite = flare->Sprite();
    ASSERT_EQ(sprite.imageWidth, 64);
    ASSERT_EQ(sprite.imageHeight, 64);
    sprite.texture = solid;
    sprite.size = 0.06;
    sprite.position.Set(0.5, 0.5, 0.0);
    sprite.color = ColorRGBA(1.0, 1.0, 1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClear(GL_COLOR_BUFFER_BIT);
    RenderSceneOverlays();
    const LitRegion lit = FindLitPixels(ReadFramebuffer(gl));
    EXPECT_NEAR(lit.Width() / static_cast<double>(kWidth), 0.06, 1.5 / kWidth);
    EXPECT_NEAR(lit.Height() / static_cast<double>(kHeight), 0.075, 1.5 / kHeight);
    const GLuint name = solid;
    glDeleteTextures(1, &name);
}

TEST_F(LensFlareTest, ASunCloseEnoughDrawsItsElementsOnTheFollowingFrames) {
    ShowLensFlare.Set(1);
    auto* sun = new Sun(SunKind::Ordinary);
    sun->position.Set(6000.0, 3000.0, Camera.EyeZ() - 15000);
    glClear(GL_COLOR_BUFFER_BIT);
    RenderSceneNodes();
    ASSERT_GT(LiveLensFlareCount(), 0);
    // Brighter than the scene allows, so the faint elements show up.
    for (int frame = 0; frame < 30; ++frame) {
        Frame(0.1);
        UpdateSceneNodes();
        sun->flareStrength = 1.0;
        glClear(GL_COLOR_BUFFER_BIT);
        RenderSceneNodes();
    }
    for (LensFlare* flare : Flares()) {
        flare->Update();
    }
    // Only the overlays: the elements lie along the line from the sun
    // through the centre, reaching beyond the centre.
    glClear(GL_COLOR_BUFFER_BIT);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    RenderSceneOverlays();
    const Framebuffer frame = ReadFramebuffer(gl);
    const double sx = (sun->screenPosition.x - 0.5) * kWidth;
    const double sy = (sun->screenPosition.y - 0.5) * kHeight;
    const double length = std::hypot(sx, sy);
    ASSERT_GT(length, 50.0);
    // Half the diagonal of the largest element.
    const double radius = 0.06 * kWidth / 2.0 * std::sqrt(2.0) + 1.0;
    int lit = 0;
    int beyondCentre = 0;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const uint8_t* p = frame.At(x, y);
            if (std::max({p[0], p[1], p[2]}) <= 2) {
                continue;
            }
            ++lit;
            const double px = x + 0.5 - kWidth / 2.0;
            const double py = y + 0.5 - kHeight / 2.0;
            const double along = (px * sx + py * sy) / length;
            const double across = std::fabs(px * sy - py * sx) / length;
            EXPECT_LE(across, radius) << x << "," << y;
            beyondCentre += along < -radius;
        }
    }
    EXPECT_GT(lit, 0);
    EXPECT_GT(beyondCentre, 0);
}

}  // namespace
}  // namespace skyloom
