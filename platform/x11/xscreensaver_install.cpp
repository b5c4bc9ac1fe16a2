#include "platform/x11/xscreensaver_install.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "os/user_folders.h"

namespace skyloom {
namespace {

constexpr const char* kAppDefaultsFile = "/etc/X11/app-defaults/XScreenSaver";

struct Lines {
    std::vector<std::string> lines;
    bool endsWithNewline = false;
};

Lines SplitLines(std::string_view text) {
    Lines result;
    result.endsWithNewline = !text.empty() && text.back() == '\n';
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        result.lines.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    return result;
}

std::string JoinLines(const std::vector<std::string>& lines, bool endWithNewline) {
    std::string text;
    for (size_t i = 0; i < lines.size(); ++i) {
        text += lines[i];
        if (i + 1 < lines.size() || endWithNewline) text += '\n';
    }
    return text;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

// An X resource value goes on to the next line after an unescaped backslash.
bool ContinuesOnNextLine(std::string_view line) {
    size_t backslashes = 0;
    while (backslashes < line.size() && line[line.size() - 1 - backslashes] == '\\') ++backslashes;
    return backslashes % 2 == 1;
}

// Length of "programs:" (or "*programs:", with blanks) at the start of the
// line, 0 when the line is not the programs resource.
size_t ProgramsHeaderLength(std::string_view line) {
    size_t i = 0;
    while (i < line.size() && IsBlank(line[i])) ++i;
    if (i < line.size() && line[i] == '*') ++i;
    constexpr std::string_view kName = "programs";
    if (line.substr(i, kName.size()) != kName) return 0;
    i += kName.size();
    while (i < line.size() && IsBlank(line[i])) ++i;
    return i < line.size() && line[i] == ':' ? i + 1 : 0;
}

// The lines [first, last] holding the programs resource; first == npos
// when there is none.
struct Span {
    size_t first = std::string::npos;
    size_t last = std::string::npos;
};

Span FindPrograms(const std::vector<std::string>& lines) {
    Span span;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (ProgramsHeaderLength(lines[i]) == 0) continue;
        // A later setting of the same resource wins, as in Xrm.
        span.first = i;
        span.last = i;
        while (span.last + 1 < lines.size() && ContinuesOnNextLine(lines[span.last])) ++span.last;
        i = span.last;
    }
    return span;
}

// The command of one list entry: "- GL: \"Name\" cmd args" gives "cmd args".
std::string_view EntryCommand(std::string_view entry) {
    entry = Trim(entry);
    if (!entry.empty() && entry.front() == '-') entry = Trim(entry.substr(1));
    // A visual name ends in a colon before the name or the command.
    const size_t colon = entry.find(':');
    const size_t space = entry.find_first_of(" \t\"");
    if (colon != std::string_view::npos && (space == std::string_view::npos || colon < space)) {
        entry = Trim(entry.substr(colon + 1));
    }
    if (!entry.empty() && entry.front() == '"') {
        const size_t close = entry.find('"', 1);
        entry = close == std::string_view::npos ? std::string_view() : Trim(entry.substr(close + 1));
    }
    return entry;
}

bool SpanRunsSkyloom(const std::vector<std::string>& lines, Span span) {
    std::string value;
    for (size_t i = span.first; i <= span.last; ++i) {
        std::string_view line = lines[i];
        if (i == span.first) line.remove_prefix(ProgramsHeaderLength(line));
        if (ContinuesOnNextLine(line)) line.remove_suffix(1);
        value += line;
    }
    // Entries are separated by a written "\n".
    size_t start = 0;
    while (start <= value.size()) {
        size_t end = value.find("\\n", start);
        if (end == std::string::npos) end = value.size();
        const std::string_view command = EntryCommand(std::string_view(value).substr(start, end - start));
        std::string_view program = command.substr(0, command.find_first_of(" \t"));
        const size_t slash = program.rfind('/');
        if (slash != std::string_view::npos) program.remove_prefix(slash + 1);
        if (program == "skyloom") return true;
        start = end + 2;
    }
    return false;
}

// Puts the entry first in the list at `span`, turning the header line into
// a header alone; whatever followed the colon moves to the line after.
void InsertEntry(std::vector<std::string>& lines, Span span) {
    const std::string& header = lines[span.first];
    const size_t headerLength = ProgramsHeaderLength(header);
    const std::string name = std::string(Trim(std::string_view(header).substr(0, headerLength)));
    const std::string rest = std::string(Trim(std::string_view(header).substr(headerLength)));
    const std::string entry = std::string("\t\t\t\t") + kXScreenSaverEntry + "\t\t\t    \\n";

    std::vector<std::string> replacement{name + "\t\t\t\t\t\t\t      \\"};
    if (rest.empty()) {
        // An empty list: the entry ends the value.
        replacement.push_back(entry);
    } else if (rest == "\\") {
        replacement.push_back(entry + "\\");
    } else {
        replacement.push_back(entry + "\\");
        replacement.push_back("\t\t\t\t" + rest);
    }
    lines.erase(lines.begin() + static_cast<long>(span.first));
    lines.insert(lines.begin() + static_cast<long>(span.first), replacement.begin(), replacement.end());
}

bool ReadWholeFile(const std::string& path, std::string& text, int& error) {
    text.clear();
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        error = errno;
        return false;
    }
    char buffer[8192];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, got);
    const bool failed = std::ferror(file) != 0;
    error = failed ? EIO : 0;
    std::fclose(file);
    return !failed;
}

// Replaces the file's contents in one step, so XScreenSaver (which rereads
// the file when it changes) never sees half of it.
bool ReplaceFile(const std::string& path, const std::string& text, std::string& failure) {
    std::string target = path;
    mode_t mode = 0644;
    struct stat info;
    if (stat(path.c_str(), &info) == 0) {
        mode = info.st_mode & 07777;
        // Write through a link to the file it names, and keep the link.
        char resolved[PATH_MAX];
        if (realpath(path.c_str(), resolved) != nullptr) target = resolved;
    }
    std::string temporary = target + ".skyloom-XXXXXX";
    const int fd = mkstemp(temporary.data());
    if (fd < 0) {
        failure = "cannot create a file beside " + target + ": " + std::strerror(errno);
        return false;
    }
    bool ok = fchmod(fd, mode) == 0;
    size_t done = 0;
    while (ok && done < text.size()) {
        const ssize_t written = write(fd, text.data() + done, text.size() - done);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            ok = false;
            break;
        }
        done += static_cast<size_t>(written);
    }
    ok = ok && fsync(fd) == 0;
    const int savedErrno = errno;
    ok = close(fd) == 0 && ok;
    if (!ok || rename(temporary.c_str(), target.c_str()) != 0) {
        failure = "cannot write " + target + ": " + std::strerror(ok ? errno : savedErrno);
        unlink(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace

bool XScreenSaverListHasSkyloom(std::string_view text) {
    const Lines split = SplitLines(text);
    const Span span = FindPrograms(split.lines);
    return span.first != std::string::npos && SpanRunsSkyloom(split.lines, span);
}

XScreenSaverListEdit AddSkyloomToXScreenSaverList(std::string_view userText, std::string_view appDefaultsText) {
    XScreenSaverListEdit edit;
    Lines user = SplitLines(userText);
    const Span span = FindPrograms(user.lines);
    if (span.first != std::string::npos) {
        if (SpanRunsSkyloom(user.lines, span)) {
            edit.change = XScreenSaverListChange::AlreadyListed;
            edit.text = std::string(userText);
            return edit;
        }
        InsertEntry(user.lines, span);
        edit.change = XScreenSaverListChange::Added;
        edit.text = JoinLines(user.lines, user.endsWithNewline);
        return edit;
    }

    // No list of the user's own: start from XScreenSaver's.
    const Lines defaults = SplitLines(appDefaultsText);
    const Span defaultSpan = FindPrograms(defaults.lines);
    std::vector<std::string> block;
    if (defaultSpan.first != std::string::npos) {
        block.assign(defaults.lines.begin() + static_cast<long>(defaultSpan.first),
                     defaults.lines.begin() + static_cast<long>(defaultSpan.last) + 1);
        // The last line of a file can still end in a backslash.
        if (ContinuesOnNextLine(block.back())) block.back().pop_back();
        edit.change = XScreenSaverListChange::AddedWithDefaults;
    } else {
        block.push_back("programs:");
        edit.change = XScreenSaverListChange::AddedAlone;
    }
    const bool defaultsHaveSkyloom =
        defaultSpan.first != std::string::npos && SpanRunsSkyloom(defaults.lines, defaultSpan);
    if (!defaultsHaveSkyloom) InsertEntry(block, Span{0, block.size() - 1});
    // The user's file names the resource without the wildcard.
    const size_t star = block[0].find('*');
    if (star != std::string::npos && star < ProgramsHeaderLength(block[0])) block[0].erase(star, 1);

    edit.text = std::string(userText);
    if (!edit.text.empty() && edit.text.back() != '\n') edit.text += '\n';
    if (!edit.text.empty()) edit.text += '\n';
    edit.text += JoinLines(block, true);
    return edit;
}

int InstallIntoXScreenSaverFile(const std::string& userFile, const std::string& appDefaultsFile, std::FILE* out,
                                std::FILE* err) {
    std::string userText;
    int error = 0;
    if (!ReadWholeFile(userFile, userText, error) && error != ENOENT) {
        std::fprintf(err, "skyloom: cannot read %s: %s\n", userFile.c_str(), std::strerror(error));
        return 1;
    }
    std::string defaultsText;
    if (!ReadWholeFile(appDefaultsFile, defaultsText, error)) defaultsText.clear();

    const XScreenSaverListEdit edit = AddSkyloomToXScreenSaverList(userText, defaultsText);
    if (edit.change == XScreenSaverListChange::AlreadyListed) {
        std::fprintf(out, "Skyloom is already in the programs list of %s; nothing changed.\n", userFile.c_str());
        return 0;
    }
    std::string failure;
    if (!ReplaceFile(userFile, edit.text, failure)) {
        std::fprintf(err, "skyloom: %s\n", failure.c_str());
        return 1;
    }
    switch (edit.change) {
        case XScreenSaverListChange::Added:
            std::fprintf(out, "Added Skyloom to the programs list in %s.\n", userFile.c_str());
            break;
        case XScreenSaverListChange::AddedWithDefaults:
            std::fprintf(out,
                         "Added a programs list to %s: XScreenSaver's own list from %s, with Skyloom "
                         "first.\n",
                         userFile.c_str(), appDefaultsFile.c_str());
            break;
        case XScreenSaverListChange::AddedAlone:
            std::fprintf(out,
                         "Added a programs list holding only Skyloom to %s (XScreenSaver's own list, %s, "
                         "was not found).\n",
                         userFile.c_str(), appDefaultsFile.c_str());
            break;
        case XScreenSaverListChange::AlreadyListed:
            break;
    }
    std::fprintf(out, "Choose \"Skyloom\" in xscreensaver-settings.\n");
    return 0;
}

int InstallIntoUsersXScreenSaver() {
    const std::string home = HomeFolder();
    if (home.empty()) {
        std::fprintf(stderr, "skyloom: no home folder, so no ~/.xscreensaver to change\n");
        return 1;
    }
    return InstallIntoXScreenSaverFile(home + "/.xscreensaver", kAppDefaultsFile, stdout, stderr);
}

}  // namespace skyloom
