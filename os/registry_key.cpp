#include "os/registry_key.h"

#include "os/settings_file.h"

#include <sys/stat.h>

namespace skyloom {

bool RegistryKey::Open(std::string_view keyPath) {
    Close();
    path_ = SettingsFilePathForKey(keyPath);
    if (path_.empty()) {
        return false;
    }
    struct stat info {};
    if (lstat(path_.c_str(), &info) != 0 && !UpdateSettingsFile(path_, {}, {})) {
        return false;
    }
    open_ = true;
    return true;
}

void RegistryKey::Close() {
    open_ = false;
    path_.clear();
}

std::optional<std::string> RegistryKey::QueryValue(std::string_view name) const {
    if (!open_) {
        return std::nullopt;
    }
    return FindStoredText(ReadSettingsLines(path_), name);
}

bool RegistryKey::SetValue(std::string_view name, std::string_view storedText) const {
    return open_ && UpdateSettingsFile(path_, name, storedText);
}

}  // namespace skyloom
