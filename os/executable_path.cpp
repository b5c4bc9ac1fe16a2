#include "os/executable_path.h"

#include <unistd.h>

#include <filesystem>
#include <vector>

namespace skyloom {

std::string ExecutablePath() {
    // readlink does not say whether it cut the path, so grow the buffer
    // until the answer leaves room to spare.
    for (size_t size = 256; size <= 65536; size *= 2) {
        std::vector<char> buffer(size);
        const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0) {
            return {};
        }
        if (static_cast<size_t>(length) < buffer.size()) {
            return std::string(buffer.data(), static_cast<size_t>(length));
        }
    }
    return {};
}

std::string InstalledDataFolder(const std::string& programPath) {
    // The program path has its links resolved, so ".." can be folded away
    // by text alone.
    return (std::filesystem::path(programPath).parent_path() / ".." / "share" / "skyloom").lexically_normal().string();
}

}  // namespace skyloom
