#include "platform/offscreen/offscreen_gl.h"

#include <GL/gl.h>

#include <cstdlib>

#include <gtest/gtest.h>

#include "tests/support/gl_test_support.h"

namespace skyloom {
namespace {

using skyloom::testing::FindLitPixels;
using skyloom::testing::Framebuffer;
using skyloom::testing::ReadFramebuffer;

void FillRect(float left, float bottom, float right, float top, float z) {
    glBegin(GL_QUADS);
    glVertex3f(left, bottom, z);
    glVertex3f(right, bottom, z);
    glVertex3f(right, top, z);
    glVertex3f(left, top, z);
    glEnd();
}

TEST(OffscreenGlTest, ClearColorReadsBackEverywhere) {
    OffscreenGlContext gl;
    ASSERT_TRUE(gl.Create(64, 48));
    EXPECT_TRUE(gl.IsCreated());
    EXPECT_EQ(gl.Width(), 64);
    EXPECT_EQ(gl.Height(), 48);
    glClearColor(1.0f, 0.5f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    const Framebuffer frame = ReadFramebuffer(gl);
    ASSERT_EQ(frame.rgba.size(), 64u * 48u * 4u);
    int wrong = 0;
    for (int y = 0; y < 48; ++y) {
        for (int x = 0; x < 64; ++x) {
            const uint8_t* p = frame.At(x, y);
            if (p[0] != 255 || std::abs(p[1] - 128) > 1 || p[2] != 0 || p[3] != 255) {
                ++wrong;
            }
        }
    }
    EXPECT_EQ(wrong, 0);
}

TEST(OffscreenGlTest, FixedFunctionDrawingWithRowsTopFirst) {
    OffscreenGlContext gl;
    ASSERT_TRUE(gl.Create(40, 30));
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 40);
    EXPECT_EQ(viewport[3], 30);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    // Upper half of the window in GL's y-up clip space.
    glColor3f(1.0f, 0.0f, 0.0f);
    FillRect(-1.0f, 0.0f, 1.0f, 1.0f, 0.0f);
    const Framebuffer frame = ReadFramebuffer(gl);
    ASSERT_FALSE(frame.rgba.empty());
    EXPECT_EQ(frame.At(20, 0)[0], 255);
    EXPECT_EQ(frame.At(20, 14)[0], 255);
    EXPECT_EQ(frame.At(20, 15)[0], 0);
    EXPECT_EQ(frame.At(20, 29)[0], 0);
}

TEST(OffscreenGlTest, HasADepthBuffer) {
    OffscreenGlContext gl;
    ASSERT_TRUE(gl.Create(16, 16));
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glColor3f(1.0f, 0.0f, 0.0f);
    FillRect(-1.0f, -1.0f, 1.0f, 1.0f, -0.5f);
    // Farther away: hidden where the red quad is.
    glColor3f(0.0f, 1.0f, 0.0f);
    FillRect(-1.0f, -1.0f, 1.0f, 1.0f, 0.5f);
    const Framebuffer frame = ReadFramebuffer(gl);
    ASSERT_FALSE(frame.rgba.empty());
    EXPECT_EQ(frame.At(8, 8)[0], 255);
    EXPECT_EQ(frame.At(8, 8)[1], 0);
}

TEST(OffscreenGlTest, ResizeChangesFramebufferAndViewport) {
    OffscreenGlContext gl;
    ASSERT_TRUE(gl.Create(32, 32));
    ASSERT_TRUE(gl.Resize(50, 20));
    EXPECT_EQ(gl.Width(), 50);
    EXPECT_EQ(gl.Height(), 20);
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 50);
    EXPECT_EQ(viewport[3], 20);
    glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    Framebuffer frame = ReadFramebuffer(gl);
    ASSERT_EQ(frame.rgba.size(), 50u * 20u * 4u);
    EXPECT_EQ(frame.At(49, 19)[2], 255);

    // Refused sizes keep the framebuffer as it was.
    EXPECT_FALSE(gl.Resize(0, 10));
    EXPECT_FALSE(gl.Resize(10, -1));
    EXPECT_FALSE(gl.Resize(1 << 30, 10));
    EXPECT_EQ(gl.Width(), 50);
    EXPECT_EQ(gl.Height(), 20);
    glClear(GL_COLOR_BUFFER_BIT);
    frame = ReadFramebuffer(gl);
    ASSERT_EQ(frame.rgba.size(), 50u * 20u * 4u);
    EXPECT_EQ(frame.At(0, 0)[2], 255);
}

TEST(OffscreenGlTest, LifecycleRefusals) {
    OffscreenGlContext gl;
    std::vector<uint8_t> pixels;
    EXPECT_FALSE(gl.IsCreated());
    EXPECT_FALSE(gl.ReadPixels(pixels));
    EXPECT_FALSE(gl.Resize(8, 8));
    EXPECT_FALSE(gl.Create(0, 10));
    EXPECT_FALSE(gl.Create(10, 0));
    EXPECT_FALSE(gl.IsCreated());

    ASSERT_TRUE(gl.Create(8, 8));
    EXPECT_FALSE(gl.Create(8, 8)) << "a second Create on a live context";
    EXPECT_EQ(gl.Width(), 8);
    gl.Destroy();
    EXPECT_FALSE(gl.IsCreated());
    EXPECT_EQ(gl.Width(), 0);
    EXPECT_FALSE(gl.ReadPixels(pixels));
    gl.Destroy();

    // The display comes back after the last context released it.
    ASSERT_TRUE(gl.Create(4, 4));
    glClearColor(0.0f, 1.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    ASSERT_TRUE(gl.ReadPixels(pixels));
    EXPECT_EQ(pixels[1], 255);
}

TEST(OffscreenGlTest, DestroyingOneContextLeavesAnotherWorking) {
    OffscreenGlContext first;
    ASSERT_TRUE(first.Create(8, 8));
    OffscreenGlContext second;
    ASSERT_TRUE(second.Create(6, 6));
    std::vector<uint8_t> pixels;
    EXPECT_FALSE(first.ReadPixels(pixels)) << "only the newest context is current";
    first.Destroy();
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    const Framebuffer frame = ReadFramebuffer(second);
    ASSERT_EQ(frame.rgba.size(), 6u * 6u * 4u);
    EXPECT_EQ(FindLitPixels(frame, 254).count, 36);
}

}  // namespace
}  // namespace skyloom
