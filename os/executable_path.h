#pragma once

#include <string>

namespace skyloom {

// Full path of the running program file (on Linux with links resolved, on
// Windows in the ANSI code page); empty when the system cannot say.
std::string ExecutablePath();

// Where an installation keeps its data files (language files, help pages)
// beside the program at programPath: <program folder>/../share/skyloom on
// Linux, the program's own folder on Windows. Not checked for existence.
std::string InstalledDataFolder(const std::string& programPath);

}  // namespace skyloom
