#pragma once

namespace skyloom {

// The whole program: parses the command line and runs the chosen mode on
// its host (the saver's window and event loop, the configuration, a
// render). Returns the exit code: 0 done, 1 the saver could not run, 2 a
// bad command line or window id.
int RunSaverFramework(int argc, const char* const argv[]);

}  // namespace skyloom
