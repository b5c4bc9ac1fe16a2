#pragma once

#include <atomic>
#include <cstdint>

namespace skyloom {

// Process id of the music player this saver started; 0 when none was or
// starting failed. Set by the thread that starts the player, once the
// player has settled or its settling was cut short.
extern std::atomic<std::uint32_t> MusicPlayerProcessId;

// Starts the program the desktop associates with the file, with the file,
// and returns its process id once it has settled (two seconds at most, or
// until cancel, when given, is set). Returns 0, starting nothing and
// reporting nothing, when the file has no associated program, the start
// fails, or another saver of this user holds the music (several savers at
// once, one per monitor: only one plays). With hidden, the player's windows
// that show while it settles are iconified.
std::uint32_t StartMusicPlayer(const char* fileName, bool hidden, const std::atomic<bool>* cancel = nullptr);

// Asks the player's top-level windows to close, gives it a moment when any
// was asked, then sends SIGTERM to its process group. Never waits for a
// player that ignores all of this. Does nothing for 0.
void CloseMusicPlayer(std::uint32_t processId);

// The saver's start, before its first frame and before any other thread
// exists: when the saver owns the screen (full screen or -root, never a
// preview), PlayMusic is 1 and MusicFilename is set, readies the music for
// StartConfiguredMusic and makes a fatal exit stop the player too.
// Otherwise readies nothing.
void PrepareConfiguredMusic(bool saverOwnsScreen);

// Once the first frame is on screen: starts the readied player (hidden) on
// a thread of its own and returns at once, so the frames go on while it
// starts and settles. Does nothing when nothing is readied, also on later
// calls.
void StartConfiguredMusic();

// The saver's teardown, once its windows are down: ends a start still in
// progress (within a poll of its settling), closes the player, if any, and
// sets MusicPlayerProcessId back to 0. Drops readied music that never
// started.
void CloseConfiguredMusic();

}  // namespace skyloom
