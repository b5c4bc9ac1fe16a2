#include "config/data_folder.h"

#include "os/executable_path.h"
#include "settings/settings.h"

#include <filesystem>
#include <system_error>

namespace skyloom {

std::string DataFolder() {
    const char* appDir = AppDir.Get();
    if (appDir[0] != '\0') {
        return appDir;
    }
    const std::filesystem::path program = ExecutablePath();
    if (program.empty()) {
        return {};
    }
    // The program path has its links resolved, so ".." can be folded away
    // by text alone.
    const std::filesystem::path folder = (program.parent_path() / ".." / "share" / "skyloom").lexically_normal();
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error)) {
        return {};
    }
    return folder.string();
}

}  // namespace skyloom
