#include "os/player_process.h"

#include "tests/support/music_fixtures.h"
#include "tests/support/temp_config.h"

#include <gtest/gtest.h>
// After gtest: Xlib's macros (None, Bool) would break its headers.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <climits>
#include <cstdio>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <filesystem>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace skyloom {
namespace {

using namespace skyloom::testing;

constexpr int kRecordWaitMs = 5000;

// Whatever a test started goes when the test ends, passed or not.
class PlayerGroups {
public:
    ~PlayerGroups() {
        for (pid_t group : groups_) {
            KillProcessGroup(group);
        }
    }
    void Add(pid_t group) { groups_.push_back(group); }

private:
    std::vector<pid_t> groups_;
};

class PlayerProcessTest : public ::testing::Test {
protected:
    void SetUp() override { InstallTestPlayers(); }
    PlayerGroups players_;
};

TEST_F(PlayerProcessTest, StartsTheAssociatedProgramInAGroupOfItsOwnWithOurEnvironmentAndFolder) {
    const std::string file = MakeMusicFile("song.skytest");
    const std::string folder = ScratchFolder() + "/saver-folder";
    std::filesystem::create_directories(folder);
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(folder);
    setenv("SKYLOOM_TEST_TOKEN", "token-17", 1);

    const pid_t pid = static_cast<pid_t>(LaunchAssociatedPlayer(file.c_str()));
    std::filesystem::current_path(previous);
    unsetenv("SKYLOOM_TEST_TOKEN");
    ASSERT_GT(pid, 0);
    players_.Add(pid);

    // The id is the player's own, not that of some launcher in between.
    ASSERT_EQ(pid, WaitForRecord(file, ".pid", kRecordWaitMs));
    const pid_t child = static_cast<pid_t>(WaitForRecord(file, ".child", kRecordWaitMs));
    ASSERT_GT(child, 0);
    EXPECT_EQ(pid, getpgid(pid));
    EXPECT_EQ(pid, getpgid(child));
    EXPECT_NE(getpgrp(), getpgid(pid));
    EXPECT_EQ(folder, RecordText(file, ".folder"));
    EXPECT_EQ("token-17", RecordText(file, ".token"));
}

TEST_F(PlayerProcessTest, StartsNothingWithoutAnAssociation) {
    const std::string unknown = MakeMusicFile("song.skynone");
    const std::string orphan = MakeMusicFile("song.skyorphan");
    const std::string noExtension = MakeMusicFile("song");
    EXPECT_EQ(0u, LaunchAssociatedPlayer(unknown.c_str()));
    EXPECT_EQ(0u, LaunchAssociatedPlayer(orphan.c_str()));
    EXPECT_EQ(0u, LaunchAssociatedPlayer(noExtension.c_str()));
    EXPECT_EQ(0u, LaunchAssociatedPlayer(""));
    EXPECT_EQ(0u, LaunchAssociatedPlayer(nullptr));

    // An associated type, but the file is not there: the player would only
    // complain about it.
    const std::string present = MakeMusicFile("present.skytest");
    const std::string missing = std::filesystem::path(present).replace_filename("missing.skytest").string();
    EXPECT_EQ(0u, LaunchAssociatedPlayer(missing.c_str()));
    EXPECT_EQ(0, WaitForRecord(missing, ".pid", 300));
}

TEST_F(PlayerProcessTest, StartsADBusActivatableApplicationAsAProcessWhoseIdItKnows) {
    // With a session bus the desktop would activate such an application over
    // D-Bus, which tells no process id: the player could never be closed.
    ASSERT_TRUE(StartPrivateSessionBus());
    const std::string file = MakeMusicFile("song.skydbus");
    const pid_t pid = static_cast<pid_t>(LaunchAssociatedPlayer(file.c_str()));
    ASSERT_GT(pid, 0);
    players_.Add(pid);
    EXPECT_EQ(pid, WaitForRecord(file, ".pid", kRecordWaitMs));
}

TEST_F(PlayerProcessTest, TerminatingEndsThePlayerAndWhatItStarted) {
    const std::string file = MakeMusicFile("song.skytest");
    const pid_t pid = static_cast<pid_t>(LaunchAssociatedPlayer(file.c_str()));
    ASSERT_GT(pid, 0);
    players_.Add(pid);
    const pid_t child = static_cast<pid_t>(WaitForRecord(file, ".child", kRecordWaitMs));
    ASSERT_EQ(pid, WaitForRecord(file, ".pid", kRecordWaitMs));

    EXPECT_FALSE(WaitForPlayerToEnd(pid, 100));
    TerminatePlayerGroup(pid);
    EXPECT_TRUE(WaitForPlayerToEnd(pid, 2000));
    EXPECT_TRUE(ProcessEnded(pid));
    EXPECT_TRUE(ProcessEnded(child));
}

TEST_F(PlayerProcessTest, TerminatingLeavesProcessesItDidNotLaunchAlone) {
    const pid_t stranger = fork();
    ASSERT_GE(stranger, 0);
    if (stranger == 0) {
        setpgid(0, 0);
        pause();
        _exit(0);
    }
    players_.Add(stranger);
    setpgid(stranger, stranger);

    TerminatePlayerGroup(static_cast<std::uint32_t>(stranger));
    TerminatePlayerGroup(static_cast<std::uint32_t>(getpgrp()));
    TerminatePlayerGroup(0);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    int status = 0;
    EXPECT_EQ(0, waitpid(stranger, &status, WNOHANG)) << "a process this module never started was signalled";
    kill(stranger, SIGKILL);
    waitpid(stranger, &status, 0);
}

// ---------------------------------------------------------------------------
// Windows, on an Xvfb of the test's own.

class PlayerWindowTest : public PlayerProcessTest {
protected:
    void SetUp() override {
        PlayerProcessTest::SetUp();
        ASSERT_TRUE(StartMusicTestDisplay());
    }
};

TEST_F(PlayerWindowTest, AsksThePlayersWindowsToClose) {
    const std::string file = MakeMusicFile("song.skywindow");
    const pid_t pid = static_cast<pid_t>(LaunchAssociatedPlayer(file.c_str()));
    ASSERT_GT(pid, 0);
    players_.Add(pid);
    ASSERT_NE(0, WaitForRecord(file, ".window", kRecordWaitMs));

    // A player without windows has nothing to ask.
    const std::string quiet = MakeMusicFile("song.skytest");
    const pid_t quietPid = static_cast<pid_t>(LaunchAssociatedPlayer(quiet.c_str()));
    ASSERT_GT(quietPid, 0);
    players_.Add(quietPid);
    ASSERT_EQ(quietPid, WaitForRecord(quiet, ".pid", kRecordWaitMs));
    EXPECT_FALSE(AskPlayerWindowsToClose(quietPid));

    // The window player ignores SIGTERM: only the window message ends it.
    EXPECT_TRUE(AskPlayerWindowsToClose(pid));
    EXPECT_EQ(1, WaitForRecord(file, ".closed", 2000));
    EXPECT_TRUE(WaitForPlayerToEnd(pid, 2000));
}

// Counts the iconify requests (WM_CHANGE_STATE to IconicState) sent for a
// window, as a window manager would receive them on the root window.
class IconifyWatcher {
public:
    IconifyWatcher() : display_(XOpenDisplay(nullptr)) {
        if (display_ != nullptr) {
            XSelectInput(display_, DefaultRootWindow(display_), SubstructureNotifyMask);
            XSync(display_, False);
        }
    }
    ~IconifyWatcher() {
        if (display_ != nullptr) {
            XCloseDisplay(display_);
        }
    }
    bool Ready() const { return display_ != nullptr; }

    int RequestsFor(Window window) {
        const Atom changeState = XInternAtom(display_, "WM_CHANGE_STATE", False);
        int count = 0;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
        while (std::chrono::steady_clock::now() < deadline) {
            XSync(display_, False);
            XEvent event;
            while (XCheckTypedEvent(display_, ClientMessage, &event)) {
                if (event.xclient.message_type == changeState && event.xclient.window == window &&
                    event.xclient.data.l[0] == IconicState) {
                    ++count;
                }
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return count;
    }

private:
    Display* display_;
};

TEST_F(PlayerWindowTest, SettlingHidesTheShowingWindowsOnlyWhenAsked) {
    IconifyWatcher watcher;
    ASSERT_TRUE(watcher.Ready());

    const std::string hidden = MakeMusicFile("hidden.skywindow");
    const pid_t hiddenPid = static_cast<pid_t>(LaunchAssociatedPlayer(hidden.c_str()));
    ASSERT_GT(hiddenPid, 0);
    players_.Add(hiddenPid);
    WaitForPlayerToSettle(hiddenPid, true);
    const Window hiddenWindow = static_cast<Window>(WaitForRecord(hidden, ".window", kRecordWaitMs));
    ASSERT_NE(0u, hiddenWindow);
    EXPECT_EQ(1, watcher.RequestsFor(hiddenWindow));

    const std::string shown = MakeMusicFile("shown.skywindow");
    const pid_t shownPid = static_cast<pid_t>(LaunchAssociatedPlayer(shown.c_str()));
    ASSERT_GT(shownPid, 0);
    players_.Add(shownPid);
    WaitForPlayerToSettle(shownPid, false);
    const Window shownWindow = static_cast<Window>(WaitForRecord(shown, ".window", kRecordWaitMs));
    ASSERT_NE(0u, shownWindow);
    EXPECT_EQ(0, watcher.RequestsFor(shownWindow));
}

// ---------------------------------------------------------------------------
// The music claim, taken by separate processes as the savers on several
// monitors would.

struct ClaimHolder {
    pid_t pid = -1;
    int report = -1;   // one byte: 'y' when the claim was taken, 'n' when not
    int release = -1;  // closing it lets the holder end
};

ClaimHolder ClaimInChild() {
    int report[2];
    int release[2];
    ClaimHolder holder;
    if (pipe(report) != 0 || pipe(release) != 0) {
        return holder;
    }
    holder.pid = fork();
    if (holder.pid == 0) {
        // Only its own ends: a copy of another holder's release end would
        // keep that holder from ever seeing it closed.
        for (int fd = 3; fd < 1024; ++fd) {
            if (fd != report[1] && fd != release[0]) {
                close(fd);
            }
        }
        const char answer = TakeMusicClaim() ? 'y' : 'n';
        if (write(report[1], &answer, 1) != 1) {
            _exit(2);
        }
        char ignored;
        while (read(release[0], &ignored, 1) > 0) {
        }
        _exit(0);
    }
    close(report[1]);
    close(release[0]);
    holder.report = report[0];
    holder.release = release[1];
    return holder;
}

char Answer(const ClaimHolder& holder) {
    char answer = '?';
    return read(holder.report, &answer, 1) == 1 ? answer : '?';
}

void Release(ClaimHolder& holder) {
    close(holder.release);
    close(holder.report);
    int status = 0;
    waitpid(holder.pid, &status, 0);
}

// Where GIO would find no bus but autolaunch one, it finds "disabled:";
// a bus that is there stays as it is.
TEST(SessionBusTest, AutolaunchIsDisabledOnlyWhereNoBusIsThere) {
    const std::string runtime = ScratchFolder() + "/bus-runtime";
    std::filesystem::create_directories(runtime);
    const std::string socketPath = runtime + "/bus";
    const int listener = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(listener, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    std::strcpy(address.sun_path, socketPath.c_str());
    ASSERT_EQ(0, bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address));
    const std::string plainFile = ScratchFolder() + "/plain-runtime";
    ASSERT_TRUE(WriteFileText(plainFile + "/bus", ""));

    struct Case {
        const char* address;     // nullptr: unset
        std::string runtimeDir;  // empty: unset
        const char* expected;    // nullptr: stays unset
    };
    const Case cases[] = {
        {"unix:path=/run/user/1000/bus", "", "unix:path=/run/user/1000/bus"},
        {"unix:path=/run/user/1000/bus", ScratchFolder(), "unix:path=/run/user/1000/bus"},
        {nullptr, runtime, nullptr},
        {"", runtime, ""},
        {nullptr, ScratchFolder(), "disabled:"},
        {nullptr, plainFile, "disabled:"},
        {nullptr, "", "disabled:"},
        {"", "", "disabled:"},
    };
    const char* savedRuntime = std::getenv("XDG_RUNTIME_DIR");
    const std::string saved = savedRuntime != nullptr ? savedRuntime : "";
    for (const Case& c : cases) {
        if (c.address != nullptr) {
            setenv("DBUS_SESSION_BUS_ADDRESS", c.address, 1);
        } else {
            unsetenv("DBUS_SESSION_BUS_ADDRESS");
        }
        if (!c.runtimeDir.empty()) {
            setenv("XDG_RUNTIME_DIR", c.runtimeDir.c_str(), 1);
        } else {
            unsetenv("XDG_RUNTIME_DIR");
        }
        DisableSessionBusAutolaunch();
        const char* now = std::getenv("DBUS_SESSION_BUS_ADDRESS");
        const std::string label = std::string(c.address != nullptr ? c.address : "(unset)") + " / " + c.runtimeDir;
        if (c.expected == nullptr) {
            EXPECT_EQ(now, nullptr) << label;
        } else {
            ASSERT_NE(now, nullptr) << label;
            EXPECT_STREQ(now, c.expected) << label;
        }
    }
    close(listener);
    setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
}

TEST(MusicClaimTest, OnlyOneOfSeveralSaversTakesTheMusicUntilItEnds) {
    ClaimHolder first = ClaimInChild();
    ClaimHolder second = ClaimInChild();
    ASSERT_GT(first.pid, 0);
    ASSERT_GT(second.pid, 0);
    const char firstAnswer = Answer(first);
    const char secondAnswer = Answer(second);
    EXPECT_TRUE((firstAnswer == 'y' && secondAnswer == 'n') || (firstAnswer == 'n' && secondAnswer == 'y'))
        << firstAnswer << secondAnswer;

    ClaimHolder& winner = firstAnswer == 'y' ? first : second;
    ClaimHolder& loser = firstAnswer == 'y' ? second : first;
    Release(loser);
    ClaimHolder third = ClaimInChild();
    EXPECT_EQ('n', Answer(third));
    Release(third);

    // The claim ends with the saver that held it.
    Release(winner);
    ClaimHolder fourth = ClaimInChild();
    EXPECT_EQ('y', Answer(fourth));
    Release(fourth);
}

TEST(MusicClaimTest, RefusesALinkPlantedInPlaceOfTheClaimFile) {
    const std::string target = ScratchFolder() + "/not-a-claim";
    ASSERT_TRUE(WriteFileText(target, "keep"));
    std::remove(MusicClaimPath().c_str());
    ASSERT_EQ(0, symlink(target.c_str(), MusicClaimPath().c_str()));
    ClaimHolder holder = ClaimInChild();
    ASSERT_GT(holder.pid, 0);
    EXPECT_EQ('n', Answer(holder));
    Release(holder);
    EXPECT_EQ("keep", ReadFileText(target));
    std::remove(MusicClaimPath().c_str());
}

// Takes the claim for the whole test process, so it comes after the suites
// that need the claim free.
class ClaimedPlayerTest : public PlayerProcessTest {};

TEST_F(ClaimedPlayerTest, PlayerDoesNotKeepTheClaimAlive) {
    ASSERT_TRUE(TakeMusicClaim());
    const std::string file = MakeMusicFile("song.skytest");
    const pid_t pid = static_cast<pid_t>(LaunchAssociatedPlayer(file.c_str()));
    ASSERT_GT(pid, 0);
    players_.Add(pid);
    const pid_t child = static_cast<pid_t>(WaitForRecord(file, ".child", kRecordWaitMs));
    ASSERT_EQ(pid, WaitForRecord(file, ".pid", kRecordWaitMs));

    // A descriptor of the claim left in the player would keep the music
    // claimed after this saver ended, for as long as the player lived.
    const std::string claim = std::filesystem::canonical(MusicClaimPath()).string();
    for (pid_t process : {pid, child}) {
        const std::string fds = "/proc/" + std::to_string(process) + "/fd";
        DIR* folder = opendir(fds.c_str());
        ASSERT_NE(nullptr, folder);
        while (dirent* entry = readdir(folder)) {
            char target[PATH_MAX];
            const ssize_t length = readlink((fds + "/" + entry->d_name).c_str(), target, sizeof target - 1);
            if (length > 0) {
                target[length] = '\0';
                EXPECT_NE(claim, std::string(target)) << "process " << process;
            }
        }
        closedir(folder);
    }
}

}  // namespace
}  // namespace skyloom
