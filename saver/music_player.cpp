#include "saver/music_player.h"

#include "platform/player_process.h"
#include "saver/fatal_exit.h"
#include "settings/settings.h"

#include <atomic>

namespace skyloom {

std::uint32_t MusicPlayerProcessId = 0;

namespace {

// How long a player whose windows were asked to close may take before the
// SIGTERM follows.
constexpr int kCloseGraceMilliseconds = 500;

// The player started last and not yet closed. Set before it settles, so a
// fatal exit during that wait stops it too.
std::atomic<std::uint32_t> runningPlayer{0};

// Runs at a fatal exit, possibly inside a signal handler: SIGTERM only, no X.
void StopMusicAtFatalExit() {
    const std::uint32_t processId = runningPlayer.exchange(0);
    if (processId != 0) {
        TerminatePlayerGroup(processId);
    }
}

}  // namespace

std::uint32_t StartMusicPlayer(const char* fileName, bool hidden) {
    if (fileName == nullptr || fileName[0] == '\0' || !TakeMusicClaim()) {
        return 0;
    }
    const std::uint32_t processId = LaunchAssociatedPlayer(fileName);
    if (processId == 0) {
        return 0;
    }
    runningPlayer.store(processId);
    WaitForPlayerToSettle(processId, hidden);
    return processId;
}

void CloseMusicPlayer(std::uint32_t processId) {
    if (processId == 0) {
        return;
    }
    if (!AskPlayerWindowsToClose(processId) || !WaitForPlayerToEnd(processId, kCloseGraceMilliseconds)) {
        TerminatePlayerGroup(processId);
    }
    // Until here a fatal exit still stops the player.
    std::uint32_t expected = processId;
    runningPlayer.compare_exchange_strong(expected, 0);
}

void StartConfiguredMusic(bool saverOwnsScreen) {
    MusicPlayerProcessId = 0;
    if (!saverOwnsScreen || PlayMusic.Get() != 1 || MusicFilename.Get()[0] == '\0') {
        return;
    }
    DisableSessionBusAutolaunch();
    AddEmergencyTeardown(StopMusicAtFatalExit, TeardownSafety::SignalSafe);
    MusicPlayerProcessId = StartMusicPlayer(MusicFilename.Get(), true);
    if (MusicPlayerProcessId == 0) {
        RemoveEmergencyTeardown(StopMusicAtFatalExit);
    }
}

void CloseConfiguredMusic() {
    const std::uint32_t processId = MusicPlayerProcessId;
    MusicPlayerProcessId = 0;
    CloseMusicPlayer(processId);
    RemoveEmergencyTeardown(StopMusicAtFatalExit);
}

}  // namespace skyloom
