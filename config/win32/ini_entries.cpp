// Windows has no inih: this reader follows the line rules of ini_section.h,
// which are those of inih as config/ini_entries.cpp sets it up on Linux.

#include "config/ini_entries.h"

#include "config/ini_section.h"

#include <string>

namespace skyloom {

namespace {

// inih's line buffer keeps room for the line end and the terminator.
constexpr size_t kMaxLineContent = IniSection::kMaxLineBytes - 2;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// The next line without its '\n', cut to kMaxLineContent bytes, the rest of
// it skipped; false at the end of the file.
bool ReadLine(std::FILE* file, std::string& line) {
    line.clear();
    int c = std::getc(file);
    if (c == EOF) {
        return false;
    }
    for (; c != EOF && c != '\n'; c = std::getc(file)) {
        if (line.size() < kMaxLineContent) {
            line.push_back(static_cast<char>(c));
        }
    }
    return true;
}

}  // namespace

void ReadIniEntries(std::FILE* file, const IniEntryVisitor& take) {
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    std::string section;
    std::string text;
    for (bool first = true; ReadLine(file, text); first = false) {
        std::string_view line(text);
        line = line.substr(0, line.find('\0'));
        if (first && line.starts_with(kByteOrderMark)) {
            line.remove_prefix(kByteOrderMark.size());
        }
        line = TrimBlanks(line);
        if (line.empty() || line.front() == ';' || line.front() == '#') {
            continue;
        }
        if (line.front() == '[') {
            const size_t close = line.find(']');
            if (close != std::string_view::npos) {
                section = line.substr(1, close - 1);
            }
            continue;
        }
        const size_t separator = line.find_first_of("=:");
        if (separator != std::string_view::npos) {
            take(section, TrimBlanks(line.substr(0, separator)), TrimBlanks(line.substr(separator + 1)));
        }
    }
}

}  // namespace skyloom
