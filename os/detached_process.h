#pragma once

namespace skyloom {

// Starts the program at path with the arguments (argv[0] first, null at the
// end) in a session of its own, not as a child of this process, so it
// outlives the saver and leaves no zombie. False when it could not be
// started (a failed exec cannot be seen from here).
bool StartDetachedProcess(const char* path, const char* const argv[]);

}  // namespace skyloom
