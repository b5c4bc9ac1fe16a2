#pragma once

#include <string_view>

namespace skyloom {

// Writes the text straight to standard error, unbuffered, with calls that
// are safe inside a crash handler. Gives up quietly when it cannot.
void WriteToStandardError(std::string_view text);

// Ends the process at once with the exit code: no static destructors, no
// exit handlers, and other threads stop wherever they are.
[[noreturn]] void EndProcessNow(int exitCode);

}  // namespace skyloom
