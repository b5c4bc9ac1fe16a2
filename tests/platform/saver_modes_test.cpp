// The saver program in each of its modes on an Xvfb of the test's own,
// driven by synthetic input (XTest).

#include <gtest/gtest.h>

#include "os/settings_file.h"
#include "settings/settings.h"
#include "tests/support/music_fixtures.h"
#include "tests/support/sanitizer_slack.h"
#include "tests/support/saver_process.h"
#include "tests/support/temp_config.h"
#include "tests/support/xvfb_server.h"

// After gtest: Xlib's None and Bool macros would break its headers.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xrandr.h>
#include <X11/keysym.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <future>
#include <map>
#include <set>
#include <sys/prctl.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace skyloom {
namespace {

using testing::MonotonicMs;
using testing::SaverProcess;
using testing::XvfbServer;

constexpr int kScreenWidth = 1024;
constexpr int kScreenHeight = 768;
// Generous for a loaded machine: start-up includes a software GL context.
constexpr int kStartMs = 15'000;

bool WaitUntil(const std::function<bool()>& done, int milliseconds) {
    const int64_t deadline = MonotonicMs() + milliseconds;
    while (!done()) {
        if (MonotonicMs() >= deadline) {
            return false;
        }
        usleep(5'000);
    }
    return true;
}

void SleepMs(int milliseconds) { usleep(static_cast<useconds_t>(milliseconds) * 1000); }

struct Geometry {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool viewable = false;
    bool overrideRedirect = false;
};

class SaverModesTest : public ::testing::Test {
protected:
    void TearDown() override {
        saver.Signal(SIGKILL);
        saver.WaitForExit(5000);
        if (display != nullptr) {
            XCloseDisplay(display);
        }
        xvfb.Stop();
    }

    void StartServer(int depth = 24, const std::vector<std::string>& serverArgs = {}) {
        ASSERT_TRUE(xvfb.Start(depth, kScreenWidth, kScreenHeight, serverArgs)) << "Xvfb did not start";
        display = XOpenDisplay(xvfb.DisplayName().c_str());
        ASSERT_NE(display, nullptr);
        root = DefaultRootWindow(display);
        int event = 0, error = 0, major = 0, minor = 0;
        ASSERT_TRUE(XTestQueryExtension(display, &event, &error, &major, &minor));
        // A pointer position the motion tests measure from.
        MovePointer(300, 300);
    }

    void StartSaver(const std::vector<std::string>& args, const std::map<std::string, std::string>& env = {}) {
        ASSERT_TRUE(saver.Start(args, xvfb.DisplayName(), env));
    }

    std::vector<Window> Children(Window parent) {
        Window rootReturn = 0, parentReturn = 0;
        Window* list = nullptr;
        unsigned int count = 0;
        std::vector<Window> children;
        if (XQueryTree(display, parent, &rootReturn, &parentReturn, &list, &count)) {
            children.assign(list, list + count);
            XFree(list);
        }
        return children;
    }

    Geometry GeometryOf(Window window) {
        XWindowAttributes attributes{};
        Geometry g;
        if (XGetWindowAttributes(display, window, &attributes)) {
            g = Geometry{attributes.x, attributes.y, attributes.width, attributes.height,
                         attributes.map_state == IsViewable, attributes.override_redirect != 0};
        }
        return g;
    }

    std::string NameOf(Window window) {
        char* name = nullptr;
        std::string text;
        if (XFetchName(display, window, &name) && name != nullptr) {
            text = name;
            XFree(name);
        }
        return text;
    }

    // The viewable top-level window called "Skyloom", 0 when there is none.
    Window SaverTopLevel() {
        for (Window window : Children(root)) {
            if (NameOf(window) == "Skyloom" && GeometryOf(window).viewable) {
                return window;
            }
        }
        return 0;
    }

    // A viewable child of parent, 0 when there is none.
    Window ViewableChild(Window parent) {
        for (Window window : Children(parent)) {
            if (GeometryOf(window).viewable) {
                return window;
            }
        }
        return 0;
    }

    // A viewable, managed top-level window with this title, 0 when none.
    Window TopLevelNamed(const std::string& name) {
        for (Window window : Children(root)) {
            const Geometry geometry = GeometryOf(window);
            if (NameOf(window) == name && geometry.viewable && !geometry.overrideRedirect) {
                return window;
            }
        }
        return 0;
    }

    // Answers the message box the saver shows before it ends.
    void AcknowledgeMessageBox() {
        Window box = 0;
        ASSERT_TRUE(WaitUntil([&] { return (box = TopLevelNamed("Skyloom")) != 0 || !saver.Running(); }, kStartMs))
            << saver.Output();
        ASSERT_NE(box, 0u) << "no message box; output:\n" << saver.Output();
        XSetInputFocus(display, box, RevertToParent, CurrentTime);
        XSync(display, False);
        SleepMs(100);
        PressKey(XK_Return);
    }

    // Someone holds the keyboard: the full-screen saver is up and listening.
    bool KeyboardGrabbed() {
        const int result = XGrabKeyboard(display, root, False, GrabModeAsync, GrabModeAsync, CurrentTime);
        if (result == GrabSuccess) {
            XUngrabKeyboard(display, CurrentTime);
        }
        XSync(display, False);
        return result == AlreadyGrabbed;
    }

    // Starts "/s" and waits until it has the keyboard; the time it got it.
    int64_t StartFullScreenSaver(const std::map<std::string, std::string>& env = {}) {
        StartSaver({"/s"}, env);
        EXPECT_TRUE(WaitUntil([&] { return KeyboardGrabbed() || !saver.Running(); }, kStartMs));
        EXPECT_TRUE(saver.Running()) << saver.Output();
        return MonotonicMs();
    }

    void PressKey(KeySym key) {
        const KeyCode code = XKeysymToKeycode(display, key);
        XTestFakeKeyEvent(display, code, True, CurrentTime);
        XTestFakeKeyEvent(display, code, False, CurrentTime);
        XSync(display, False);
    }

    void MovePointer(int x, int y) {
        XTestFakeMotionEvent(display, DefaultScreen(display), x, y, CurrentTime);
        XSync(display, False);
    }

    // Milliseconds until the saver exits with the expected code, failing
    // when it takes longer than limit (times the sanitizers' slowdown).
    int64_t ExitLatency(int expectedCode, int limitMs) {
        const int64_t start = MonotonicMs();
        const std::optional<int> code = saver.WaitForExit(limitMs * testing::kSanitizerSlowdown);
        const int64_t latency = MonotonicMs() - start;
        EXPECT_EQ(code, expectedCode) << "after " << latency << " ms; output:\n" << saver.Output();
        return latency;
    }

    // A window of the test's own standing in for a settings dialog's preview
    // area or a daemon's window: white, so drawing into it shows.
    Window MakeHostWindow(int width, int height) {
        const Window window = XCreateSimpleWindow(display, root, 10, 10, static_cast<unsigned>(width),
                                                  static_cast<unsigned>(height), 0, 0,
                                                  WhitePixel(display, DefaultScreen(display)));
        XMapWindow(display, window);
        XSync(display, False);
        return window;
    }

    unsigned long PixelAt(Window window, int x, int y) {
        XImage* image = XGetImage(display, window, x, y, 1, 1, AllPlanes, ZPixmap);
        if (image == nullptr) {
            return ~0ul;
        }
        const unsigned long pixel = XGetPixel(image, 0, 0);
        XDestroyImage(image);
        return pixel;
    }

    // Runs look on another thread; false when the server has not answered
    // it within the time. The saver, which may hold the server, is then
    // killed, so that the server frees it.
    bool ServerAnswers(const std::function<void()>& look, int milliseconds) {
        std::future<void> done = std::async(std::launch::async, look);
        if (done.wait_for(std::chrono::milliseconds(milliseconds)) == std::future_status::ready) {
            return true;
        }
        saver.Signal(SIGKILL);
        done.wait();
        return false;
    }

    XvfbServer xvfb;
    Display* display = nullptr;
    Window root = 0;
    SaverProcess saver;
};

std::string IdText(Window window) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%lx", window);
    return text;
}

// ---- full screen ----

TEST_F(SaverModesTest, FullScreenCoversTheScreenAndAKeyEndsIt) {
    StartServer();
    StartFullScreenSaver();
    const Window top = SaverTopLevel();
    ASSERT_NE(top, 0u);
    const Geometry g = GeometryOf(top);
    EXPECT_TRUE(g.overrideRedirect);
    EXPECT_EQ(g.x, 0);
    EXPECT_EQ(g.y, 0);
    EXPECT_EQ(g.width, kScreenWidth);
    EXPECT_EQ(g.height, kScreenHeight);
    // One monitor: the GL window fills the saver window.
    const Window gl = ViewableChild(top);
    ASSERT_NE(gl, 0u);
    const Geometry inner = GeometryOf(gl);
    EXPECT_EQ(inner.width, kScreenWidth);
    EXPECT_EQ(inner.height, kScreenHeight);

    PressKey(XK_x);
    const int64_t latency = ExitLatency(0, 1000);
    std::printf("exit latency after a key press: %lld ms\n", static_cast<long long>(latency));
    EXPECT_EQ(SaverTopLevel(), 0u);
}

TEST_F(SaverModesTest, FullScreenMotionBeyondTenPixelsEndsItAfterTheFirstSecond) {
    StartServer();
    const int64_t ready = StartFullScreenSaver();
    // The saver's clock started before it took the keyboard.
    SleepMs(static_cast<int>(ready + 1200 - MonotonicMs()));
    MovePointer(305, 300);
    SleepMs(700);
    EXPECT_TRUE(saver.Running()) << "5 px of motion ended the saver";
    MovePointer(350, 300);
    ExitLatency(0, 1000);
}

TEST_F(SaverModesTest, FullScreenSwallowsMotionInTheFirstHalfSecond) {
    StartServer();
    StartFullScreenSaver();
    const int64_t sinceStart = MonotonicMs() - saver.StartedMs();
    if (sinceStart > 400) {
        GTEST_SKIP() << "the saver took " << sinceStart << " ms to start; its first half second has passed";
    }
    MovePointer(350, 300);
    MovePointer(300, 360);
    SleepMs(static_cast<int>(saver.StartedMs() + 1600 - MonotonicMs()));
    EXPECT_TRUE(saver.Running()) << "motion in the first half second ended the saver";
}

TEST_F(SaverModesTest, FullScreenF5IsConsumed) {
    StartServer();
    StartFullScreenSaver();
    PressKey(XK_F5);
    SleepMs(600);
    EXPECT_TRUE(saver.Running());
    PressKey(XK_space);
    ExitLatency(0, 1000);
}

TEST_F(SaverModesTest, SecondFullScreenSaverRaisesTheFirstAndLeaves) {
    StartServer();
    StartFullScreenSaver();
    const Window first = SaverTopLevel();
    ASSERT_NE(first, 0u);
    // Something else on top of it.
    const Window other = MakeHostWindow(200, 200);
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    XChangeWindowAttributes(display, other, CWOverrideRedirect, &attributes);
    XRaiseWindow(display, other);
    XSync(display, False);

    SaverProcess second;
    ASSERT_TRUE(second.Start({"/s"}, xvfb.DisplayName()));
    EXPECT_EQ(second.WaitForExit(kStartMs), 0) << second.Output();
    EXPECT_TRUE(saver.Running());
    const std::vector<Window> stack = Children(root);
    ASSERT_FALSE(stack.empty());
    EXPECT_EQ(stack.back(), first) << "the running saver is not on top";
    EXPECT_EQ(Children(root).size(), stack.size()) << "the second saver left a window";
}

TEST_F(SaverModesTest, FullScreenComesBackOnTopOfWindowsShownOrRaisedLater) {
    StartServer();
    const Window earlier = MakeHostWindow(200, 200);
    StartFullScreenSaver();
    const Window top = SaverTopLevel();
    ASSERT_NE(top, 0u);
    const auto onTop = [&] {
        const std::vector<Window> stack = Children(root);
        return !stack.empty() && stack.back() == top;
    };
    ASSERT_TRUE(onTop());
    const auto overrideRedirect = [&](Window window) {
        XSetWindowAttributes attributes{};
        attributes.override_redirect = True;
        XChangeWindowAttributes(display, window, CWOverrideRedirect, &attributes);
    };
    const struct {
        const char* what;
        std::function<void()> cover;
    } cases[] = {
        {"a window mapped later", [&] { MakeHostWindow(300, 200); }},
        {"an override-redirect window mapped later",
         [&] {
             const Window window = XCreateSimpleWindow(display, root, 0, 0, 400, 300, 0, 0, 0);
             overrideRedirect(window);
             XMapRaised(display, window);
             XSync(display, False);
         }},
        {"a window raised", [&] {
             XRaiseWindow(display, earlier);
             XSync(display, False);
         }},
    };
    for (const auto& c : cases) {
        c.cover();
        EXPECT_TRUE(WaitUntil(onTop, 2000 * testing::kSanitizerSlowdown)) << c.what << " stays above the saver";
    }
    EXPECT_TRUE(saver.Running()) << saver.Output();
}

TEST_F(SaverModesTest, SigtermEndsItThroughTheOrderlyTeardown) {
    StartServer();
    StartFullScreenSaver();
    saver.Signal(SIGTERM);
    const int64_t latency = ExitLatency(0, 1000);
    std::printf("exit latency after SIGTERM: %lld ms\n", static_cast<long long>(latency));
    EXPECT_FALSE(KeyboardGrabbed());
}

TEST_F(SaverModesTest, BailCountdownEndsTheSaverAfterItsSeconds) {
    StartServer();
    ASSERT_TRUE(testing::WriteFileText(SettingsFilePathForKey(kSettingsKeyPath), "BailCountdownS=2\n"));
    StartFullScreenSaver();
    const std::optional<int> code = saver.WaitForExit(kStartMs);
    const int64_t ranMs = MonotonicMs() - saver.StartedMs();
    EXPECT_EQ(code, 0) << saver.Output();
    EXPECT_GE(ranMs, 2000);
    EXPECT_LT(ranMs, 6000 * testing::kSanitizerSlowdown);
}

TEST_F(SaverModesTest, PrimaryMonitorOnlyDrawsOnThePrimaryMonitor) {
    StartServer();
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    ASSERT_TRUE(XRRQueryExtension(display, &eventBase, &errorBase) && XRRQueryVersion(display, &major, &minor));
    ASSERT_TRUE(major > 1 || minor >= 5) << "RandR " << major << "." << minor << " cannot define monitors";
    // Two monitors side by side on the one screen, the right one primary.
    auto defineMonitor = [&](const char* name, int x, bool primary) {
        XRRMonitorInfo* monitor = XRRAllocateMonitor(display, 0);
        monitor->name = XInternAtom(display, name, False);
        monitor->primary = primary ? True : False;
        monitor->automatic = False;
        monitor->x = x;
        monitor->y = 0;
        monitor->width = kScreenWidth / 2;
        monitor->height = kScreenHeight;
        monitor->mwidth = 135;
        monitor->mheight = 203;
        XRRSetMonitor(display, root, monitor);
        XRRFreeMonitors(monitor);
    };
    defineMonitor("LEFT", 0, false);
    defineMonitor("RIGHT", kScreenWidth / 2, true);
    XSync(display, False);

    StartFullScreenSaver();
    const Window top = SaverTopLevel();
    ASSERT_NE(top, 0u);
    EXPECT_EQ(GeometryOf(top).width, kScreenWidth);
    const Geometry gl = GeometryOf(ViewableChild(top));
    EXPECT_EQ(gl.x, kScreenWidth / 2);
    EXPECT_EQ(gl.y, 0);
    EXPECT_EQ(gl.width, kScreenWidth / 2);
    EXPECT_EQ(gl.height, kScreenHeight);
    PressKey(XK_x);
    ExitLatency(0, 1000);

    // With the setting off the scene spans every monitor.
    ASSERT_TRUE(testing::WriteFileText(SettingsFilePathForKey(kSettingsKeyPath), "PrimaryMonitorOnly=0\n"));
    StartFullScreenSaver();
    const Geometry whole = GeometryOf(ViewableChild(SaverTopLevel()));
    EXPECT_EQ(whole.x, 0);
    EXPECT_EQ(whole.width, kScreenWidth);
    EXPECT_EQ(whole.height, kScreenHeight);
}

// Xvfb's screen can change size between 1x1 and the size it started with
// while no CRTC shows a mode, as a screen does when its monitors change.
void SetScreenSize(Display* display, Window root, int width, int height) {
    XRRScreenResources* resources = XRRGetScreenResources(display, root);
    ASSERT_NE(resources, nullptr);
    for (int c = 0; c < resources->ncrtc; ++c) {
        XRRSetCrtcConfig(display, resources, resources->crtcs[c], CurrentTime, 0, 0, None, RR_Rotate_0, nullptr, 0);
    }
    XRRFreeScreenResources(resources);
    // At 96 dots per inch.
    XRRSetScreenSize(display, root, width, height, width * 254 / 960, height * 254 / 960);
    XSync(display, False);
}

TEST_F(SaverModesTest, FullScreenFollowsTheScreenSize) {
    StartServer();
    SetScreenSize(display, root, 800, 600);
    StartFullScreenSaver();
    const Window top = SaverTopLevel();
    ASSERT_NE(top, 0u);
    ASSERT_EQ(GeometryOf(top).width, 800);
    const std::string pictures = std::string(std::getenv("HOME")) + "/Pictures/";
    ASSERT_TRUE(std::filesystem::create_directories(pictures));
    const struct {
        int width;
        int height;
        const char* picture;
    } sizes[] = {{kScreenWidth, kScreenHeight, "sk_screenshot_000.bmp"}, {640, 480, "sk_screenshot_001.bmp"}};
    for (const auto& size : sizes) {
        SCOPED_TRACE(std::to_string(size.width) + "x" + std::to_string(size.height));
        SetScreenSize(display, root, size.width, size.height);
        Geometry outer;
        Geometry inner;
        EXPECT_TRUE(WaitUntil(
            [&] {
                outer = GeometryOf(top);
                inner = GeometryOf(ViewableChild(top));
                return outer.width == size.width && outer.height == size.height && inner.width == size.width &&
                       inner.height == size.height;
            },
            2000 * testing::kSanitizerSlowdown))
            << "saver window " << outer.width << "x" << outer.height << ", GL window " << inner.width << "x"
            << inner.height;
        // The scene is drawn at the new size: a screenshot has it.
        PressKey(XK_F5);
        const long bytes = 54L + (size.width * 3L + 3) / 4 * 4 * size.height;
        const auto written = [&] {
            std::error_code error;
            const auto fileBytes = std::filesystem::file_size(pictures + size.picture, error);
            return error ? -1L : static_cast<long>(fileBytes);
        };
        EXPECT_TRUE(WaitUntil([&] { return written() == bytes; }, 5000))
            << written() << " bytes, not " << bytes << "\n" << saver.Output();
    }
    EXPECT_TRUE(saver.Running()) << saver.Output();
}

TEST_F(SaverModesTest, LostXServerEndsItQuietly) {
    StartServer();
    StartFullScreenSaver();
    XCloseDisplay(display);
    display = nullptr;
    xvfb.Stop();
    EXPECT_EQ(saver.WaitForExit(2000), 0);
    EXPECT_EQ(saver.Output(), "");
}

TEST_F(SaverModesTest, GlWindowDestroyedUnderneathEndsItQuietly) {
    StartServer();
    StartFullScreenSaver();
    const Window gl = ViewableChild(SaverTopLevel());
    ASSERT_NE(gl, 0u);
    XDestroyWindow(display, gl);
    XSync(display, False);
    ExitLatency(0, 1000);
    EXPECT_EQ(saver.Output(), "");
    EXPECT_EQ(SaverTopLevel(), 0u);
    EXPECT_FALSE(KeyboardGrabbed());
}

TEST_F(SaverModesTest, ServerWithoutGlxFailsNamingTheCall) {
    StartServer(24, {"-extension", "GLX"});
    StartSaver({"/s"});
    AcknowledgeMessageBox();
    EXPECT_EQ(saver.WaitForExit(kStartMs), 1);
    EXPECT_NE(saver.Output().find("glXChooseVisual failed: Error "), std::string::npos) << saver.Output();
    EXPECT_EQ(SaverTopLevel(), 0u);
}

TEST_F(SaverModesTest, RefusedFullScreenWindowLetsGoOfTheServerBeforeItsMessage) {
    StartServer();
    // AddressSanitizer wants to come first among the libraries.
    const char* asan = std::getenv("ASAN_OPTIONS");
    StartSaver({"/s"}, {{"LD_PRELOAD", SKYLOOM_TEST_REFUSED_TOP_LEVEL},
                        {"ASAN_OPTIONS", std::string(asan != nullptr ? asan : "") + ":verify_asan_link_order=0"}});
    Window box = 0;
    const int64_t deadline = MonotonicMs() + kStartMs;
    while (box == 0 && saver.Running() && MonotonicMs() < deadline) {
        ASSERT_TRUE(ServerAnswers([&] { box = TopLevelNamed("Skyloom"); }, 3000))
            << "the display stopped answering; output:\n" << saver.Output();
        SleepMs(20);
    }
    AcknowledgeMessageBox();
    EXPECT_EQ(saver.WaitForExit(kStartMs), 1);
    EXPECT_NE(saver.Output().find("XCreateWindow failed: Error 3."), std::string::npos) << saver.Output();
    EXPECT_FALSE(KeyboardGrabbed());
}

// ---- preview and daemon modes ----

TEST_F(SaverModesTest, PreviewFillsTheParentFollowsItsSizeAndEndsWithIt) {
    StartServer();
    const Window parent = MakeHostWindow(320, 240);
    StartSaver({"/p", std::to_string(parent)});
    ASSERT_TRUE(WaitUntil([&] { return ViewableChild(parent) != 0 || !saver.Running(); }, kStartMs))
        << saver.Output();
    const Window child = ViewableChild(parent);
    ASSERT_NE(child, 0u) << saver.Output();
    Geometry g = GeometryOf(child);
    EXPECT_EQ(g.x, 0);
    EXPECT_EQ(g.y, 0);
    EXPECT_EQ(g.width, 320);
    EXPECT_EQ(g.height, 240);

    XResizeWindow(display, parent, 400, 300);
    XSync(display, False);
    EXPECT_TRUE(WaitUntil(
        [&] {
            g = GeometryOf(child);
            return g.width == 400 && g.height == 300;
        },
        2000 * testing::kSanitizerSlowdown))
        << g.width << "x" << g.height;

    // Input is the settings program's, not the preview's.
    PressKey(XK_x);
    SleepMs(300);
    EXPECT_TRUE(saver.Running());

    XDestroyWindow(display, parent);
    XSync(display, False);
    ExitLatency(0, 1000);
}

TEST_F(SaverModesTest, BailCountdownLeavesAPreviewToItsOwner) {
    StartServer();
    ASSERT_TRUE(testing::WriteFileText(SettingsFilePathForKey(kSettingsKeyPath), "BailCountdownS=1\n"));
    for (const char* option : {"/p", "-window-id"}) {
        SCOPED_TRACE(option);
        const Window parent = MakeHostWindow(160, 120);
        StartSaver({option, std::to_string(parent)});
        ASSERT_TRUE(WaitUntil([&] { return ViewableChild(parent) != 0 || !saver.Running(); }, kStartMs))
            << saver.Output();
        // The saver's clock started before its window was shown.
        SleepMs(2500);
        EXPECT_TRUE(saver.Running()) << "the countdown ended the preview; output:\n" << saver.Output();
        XDestroyWindow(display, parent);
        XSync(display, False);
        ExitLatency(0, 1000);
    }
}

TEST_F(SaverModesTest, PreviewIntoSomethingThatIsNoWindowIsRefused) {
    StartServer();
    StartSaver({"/p", "0x1234567"});
    EXPECT_EQ(saver.WaitForExit(kStartMs), 2);
    EXPECT_NE(saver.Output().find("0x1234567 is not a window"), std::string::npos) << saver.Output();
}

TEST_F(SaverModesTest, RootModeDrawsIntoTheDaemonWindowIgnoresInputAndEndsOnSigterm) {
    StartServer();
    const Window daemonWindow = MakeHostWindow(400, 300);
    const unsigned long white = WhitePixel(display, DefaultScreen(display));
    const unsigned long black = BlackPixel(display, DefaultScreen(display));
    ASSERT_EQ(PixelAt(daemonWindow, 200, 150), white);
    StartSaver({"-root"}, {{"XSCREENSAVER_WINDOW", IdText(daemonWindow)}});
    ASSERT_TRUE(WaitUntil([&] { return ViewableChild(daemonWindow) != 0 || !saver.Running(); }, kStartMs))
        << saver.Output();
    const Window child = ViewableChild(daemonWindow);
    const Geometry g = GeometryOf(child);
    EXPECT_EQ(g.width, 400);
    EXPECT_EQ(g.height, 300);
    // The first frames clear it to the scene's black.
    EXPECT_TRUE(WaitUntil([&] { return PixelAt(daemonWindow, 200, 150) == black; }, 5000));

    // The daemon owns input: keys, buttons and motion leave the saver running.
    XSetInputFocus(display, daemonWindow, RevertToParent, CurrentTime);
    MovePointer(200, 150);
    PressKey(XK_Escape);
    PressKey(XK_q);
    XTestFakeButtonEvent(display, 1, True, CurrentTime);
    XTestFakeButtonEvent(display, 1, False, CurrentTime);
    MovePointer(600, 500);
    XSync(display, False);
    SleepMs(1500);
    ASSERT_TRUE(saver.Running()) << saver.Output();

    saver.Signal(SIGTERM);
    const int64_t latency = ExitLatency(0, 1000);
    std::printf("exit latency after SIGTERM (-root): %lld ms\n", static_cast<long long>(latency));
    EXPECT_EQ(ViewableChild(daemonWindow), 0u) << "the saver left its window behind";
}

TEST_F(SaverModesTest, RootModeWithoutDaemonWindowUsesTheRootWindow) {
    StartServer();
    MakeHostWindow(50, 50);  // a desktop window the saver must stay below
    const std::vector<Window> before = Children(root);
    StartSaver({"-root"});
    ASSERT_TRUE(WaitUntil([&] { return Children(root).size() > before.size() || !saver.Running(); }, kStartMs));
    ASSERT_TRUE(saver.Running()) << saver.Output();
    // Below every other window, as the root's picture is, and unframed.
    const Window added = Children(root).front();
    EXPECT_EQ(std::count(before.begin(), before.end(), added), 0);
    const Geometry g = GeometryOf(added);
    EXPECT_EQ(g.width, kScreenWidth);
    EXPECT_EQ(g.height, kScreenHeight);
    EXPECT_TRUE(g.overrideRedirect);
    saver.Signal(SIGINT);
    ExitLatency(0, 1000);
}

TEST_F(SaverModesTest, RootModeWithABadDaemonWindowIsRefused) {
    StartServer();
    StartSaver({"-root"}, {{"XSCREENSAVER_WINDOW", "window"}});
    EXPECT_EQ(saver.WaitForExit(kStartMs), 2);
    EXPECT_NE(saver.Output().find("is not a window id"), std::string::npos) << saver.Output();
}

// ---- desktop window ----

TEST_F(SaverModesTest, DesktopWindowEndsOnEscapeButNotOnOtherInput) {
    StartServer();
    StartSaver({"-window"});
    ASSERT_TRUE(WaitUntil([&] { return SaverTopLevel() != 0 || !saver.Running(); }, kStartMs)) << saver.Output();
    const Window top = SaverTopLevel();
    ASSERT_NE(top, 0u);
    const Geometry g = GeometryOf(top);
    EXPECT_EQ(g.width, 1280);
    EXPECT_EQ(g.height, 720);
    EXPECT_FALSE(g.overrideRedirect);
    EXPECT_EQ(GeometryOf(ViewableChild(top)).width, 1280);
    XSetInputFocus(display, top, RevertToParent, CurrentTime);
    MovePointer(100, 100);
    PressKey(XK_x);
    MovePointer(400, 400);
    SleepMs(500);
    EXPECT_TRUE(saver.Running());
    PressKey(XK_Escape);
    ExitLatency(0, 1000);
}

TEST_F(SaverModesTest, DesktopWindowClosesFromItsCloseButton) {
    StartServer();
    StartSaver({"-window"});
    ASSERT_TRUE(WaitUntil([&] { return SaverTopLevel() != 0 || !saver.Running(); }, kStartMs)) << saver.Output();
    const Window top = SaverTopLevel();
    XEvent message{};
    message.xclient.type = ClientMessage;
    message.xclient.window = top;
    message.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    message.xclient.format = 32;
    message.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    message.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, top, False, NoEventMask, &message);
    XSync(display, False);
    ExitLatency(0, 1000);
}

std::string CommandName(pid_t pid) {
    std::string name = testing::ReadFileText("/proc/" + std::to_string(pid) + "/comm");
    if (!name.empty() && name.back() == '\n') {
        name.pop_back();
    }
    return name;
}

// What this test's processes left behind comes back to it as its children.
std::set<pid_t> ChildrenNamed(const std::vector<std::string>& names) {
    std::set<pid_t> found;
    for (const pid_t pid : testing::LiveChildren()) {
        if (std::find(names.begin(), names.end(), CommandName(pid)) != names.end()) {
            found.insert(pid);
        }
    }
    return found;
}

TEST_F(SaverModesTest, FKeyOpensTheConfigurationDetachedAndQEndsTheWindow) {
    // The dialog detaches from the saver; whatever it leaves running then
    // becomes this test's child.
    ASSERT_EQ(0, prctl(PR_SET_CHILD_SUBREAPER, 1));
    // As a saver started from .xinitrc: no session bus to find.
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
    StartServer();
    StartSaver({"-window"});
    ASSERT_TRUE(WaitUntil([&] { return SaverTopLevel() != 0 || !saver.Running(); }, kStartMs)) << saver.Output();
    XSetInputFocus(display, SaverTopLevel(), RevertToParent, CurrentTime);
    XSync(display, False);
    PressKey(XK_f);
    // The configuration window of a second process appears beside the saver.
    EXPECT_TRUE(WaitUntil([&] { return TopLevelNamed(" Skyloom") != 0; }, kStartMs)) << saver.Output();
    EXPECT_TRUE(saver.Running()) << "F ended a desktop-window saver";
    // The new window took the focus.
    XSetInputFocus(display, SaverTopLevel(), RevertToParent, CurrentTime);
    XSync(display, False);
    PressKey(XK_q);
    ExitLatency(0, 1000);

    // The dialog is the user's to close; a session bus autolaunched for it
    // would outlive it, and the saver, for good.
    for (const pid_t dialog : ChildrenNamed({"skyloom"})) {
        kill(dialog, SIGTERM);
        WaitUntil([&] { return ChildrenNamed({"skyloom"}).count(dialog) == 0; }, kStartMs);
    }
    const std::set<pid_t> buses = ChildrenNamed({"dbus-launch", "dbus-daemon"});
    EXPECT_TRUE(buses.empty()) << "left running:\n" << testing::DescribeProcesses(buses);
    for (const pid_t bus : buses) {
        kill(bus, SIGKILL);
    }
}

// ---- colour depth ----

TEST_F(SaverModesTest, EightBitDisplayIsRefusedWithTheWarning) {
    StartServer(8);
    StartSaver({"/s"});
    EXPECT_EQ(saver.WaitForExit(kStartMs), 1);
    EXPECT_NE(saver.Output().find("more than 256 colours"), std::string::npos) << saver.Output();
    EXPECT_EQ(SaverTopLevel(), 0u);
}

TEST_F(SaverModesTest, SixteenBitDisplayRuns) {
    StartServer(16);
    StartFullScreenSaver();
    const Window top = SaverTopLevel();
    ASSERT_NE(top, 0u);
    const Window gl = ViewableChild(top);
    ASSERT_NE(gl, 0u);
    XWindowAttributes attributes{};
    ASSERT_TRUE(XGetWindowAttributes(display, gl, &attributes));
    EXPECT_EQ(attributes.depth, 16);
    SleepMs(500);
    EXPECT_TRUE(saver.Running()) << saver.Output();
    PressKey(XK_x);
    ExitLatency(0, 1000);
}

}  // namespace
}  // namespace skyloom
