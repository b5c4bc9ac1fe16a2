#include "scene/camera3d.h"
#include "scene/constellation_line.h"
#include "scene/random.h"
#include "scene/scene_node.h"
#include "scene/star_field.h"
#include "scene/clock_source.h"
#include "scene/frame_clock.h"
#include "scene/render_size.h"
#include "settings/settings.h"
#include "tests/support/gl_test_support.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace skyloom {
namespace {

class StarFieldTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetClockSource(clock);
        StartFrameClock();
        SeedRandom(1234);
        fChildPreview = false;
        CameraRotateEnum.Set(0);
        SetRenderSize(800, 600);
        ConfigureCamera();
        SetAspect(GetRenderAspect());
        ComputeStarFieldExtents();
    }
    void TearDown() override {
        DeleteAllSceneNodes();
        ResetStarField();
        fChildPreview = false;
        UseRealClock();
    }
    void Frame(double seconds) {
        clock.AdvanceSeconds(seconds);
        TickFrameClock();
        UpdateCamera();
        SpawnStars();
        UpdateSceneNodes();
    }
    std::vector<Star*> Stars() const {
        std::vector<Star*> stars;
        for (SceneNode* node = SceneList(); node != nullptr; node = node->Next()) {
            if (Star* star = node->AsStar()) {
                stars.push_back(star);
            }
        }
        return stars;
    }

    SimulatedClockSource clock;
};

TEST_F(StarFieldTest, TargetFollowsTheSettingAndIsClamped) {
    FactorNumStars.Set(0.0f);
    SpawnStars();
    EXPECT_EQ(LiveStarCount(), 0);
    FactorNumStars.Set(0.125f);
    SpawnStars();
    EXPECT_EQ(LiveStarCount(), 2500);
    FactorNumStars.Set(2.0f);
    SpawnStars();
    EXPECT_EQ(LiveStarCount(), 20000);
    DeleteAllSceneNodes();
    // A hand-edited value far beyond the int range still means "all".
    FactorNumStars.Set(1e10f);
    SpawnStars();
    EXPECT_EQ(LiveStarCount(), 20000);
    DeleteAllSceneNodes();
    EXPECT_EQ(LiveStarCount(), 0);
}

TEST_F(StarFieldTest, FirstFrameCreatesTheWholePopulationAtTheFarDistance) {
    FactorNumStars.Set(0.125f);
    SpawnStars();
    const auto stars = Stars();
    ASSERT_EQ(stars.size(), 2500u);
    int large = 0;
    for (const Star* star : stars) {
        EXPECT_EQ(star->position.z, Camera.EyeZ() - 80000.0);
        EXPECT_LE(std::fabs(star->position.x), StarSpawnHalfWidth());
        EXPECT_LE(std::fabs(star->position.y), StarSpawnHalfHeight());
        EXPECT_EQ(star->fadeIn, 0.0);
        EXPECT_EQ(star->sunCount, 0);
        EXPECT_NEAR(star->color.Length(), 0.5625 * (star->pointSize >= 2 ? 1.6 : 1.0), 0.5625 * 1.1);
        large += star->pointSize >= 2.0 ? 1 : 0;
    }
    // Sizes from 1.5 to 1.6 out of 0.5..1.6 round up to 2: about one in eleven.
    EXPECT_NEAR(large / 2500.0, 1.0 / 11.0, 0.02);
}

TEST_F(StarFieldTest, DrawsFollowTheSeed) {
    FactorNumStars.Set(0.01f);
    SeedRandom(99);
    SpawnStars();
    std::vector<double> first;
    for (const Star* star : Stars()) {
        first.push_back(star->position.x);
    }
    DeleteAllSceneNodes();
    SeedRandom(99);
    SpawnStars();
    std::vector<double> second;
    for (const Star* star : Stars()) {
        second.push_back(star->position.x);
    }
    EXPECT_EQ(first, second);
}

TEST_F(StarFieldTest, PreviewDrawsEveryStarAsOnePixel) {
    fChildPreview = true;
    FactorNumStars.Set(0.1f);
    SpawnStars();
    for (const Star* star : Stars()) {
        ASSERT_EQ(star->pointSize, 1.0);
    }
}

TEST_F(StarFieldTest, ExtentsCoverTheRolledViewWhenTheCameraMayRoll) {
    const double halfHeight = StarSpawnHalfHeight();
    EXPECT_NEAR(halfHeight, std::tan(DegToRad(Camera.FovY() * 0.5)) * 80000.0, 1e-9);
    EXPECT_NEAR(StarSpawnHalfWidth(), halfHeight * 800.0 / 600.0, 1e-9);
    EXPECT_NEAR(StarFieldRadius(), halfHeight * 5.0 / 3.0, 1e-6);
    CameraRotateEnum.Set(1);
    ComputeStarFieldExtents();
    EXPECT_DOUBLE_EQ(StarSpawnHalfWidth(), StarFieldRadius());
    EXPECT_DOUBLE_EQ(StarSpawnHalfHeight(), StarFieldRadius());
}

TEST_F(StarFieldTest, CornerStarsOfTheRollSquareLeaveAtOnceAndAreReplaced) {
    CameraRotateEnum.Set(1);
    ConfigureCamera();
    SetAspect(GetRenderAspect());
    ComputeStarFieldExtents();
    FactorNumStars.Set(0.25f);
    SpawnStars();
    int outside = 0;
    for (const Star* star : Stars()) {
        outside += star->axisDistance > StarFieldRadius() ? 1 : 0;
    }
    // The disc covers pi/4 of the square.
    EXPECT_NEAR(outside / 5000.0, 1.0 - M_PI / 4.0, 0.03);
    UpdateSceneNodes();  // the camera has not moved yet
    for (const Star* star : Stars()) {
        ASSERT_LE(star->axisDistance, StarFieldRadius());
    }
    EXPECT_EQ(LiveStarCount(), 5000 - outside);
    SpawnStars();
    EXPECT_EQ(LiveStarCount(), 5000);
}

TEST_F(StarFieldTest, FadesInThenOutAsTheCameraArrives) {
    FactorNumStars.Set(0.0f);
    Star* star = new Star();
    star->position.Set(0.0, 0.0, Camera.EyeZ() - 80000.0);
    star->axisDistance = 0.0;
    Frame(1.0);
    EXPECT_NEAR(star->fadeIn, 0.35, 1e-9);
    EXPECT_EQ(star->distanceFade, 1.0);
    Frame(10.0);
    EXPECT_EQ(star->fadeIn, 1.0);
    star->position.z = Camera.EyeZ() - 30000.0;
    Frame(0.0);
    EXPECT_NEAR(star->distanceFade, 0.5, 1e-9);
}

TEST_F(StarFieldTest, StarOnTheAxisEndsOnlyOnceTheCameraHasPassedIt) {
    FactorNumStars.Set(0.0f);
    Star* star = new Star();
    star->position.Set(0.0, 0.0, Camera.EyeZ() - 1.0);
    star->axisDistance = 0.0;
    EXPECT_FALSE(star->IsFinished());
    star->position.z = Camera.EyeZ();
    EXPECT_FALSE(star->IsFinished());
    star->position.z = Camera.EyeZ() + 0.001;
    EXPECT_TRUE(star->IsFinished());
    Star* offAxis = new Star();
    offAxis->position.Set(0.0, 1000.0, Camera.EyeZ() - 80000.0);
    offAxis->axisDistance = 1000.0;
    EXPECT_FALSE(offAxis->IsFinished());
    offAxis->position.z = Camera.EyeZ() - 1000.0 / (0.0000125 * StarFieldRadius()) + 1.0;
    EXPECT_TRUE(offAxis->IsFinished());
}

TEST(ConstellationLines, LatchHoldsBetween17And24) {
    // Ahead of wherever earlier tests left the camera.
    const Vector3d ahead1(0, 0, Camera.EyeZ() - 1.0);
    const Vector3d ahead2(0, 0, Camera.EyeZ() - 2.0);
    std::vector<ConstellationLine*> lines;
    for (int i = 0; i < 25; ++i) {
        lines.push_back(new ConstellationLine(ahead1, ahead2));
    }
    EXPECT_TRUE(TooManyConstellationLines());
    auto finishOldest = [&lines](int keep) {
        // Move the line ends behind the camera so the pass deletes them.
        while (static_cast<int>(lines.size()) > keep) {
            lines.back()->endA.z = Camera.EyeZ() + 10.0;
            lines.back()->endB.z = Camera.EyeZ() + 10.0;
            lines.pop_back();
        }
        UpdateSceneNodes();
    };
    finishOldest(20);
    EXPECT_EQ(LiveConstellationLineCount(), 20);
    EXPECT_TRUE(TooManyConstellationLines());
    finishOldest(16);
    EXPECT_FALSE(TooManyConstellationLines());
    for (int i = 0; i < 4; ++i) {
        lines.push_back(new ConstellationLine(ahead1, ahead2));
    }
    EXPECT_FALSE(TooManyConstellationLines());  // 20 lines, latch clear
    DeleteAllSceneNodes();
}

TEST(ConstellationLines, LongLineStaysAliveUntilBothEndsArePassed) {
    const double eye = Camera.EyeZ();
    auto* line = new ConstellationLine(Vector3d(0, 0, eye + 5.0), Vector3d(90000.0, 0, eye - 100.0));
    UpdateSceneNodes();
    EXPECT_EQ(LiveConstellationLineCount(), 1);
    EXPECT_LT(line->distanceFade, 0.0);  // the nearer end is already behind
    line->endB.z = eye + 1.0;
    UpdateSceneNodes();
    EXPECT_EQ(LiveConstellationLineCount(), 0);
}

class StarRenderingTest : public StarFieldTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(gl.Create(160, 120));
        StarFieldTest::SetUp();
        SetRenderSize(160, 120);
        SetAspect(GetRenderAspect());
        // The camera has its look-at point only once it has flown a frame.
        clock.AdvanceSeconds(0.02);
        TickFrameClock();
        UpdateCamera();
        testing::SetSceneRenderState();
    }
    void TearDown() override {
        StarFieldTest::TearDown();
        gl.Destroy();
    }
    void Draw() {
        glClear(GL_COLOR_BUFFER_BIT);
        ApplyCamera();
        glDisable(GL_DEPTH_TEST);
        RenderSceneNodes();
        DrawStarBatch();
    }
    Star* PlaceStar(double x, double y, double distance, double alpha) {
        Star* star = new Star();
        star->position.Set(x, y, Camera.EyeZ() - distance);
        star->color.Set(1.0, 1.0, 1.0);
        star->fadeIn = alpha;
        star->distanceFade = 1.0;
        return star;
    }

    OffscreenGlContext gl;
};

TEST_F(StarRenderingTest, BatchedStarLandsWhereTheCameraProjectsIt) {
    FactorNumStars.Set(0.0f);
    Star* star = PlaceStar(2000.0, 1000.0, 40000.0, 1.0);
    Draw();
    Vector3d projected;
    ASSERT_TRUE(Camera.ProjectToScreen(star->position, projected));
    const auto frame = testing::ReadFramebuffer(gl);
    const auto lit = testing::FindLitPixels(frame, 128);
    ASSERT_EQ(lit.count, 1);
    EXPECT_NEAR(lit.left + 0.5, projected.x * 160.0, 1.0);
    EXPECT_NEAR(lit.top + 0.5, projected.y * 120.0, 1.0);
    // The batch was emptied: a frame with the star gone is black.
    star->fadeIn = 0.0;
    Draw();
    EXPECT_EQ(testing::FindLitPixels(testing::ReadFramebuffer(gl)).count, 0);
}

TEST_F(StarRenderingTest, LargeStarsAreSmoothedBiggerPoints) {
    FactorNumStars.Set(0.0f);
    Star* small = PlaceStar(-3000.0, 0.0, 40000.0, 1.0);
    Star* large = PlaceStar(3000.0, 0.0, 40000.0, 1.0);
    small->pointSize = 1.0;
    large->pointSize = 2.0;
    Draw();
    const auto frame = testing::ReadFramebuffer(gl);
    int leftHalf = 0;
    int rightHalf = 0;
    for (int y = 0; y < frame.height; ++y) {
        for (int x = 0; x < frame.width; ++x) {
            if (frame.At(x, y)[0] > 0) {
                (x < frame.width / 2 ? leftHalf : rightHalf)++;
            }
        }
    }
    EXPECT_EQ(leftHalf, 1);
    EXPECT_GT(rightHalf, 1);
}

TEST_F(StarRenderingTest, DimStarsAddUpAndInvisibleOnesDrawNothing) {
    FactorNumStars.Set(0.0f);
    PlaceStar(0.0, 0.0, 40000.0, 0.25);
    PlaceStar(0.0, 0.0, 40000.0, 0.25);
    PlaceStar(500.0, 500.0, 40000.0, 0.0);
    Draw();
    const auto frame = testing::ReadFramebuffer(gl);
    const auto lit = testing::FindLitPixels(frame);
    ASSERT_EQ(lit.count, 1);
    // Two additive quarter-bright draws: about half brightness.
    EXPECT_NEAR(frame.At(lit.left, lit.top)[0], 128, 3);
}

}  // namespace
}  // namespace skyloom
