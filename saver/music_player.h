#pragma once

#include <cstdint>

namespace skyloom {

// Process id of the music player this saver started; 0 when none was
// started or starting failed.
extern std::uint32_t MusicPlayerProcessId;

// Starts the program the desktop associates with the file, with the file,
// and returns its process id once it has settled (two seconds at most).
// Returns 0, starting nothing and reporting nothing, when the file has no
// associated program, the start fails, or another saver of this user holds
// the music (several savers at once, one per monitor: only one plays).
// With hidden, the player's windows that show while it settles are
// iconified.
std::uint32_t StartMusicPlayer(const char* fileName, bool hidden);

// Asks the player's top-level windows to close, gives it a moment when any
// was asked, then sends SIGTERM to its process group. Never waits for a
// player that ignores all of this. Does nothing for 0.
void CloseMusicPlayer(std::uint32_t processId);

// The saver's start: when the saver owns the screen (full screen or -root,
// never a preview), PlayMusic is 1 and MusicFilename is set, starts the
// player (hidden) into MusicPlayerProcessId and makes a fatal exit stop it
// too; without a session bus it starts none for the player. Otherwise
// leaves MusicPlayerProcessId at 0.
void StartConfiguredMusic(bool saverOwnsScreen);

// The saver's teardown: closes the player started by StartConfiguredMusic,
// if any, and sets MusicPlayerProcessId back to 0.
void CloseConfiguredMusic();

}  // namespace skyloom
