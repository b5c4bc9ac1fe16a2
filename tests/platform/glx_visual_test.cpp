#include "platform/x11/glx_visual.h"
#include "platform/x11/key_translation.h"
#include "saver/window_message.h"

#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <initializer_list>

namespace skyloom {
namespace {

GlVisualCandidate Usable(int depth, int depthBuffer) {
    GlVisualCandidate c;
    c.depth = depth;
    c.trueColor = true;
    c.usesGl = true;
    c.rgba = true;
    c.doubleBuffered = true;
    c.depthBufferBits = depthBuffer;
    return c;
}

TEST(GlVisualTest, RejectsVisualsThatCannotCarryTheSaver) {
    std::vector<GlVisualCandidate> candidates(6, Usable(24, 24));
    candidates[0].usesGl = false;
    candidates[1].rgba = false;
    candidates[2].doubleBuffered = false;
    candidates[3].level = 1;
    candidates[4].depthBufferBits = 15;
    candidates[5].depthBufferBits = 0;
    EXPECT_EQ(ChooseGlVisual(candidates, 24), -1);
    EXPECT_EQ(ChooseGlVisual({}, 24), -1);
    candidates.push_back(Usable(24, 16));  // the shallowest depth buffer that will do
    EXPECT_EQ(ChooseGlVisual(candidates, 24), 6);
}

TEST(GlVisualTest, PrefersTheDisplayDepthThenTheDeepestDepthBuffer) {
    const std::vector<GlVisualCandidate> candidates{Usable(32, 24), Usable(24, 16), Usable(24, 24), Usable(16, 32)};
    EXPECT_EQ(ChooseGlVisual(candidates, 24), 2);
    EXPECT_EQ(ChooseGlVisual(candidates, 32), 0);
    EXPECT_EQ(ChooseGlVisual(candidates, 16), 3);
    // No visual of the display's depth: the nearest depth.
    EXPECT_EQ(ChooseGlVisual({Usable(16, 16), Usable(24, 16)}, 30), 1);
    // Depth buffers beyond the 32 bits asked for are no better.
    EXPECT_EQ(ChooseGlVisual({Usable(24, 32), Usable(24, 48)}, 24), 0);
}

TEST(GlVisualTest, PrefersTrueColorAndFewExtras) {
    GlVisualCandidate direct = Usable(24, 24);
    direct.trueColor = false;
    GlVisualCandidate stencil = Usable(24, 24);
    stencil.stencilBits = 8;
    GlVisualCandidate accum = Usable(24, 24);
    accum.accumBits = 64;
    GlVisualCandidate multisampled = Usable(24, 24);
    multisampled.samples = 4;
    EXPECT_EQ(ChooseGlVisual({direct, stencil, Usable(24, 24), accum}, 24), 2);
    EXPECT_EQ(ChooseGlVisual({direct, stencil}, 24), 1);
    GlVisualCandidate loaded = stencil;
    loaded.samples = 4;
    EXPECT_EQ(ChooseGlVisual({loaded, multisampled}, 24), 1);
    // Extras never outweigh a deeper depth buffer.
    GlVisualCandidate deepStencil = Usable(24, 24);
    deepStencil.stencilBits = 8;
    EXPECT_EQ(ChooseGlVisual({Usable(24, 16), deepStencil}, 24), 1);
}

TEST(ExtensionListTest, MatchesWholeNamesOnly) {
    const char* list = "GLX_ARB_create_context GLX_EXT_swap_control_tear GLX_MESA_swap_control  GLX_SGI_swap_control";
    EXPECT_TRUE(HasExtension(list, "GLX_MESA_swap_control"));
    EXPECT_TRUE(HasExtension(list, "GLX_SGI_swap_control"));
    EXPECT_TRUE(HasExtension(list, "GLX_ARB_create_context"));
    EXPECT_FALSE(HasExtension(list, "GLX_EXT_swap_control"));  // only the _tear variant is listed
    EXPECT_FALSE(HasExtension(list, "GLX_ARB_create"));
    EXPECT_FALSE(HasExtension(list, "swap_control"));
    EXPECT_FALSE(HasExtension(list, ""));
    EXPECT_FALSE(HasExtension(nullptr, "GLX_MESA_swap_control"));
    EXPECT_FALSE(HasExtension("", "GLX_MESA_swap_control"));
}

TEST(KeyTranslationTest, LettersDigitsAndTheSaverKeys) {
    EXPECT_EQ(KeyCodeForKeysym(XK_f), static_cast<uint32_t>('F'));
    EXPECT_EQ(KeyCodeForKeysym(XK_F), static_cast<uint32_t>('F'));
    EXPECT_EQ(KeyCodeForKeysym(XK_q), static_cast<uint32_t>('Q'));
    EXPECT_EQ(KeyCodeForKeysym(XK_z), static_cast<uint32_t>('Z'));
    EXPECT_EQ(KeyCodeForKeysym(XK_0), static_cast<uint32_t>('0'));
    EXPECT_EQ(KeyCodeForKeysym(XK_9), static_cast<uint32_t>('9'));
    EXPECT_EQ(KeyCodeForKeysym(XK_Escape), kKeyEscape);
    EXPECT_EQ(KeyCodeForKeysym(XK_F1), kKeyF1);
    EXPECT_EQ(KeyCodeForKeysym(XK_F5), kKeyF5);
    EXPECT_EQ(KeyCodeForKeysym(XK_F12), kKeyF1 + 11);
    // Keys without a code of their own still count as key presses.
    for (unsigned long other : std::initializer_list<unsigned long>{XK_space, XK_Shift_L, XK_Return, XK_F13, XK_adiaeresis, 0}) {
        EXPECT_EQ(KeyCodeForKeysym(other), kKeyOther) << other;
    }
}

}  // namespace
}  // namespace skyloom
