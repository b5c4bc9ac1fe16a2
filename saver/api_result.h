#pragma once

#include <cstdint>

namespace skyloom {

// When result equals failureValue: says "<callName> failed: Error <error>."
// (the error number the failed call gave: an X error code, errno; 0 when it
// gave none) and ends the process with exit code 1 through the emergency
// teardown. The text goes to standard error, and where the saver owns the
// screen (full screen, window mode) also into the host's message box once
// the screen is restored. Otherwise does nothing.
void CheckApiResult(intptr_t result, intptr_t failureValue, const char* callName, uint32_t error);

}  // namespace skyloom
