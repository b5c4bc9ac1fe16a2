// The music player's process: the stand-in program, associated with a test
// extension in the Wine prefix's registry, started, settled, asked to
// close and ended.

#include "os/player_process.h"

#include "os/instance_lock.h"
#include "tests/os/win32/stand_in.h"
#include "tests/support/temp_config.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <windows.h>

namespace skyloom {
namespace {

using testing::StandInFile;
using testing::StandInPath;

constexpr char kExtension[] = ".skyloomplay";
constexpr char kFileClass[] = "Skyloom.StandInPlayer";

void SetClassValue(const std::string& key, const std::string& text) {
    ASSERT_EQ(RegSetKeyValueA(HKEY_CLASSES_ROOT, key.c_str(), nullptr, REG_SZ, text.c_str(),
                              static_cast<DWORD>(text.size() + 1)),
              ERROR_SUCCESS)
        << key;
}

struct PlayerWindow {
    DWORD processId;
    HWND window = nullptr;
};

BOOL CALLBACK FindStandInWindow(HWND window, LPARAM parameter) {
    auto& found = *reinterpret_cast<PlayerWindow*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char className[64] = {};
    GetClassNameA(window, className, sizeof className);
    if (owner == found.processId && std::string(className) == "SkyloomStandInPlayer") {
        found.window = window;
        return FALSE;
    }
    return TRUE;
}

HWND StandInWindow(std::uint32_t processId) {
    PlayerWindow found{processId};
    EnumWindows(FindStandInWindow, reinterpret_cast<LPARAM>(&found));
    return found.window;
}

class PlayerProcessTest : public ::testing::Test {
protected:
    // The same for every test process, so parallel ones may all write it.
    static void SetUpTestSuite() {
        SetClassValue(kExtension, kFileClass);
        SetClassValue(std::string(kFileClass) + "\\shell\\open\\command", "\"" + StandInPath() + "\" \"%1\"");
    }
};

TEST_F(PlayerProcessTest, StartsWithTheFileSettlesAsAskedAndClosesWhenAsked) {
    const struct {
        const char* mode;
        bool hidden;
        bool showing;
    } cases[] = {
        {"window", true, false},
        {"window", false, true},
        {"insist", true, false},  // hidden once it settled
        {"insist", false, true},
    };
    int number = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.mode) + (c.hidden ? ", hidden" : ", shown"));
        const std::string file = StandInFile("list " + std::to_string(++number) + kExtension, c.mode);
        const std::uint32_t processId = LaunchAssociatedPlayer(file.c_str(), c.hidden);
        ASSERT_NE(processId, 0u);
        // A failed check must not leave the player holding the test's output.
        const std::unique_ptr<const std::uint32_t, void (*)(const std::uint32_t*)> ender(
            &processId, [](const std::uint32_t* id) { TerminatePlayerGroup(*id); });
        // Its window is up once it has recorded its start; the settling then
        // meets a player that is there, however slow the machine.
        const std::vector<std::string> record = testing::WaitForStandInRecord(file);
        WaitForPlayerToSettle(processId, c.hidden);
        ASSERT_EQ(record.size(), 2u);
        EXPECT_EQ(record[0], "\"" + StandInPath() + "\" \"" + file + "\"");
        const HWND window = StandInWindow(processId);
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(IsWindowVisible(window) != 0, c.showing);
        EXPECT_TRUE(AskPlayerWindowsToClose(processId));
        EXPECT_TRUE(WaitForPlayerToEnd(processId, 10000));
    }
}

TEST_F(PlayerProcessTest, APlayerWithoutWindowsIsEnded) {
    const std::string file = StandInFile("quiet" + std::string(kExtension), "nothing");
    const std::uint32_t processId = LaunchAssociatedPlayer(file.c_str(), true);
    ASSERT_NE(processId, 0u);
    ASSERT_EQ(testing::WaitForStandInRecord(file).size(), 2u);
    EXPECT_FALSE(AskPlayerWindowsToClose(processId));
    EXPECT_FALSE(WaitForPlayerToEnd(processId, 0));
    TerminatePlayerGroup(processId);
    EXPECT_TRUE(WaitForPlayerToEnd(processId, 10000));
}

TEST_F(PlayerProcessTest, NothingStartsWithoutAFileAndItsProgram) {
    const std::string unassociated = StandInFile("list.skyloomnone", "window");
    const std::string missing = testing::ScratchFolder() + "\\missing" + kExtension;
    const char* const files[] = {unassociated.c_str(), missing.c_str(), "", nullptr};
    for (const char* file : files) {
        EXPECT_EQ(LaunchAssociatedPlayer(file, true), 0u) << (file != nullptr ? file : "(null)");
    }
}

TEST(PlayerProcessOwnership, ProcessesNotLaunchedHereAreLeftAlone) {
    const std::uint32_t self = GetCurrentProcessId();
    EXPECT_FALSE(AskPlayerWindowsToClose(self));
    TerminatePlayerGroup(self);
    TerminatePlayerGroup(0);
    EXPECT_TRUE(WaitForPlayerToEnd(self, 0)) << "nothing of ours to wait for";
}

TEST(MusicClaimTest, GoesToTheFirstTakerAndStaysWithIt) {
    constexpr char kClaim[] = "Quillmere Skyloom Music";
    {
        InstanceLock otherSaver;
        ASSERT_EQ(otherSaver.Acquire(kClaim), InstanceLockResult::Acquired);
        EXPECT_FALSE(TakeMusicClaim());
    }
    EXPECT_TRUE(TakeMusicClaim());
    InstanceLock laterSaver;
    EXPECT_EQ(laterSaver.Acquire(kClaim), InstanceLockResult::HeldElsewhere);
    EXPECT_TRUE(TakeMusicClaim());
}

}  // namespace
}  // namespace skyloom
