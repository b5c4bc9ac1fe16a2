#pragma once

#include <string>

namespace skyloom {

// Full path of the running program file, with links resolved; empty when
// the system cannot say.
std::string ExecutablePath();

}  // namespace skyloom
