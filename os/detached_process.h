#pragma once

namespace skyloom {

// Starts the program at path with the arguments (argv[0] first, null at the
// end), not as a child of this process, so it outlives the saver: on POSIX
// in a session of its own that leaves no zombie, on Windows without this
// process's console and with no handle kept. False when it could not be
// started (on POSIX a failed exec cannot be seen from here).
bool StartDetachedProcess(const char* path, const char* const argv[]);

}  // namespace skyloom
