#include "scene/sprites.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>

#include <gtest/gtest.h>

#include "platform/offscreen/offscreen_gl.h"
#include "scene/clock_source.h"
#include "scene/frame_clock.h"
#include "scene/render_size.h"
#include "scene/camera3d.h"
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

constexpr int kWidth = 1024;
constexpr int kHeight = 768;

class SpriteTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(gl.Create(kWidth, kHeight));
        SetRenderSize(kWidth, kHeight);
        // Billboards are drawn relative to the eye of the camera applied
        // last, which an earlier test may have left far along the flight.
        FlightCamera origin;
        origin.Configure();
        origin.SetAspect(GetRenderAspect());
        origin.Apply();
        SetSceneRenderState();
        whiteTexture = MakeSolidTexture(64, 64, 255);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    void TearDown() override {
        DeleteAllSceneNodes();
        SetRenderSize(0, 0);
        gl.Destroy();
    }

    // What the overlay pass sets up before RenderSceneOverlays.
    static void SetOverlayProjection() {
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluOrtho2D(0.0, 1.0, 1.0, 0.0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glDisable(GL_DEPTH_TEST);
    }

    OverlaySprite* MakeOverlay(double x, double y, double size, int imageWidth, int imageHeight) {
        auto* sprite = new OverlaySprite;
        sprite->position.Set(x, y, 0.0);
        sprite->size = size;
        sprite->imageWidth = imageWidth;
        sprite->imageHeight = imageHeight;
        sprite->texture = whiteTexture;
        return sprite;
    }

    LitRegion DrawOverlay(OverlaySprite& sprite) {
        glClear(GL_COLOR_BUFFER_BIT);
        SetOverlayProjection();
        sprite.RenderOverlay();
        return FindLitPixels(ReadFramebuffer(gl));
    }

    OffscreenGlContext gl;
    uint32_t whiteTexture = 0;
};

TEST_F(SpriteTest, OverlayKeepsTheImageAspectOnAWideWindow) {
    // 0.2 of the width, and 0.2 * 1024 / 768 = 0.2667 of the height.
    OverlaySprite* square = MakeOverlay(0.5, 0.5, 0.2, 64, 64);
    const LitRegion region = DrawOverlay(*square);
    EXPECT_NEAR(region.Width(), 0.2 * kWidth, 1.0);
    EXPECT_NEAR(region.Height(), 0.2667 * kHeight, 1.0);
    EXPECT_NEAR(region.count, region.Width() * region.Height(), 1);
    EXPECT_NEAR(region.CentreX(), 512.0, 1.0);
    EXPECT_NEAR(region.CentreY(), 384.0, 1.0);

    // A 4:1 image half the window wide, centred a quarter in from the left
    // and three quarters down.
    OverlaySprite* wide = MakeOverlay(0.25, 0.75, 0.5, 128, 32);
    const LitRegion banner = DrawOverlay(*wide);
    EXPECT_NEAR(banner.Width(), 512.0, 1.0);
    EXPECT_NEAR(banner.Height(), 128.0, 1.0);
    EXPECT_NEAR(banner.CentreX(), 256.0, 1.0);
    EXPECT_NEAR(banner.CentreY(), 576.0, 1.0);
}

TEST_F(SpriteTest, OverlayHiddenAtXZeroAndAtAlphaZero) {
    OverlaySprite* sprite = MakeOverlay(0.0, 0.5, 0.2, 64, 64);
    EXPECT_EQ(DrawOverlay(*sprite).count, 0);

    // A hair to the right it shows its right half at the left edge.
    sprite->position.x = 0.000001;
    const LitRegion edge = DrawOverlay(*sprite);
    EXPECT_EQ(edge.left, 0);
    EXPECT_NEAR(edge.Width(), 0.1 * kWidth, 1.0);

    sprite->position.x = 0.5;
    sprite->color.a = 0.0;
    EXPECT_EQ(DrawOverlay(*sprite).count, 0);
}

TEST_F(SpriteTest, OverlayWithoutImageSizeDrawsNothing) {
    OverlaySprite* sprite = MakeOverlay(0.5, 0.5, 0.2, 0, 0);
    EXPECT_EQ(DrawOverlay(*sprite).count, 0);
    sprite->imageWidth = 64;
    sprite->imageHeight = 64;
    EXPECT_GT(DrawOverlay(*sprite).count, 0);
}

TEST_F(SpriteTest, OverlayTintsTheTextureAndRestoresTheProjection) {
    OverlaySprite* sprite = MakeOverlay(0.5, 0.5, 0.1, 64, 64);
    sprite->color.Set(1.0, 0.5, 0.0, 0.5);
    glClear(GL_COLOR_BUFFER_BIT);
    SetOverlayProjection();
    glMatrixMode(GL_MODELVIEW);
    GLdouble before[16];
    glGetDoublev(GL_PROJECTION_MATRIX, before);
    sprite->RenderOverlay();
    GLdouble after[16];
    glGetDoublev(GL_PROJECTION_MATRIX, after);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(before[i], after[i]) << i;
    }
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_PROJECTION);
    EXPECT_EQ(glIsEnabled(GL_TEXTURE_2D), GL_FALSE);

    // Additive with source alpha: half of (1, 0.5, 0) on black.
    const Framebuffer frame = ReadFramebuffer(gl);
    ASSERT_FALSE(frame.rgba.empty());
    const uint8_t* centre = frame.At(512, 384);
    EXPECT_NEAR(centre[0], 128, 1);
    EXPECT_NEAR(centre[1], 64, 1);
    EXPECT_EQ(centre[2], 0);

    // The texture's alpha carries the shape: transparent texels vanish.
    sprite->color.a = 1.0;
    sprite->texture = MakeSolidTexture(64, 64, 0);
    EXPECT_EQ(DrawOverlay(*sprite).count, 0);
}

TEST_F(SpriteTest, PassesDrawOverlaysOnlyInTheOverlayPass) {
    // A billboard that would be plainly visible under this projection
    // (which mirrors y, so its quad shows its back).
    glDisable(GL_CULL_FACE);
    auto* billboard = new BillboardSprite;
    billboard->position.Set(0.8, 0.8, 0.0);
    billboard->size = 0.1;
    billboard->texture = whiteTexture;
    MakeOverlay(0.2, 0.2, 0.1, 64, 64);

    SetOverlayProjection();
    RenderSceneNodes();
    EXPECT_EQ(FindLitPixels(ReadFramebuffer(gl)).count, 0) << "sprites have no Render of their own";

    SetOverlayProjection();
    RenderSceneOverlays();
    const LitRegion region = FindLitPixels(ReadFramebuffer(gl));
    EXPECT_NEAR(region.CentreX(), 0.2 * kWidth, 1.0);
    EXPECT_NEAR(region.CentreY(), 0.2 * kHeight, 1.0);
    EXPECT_NEAR(region.Width(), 0.1 * kWidth, 1.0);

    glClear(GL_COLOR_BUFFER_BIT);
    SetOverlayProjection();
    billboard->Draw();
    EXPECT_GT(FindLitPixels(ReadFramebuffer(gl)).count, 0) << "drawn when its owner asks";
}

// Billboards seen through the flying camera.
class BillboardTest : public SpriteTest {
protected:
    void SetUp() override {
        SpriteTest::SetUp();
        SetClockSource(clock);
        StartFrameClock();
        SetHardwareAccelerated(true);
    }
    void TearDown() override {
        UseRealClock();
        CameraRotateEnum.ResetToDefault();
        FactorCameraFov.ResetToDefault();
        SpriteTest::TearDown();
    }

    // The camera after the given seconds of flight in half-second frames,
    // applied for this frame with depth testing off as in the render pass.
    void FlyCamera(double seconds) {
        camera.Configure();
        camera.SetAspect(GetRenderAspect());
        for (double t = 0.0; t < seconds; t += 0.5) {
            clock.AdvanceSeconds(0.5);
            TickFrameClock();
            camera.Update();
        }
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        camera.Apply();
        glDisable(GL_DEPTH_TEST);
    }

    BillboardSprite* MakeBillboardAhead(double size) {
        auto* sprite = new BillboardSprite;
        sprite->position = camera.LookAt();
        sprite->size = size;
        sprite->texture = whiteTexture;
        return sprite;
    }

    LitRegion DrawBillboard(BillboardSprite& sprite) {
        sprite.Draw();
        return FindLitPixels(ReadFramebuffer(gl));
    }

    SimulatedClockSource clock;
    FlightCamera camera;
};

TEST_F(BillboardTest, AlphaZeroDrawsNothing) {
    CameraRotateEnum.Set(0);
    FlyCamera(1.0);
    BillboardSprite* sprite = MakeBillboardAhead(100.0);
    sprite->color.a = 0.0;
    EXPECT_EQ(DrawBillboard(*sprite).count, 0);
    sprite->color.a = 1.0;
    EXPECT_GT(DrawBillboard(*sprite).count, 1000);
}

TEST_F(BillboardTest, FacesTheRolledCameraAsAnUprightSquare) {
    CameraRotateEnum.Set(2);
    FlyCamera(20.0);
    ASSERT_GT(camera.RollAngle(), 20.0);
    ASSERT_LT(camera.RollAngle(), 70.0);
    BillboardSprite* sprite = MakeBillboardAhead(100.0);
    const LitRegion region = DrawBillboard(*sprite);
    // Screen-aligned: the bounding box is filled, and square.
    EXPECT_NEAR(region.Width(), region.Height(), 1);
    EXPECT_NEAR(region.count, region.Width() * region.Height(), 2 * region.Width());
    EXPECT_NEAR(region.CentreX(), kWidth / 2.0, 1.0);
    EXPECT_NEAR(region.CentreY(), kHeight / 2.0, 1.0);
    // Edge in pixels: 2 * size / distance * (height / 2) / tan(fovY / 2).
    const double expectedEdge = 200.0 / 1000.0 * (kHeight / 2.0) / std::tan(DegToRad(camera.FovY() * 0.5));
    EXPECT_NEAR(region.Width(), expectedEdge, 2.0);
}

TEST_F(BillboardTest, RotationTurnsTheQuadAboutTheFlightAxis) {
    CameraRotateEnum.Set(0);
    FlyCamera(1.0);
    BillboardSprite* sprite = MakeBillboardAhead(100.0);
    const LitRegion upright = DrawBillboard(*sprite);
    glClear(GL_COLOR_BUFFER_BIT);
    sprite->rotation = 45.0;
    const LitRegion diamond = DrawBillboard(*sprite);
    // Same area, its corners now on the axes.
    EXPECT_NEAR(diamond.count, upright.count, upright.count * 0.02);
    EXPECT_NEAR(diamond.Width(), upright.Width() * std::sqrt(2.0), 3.0);
    EXPECT_NEAR(diamond.CentreX(), upright.CentreX(), 1.0);
}

TEST_F(BillboardTest, DrawsOverTheDepthBufferAndRestoresState) {
    CameraRotateEnum.Set(0);
    FlyCamera(1.0);
    // Depth buffer at the nearest value: with depth testing nothing passes.
    glClearDepth(0.0);
    glClear(GL_DEPTH_BUFFER_BIT);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    GLdouble before[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, before);
    BillboardSprite* sprite = MakeBillboardAhead(100.0);
    sprite->rotation = 30.0;
    EXPECT_GT(DrawBillboard(*sprite).count, 1000);
    EXPECT_EQ(glIsEnabled(GL_DEPTH_TEST), GL_TRUE);
    EXPECT_EQ(glIsEnabled(GL_TEXTURE_2D), GL_FALSE);
    GLdouble after[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, after);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(before[i], after[i]) << i;
    }
}

}  // namespace
}  // namespace skyloom
