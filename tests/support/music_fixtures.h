#pragma once

#include <set>
#include <string>
#include <sys/types.h>

namespace skyloom::testing {

// Stand-in music players registered with the desktop of the test's scratch
// folder ($XDG_DATA_HOME, $XDG_CONFIG_HOME): a MIME type per extension and a
// default application for it. GIO reads the MIME database and the desktop
// entries once per process, so this must run before the first start; it is
// harmless to call again. Each player writes records beside the music file
// it was given: FILE.pid (written last by the scripts) and more, see below.
//   .skytest      script: FILE.folder (its current folder), FILE.token
//                 ($SKYLOOM_TEST_TOKEN), FILE.child (a `sleep` it started),
//                 FILE.pid; then waits for the child
//   .skystubborn  the same script with SIGTERM ignored by its whole group
//   .skywindow    tests/platform/window_player.cpp (needs $DISPLAY): one
//                 window, ends only on WM_DELETE_WINDOW (FILE.closed;
//                 FILE.saver-at-close: 2 when the saver's window still
//                 showed then, 1 when not)
//   .skydbus      the .skytest script behind a D-Bus activatable entry
//   .skyorphan    a known type without any application
//   .skywatch     the .skytest script, which first records FILE.saver: the
//                 map state of the saver's window ("IsViewable", "none")
// Any other extension is unknown to the desktop. Fails the current test
// when the database cannot be built.
void InstallTestPlayers();

// An empty music file of that name in a fresh folder under the scratch folder.
std::string MakeMusicFile(const std::string& name);

// The number in FILE<suffix>, waiting at most the given time for the file
// to appear; 0 when it does not.
long WaitForRecord(const std::string& file, const std::string& suffix, int milliseconds);
// The first line of FILE<suffix>; empty when there is none.
std::string RecordText(const std::string& file, const std::string& suffix);

// Whether the process has ended (it is gone or a zombie).
bool ProcessEnded(pid_t pid);
// Waits at most the given time for the process to end; whether it did.
bool WaitForProcessEnd(pid_t pid, int milliseconds);
// Whether no process of the group is left but zombies.
bool ProcessGroupEnded(pid_t group);
// Removes whatever a test left running in that process group.
void KillProcessGroup(pid_t group);

// This process's live child processes; zombies among them are reaped and
// left out. With PR_SET_CHILD_SUBREAPER set, whatever a child left running
// when it ended becomes one of them.
std::set<pid_t> LiveChildren();
// One line per process: its id and command line.
std::string DescribeProcesses(const std::set<pid_t>& pids);

// A private session bus for this process (dbus-daemon), started on the
// first call and kept until the process ends, since GIO ends a process
// whose session bus goes away. Sets DBUS_SESSION_BUS_ADDRESS. False when
// it cannot be started.
bool StartPrivateSessionBus();

// An Xvfb of this process's own, started on the first call and ended with
// the process. Sets DISPLAY and, as the saver does, keeps GIO from
// autolaunching a session bus on it that would outlive the test. False
// when it cannot be started.
bool StartMusicTestDisplay();

}  // namespace skyloom::testing
