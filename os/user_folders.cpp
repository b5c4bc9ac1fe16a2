#include "os/user_folders.h"

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <pwd.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace skyloom {

namespace {

bool IsFolder(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return {};
    }
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// One line's value of XDG_PICTURES_DIR, or false when the line sets
// something else or cannot be read.
bool ParsePicturesLine(std::string_view line, const std::string& home, std::string& value) {
    size_t at = line.find_first_not_of(" \t");
    if (at == std::string_view::npos) {
        return false;
    }
    constexpr std::string_view kKey = "XDG_PICTURES_DIR";
    if (line.substr(at, kKey.size()) != kKey) {
        return false;
    }
    at = line.find_first_not_of(" \t", at + kKey.size());
    if (at == std::string_view::npos || line[at] != '=') {
        return false;
    }
    at = line.find_first_not_of(" \t", at + 1);
    if (at == std::string_view::npos || line[at] != '"') {
        return false;
    }
    ++at;
    std::string path;
    constexpr std::string_view kHome = "$HOME";
    if (line.substr(at, kHome.size()) == kHome) {
        at += kHome.size();
        if (at >= line.size() || (line[at] != '/' && line[at] != '"')) {
            return false;  // $HOMEWORK is no folder under $HOME
        }
        path = home;
    } else if (at >= line.size() || line[at] != '/') {
        return false;
    }
    bool closed = false;
    for (; at < line.size(); ++at) {
        char c = line[at];
        if (c == '"') {
            closed = true;
            break;
        }
        if (c == '\\' && at + 1 < line.size()) {
            c = line[++at];
        }
        path += c;
    }
    if (!closed || path.empty()) {
        return false;
    }
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    value = path;
    return true;
}

}  // namespace

std::string HomeFolder() {
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] != '\0') {
        return home;
    }
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
        found->pw_dir != nullptr) {
        return found->pw_dir;
    }
    return {};
}

std::string PicturesDirFromUserDirs(std::string_view text, const std::string& home) {
    std::string result;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        std::string value;
        if (ParsePicturesLine(line, home, value)) {
            result = value;
        }
    }
    return result;
}

std::string PicturesFolder() {
    const std::string home = HomeFolder();
    if (home.empty()) {
        return {};
    }
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    // The base directory spec ignores a relative XDG_CONFIG_HOME.
    const std::string config =
        configHome != nullptr && configHome[0] == '/' ? std::string(configHome) : home + "/.config";
    const std::string configured = PicturesDirFromUserDirs(ReadWholeFile(config + "/user-dirs.dirs"), home);
    if (!configured.empty()) {
        return configured;
    }
    const std::string pictures = home + "/Pictures";
    return IsFolder(pictures) ? pictures : home;
}

bool CreateFolderPath(const std::string& path) {
    if (path.empty()) {
        errno = ENOENT;
        return false;
    }
    for (size_t slash = path.find('/', 1); ; slash = path.find('/', slash + 1)) {
        const std::string part = path.substr(0, slash);
        if (mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) {
            return false;
        }
        if (slash == std::string::npos) {
            break;
        }
    }
    if (!IsFolder(path)) {
        errno = ENOTDIR;
        return false;
    }
    return true;
}

bool FileExists(const char* path) {
    struct stat info {};
    return lstat(path, &info) == 0;
}

}  // namespace skyloom
