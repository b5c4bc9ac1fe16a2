#include "os/settings_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <fcntl.h>
#include <strings.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace skyloom {

namespace {
constexpr size_t kMaxFileBytes = 1024 * 1024;
constexpr char kHeader[] = "# Skyloom settings: one Name=value per line. Edit with \"skyloom /c\".";

void (*writeInterrupt)() = nullptr;

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) {
            close(fd_);
        }
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }

private:
    int fd_;
};

bool MakeFolders(const std::string& folder) {
    for (size_t slash = folder.find('/', 1); ; slash = folder.find('/', slash + 1)) {
        const std::string prefix = folder.substr(0, slash);
        if (mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST) {
            return false;
        }
        if (slash == std::string::npos) {
            return true;
        }
    }
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

std::string_view LineName(std::string_view line) {
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
        return {};
    }
    std::string_view name = line.substr(0, equals);
    while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) {
        name.remove_suffix(1);
    }
    while (!name.empty() && (name.front() == ' ' || name.front() == '\t')) {
        name.remove_prefix(1);
    }
    return name;
}

bool SameName(std::string_view a, std::string_view b) {
    // An empty view may hold no pointer at all, which strncasecmp must not get.
    return a.size() == b.size() && (a.empty() || strncasecmp(a.data(), b.data(), a.size()) == 0);
}

bool WriteAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

// A settings file that is a link to a regular file is written through the
// link, so dotfile managers keep their links; any other link is replaced.
// So is a link to a file that is no settings file (too large, binary):
// writing through would destroy whatever that file is.
std::string WriteTargetOf(const std::string& path) {
    struct stat linkInfo {};
    if (lstat(path.c_str(), &linkInfo) != 0 || !S_ISLNK(linkInfo.st_mode)) {
        return path;
    }
    struct stat targetInfo {};
    char* resolved = realpath(path.c_str(), nullptr);
    std::string target = resolved != nullptr ? std::string(resolved) : path;
    std::free(resolved);
    if (resolved == nullptr || stat(target.c_str(), &targetInfo) != 0 || !S_ISREG(targetInfo.st_mode)) {
        return path;
    }
    if (targetInfo.st_size > 0 && ReadSettingsLines(target).empty()) {
        return path;
    }
    return target;
}

bool ReplaceFile(const std::string& target, const std::string& text) {
    const std::string temporary = target + ".tmp";
    {
        FileDescriptor out(open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0644));
        if (!out.valid()) {
            return false;
        }
        if (!WriteAll(out.get(), text) || fsync(out.get()) != 0) {
            unlink(temporary.c_str());
            return false;
        }
    }
    if (writeInterrupt != nullptr) {
        writeInterrupt();
    }
    if (rename(temporary.c_str(), target.c_str()) != 0) {
        unlink(temporary.c_str());
        return false;
    }
    return true;
}
// Reads the file whole. False with content.unreadable set when a file that
// exists could not be read (error tells why); false alone when there is
// nothing to read or it is no settings file.
bool ReadWholeFile(const std::string& path, SettingsFileContent& content, std::string& text, int& error) {
    // Non-blocking so a FIFO put in its place cannot hang the program.
    FileDescriptor in(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    struct stat info {};
    if (!in.valid() || fstat(in.get(), &info) != 0) {
        error = errno;
        content.unreadable = error != ENOENT && error != ENOTDIR;
        return false;
    }
    if (S_ISDIR(info.st_mode)) {
        error = EISDIR;
        content.unreadable = true;
        return false;
    }
    if (!S_ISREG(info.st_mode) || static_cast<size_t>(info.st_size) > kMaxFileBytes) {
        return false;
    }
    char buffer[16384];
    for (;;) {
        const ssize_t n = read(in.get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            error = errno;
            content.unreadable = true;
            return false;
        }
        if (n == 0) {
            return true;
        }
        text.append(buffer, static_cast<size_t>(n));
        if (text.size() > kMaxFileBytes) {
            return false;
        }
    }
}

bool ReadFileText(const std::string& path, SettingsFileContent& content, int& error) {
    std::string text;
    if (!ReadWholeFile(path, content, text, error) || text.find('\0') != std::string::npos) {
        return false;
    }
    // Editors on other systems may start the file with a byte-order mark.
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    size_t start = text.starts_with(kByteOrderMark) ? kByteOrderMark.size() : 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::string line = text.substr(start, end - start);
        // Every CR at the end is line-ending debris (a value's own CR is
        // stored escaped); dropping only one would let a rewrite change
        // what a line says.
        while (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        content.lines.push_back(std::move(line));
        start = end + 1;
    }
    return true;
}

// Once per file: every setting reads it, and every write tries again.
void ReportUnreadable(const std::string& path, int error) {
    static std::string reported;
    if (path != reported) {
        reported = path;
        std::fprintf(stderr, "skyloom: cannot read the settings file %s (%s); this run uses the defaults and saves no setting\n",
                     path.c_str(), std::strerror(error));
    }
}

}  // namespace

std::string SettingsFilePathForKey(std::string_view keyPath) {
    std::string base;
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    // A relative value is to be ignored: it would follow the working folder.
    if (configHome != nullptr && configHome[0] == '/') {
        base = configHome;
    } else {
        const char* home = std::getenv("HOME");
        if (home == nullptr || home[0] == '\0') {
            return {};
        }
        base = std::string(home) + "/.config";
    }
    constexpr std::string_view kRoot = "Software\\";
    if (keyPath.substr(0, kRoot.size()) == kRoot) {
        keyPath.remove_prefix(kRoot.size());
    }
    std::string relative(keyPath);
    for (char& c : relative) {
        if (c == '\\') {
            c = '/';
        }
    }
    return base + "/" + relative + ".conf";
}

SettingsFileContent ReadSettingsFile(const std::string& path) {
    SettingsFileContent content;
    int error = 0;
    if (!ReadFileText(path, content, error)) {
        content.lines.clear();
        if (content.unreadable) {
            ReportUnreadable(path, error);
        }
    }
    return content;
}

std::vector<std::string> ReadSettingsLines(const std::string& path) { return ReadSettingsFile(path).lines; }

std::optional<std::string> FindStoredText(const std::vector<std::string>& lines, std::string_view name) {
    for (const std::string& line : lines) {
        const size_t equals = line.find('=');
        // A line without "=" names nothing, not even the empty name.
        if (line.empty() || line[0] == '#' || line[0] == ';' || equals == std::string::npos) {
            continue;
        }
        if (SameName(LineName(line), name)) {
            return line.substr(equals + 1);
        }
    }
    return std::nullopt;
}

bool UpdateSettingsFile(const std::string& path, std::string_view name, std::string_view storedText) {
    if (path.empty() || !MakeFolders(FolderOf(path))) {
        return false;
    }
    FileDescriptor lock(open((path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    if (!lock.valid()) {
        return false;
    }
    while (flock(lock.get(), LOCK_EX) != 0) {
        if (errno != EINTR) {
            return false;
        }
    }
    const std::string target = WriteTargetOf(path);
    struct stat info {};
    const bool exists = lstat(path.c_str(), &info) == 0;
    SettingsFileContent content = ReadSettingsFile(target);
    if (content.unreadable) {
        return false;
    }
    std::vector<std::string>& lines = content.lines;
    if (lines.empty()) {
        lines.emplace_back(kHeader);
    }
    bool changed = !exists;
    if (!name.empty()) {
        const std::string wanted = std::string(name) + "=" + std::string(storedText);
        bool found = false;
        for (std::string& line : lines) {
            if (line.empty() || line[0] == '#' || line[0] == ';' || !SameName(LineName(line), name)) {
                continue;
            }
            found = true;
            if (line != wanted) {
                line = wanted;
                changed = true;
            }
            break;
        }
        if (!found) {
            lines.push_back(wanted);
            changed = true;
        }
    }
    if (!changed) {
        return true;
    }
    std::string text;
    for (const std::string& line : lines) {
        text += line;
        text += '\n';
    }
    return ReplaceFile(target, text);
}

void SetSettingsWriteInterruptForTesting(void (*interrupt)()) { writeInterrupt = interrupt; }

}  // namespace skyloom
