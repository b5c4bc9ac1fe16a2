#include "os/executable_path.h"

#include <filesystem>
#include <vector>

#include <windows.h>

namespace skyloom {

std::string ExecutablePath() {
    // A path that does not fit fills the whole buffer, cut; grow the buffer
    // until the answer leaves room to spare.
    for (DWORD size = MAX_PATH; size <= 65536; size *= 2) {
        std::vector<char> buffer(size);
        const DWORD length = GetModuleFileNameA(nullptr, buffer.data(), size);
        if (length == 0) {
            return {};
        }
        if (length < size) {
            return std::string(buffer.data(), length);
        }
    }
    return {};
}

// The installer writes AppDir; an uninstalled copy finds its files beside
// Skyloom.scr.
std::string InstalledDataFolder(const std::string& programPath) {
    return std::filesystem::path(programPath).parent_path().string();
}

}  // namespace skyloom
