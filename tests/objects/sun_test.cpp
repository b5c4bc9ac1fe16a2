#include "objects/sun.h"

#include <GL/gl.h>

#include <cmath>
#include <set>
#include <vector>

#include <gtest/gtest.h>

#include "objects/lensflaremgr.h"
#include "objects/sun_color.h"
#include "platform/offscreen/offscreen_gl.h"
#include "scene/clock_source.h"
#include "scene/frame_clock.h"
#include "scene/render_size.h"
#include "scene/camera3d.h"
#include "scene/constellation_line.h"
#include "scene/random.h"
#include "scene/star_field.h"
#include "settings/settings.h"
#include "tests/support/gl_test_support.h"

namespace skyloom {
namespace {

using skyloom::testing::Framebuffer;
using skyloom::testing::MakeSolidTexture;
using skyloom::testing::ReadFramebuffer;
using skyloom::testing::SetSceneRenderState;

constexpr int kWidth = 800;
constexpr int kHeight = 600;

class SunTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(gl.Create(kWidth, kHeight));
        SetClockSource(clock);
        StartFrameClock();
        SetRenderSize(kWidth, kHeight);
        SetSceneRenderState();
        RestoreDefaultSettings();
        CameraRotateEnum.Set(0);
        SetHardwareAccelerated(true);
        GLint maxTexture = 0;
        glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxTexture);
        SetMaxTextureSize(maxTexture);
        ConfigureCamera();
        SetAspect(static_cast<double>(kWidth) / kHeight);
        Frame(0.0);
        SeedRandom(4242);
        SetupSuns();
    }
    void TearDown() override {
        DeleteAllSceneNodes();
        ReleaseSunTextures();
        RestoreDefaultSettings();
        SetHardwareAccelerated(true);
        SetRenderSize(0, 0);
        UseRealClock();
        gl.Destroy();
    }

    // One frame of the given length: clock, camera and the camera's view.
    void Frame(double seconds) {
        clock.AdvanceSeconds(seconds);
        TickFrameClock();
        UpdateCamera();
        ApplyCamera();
        glDisable(GL_DEPTH_TEST);
    }

    // A sun of the kind straight ahead of the camera at that distance.
    static Sun* SunAhead(SunKind kind, double ahead) {
        auto* sun = new Sun(kind);
        sun->position.Set(0.0, 0.0, Camera.EyeZ() - ahead);
        return sun;
    }

    static std::vector<Sun*> Suns() {
        std::vector<Sun*> suns;
        for (SceneNode* node = SceneList(); node != nullptr; node = node->Next()) {
            if (auto* sun = dynamic_cast<Sun*>(node)) {
                suns.push_back(sun);
            }
        }
        return suns;
    }

    OffscreenGlContext gl;
    SimulatedClockSource clock{1'000'000'000};
};

// ---- spawner ----

TEST_F(SunTest, TargetFollowsTheFactorClampedTo200AndTheFirstGoalIsTheTarget) {
    struct Case {
        float factor;
        int target;
    };
    // 0.15 is the default; 2 and -1 are edited stored values.
    for (const Case c : {Case{0.0f, 0}, Case{0.15f, 30}, Case{0.0125f, 3}, Case{1.0f, 200}, Case{2.0f, 200},
                         Case{-1.0f, 0}}) {
        FactorNumSuns.Set(c.factor);
        ResetSunSpawner();
        // A frame of a millisecond: the goal's random moves are 1 in tens of thousands.
        Frame(0.001);
        SpawnSuns();
        EXPECT_EQ(SunSpawnTarget(), c.target) << c.factor;
        EXPECT_EQ(SunSpawnGoal(), c.target) << c.factor;
    }
}

TEST_F(SunTest, GoalWandersButNeverBelowFiveOrTheTargetWhenSmaller) {
    for (const float factor : {0.0125f, 0.15f}) {
        FactorNumSuns.Set(factor);
        ResetSunSpawner();
        int lowest = 1000;
        int highest = -1;
        // Ten-second frames: the goal moves about every fourth frame.
        for (int frame = 0; frame < 400; ++frame) {
            Frame(10.0);
            SpawnSuns();
            lowest = std::min(lowest, SunSpawnGoal());
            highest = std::max(highest, SunSpawnGoal());
        }
        const int target = SunSpawnTarget();
        EXPECT_EQ(lowest, std::min(target, 5)) << target;
        EXPECT_EQ(highest, target);
        if (target > 5) {
            // It did wander.
            EXPECT_LT(lowest, highest);
        }
        DeleteAllSceneNodes();
    }
}

TEST_F(SunTest, AtMostOneSunPer250Milliseconds) {
    FactorNumSuns.Set(1.0f);
    uint32_t lastBirth = 0;
    int births = 0;
    int before = LiveSunCount();
    for (int frame = 0; frame < 100; ++frame) {
        Frame(0.07);
        SpawnSuns();
        const int now = LiveSunCount();
        ASSERT_LE(now - before, 1);
        if (now > before) {
            if (births > 0) {
                EXPECT_GT(TimeGetTime() - lastBirth, 250u);
            }
            lastBirth = TimeGetTime();
            ++births;
        }
        before = now;
    }
    // 7 seconds with births 280 ms (four 70 ms frames) apart at the most;
    // a goal that wanders below the live count may stop some.
    EXPECT_LE(births, 25);
    EXPECT_GE(births, 20);
}

TEST_F(SunTest, NoSunsWithFactorZero) {
    FactorNumSuns.Set(0.0f);
    for (int frame = 0; frame < 200; ++frame) {
        Frame(1.0);
        SpawnSuns();
    }
    EXPECT_EQ(LiveSunCount(), 0);
    EXPECT_EQ(SunSpawnGoal(), 0);
}

TEST_F(SunTest, NoSunsWithoutTextures) {
    ReleaseSunTextures();
    for (int frame = 0; frame < 20; ++frame) {
        Frame(1.0);
        SpawnSuns();
    }
    EXPECT_EQ(LiveSunCount(), 0);
}

// ---- kinds and colours ----

// The first seed from 1 whose draws pass the test.
template <typename Test>
uint32_t FindSeed(Test test) {
    for (uint32_t seed = 1; seed < 1'000'000; ++seed) {
        SeedRandom(seed);
        int draws[4];
        for (int& d : draws) {
            d = RandomDraw();
        }
        if (test(draws)) {
            return seed;
        }
    }
    ADD_FAILURE() << "no seed found";
    return 1;
}

// The draw that follows n draws from the seed.
int DrawAfter(uint32_t seed, int n) {
    SeedRandom(seed);
    for (int i = 0; i < n; ++i) {
        RandomDraw();
    }
    return RandomDraw();
}

TEST_F(SunTest, ASwitchedOffKindTakesNoDraw) {
    const uint32_t plain = FindSeed([](const int* d) { return d[0] % 75 != 0 && d[1] % 110 != 0 && d[2] % 300 != 0; });
    struct Case {
        bool redGiants;
        bool supernovae;
        int draws;
    };
    for (const Case c : {Case{true, true, 3}, Case{false, true, 2}, Case{true, false, 2}, Case{false, false, 1}}) {
        ShowRedGiants.Set(c.redGiants);
        ShowSupernovae.Set(c.supernovae);
        SeedRandom(plain);
        EXPECT_EQ(DrawSunKind(), SunKind::Ordinary);
        const int next = RandomDraw();
        EXPECT_EQ(next, DrawAfter(plain, c.draws)) << c.redGiants << c.supernovae;
    }

    // A draw that makes a red giant goes on to the supernova test when
    // red giants are off.
    const uint32_t giant = FindSeed([](const int* d) { return d[0] % 75 != 0 && d[1] % 110 == 0; });
    ShowRedGiants.Set(1);
    SeedRandom(giant);
    EXPECT_EQ(DrawSunKind(), SunKind::RedGiant);
    ShowRedGiants.Set(0);
    const SunKind expected = DrawAfter(giant, 1) % 300 == 0 ? SunKind::Supernova : SunKind::Ordinary;
    SeedRandom(giant);
    EXPECT_EQ(DrawSunKind(), expected);

    const uint32_t bright = FindSeed([](const int* d) { return d[0] % 75 == 0; });
    ShowRedGiants.Set(0);
    ShowSupernovae.Set(0);
    SeedRandom(bright);
    EXPECT_EQ(DrawSunKind(), SunKind::Bright);
    const int next = RandomDraw();
    EXPECT_EQ(next, DrawAfter(bright, 1));
}

TEST_F(SunTest, RedGiantsAndSupernovaeKeepTheirOwnColorsAndSizes) {
    // Pure red for ordinary suns.
    SunColorEnum.Set(0);
    CustomSunColor.Set(0x0000FF);
    SetupSuns();
    for (int i = 0; i < 200; ++i) {
        const Sun& normal = *new Sun(SunKind::Ordinary);
        EXPECT_EQ(normal.color.x, 1.0);
        EXPECT_EQ(normal.color.y, 0.0);
        EXPECT_EQ(normal.color.z, 0.0);
        EXPECT_GE(normal.baseSize, 5000 * 0.68);
        EXPECT_LE(normal.baseSize, 10000 * 0.68);
        EXPECT_EQ(normal.Billboard().texture, SunFlareTexture());

        const Sun& giant = *new Sun(SunKind::RedGiant);
        EXPECT_EQ(giant.color.x, 1.0);
        EXPECT_GE(giant.color.y, 0.1);
        EXPECT_LE(giant.color.y, 0.8);
        EXPECT_GE(giant.color.z, 0.0);
        EXPECT_LE(giant.color.z, 0.5);
        EXPECT_GE(giant.baseSize, 5000 * 0.68 * 3);
        EXPECT_LE(giant.baseSize, 10000 * 0.68 * 8);
        EXPECT_EQ(giant.Billboard().texture, SunPlainTexture());

        const Sun& nova = *new Sun(SunKind::Supernova);
        EXPECT_GE(nova.color.Length(), 1.25);
        for (const double c : {nova.color.x, nova.color.y, nova.color.z}) {
            EXPECT_GE(c, 0.4);
            EXPECT_LE(c, 1.0);
        }
        EXPECT_GE(nova.baseSize, 5000 * 0.68 * 15);
        EXPECT_LE(nova.baseSize, 10000 * 0.68 * 20);
        DeleteAllSceneNodes();
    }
    // A software renderer makes smaller suns.
    SetHardwareAccelerated(false);
    for (int i = 0; i < 200; ++i) {
        const Sun& normal = *new Sun(SunKind::Ordinary);
        EXPECT_GE(normal.baseSize, 1000 * 0.68);
        EXPECT_LE(normal.baseSize, 10000 * 0.68);
        DeleteAllSceneNodes();
    }
}

TEST_F(SunTest, OrdinarySunColorFollowsTheColorMode) {
    SunColorEnum.Set(3);
    std::set<double> reds;
    for (int i = 0; i < 50; ++i) {
        const Sun& sun = *new Sun(SunKind::Ordinary);
        for (const double c : {sun.color.x, sun.color.y, sun.color.z}) {
            EXPECT_GE(c, 0.86);
            EXPECT_LE(c, 1.0);
        }
        EXPECT_EQ(sun.color.x, CurrentSunColor().r);
        reds.insert(sun.color.x);
    }
    EXPECT_GT(reds.size(), 40u);

    SunColorEnum.Set(2);
    for (int i = 0; i < 50; ++i) {
        const Sun& sun = *new Sun(SunKind::Bright);
        EXPECT_GE(sun.color.x + sun.color.y + sun.color.z, 1.5);
    }

    // Mode 1: one colour, drawn at set-up, for the whole run.
    SunColorEnum.Set(1);
    SetupSuns();
    const ColorRGBA chosen = CurrentSunColor();
    EXPECT_GE(chosen.r + chosen.g + chosen.b, 1.5);
    for (int i = 0; i < 10; ++i) {
        const Sun& sun = *new Sun(SunKind::Ordinary);
        EXPECT_EQ(sun.color.x, chosen.r);
        EXPECT_EQ(sun.color.y, chosen.g);
        EXPECT_EQ(sun.color.z, chosen.b);
    }
    DeleteAllSceneNodes();
}

// Unknown stored values keep the colour drawn at set-up, as mode 1 does.
TEST(SunColorModeTest, StoredValuesAndUnknownOnes) {
    struct Case {
        int32_t stored;
        SunColorMode mode;
    };
    for (const Case c : {Case{0, SunColorMode::Custom}, Case{1, SunColorMode::RandomOnce},
                         Case{2, SunColorMode::RandomEach}, Case{3, SunColorMode::OffWhite},
                         Case{4, SunColorMode::RandomOnce}, Case{-1, SunColorMode::RandomOnce}}) {
        EXPECT_EQ(SunColorModeFromSetting(c.stored), c.mode) << c.stored;
    }
}

TEST_F(SunTest, BrighteningStopsWhereScalingCannotReachTheSum) {
    const ColorRGBA dim = BrightenSunColor(ColorRGBA(0.2, 0.3, 0.1, 1.0));
    EXPECT_GE(dim.r + dim.g + dim.b, 1.5);
    EXPECT_LT(dim.r + dim.g + dim.b, 1.52);
    // Hue kept while nothing clamps.
    EXPECT_NEAR(dim.g / dim.r, 1.5, 1e-9);

    // One channel alone can reach 1 at most; black cannot grow at all.
    const ColorRGBA red = BrightenSunColor(ColorRGBA(0.3, 0.0, 0.0, 1.0));
    EXPECT_EQ(red.r, 1.0);
    EXPECT_EQ(red.g + red.b, 0.0);
    const ColorRGBA black = BrightenSunColor(ColorRGBA(0.0, 0.0, 0.0, 1.0));
    EXPECT_EQ(black.r + black.g + black.b, 0.0);
}

// ---- update ----

TEST_F(SunTest, GrowthRatesByKind) {
    Sun* normal = SunAhead(SunKind::Ordinary, 50000);
    Sun* giant = SunAhead(SunKind::RedGiant, 50000);
    Sun* nova = SunAhead(SunKind::Supernova, 50000);
    for (int i = 0; i < 20; ++i) {
        Frame(0.1);
        normal->Update();
        giant->Update();
        nova->Update();
    }
    EXPECT_NEAR(normal->growth, 0.2, 1e-9);
    EXPECT_NEAR(giant->growth, 0.1, 1e-9);
    EXPECT_NEAR(nova->growth, 0.5, 1e-9);
    EXPECT_NEAR(normal->Billboard().size, normal->baseSize * 0.2, 1e-6);
    for (int i = 0; i < 200; ++i) {
        Frame(0.1);
        normal->Update();
    }
    EXPECT_EQ(normal->growth, 1.0);
    EXPECT_EQ(normal->Billboard().size, normal->baseSize);
}

TEST_F(SunTest, FadesOverTheLastStretchLongerForARedGiant) {
    Sun* normal = SunAhead(SunKind::Ordinary, 1000);
    Sun* giant = SunAhead(SunKind::RedGiant, 12500);
    Sun* far = SunAhead(SunKind::Ordinary, 2500);
    Frame(0.0);
    normal->Update();
    giant->Update();
    far->Update();
    EXPECT_NEAR(normal->Billboard().color.a, 0.5, 1e-9);
    EXPECT_NEAR(giant->Billboard().color.a, 0.5, 1e-9);
    EXPECT_EQ(far->Billboard().color.a, 1.0);
    EXPECT_EQ(normal->Billboard().position.z, normal->position.z);
}

TEST_F(SunTest, RedGiantPulsesAndFlickers) {
    for (const int lowDetail : {0, 1}) {
        LowDetail.Set(lowDetail);
        const double a = lowDetail == 1 ? 0.01 : 0.03;
        Sun* giant = SunAhead(SunKind::RedGiant, 50000);
        giant->growth = 0.5;
        double smallest = 2.0;
        double largest = 0.0;
        bool flickered = false;
        for (int i = 0; i < 500; ++i) {
            Frame(0.02);
            giant->Update();
            const double pulse = giant->Billboard().size / (giant->baseSize * giant->growth);
            smallest = std::min(smallest, pulse);
            largest = std::max(largest, pulse);
            const ColorRGBA& c = giant->Billboard().color;
            EXPECT_LE(std::fabs(c.g - giant->color.y), 2.5 * 0.02 + 1e-12);
            EXPECT_LE(std::fabs(c.b - giant->color.z), 2.5 * 0.02 + 1e-12);
            flickered = flickered || c.g != giant->color.y;
        }
        EXPECT_GE(smallest, 1.0 - a - 1e-9);
        EXPECT_LE(largest, 1.0 + a + 1e-9);
        EXPECT_LT(smallest, 1.0 - a * 0.5);
        EXPECT_GT(largest, 1.0 + a * 0.5);
        EXPECT_TRUE(flickered);
        // The stored colour stays; only the frame colour flickers.
        EXPECT_EQ(giant->color.x, 1.0);
    }
}

TEST_F(SunTest, SupernovaBurnsOutAndFinishesBeforeItIsPassed) {
    FactorCameraSpeed.Set(0.0f);
    ConfigureCamera();
    Sun* nova = SunAhead(SunKind::Supernova, 59000);
    double previous = nova->color.Length();
    double seconds = 0.0;
    while (LiveSunCount() == 1 && seconds < 120.0) {
        Frame(0.1);
        seconds += 0.1;
        const Vector3d before = nova->color;
        ASSERT_LT(nova->position.z, Camera.EyeZ());
        // Deletes the sun once it reports itself finished.
        UpdateSceneNodes();
        if (LiveSunCount() == 0) {
            break;
        }
        // This frame shows the colour from before the burn.
        EXPECT_EQ(nova->Billboard().color.r, before.x);
        EXPECT_EQ(nova->Billboard().color.b, before.z);
        const double length = nova->color.Length();
        ASSERT_LT(length, previous);
        ASSERT_GT(length, 0.0);
        previous = length;
    }
    EXPECT_EQ(LiveSunCount(), 0);
    // It swells in 4 seconds and dims from then on: gone well within a minute.
    EXPECT_GT(seconds, 4.0);
    EXPECT_LT(seconds, 60.0);
    // Its billboard follows in the next pass.
    EXPECT_EQ(LiveSpriteCount(), 1);
    UpdateSceneNodes();
    EXPECT_EQ(LiveSpriteCount(), 0);
}

TEST_F(SunTest, FinishedOncePassed) {
    Sun* sun = SunAhead(SunKind::Ordinary, 10);
    UpdateSceneNodes();
    ASSERT_EQ(LiveSunCount(), 1);
    sun->position.z = Camera.EyeZ() + 1.0;
    UpdateSceneNodes();
    EXPECT_EQ(LiveSunCount(), 0);
    UpdateSceneNodes();
    EXPECT_EQ(LiveSpriteCount(), 0);
}

TEST_F(SunTest, FlareStrengthFollowsTheViewOnlyWithLensFlares) {
    Sun* sun = SunAhead(SunKind::Ordinary, 30000);
    for (int i = 0; i < 3; ++i) {
        Frame(0.05);
        sun->Update();
    }
    EXPECT_NEAR(sun->flareStrength, 0.1, 1e-12);
    sun->outsideView = true;
    Frame(0.06);
    sun->Update();
    EXPECT_NEAR(sun->flareStrength, 0.06, 1e-12);
    Frame(1.0);
    sun->Update();
    EXPECT_EQ(sun->flareStrength, 0.0);

    ShowLensFlare.Set(0);
    sun->outsideView = false;
    Frame(1.0);
    sun->Update();
    EXPECT_EQ(sun->flareStrength, 0.0);
}

// ---- render ----

TEST_F(SunTest, EachKindIsDrawnItsNumberOfTimesFewerInLowDetail) {
    ShowLensFlare.Set(0);
    const uint32_t solid = MakeSolidTexture(4, 4, 255);
    struct Case {
        SunKind kind;
        int draws;
        int lowDetailDraws;
    };
    for (const Case c : {Case{SunKind::Ordinary, 1, 1}, Case{SunKind::Bright, 2, 2}, Case{SunKind::RedGiant, 4, 3}, Case{SunKind::Supernova, 3, 2}}) {
        for (const int lowDetail : {0, 1}) {
            LowDetail.Set(lowDetail);
            Sun* sun = SunAhead(c.kind, 30000);
            sun->Billboard().texture = solid;
            sun->Billboard().position = sun->position;
            sun->Billboard().size = 1000.0;
            sun->Billboard().color = ColorRGBA(0.1, 0.1, 0.1, 1.0);
            glClear(GL_COLOR_BUFFER_BIT);
            sun->Render();
            const Framebuffer frame = ReadFramebuffer(gl);
            const int expected = lowDetail == 1 ? c.lowDetailDraws : c.draws;
            EXPECT_NEAR(frame.At(kWidth / 2, kHeight / 2)[0], expected * 25.5, 2.0)
                << "kind " << static_cast<int>(c.kind) << " low detail " << lowDetail;
            DeleteAllSceneNodes();
        }
    }
    const GLuint name = solid;
    glDeleteTextures(1, &name);
}

TEST_F(SunTest, RenderProjectsTheSunAndMakesItsFlaresOnceWithin20000Units) {
    Sun* far = SunAhead(SunKind::Ordinary, 20500);
    far->position.x = 3000.0;
    far->Render();
    EXPECT_FALSE(far->outsideView);
    // 3000 units off the axis at 20500 ahead, in pixels from the window
    // centre (whichever way an earlier roll left the camera turned).
    const double offset = 3000.0 / 20500.0 / std::tan(DegToRad(Camera.FovY() / 2.0)) * (kHeight / 2.0);
    EXPECT_NEAR(std::hypot((far->screenPosition.x - 0.5) * kWidth, (far->screenPosition.y - 0.5) * kHeight), offset,
                0.01);
    EXPECT_TRUE(far->flaresPending);
    EXPECT_EQ(LiveLensFlareCount(), 0);

    far->position.z = Camera.EyeZ() - 19500;
    far->Render();
    EXPECT_FALSE(far->flaresPending);
    const int made = LiveLensFlareCount();
    EXPECT_GE(made, 5);
    far->Render();
    EXPECT_EQ(LiveLensFlareCount(), made);

    // Behind the camera's view: outside, and no flares without the setting.
    ShowLensFlare.Set(0);
    Sun* behind = SunAhead(SunKind::Ordinary, -500);
    behind->Render();
    EXPECT_TRUE(behind->outsideView);
    EXPECT_TRUE(behind->flaresPending);
    EXPECT_EQ(LiveLensFlareCount(), made);
}

// ---- placement ----

TEST_F(SunTest, PlacedAheadOffTheCentralTenthWithinTheSpread) {
    for (int i = 0; i < 400; ++i) {
        const SunKind kind = i % 2 == 0 ? SunKind::Ordinary : SunKind::RedGiant;
        const Sun& sun = *new Sun(kind);
        const double distance = Camera.EyeZ() - sun.position.z;
        ASSERT_GE(distance, 45000.0);
        ASSERT_LE(distance, 60000.0);
        const double halfHeight = std::tan(DegToRad(Camera.FovY() / 2.0)) * distance;
        const double halfWidth = Camera.Aspect() * halfHeight;
        EXPECT_LE(std::fabs(sun.position.x), halfWidth * 0.87 + 1e-6);
        EXPECT_LE(std::fabs(sun.position.y), halfHeight * 0.87 + 1e-6);
        EXPECT_FALSE(std::fabs(sun.position.x) < halfWidth * 0.1 && std::fabs(sun.position.y) < halfHeight * 0.1)
            << i;
        DeleteAllSceneNodes();
    }
}

TEST_F(SunTest, StillCameraOrSoftwareRenderingUsesTheWholeView) {
    for (const bool still : {true, false}) {
        FactorCameraSpeed.Set(still ? 0.0f : 0.12f);
        SetHardwareAccelerated(still);
        int central = 0;
        double widest = 0.0;
        for (int i = 0; i < 1000; ++i) {
            const Sun& sun = *new Sun(SunKind::Ordinary);
            const double distance = Camera.EyeZ() - sun.position.z;
            const double halfHeight = std::tan(DegToRad(Camera.FovY() / 2.0)) * distance;
            const double halfWidth = Camera.Aspect() * halfHeight;
            central += std::fabs(sun.position.x) < halfWidth * 0.1 && std::fabs(sun.position.y) < halfHeight * 0.1;
            widest = std::max(widest, std::fabs(sun.position.x) / halfWidth);
            ASSERT_LE(std::fabs(sun.position.y), halfHeight + 1e-6);
            DeleteAllSceneNodes();
        }
        EXPECT_GT(central, 0);
        EXPECT_GT(widest, 0.95);
        EXPECT_LE(widest, 1.0 + 1e-9);
    }
}

TEST_F(SunTest, NearestFreeStarWinsTiesGoToTheFirstInListOrder) {
    ComputeStarFieldExtents();
    const double z = Camera.EyeZ() - 50000;
    auto* a = new Star();
    a->position.Set(-1000.0, 0.0, z);
    auto* b = new Star();
    b->position.Set(1000.0, 0.0, z);
    auto* c = new Star();
    c->position.Set(0.0, 5000.0, z);

    EXPECT_EQ(NearestFreeStar(Vector3d(-900.0, 0.0, z)), a);
    EXPECT_EQ(NearestFreeStar(Vector3d(0.0, 4000.0, z)), c);
    // a and b are equally far; b is newer, so it comes first in the list.
    EXPECT_EQ(NearestFreeStar(Vector3d(0.0, 0.0, z)), b);
    b->sunCount = 1;
    EXPECT_EQ(NearestFreeStar(Vector3d(0.0, 0.0, z)), a);
    a->sunCount = 1;
    c->sunCount = 2;
    EXPECT_EQ(NearestFreeStar(Vector3d(0.0, 0.0, z)), nullptr);
}

TEST_F(SunTest, ASunTakesTheNearestFreeStarAndCountsOnIt) {
    ComputeStarFieldExtents();
    auto* star = new Star();
    star->position.Set(100.0, -200.0, Camera.EyeZ() - 52000);
    Sun* first = new Sun(SunKind::Ordinary);
    EXPECT_EQ(first->position.x, star->position.x);
    EXPECT_EQ(first->position.y, star->position.y);
    EXPECT_EQ(first->position.z, star->position.z);
    EXPECT_EQ(star->sunCount, 1);

    // The only star holds a sun now: the next sun keeps its own spot.
    Sun* second = new Sun(SunKind::Ordinary);
    EXPECT_NE(second->position.z, star->position.z);
    EXPECT_EQ(star->sunCount, 1);
}

TEST_F(SunTest, OrdinarySunsAreChainedByConstellationLines) {
    ComputeStarFieldExtents();
    ConstellationLines.Set(1);
    const int before = LiveConstellationLineCount();
    Sun* first = new Sun(SunKind::Ordinary);
    new Sun(SunKind::RedGiant);
    Sun* second = new Sun(SunKind::Ordinary);
    ASSERT_EQ(LiveConstellationLineCount(), before + 2);
    std::vector<ConstellationLine*> lines;
    for (SceneNode* node = SceneList(); node != nullptr; node = node->Next()) {
        if (auto* line = dynamic_cast<ConstellationLine*>(node)) {
            lines.push_back(line);
        }
    }
    ASSERT_EQ(lines.size(), 2u);
    // Newest first: second -> first, then the first line of length 0.
    EXPECT_EQ(lines[0]->endA.x, second->position.x);
    EXPECT_EQ(lines[0]->endB.x, first->position.x);
    EXPECT_EQ(lines[1]->endA.x, first->position.x);
    EXPECT_EQ(lines[1]->endB.x, first->position.x);

    ConstellationLines.Set(0);
    new Sun(SunKind::Ordinary);
    EXPECT_EQ(LiveConstellationLineCount(), before + 2);
}

}  // namespace
}  // namespace skyloom
