// The saver opens on the desktop and fades it into space: the built program
// on an Xvfb of the test's own, in full screen and under a daemon's window.

#include <gtest/gtest.h>

#include "tests/support/saver_process.h"
#include "tests/support/temp_config.h"
#include "tests/support/xvfb_server.h"

// After gtest: Xlib's None and Bool macros would break its headers.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <functional>
#include <string>
#include <unistd.h>
#include <vector>

namespace skyloom {
namespace {

using testing::MonotonicMs;
using testing::SaverProcess;
using testing::WriteFileText;
using testing::XvfbServer;

constexpr int kScreenWidth = 640;
constexpr int kScreenHeight = 480;
constexpr int kStartMs = 15'000;

struct Rgb {
    int r;
    int g;
    int b;
};

// One vivid colour per quadrant, far from anything space shows.
constexpr Rgb kQuadrants[4] = {{230, 40, 40}, {40, 230, 40}, {40, 40, 230}, {230, 230, 40}};

bool WaitUntil(const std::function<bool()>& done, int milliseconds) {
    const int64_t deadline = MonotonicMs() + milliseconds;
    while (!done()) {
        if (MonotonicMs() >= deadline) {
            return false;
        }
        usleep(20'000);
    }
    return true;
}

class DesktopFadeEndToEndTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(xvfb.Start(24, kScreenWidth, kScreenHeight)) << "Xvfb did not start";
        display = XOpenDisplay(xvfb.DisplayName().c_str());
        ASSERT_NE(display, nullptr);
        root = DefaultRootWindow(display);
        // Only stars besides the desktop: nebulae and suns would hide what
        // is left of it.
        const char* config = std::getenv("XDG_CONFIG_HOME");
        ASSERT_NE(config, nullptr);
        ASSERT_TRUE(WriteFileText(std::string(config) + "/Quillmere/Skyloom.conf",
                                  "FactorNumNebulae=0\nFactorNumSuns=0\nBailCountdownS=0\n"));
    }
    void TearDown() override {
        saver.Signal(SIGKILL);
        saver.WaitForExit(5000);
        if (display != nullptr) {
            XCloseDisplay(display);
        }
        xvfb.Stop();
    }

    unsigned long PixelOf(Rgb c) {
        XColor color{};
        color.red = static_cast<unsigned short>(c.r * 257);
        color.green = static_cast<unsigned short>(c.g * 257);
        color.blue = static_cast<unsigned short>(c.b * 257);
        XAllocColor(display, DefaultColormap(display, DefaultScreen(display)), &color);
        return color.pixel;
    }

    // The quadrant colours over the whole drawable.
    void PaintQuadrants(Drawable drawable) {
        GC gc = XCreateGC(display, drawable, 0, nullptr);
        for (int q = 0; q < 4; ++q) {
            XSetForeground(display, gc, PixelOf(kQuadrants[q]));
            XFillRectangle(display, drawable, gc, (q % 2) * kScreenWidth / 2, (q / 2) * kScreenHeight / 2,
                           kScreenWidth / 2, kScreenHeight / 2);
        }
        XFreeGC(display, gc);
        XSync(display, False);
    }

    // Median colour of a patch around the centre of each quadrant, from
    // what the screen shows: stars cannot move a median.
    std::vector<Rgb> QuadrantColors() {
        std::vector<Rgb> colors;
        for (int q = 0; q < 4; ++q) {
            const int cx = (q % 2) * kScreenWidth / 2 + kScreenWidth / 4;
            const int cy = (q / 2) * kScreenHeight / 2 + kScreenHeight / 4;
            XImage* image = XGetImage(display, root, cx - 20, cy - 20, 41, 41, AllPlanes, ZPixmap);
            if (image == nullptr) {
                colors.push_back(Rgb{-1, -1, -1});
                continue;
            }
            std::vector<int> r, g, b;
            for (int y = 0; y < 41; ++y) {
                for (int x = 0; x < 41; ++x) {
                    const unsigned long p = XGetPixel(image, x, y);
                    r.push_back(static_cast<int>((p >> 16) & 255));
                    g.push_back(static_cast<int>((p >> 8) & 255));
                    b.push_back(static_cast<int>(p & 255));
                }
            }
            XDestroyImage(image);
            for (std::vector<int>* channel : {&r, &g, &b}) {
                std::nth_element(channel->begin(), channel->begin() + channel->size() / 2, channel->end());
            }
            colors.push_back(Rgb{r[r.size() / 2], g[g.size() / 2], b[b.size() / 2]});
        }
        return colors;
    }

    // Every quadrant shows its desktop colour at a strength between lo and
    // hi (the fade's alpha over a black sky).
    bool DesktopShownBetween(double lo, double hi) {
        const std::vector<Rgb> colors = QuadrantColors();
        for (int q = 0; q < 4; ++q) {
            const Rgb want = kQuadrants[q];
            const Rgb got = colors[q];
            for (const auto& [w, g] : {std::pair{want.r, got.r}, std::pair{want.g, got.g}, std::pair{want.b, got.b}}) {
                if (g < w * lo - 3 || g > w * hi + 3) {
                    return false;
                }
            }
        }
        return true;
    }

    bool DesktopGone() {
        for (const Rgb& c : QuadrantColors()) {
            if (std::max({c.r, c.g, c.b}) > 20) {
                return false;
            }
        }
        return true;
    }

    XvfbServer xvfb;
    Display* display = nullptr;
    Window root = 0;
    SaverProcess saver;
};

TEST_F(DesktopFadeEndToEndTest, FullScreenOpensOnTheDesktopAndFadesItOut) {
    PaintQuadrants(root);
    ASSERT_TRUE(DesktopShownBetween(1.0, 1.0));
    ASSERT_TRUE(saver.Start({"/s"}, xvfb.DisplayName(), {{"SKYLOOM_ASSUME_ACCELERATED", "1"}}));
    // Drawn by the saver, not left over: dimmer than the desktop itself,
    // with the right colours in the right places.
    EXPECT_TRUE(WaitUntil([&] { return DesktopShownBetween(0.3, 0.97) || !saver.Running(); }, kStartMs))
        << saver.Output();
    ASSERT_TRUE(saver.Running()) << saver.Output();
    const int64_t seen = MonotonicMs();
    // Ten seconds of fade from the fourth frame.
    EXPECT_TRUE(WaitUntil([&] { return DesktopGone(); }, 20'000));
    EXPECT_GT(MonotonicMs() - seen, 2'000);
}

TEST_F(DesktopFadeEndToEndTest, RootModeShowsTheDaemonsScreenshotOnlyWhenAllowed) {
    for (const bool allowed : {true, false}) {
        // The daemon's window, black, with its screenshot of the desktop.
        const Window window = XCreateSimpleWindow(display, root, 0, 0, kScreenWidth, kScreenHeight, 0, 0,
                                                  BlackPixel(display, DefaultScreen(display)));
        const Pixmap shot = XCreatePixmap(display, root, kScreenWidth, kScreenHeight,
                                          static_cast<unsigned>(DefaultDepth(display, DefaultScreen(display))));
        PaintQuadrants(shot);
        const unsigned long id = shot;
        XChangeProperty(display, window, XInternAtom(display, "_SCREENSAVER_SCREENSHOT", False), XA_PIXMAP, 32,
                        PropModeReplace, reinterpret_cast<const unsigned char*>(&id), 1);
        XMapWindow(display, window);
        XSync(display, False);
        ASSERT_TRUE(WriteFileText(std::string(std::getenv("HOME")) + "/.xscreensaver",
                                  allowed ? "grabDesktopImages:\tTrue\n" : "grabDesktopImages:\tFalse\n"));
        ASSERT_TRUE(saver.Start({"-root"}, xvfb.DisplayName(),
                                {{"SKYLOOM_ASSUME_ACCELERATED", "1"},
                                 {"XSCREENSAVER_WINDOW", std::to_string(static_cast<unsigned long>(window))}}));
        if (allowed) {
            EXPECT_TRUE(WaitUntil([&] { return DesktopShownBetween(0.3, 0.97) || !saver.Running(); }, kStartMs))
                << saver.Output();
        } else {
            // The sky from the start; give it time to have drawn frames.
            usleep(4'000'000);
            EXPECT_TRUE(DesktopGone()) << saver.Output();
        }
        EXPECT_TRUE(saver.Running()) << saver.Output();
        saver.Signal(SIGTERM);
        saver.WaitForExit(5000);
        XDestroyWindow(display, window);
        XFreePixmap(display, shot);
        XSync(display, False);
    }
}

}  // namespace
}  // namespace skyloom
