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
    const std::string program = ExecutablePath();
    if (program.empty()) {
        return {};
    }
    const std::filesystem::path folder = InstalledDataFolder(program);
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error)) {
        return {};
    }
    return folder.string();
}

}  // namespace skyloom
