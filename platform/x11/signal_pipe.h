#pragma once

namespace skyloom {

// SIGTERM, SIGINT and SIGHUP become a readable byte on a pipe the event
// loop watches, so the saver ends through its ordinary teardown; the
// handler itself only writes that byte. False when the pipe or a handler
// could not be set up.
bool InstallTerminationSignalPipe();

// The pipe's read end for poll(); -1 before installation.
int TerminationSignalFd();

// Empties the pipe; true when a signal arrived since the last call.
bool TakeTerminationSignal();

}  // namespace skyloom
