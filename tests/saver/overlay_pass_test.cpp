#include "saver/overlay_pass.h"

#include <GL/gl.h>

#include <gtest/gtest.h>

#include "platform/offscreen/offscreen_gl.h"
#include "scene/scene_node.h"
#include "tests/support/gl_test_support.h"

namespace skyloom {
namespace {

using skyloom::testing::FindLitPixels;
using skyloom::testing::LitRegion;
using skyloom::testing::ReadFramebuffer;

constexpr int kWidth = 200;
constexpr int kHeight = 100;

// Draws a rectangle in window fractions with whatever colour is current.
class RectangleOverlay final : public SceneNode {
public:
    RectangleOverlay(double left, double top, double right, double bottom)
        : left_(left), top_(top), right_(right), bottom_(bottom) {}
    void RenderOverlay() override {
        glBegin(GL_QUADS);
        glVertex2d(left_, top_);
        glVertex2d(right_, top_);
        glVertex2d(right_, bottom_);
        glVertex2d(left_, bottom_);
        glEnd();
    }

private:
    double left_, top_, right_, bottom_;
};

class OverlayPassTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(gl.Create(kWidth, kHeight));
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    void TearDown() override {
        DeleteAllSceneNodes();
        gl.Destroy();
    }

    OffscreenGlContext gl;
};

TEST_F(OverlayPassTest, ProjectionIsTheWindowAsUnitSquareWithYDownward) {
    // Whatever the 3D pass left behind.
    glMatrixMode(GL_MODELVIEW);
    glTranslated(5.0, 5.0, 0.0);
    glEnable(GL_DEPTH_TEST);
    glMatrixMode(GL_PROJECTION);
    glScaled(3.0, 3.0, 1.0);

    SetupOverlayProjection();
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);

    glColor3f(1.0f, 1.0f, 1.0f);
    glBegin(GL_QUADS);
    glVertex2d(0.1, 0.2);
    glVertex2d(0.4, 0.2);
    glVertex2d(0.4, 0.6);
    glVertex2d(0.1, 0.6);
    glEnd();
    const LitRegion lit = FindLitPixels(ReadFramebuffer(gl));
    EXPECT_EQ(lit.left, 20);
    EXPECT_EQ(lit.right, 79);
    EXPECT_EQ(lit.top, 20);  // from the top: y runs downward
    EXPECT_EQ(lit.bottom, 59);
}

TEST_F(OverlayPassTest, DrawsTheSceneOverlaysInWhite) {
    new RectangleOverlay(0.5, 0.5, 1.0, 1.0);
    glColor3f(1.0f, 0.0f, 0.0f);  // left over from the 3D pass
    DrawOverlayPass();
    const testing::Framebuffer frame = ReadFramebuffer(gl);
    const LitRegion lit = FindLitPixels(frame);
    EXPECT_EQ(lit.left, kWidth / 2);
    EXPECT_EQ(lit.top, kHeight / 2);
    EXPECT_EQ(lit.right, kWidth - 1);
    EXPECT_EQ(lit.bottom, kHeight - 1);
    const uint8_t* pixel = frame.At(150, 75);
    EXPECT_EQ(pixel[0], 255);
    EXPECT_EQ(pixel[1], 255);
    EXPECT_EQ(pixel[2], 255);
}

}  // namespace
}  // namespace skyloom
