#include "saver/music_player.h"

#include "os/player_process.h"
#include "saver/fatal_exit.h"
#include "settings/settings.h"

#include <string>
#include <system_error>
#include <thread>

namespace skyloom {

std::atomic<std::uint32_t> MusicPlayerProcessId{0};

namespace {

// How long a player whose windows were asked to close may take before the
// SIGTERM follows.
constexpr int kCloseGraceMilliseconds = 500;

// The player started last and not yet closed. Set before it settles, so a
// fatal exit during that wait stops it too.
std::atomic<std::uint32_t> runningPlayer{0};

// The music file readied at the saver's start; empty when none is.
std::string readiedFile;
// Starts the readied player; joined by CloseConfiguredMusic.
std::thread starter;
std::atomic<bool> startCancelled{false};

// Runs at a fatal exit, possibly inside a signal handler: SIGTERM only, no X.
void StopMusicAtFatalExit() {
    const std::uint32_t processId = runningPlayer.exchange(0);
    if (processId != 0) {
        TerminatePlayerGroup(processId);
    }
}

void StartReadiedPlayer(std::string fileName) {
    MusicPlayerProcessId.store(StartMusicPlayer(fileName.c_str(), true, &startCancelled));
}

}  // namespace

std::uint32_t StartMusicPlayer(const char* fileName, bool hidden, const std::atomic<bool>* cancel) {
    if (fileName == nullptr || fileName[0] == '\0' || !TakeMusicClaim()) {
        return 0;
    }
    const std::uint32_t processId = LaunchAssociatedPlayer(fileName, hidden);
    if (processId == 0) {
        return 0;
    }
    runningPlayer.store(processId);
    WaitForPlayerToSettle(processId, hidden, cancel);
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

void PrepareConfiguredMusic(bool saverOwnsScreen) {
    MusicPlayerProcessId.store(0);
    readiedFile.clear();
    if (!saverOwnsScreen || PlayMusic.Get() != 1 || MusicFilename.Get()[0] == '\0') {
        return;
    }
    readiedFile = MusicFilename.Get();
    AddEmergencyTeardown(StopMusicAtFatalExit, TeardownSafety::SignalSafe);
}

void StartConfiguredMusic() {
    if (readiedFile.empty()) {
        return;
    }
    std::string fileName;
    fileName.swap(readiedFile);
    startCancelled.store(false);
    // The library reports a thread it cannot start by throwing: the music
    // then simply stays off.
    try {
        starter = std::thread(StartReadiedPlayer, std::move(fileName));
    } catch (const std::system_error&) {
        RemoveEmergencyTeardown(StopMusicAtFatalExit);
    }
}

void CloseConfiguredMusic() {
    readiedFile.clear();
    if (starter.joinable()) {
        startCancelled.store(true);
        starter.join();
    }
    CloseMusicPlayer(MusicPlayerProcessId.exchange(0));
    RemoveEmergencyTeardown(StopMusicAtFatalExit);
}

}  // namespace skyloom
