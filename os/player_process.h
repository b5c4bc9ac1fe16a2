#pragma once

#include <atomic>
#include <cstdint>
#include <string>

namespace skyloom {

// The operating-system side of the external music player: finding the
// program the desktop associates with a file, starting it, and ending it
// again. On POSIX the player runs in a process group of its own, whose id
// is the player's process id; on Windows, which has no such groups, the
// player is its one process. Only players this process launched are ever
// asked to close or ended.

// The music claim: only the one saver of the user that holds it plays
// music (XScreenSaver runs one saver per monitor; on Windows a preview's
// saver may run beside the system's). On POSIX an exclusive lock on a
// per-user file, on Windows a named mutex, that this process keeps until it
// ends. Returns whether this process holds it, taking it on the first
// successful call; false when another process holds it or it cannot be
// taken safely.
bool TakeMusicClaim();

// The claim's file (POSIX only): $XDG_RUNTIME_DIR/skyloom-music.lock, or
// /tmp/skyloom-music-<uid>.lock when that folder is not set.
std::string MusicClaimPath();

// (POSIX only) Without a session bus in the environment (a saver started by
// a daemon from .xinitrc) GIO would start one of its own through
// dbus-launch, which outlives the saver. Unless DBUS_SESSION_BUS_ADDRESS
// names a bus or the user's bus listens at $XDG_RUNTIME_DIR/bus, sets it to
// "disabled:", so neither this process nor the player it starts launches a
// bus. Changes the environment: call before any other thread exists.
void DisableSessionBusAutolaunch();

// Starts the desktop's default application for the file's type with the
// file, with this process's environment and current folder: on POSIX the
// application for the file's MIME type (by its name, from the shared MIME
// database), in a process group of its own; on Windows the program
// associated with the file's extension, with the command line
// "\"program\" \"file\"". With hidden, Windows starts the player with its
// windows hidden (X11 has no such request: there WaitForPlayerToSettle
// hides them as they show). Returns the new process's id, or 0 when the
// file does not exist, its type is unknown or has no default application,
// or the start fails. Reports nothing.
std::uint32_t LaunchAssociatedPlayer(const char* fileName, bool hidden = false);

// Waits at most two seconds for a player to settle, and returns early when
// it has ended or cancel (when given) is set, which it sees within a poll
// of 20 ms. On X11 the player has settled once one of its top-level
// windows is showing, and with hide the showing windows are iconified; it
// returns at once when there is no X display. On Windows the player has
// settled once it waits for input (its first windows are made), and with
// hide then once none of its windows shows any more.
void WaitForPlayerToSettle(std::uint32_t processId, bool hide, const std::atomic<bool>* cancel = nullptr);

// Asks the player's top-level windows to close: on X11 sends
// WM_DELETE_WINDOW to every one whose _NET_WM_PID names a process of the
// player's group and which takes that message (nothing without an X
// display); on Windows posts WM_QUIT to every one of the player's process.
// Returns whether any window was asked.
bool AskPlayerWindowsToClose(std::uint32_t processId);

// Waits at most the given time until no process of the player's group (on
// Windows: the player's process) is left. Returns whether none is left.
bool WaitForPlayerToEnd(std::uint32_t processId, int milliseconds);

// Ends the player and returns at once: on POSIX sends SIGTERM to its
// process group, on Windows terminates its process. Only players this
// process launched are ended, and only while the id still names that player
// (not a later process that reused the id). Async-signal-safe: the
// emergency teardown may call it from a handler.
void TerminatePlayerGroup(std::uint32_t processId);

}  // namespace skyloom
