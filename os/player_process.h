#pragma once

#include <atomic>
#include <cstdint>
#include <string>

namespace skyloom {

// The operating-system side of the external music player: finding the
// program the desktop associates with a file, starting it in a process
// group of its own, and ending that group again. Process ids are the
// player's, which is also the id of its process group.

// The music claim. XScreenSaver runs one saver per monitor; only the one
// that holds the claim plays music. The claim is an exclusive lock on a
// per-user file that this process keeps until it ends. Returns whether this
// process holds it, taking it on the first successful call; false when
// another process holds it or the file cannot be opened safely.
bool TakeMusicClaim();

// The claim's file: $XDG_RUNTIME_DIR/skyloom-music.lock, or
// /tmp/skyloom-music-<uid>.lock when that folder is not set.
std::string MusicClaimPath();

// Without a session bus in the environment (a saver started by a daemon
// from .xinitrc) GIO would start one of its own through dbus-launch, which
// outlives the saver. Unless DBUS_SESSION_BUS_ADDRESS names a bus or the
// user's bus listens at $XDG_RUNTIME_DIR/bus, sets it to "disabled:", so
// neither this process nor the player it starts launches a bus. Changes
// the environment: call before any other thread exists.
void DisableSessionBusAutolaunch();

// Starts the desktop's default application for the file's type (by its
// name, from the shared MIME database) with the file, in a process group
// of its own, with this process's environment and current folder. Returns
// the new process's id, or 0 when the file does not exist, its type is
// unknown or has no default application, or the start fails. Reports
// nothing.
std::uint32_t LaunchAssociatedPlayer(const char* fileName);

// Waits at most two seconds for a player to settle: until one of its
// top-level windows is showing, the player has ended or cancel (when
// given) is set, which it sees within a poll of 20 ms. With hide, the
// showing windows are iconified so they cannot cover the saver. Returns at
// once when there is no X display.
void WaitForPlayerToSettle(std::uint32_t processId, bool hide, const std::atomic<bool>* cancel = nullptr);

// Sends WM_DELETE_WINDOW to every top-level window whose _NET_WM_PID names
// a process of the player's group and which takes that message. Returns
// whether any window was asked. Does nothing without an X display.
bool AskPlayerWindowsToClose(std::uint32_t processId);

// Waits at most the given time until no process of the player's group is
// left. Returns whether none is left.
bool WaitForPlayerToEnd(std::uint32_t processId, int milliseconds);

// Sends SIGTERM to the player's process group and returns at once. Only
// players this process launched are signalled, and only while the id still
// names that player's group (not a later process that reused the id).
// Async-signal-safe: the emergency teardown may call it from a handler.
void TerminatePlayerGroup(std::uint32_t processId);

}  // namespace skyloom
