// The music player as the saver program runs it: skyloom under an Xvfb of
// the test's own, with stand-in players registered for test file types.
#include "os/settings_file.h"
#include "settings/settings.h"
#include "tests/support/music_fixtures.h"
#include "tests/support/sanitizer_slack.h"
#include "tests/support/saver_process.h"
#include "tests/support/temp_config.h"
#include "tests/support/screen_checksum.h"
#include "tests/support/xvfb_server.h"

#include <gtest/gtest.h>
// After gtest: Xlib's macros (None, Bool) would break its headers.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <unistd.h>
#include <vector>

namespace skyloom {
namespace {

using namespace skyloom::testing;

// Generous for a loaded machine: start-up includes a software GL context.
constexpr int kStartMs = 15'000;
constexpr int kRecordWaitMs = 5000;
// The player is gone within two seconds of the saver's end.
constexpr int kClosedWithinMs = 2000 * kSanitizerSlowdown;
// Well within the two seconds a player without windows is watched settling.
constexpr int kFramesWithinMs = 1500;

bool WaitUntil(const std::function<bool()>& done, int milliseconds) {
    const int64_t deadline = MonotonicMs() + milliseconds;
    while (!done()) {
        if (MonotonicMs() >= deadline) {
            return false;
        }
        usleep(10'000);
    }
    return true;
}

// Processes running the script player on that file.
int ScriptPlayersOf(const std::string& file) {
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) {
            continue;
        }
        std::string commandLine = ReadFileText(entry.path().string() + "/cmdline");
        for (char& c : commandLine) {
            c = c == '\0' ? ' ' : c;
        }
        if (commandLine.find("script-player " + file) != std::string::npos && !ProcessEnded(std::stoi(name))) {
            ++count;
        }
    }
    return count;
}

class MusicSaverTest : public ::testing::Test {
protected:
    void SetUp() override {
        InstallTestPlayers();
        ASSERT_TRUE(xvfb.Start(24, 640, 480)) << "Xvfb did not start";
        display = XOpenDisplay(xvfb.DisplayName().c_str());
        ASSERT_NE(display, nullptr);
        int event = 0, error = 0, major = 0, minor = 0;
        ASSERT_TRUE(XTestQueryExtension(display, &event, &error, &major, &minor));
    }
    void TearDown() override {
        for (SaverProcess* saver : {&saver, &second}) {
            saver->Signal(SIGKILL);
            saver->WaitForExit(5000);
        }
        for (pid_t group : players) {
            KillProcessGroup(group);
        }
        if (display != nullptr) {
            XCloseDisplay(display);
        }
    }

    // Music on, with this file; the saver reads it at start.
    void PlayMusicFrom(const std::string& file) {
        ASSERT_TRUE(WriteFileText(SettingsFilePathForKey(kSettingsKeyPath),
                                  "PlayMusic=1\nMusicFilename=" + file + "\n"));
    }

    // Someone holds the keyboard: the full-screen saver is up and listening.
    bool KeyboardGrabbed() {
        const Window root = DefaultRootWindow(display);
        const int result = XGrabKeyboard(display, root, False, GrabModeAsync, GrabModeAsync, CurrentTime);
        if (result == GrabSuccess) {
            XUngrabKeyboard(display, CurrentTime);
        }
        XSync(display, False);
        return result == AlreadyGrabbed;
    }

    void StartFullScreenSaver() {
        ASSERT_TRUE(saver.Start({"/s"}, xvfb.DisplayName()));
        ASSERT_TRUE(WaitUntil([&] { return KeyboardGrabbed() || !saver.Running(); }, kStartMs));
        ASSERT_TRUE(saver.Running()) << saver.Output();
    }

    // The player's id once it has recorded itself; 0 when none did.
    pid_t PlayerOf(const std::string& file) {
        const pid_t pid = static_cast<pid_t>(WaitForRecord(file, ".pid", kRecordWaitMs));
        if (pid > 0) {
            players.push_back(pid);
        }
        return pid;
    }

    void PressKey(KeySym key) {
        const KeyCode code = XKeysymToKeycode(display, key);
        XTestFakeKeyEvent(display, code, True, CurrentTime);
        XTestFakeKeyEvent(display, code, False, CurrentTime);
        XSync(display, False);
    }

    Window HostWindow() {
        const Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 10, 10, 160, 120, 0, 0, 0);
        XMapWindow(display, window);
        XSync(display, False);
        return window;
    }

    bool HasViewableChild(Window parent) {
        Window rootReturn = 0, parentReturn = 0;
        Window* children = nullptr;
        unsigned int count = 0;
        bool viewable = false;
        if (XQueryTree(display, parent, &rootReturn, &parentReturn, &children, &count)) {
            for (unsigned int i = 0; i < count; ++i) {
                XWindowAttributes attributes{};
                viewable = viewable ||
                           (XGetWindowAttributes(display, children[i], &attributes) &&
                            attributes.map_state == IsViewable);
            }
            XFree(children);
        }
        return viewable;
    }

    // Whether a top-level window named "Skyloom" is viewable.
    bool SaverShowing() {
        Window rootReturn = 0, parentReturn = 0;
        Window* children = nullptr;
        unsigned int count = 0;
        bool showing = false;
        // A window may go between the listing and the questions about it:
        // that BadWindow is an answer here, not an error.
        const XErrorHandler previous = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
        if (XQueryTree(display, DefaultRootWindow(display), &rootReturn, &parentReturn, &children, &count)) {
            for (unsigned int i = 0; i < count; ++i) {
                char* name = nullptr;
                XWindowAttributes attributes{};
                if (XFetchName(display, children[i], &name) && name != nullptr) {
                    showing = showing || (std::string(name) == "Skyloom" &&
                                          XGetWindowAttributes(display, children[i], &attributes) &&
                                          attributes.map_state == IsViewable);
                    XFree(name);
                }
            }
            XFree(children);
        }
        XSync(display, False);
        XSetErrorHandler(previous);
        return showing;
    }

    unsigned long ScreenSum() { return ScreenChecksum(display); }

    XvfbServer xvfb;
    Display* display = nullptr;
    SaverProcess saver;
    SaverProcess second;
    std::vector<pid_t> players;
};

TEST_F(MusicSaverTest, AKeyPressEndsTheSaverAndItsPlayer) {
    const std::string file = MakeMusicFile("playlist.skytest");
    PlayMusicFrom(file);
    StartFullScreenSaver();
    const pid_t player = PlayerOf(file);
    ASSERT_GT(player, 0) << saver.Output();
    const pid_t child = static_cast<pid_t>(WaitForRecord(file, ".child", kRecordWaitMs));
    ASSERT_FALSE(ProcessEnded(player));

    PressKey(XK_space);
    EXPECT_EQ(saver.WaitForExit(kClosedWithinMs), 0) << saver.Output();
    EXPECT_TRUE(WaitForProcessEnd(player, kClosedWithinMs));
    EXPECT_TRUE(WaitForProcessEnd(child, kClosedWithinMs));
}

// The flight shows as fast as without music: the player starts once the
// first frame is on screen, and its settling holds no frame back.
TEST_F(MusicSaverTest, ThePlayerStartsAfterTheFirstFrameAndFramesGoOnWhileItSettles) {
    const std::string file = MakeMusicFile("playlist.skywatch");
    PlayMusicFrom(file);
    StartFullScreenSaver();
    // This player shows no window, so the saver watches it settle for two seconds.
    ASSERT_GT(PlayerOf(file), 0) << saver.Output();
    EXPECT_EQ(RecordText(file, ".saver"), "IsViewable");
    const unsigned long first = ScreenSum();
    EXPECT_TRUE(WaitUntil([&] { return ScreenSum() != first; }, kFramesWithinMs)) << "no frame while the player settled";
}

// A player slow to close keeps no frozen frame on screen.
TEST_F(MusicSaverTest, EndingTakesTheSaversWindowDownBeforeThePlayerIsAskedToClose) {
    const std::string file = MakeMusicFile("playlist.skywindow");
    PlayMusicFrom(file);
    StartFullScreenSaver();
    ASSERT_GT(PlayerOf(file), 0) << saver.Output();
    ASSERT_NE(0, WaitForRecord(file, ".window", kRecordWaitMs));

    const int64_t pressed = MonotonicMs();
    PressKey(XK_space);
    ASSERT_TRUE(WaitUntil([&] { return !SaverShowing(); }, kClosedWithinMs));
    std::printf("key press until the saver's window was gone, with music: %lld ms\n",
                static_cast<long long>(MonotonicMs() - pressed));
    EXPECT_EQ(1, WaitForRecord(file, ".saver-at-close", kClosedWithinMs))
        << "the player was asked to close while the saver's window still showed";
    EXPECT_EQ(saver.WaitForExit(kClosedWithinMs), 0) << saver.Output();
}

TEST_F(MusicSaverTest, SigtermEndsTheSaverAndItsPlayer) {
    const std::string file = MakeMusicFile("playlist.skytest");
    PlayMusicFrom(file);
    StartFullScreenSaver();
    const pid_t player = PlayerOf(file);
    ASSERT_GT(player, 0) << saver.Output();

    saver.Signal(SIGTERM);
    EXPECT_EQ(saver.WaitForExit(kClosedWithinMs), 0) << saver.Output();
    EXPECT_TRUE(WaitForProcessEnd(player, kClosedWithinMs));
}

TEST_F(MusicSaverTest, APlayerIgnoringSigtermDoesNotHoldTheSaverUp) {
    const std::string file = MakeMusicFile("playlist.skystubborn");
    PlayMusicFrom(file);
    StartFullScreenSaver();
    const pid_t player = PlayerOf(file);
    ASSERT_GT(player, 0) << saver.Output();

    PressKey(XK_space);
    EXPECT_EQ(saver.WaitForExit(kClosedWithinMs), 0) << saver.Output();
    // Left to its own business: it was sent SIGTERM and nothing harsher.
    EXPECT_FALSE(ProcessEnded(player));
}

TEST_F(MusicSaverTest, AFileWithoutAnAssociatedPlayerLeavesTheSaverSilentAndWorking) {
    const std::string file = MakeMusicFile("playlist.skynone");
    PlayMusicFrom(file);
    StartFullScreenSaver();
    PressKey(XK_space);
    EXPECT_EQ(saver.WaitForExit(kClosedWithinMs), 0) << saver.Output();
}

TEST_F(MusicSaverTest, APreviewStartsNoPlayer) {
    const std::string file = MakeMusicFile("playlist.skytest");
    PlayMusicFrom(file);
    const Window host = HostWindow();
    ASSERT_TRUE(saver.Start({"/p", std::to_string(host)}, xvfb.DisplayName()));
    ASSERT_TRUE(WaitUntil([&] { return HasViewableChild(host) || !saver.Running(); }, kStartMs));
    ASSERT_TRUE(saver.Running()) << saver.Output();
    // The GL window comes after the music step: a player would be recording now.
    EXPECT_EQ(0, WaitForRecord(file, ".pid", 1000));
}

TEST_F(MusicSaverTest, TwoSaversAtOnceStartOnePlayer) {
    // As XScreenSaver runs one saver per monitor.
    const std::string file = MakeMusicFile("playlist.skytest");
    PlayMusicFrom(file);
    const Window left = HostWindow();
    const Window right = HostWindow();
    ASSERT_TRUE(saver.Start({"-root"}, xvfb.DisplayName(), {{"XSCREENSAVER_WINDOW", std::to_string(left)}}));
    ASSERT_TRUE(second.Start({"-root"}, xvfb.DisplayName(), {{"XSCREENSAVER_WINDOW", std::to_string(right)}}));
    ASSERT_TRUE(WaitUntil(
        [&] {
            return (HasViewableChild(left) && HasViewableChild(right)) || !saver.Running() || !second.Running();
        },
        kStartMs));
    ASSERT_TRUE(saver.Running()) << saver.Output();
    ASSERT_TRUE(second.Running()) << second.Output();
    const pid_t player = PlayerOf(file);
    ASSERT_GT(player, 0);
    EXPECT_EQ(1, ScriptPlayersOf(file));

    saver.Signal(SIGTERM);
    second.Signal(SIGTERM);
    EXPECT_EQ(saver.WaitForExit(kClosedWithinMs), 0) << saver.Output();
    EXPECT_EQ(second.WaitForExit(kClosedWithinMs), 0) << second.Output();
    EXPECT_TRUE(WaitForProcessEnd(player, kClosedWithinMs));
}

TEST_F(MusicSaverTest, ThePlayersWindowNeverCoversTheSaver) {
    const std::string file = MakeMusicFile("song.skywindow");
    PlayMusicFrom(file);
    StartFullScreenSaver();
    ASSERT_GT(PlayerOf(file), 0) << saver.Output();
    ASSERT_NE(0, WaitForRecord(file, ".window", kRecordWaitMs)) << saver.Output();
    // The top-most of the root's children: the saver's override-redirect window.
    const auto saverOnTop = [&] {
        Window rootReturn = 0, parentReturn = 0;
        Window* children = nullptr;
        unsigned int count = 0;
        bool onTop = false;
        if (XQueryTree(display, DefaultRootWindow(display), &rootReturn, &parentReturn, &children, &count)) {
            XWindowAttributes attributes{};
            onTop = count > 0 && XGetWindowAttributes(display, children[count - 1], &attributes) &&
                    attributes.override_redirect && attributes.map_state == IsViewable;
            XFree(children);
        }
        return onTop;
    };
    EXPECT_TRUE(WaitUntil(saverOnTop, kClosedWithinMs)) << "the player's window covers the saver";
    PressKey(XK_space);
    EXPECT_EQ(saver.WaitForExit(kClosedWithinMs), 0) << saver.Output();
}

}  // namespace
}  // namespace skyloom
