#include "saver/music_player.h"

#include "os/player_process.h"
#include "saver/fatal_exit.h"
#include "settings/settings.h"
#include "tests/support/music_fixtures.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <set>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace skyloom {
namespace {

using namespace skyloom::testing;

constexpr int kRecordWaitMs = 5000;
// The saver's promise: a closed player is gone within two seconds.
constexpr int kClosedWithinMs = 2000;

class MusicPlayerTest : public ::testing::Test {
protected:
    void SetUp() override { InstallTestPlayers(); }
    void TearDown() override {
        for (pid_t group : groups_) {
            KillProcessGroup(group);
        }
        MusicPlayerProcessId.store(0);
    }
    // The player's id once it has recorded itself; 0 when it did not.
    pid_t Started(const std::string& file, std::uint32_t processId) {
        if (processId != 0) {
            groups_.push_back(static_cast<pid_t>(processId));
        }
        const long recorded = WaitForRecord(file, ".pid", kRecordWaitMs);
        EXPECT_EQ(static_cast<long>(processId), recorded);
        return static_cast<pid_t>(recorded);
    }
    std::vector<pid_t> groups_;
};

// First of the suites: every start in this process takes the claim for good.
class ClaimedElsewhereTest : public MusicPlayerTest {};

TEST_F(ClaimedElsewhereTest, OnlyTheSaverHoldingTheMusicStartsAPlayer) {
    // Another saver, on another monitor, took the music first.
    int ready[2];
    int release[2];
    ASSERT_EQ(0, pipe(ready));
    ASSERT_EQ(0, pipe(release));
    const pid_t other = fork();
    ASSERT_GE(other, 0);
    if (other == 0) {
        close(ready[0]);
        close(release[1]);
        const char answer = TakeMusicClaim() ? 'y' : 'n';
        if (write(ready[1], &answer, 1) == 1) {
            char ignored;
            while (read(release[0], &ignored, 1) > 0) {
            }
        }
        _exit(0);
    }
    close(ready[1]);
    close(release[0]);
    char answer = '?';
    ASSERT_EQ(1, read(ready[0], &answer, 1));
    if (answer != 'y') {
        close(release[1]);
        close(ready[0]);
        waitpid(other, nullptr, 0);
        // Only this process can hold it: an earlier test of the same run took it.
        GTEST_SKIP() << "the music is already claimed by this test process";
    }

    const std::string file = MakeMusicFile("song.skytest");
    EXPECT_EQ(0u, StartMusicPlayer(file.c_str(), true));
    EXPECT_EQ(0, WaitForRecord(file, ".pid", 300));

    close(release[1]);
    close(ready[0]);
    int status = 0;
    waitpid(other, &status, 0);
}

TEST_F(MusicPlayerTest, CloseEndsThePlayerAndWhatItStartedWithinTwoSeconds) {
    const std::string file = MakeMusicFile("song.skytest");
    const pid_t pid = Started(file, StartMusicPlayer(file.c_str(), true));
    ASSERT_GT(pid, 0);
    const pid_t child = static_cast<pid_t>(WaitForRecord(file, ".child", kRecordWaitMs));
    ASSERT_GT(child, 0);

    CloseMusicPlayer(static_cast<std::uint32_t>(pid));
    EXPECT_TRUE(WaitForProcessEnd(pid, kClosedWithinMs));
    EXPECT_TRUE(WaitForProcessEnd(child, kClosedWithinMs));
}

TEST_F(MusicPlayerTest, APlayerIgnoringSigtermIsNotWaitedFor) {
    const std::string file = MakeMusicFile("song.skystubborn");
    const pid_t pid = Started(file, StartMusicPlayer(file.c_str(), true));
    ASSERT_GT(pid, 0);

    const auto before = std::chrono::steady_clock::now();
    CloseMusicPlayer(static_cast<std::uint32_t>(pid));
    const auto took = std::chrono::steady_clock::now() - before;
    EXPECT_LT(took, std::chrono::milliseconds(1500));
    // It got its SIGTERM and is left to its own business: nothing harsher
    // follows, and nobody waits for it.
    EXPECT_FALSE(WaitForProcessEnd(pid, 300));
}

TEST_F(MusicPlayerTest, ClosingAsksTheWindowsFirst) {
    ASSERT_TRUE(StartMusicTestDisplay());
    // This player ignores SIGTERM and ends only when its window is closed.
    const std::string file = MakeMusicFile("song.skywindow");
    const pid_t pid = Started(file, StartMusicPlayer(file.c_str(), true));
    ASSERT_GT(pid, 0);
    ASSERT_NE(0, WaitForRecord(file, ".window", kRecordWaitMs));

    CloseMusicPlayer(static_cast<std::uint32_t>(pid));
    EXPECT_EQ(1, WaitForRecord(file, ".closed", kClosedWithinMs));
    EXPECT_TRUE(WaitForProcessEnd(pid, kClosedWithinMs));
}

TEST_F(MusicPlayerTest, NothingStartsWithoutAnAssociationOrAFile) {
    const std::string unknown = MakeMusicFile("song.skynone");
    EXPECT_EQ(0u, StartMusicPlayer(unknown.c_str(), true));
    EXPECT_EQ(0u, StartMusicPlayer("", true));
    EXPECT_EQ(0u, StartMusicPlayer(nullptr, true));
    CloseMusicPlayer(0);
}

class ConfiguredMusicTest : public MusicPlayerTest {
protected:
    void SetUp() override {
        MusicPlayerTest::SetUp();
        file_ = MakeMusicFile("playlist.skytest");
        PlayMusic.Set(1);
        MusicFilename.Set(file_.c_str());
    }
    void TearDown() override {
        CloseConfiguredMusic();
        MusicPlayerTest::TearDown();
    }
    // The readied player's id once it has recorded itself; 0 when it did not.
    pid_t StartedPlayer() {
        const pid_t recorded = static_cast<pid_t>(WaitForRecord(file_, ".pid", kRecordWaitMs));
        if (recorded > 0) {
            groups_.push_back(recorded);
        }
        return recorded;
    }
    std::string file_;
};

TEST_F(ConfiguredMusicTest, StartsOnlyWhenTheSaverOwnsTheScreenAndMusicIsOn) {
    const auto readyAndStart = [](bool saverOwnsScreen) {
        PrepareConfiguredMusic(saverOwnsScreen);
        StartConfiguredMusic();
    };
    readyAndStart(false);  // a preview
    PlayMusic.Set(0);
    readyAndStart(true);
    PlayMusic.Set(1);
    MusicFilename.Set("");
    readyAndStart(true);
    EXPECT_EQ(0, WaitForRecord(file_, ".pid", 300));
    EXPECT_EQ(0u, MusicPlayerProcessId.load());

    MusicFilename.Set(file_.c_str());
    PrepareConfiguredMusic(true);
    EXPECT_EQ(0, WaitForRecord(file_, ".pid", 300)) << "started before the first frame";
    StartConfiguredMusic();
    const pid_t pid = StartedPlayer();
    ASSERT_GT(pid, 0);
    // Later frames start nothing more.
    StartConfiguredMusic();

    CloseConfiguredMusic();
    EXPECT_EQ(0u, MusicPlayerProcessId.load());
    EXPECT_TRUE(WaitForProcessEnd(pid, kClosedWithinMs));
}

// The start returns to the frame loop while the player settles (this one
// shows no window: two seconds), and the end takes a player still settling.
TEST_F(ConfiguredMusicTest, StartReturnsWhileThePlayerSettles) {
    // Settling watches the player's windows on the display.
    ASSERT_TRUE(StartMusicTestDisplay());
    PrepareConfiguredMusic(true);
    StartConfiguredMusic();
    const pid_t pid = StartedPlayer();
    ASSERT_GT(pid, 0);
    EXPECT_EQ(0u, MusicPlayerProcessId.load()) << "still settling";
    CloseConfiguredMusic();
    EXPECT_TRUE(WaitForProcessEnd(pid, kClosedWithinMs));
}

// A saver started by a daemon from .xinitrc has no session bus. Launching
// the player must not leave one behind (dbus-launch autolaunches it).
TEST_F(ConfiguredMusicTest, LeavesNoSessionBusRunningWhereThereWasNone) {
    ASSERT_EQ(0, std::system("command -v dbus-launch >/dev/null")) << "dbus-launch (dbus-x11) is not installed";
    // dbus-launch autolaunches only for an X display.
    ASSERT_TRUE(StartMusicTestDisplay());
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
    // As the saver does at its start.
    DisableSessionBusAutolaunch();
    // What the launch leaves running, detached or not, comes back to us.
    ASSERT_EQ(0, prctl(PR_SET_CHILD_SUBREAPER, 1));
    const std::set<pid_t> before = LiveChildren();

    PrepareConfiguredMusic(true);
    StartConfiguredMusic();
    const pid_t pid = StartedPlayer();
    ASSERT_GT(pid, 0);
    CloseConfiguredMusic();
    ASSERT_TRUE(WaitForProcessEnd(pid, kClosedWithinMs));

    std::set<pid_t> left;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kClosedWithinMs);
    for (;;) {
        left = LiveChildren();
        for (pid_t earlier : before) {
            left.erase(earlier);
        }
        if (left.empty() || std::chrono::steady_clock::now() >= deadline) {
            break;
        }
        usleep(10'000);
    }
    EXPECT_TRUE(left.empty()) << "left running:\n" << DescribeProcesses(left);
    for (pid_t stray : left) {
        kill(stray, SIGKILL);
    }
}

TEST_F(ConfiguredMusicTest, AFatalExitStopsThePlayerToo) {
    PrepareConfiguredMusic(true);
    StartConfiguredMusic();
    const pid_t pid = StartedPlayer();
    ASSERT_GT(pid, 0);

    RunEmergencyTeardown();
    EXPECT_TRUE(WaitForProcessEnd(pid, kClosedWithinMs));
}

}  // namespace
}  // namespace skyloom
