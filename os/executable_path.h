#pragma once

#include <string>

namespace skyloom {

// Full path of the running program file (on Linux with links resolved, on
// Windows in the ANSI code page); empty when the system cannot say.
std::string ExecutablePath();

}  // namespace skyloom
