#include "config/ini_section.h"

#include "config/ini_entries.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace skyloom {

namespace {

std::string LowerAscii(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return lower;
}

bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && LowerAscii(a) == LowerAscii(b);
}

std::string_view WithoutEnclosingQuotes(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

}  // namespace

bool IniSection::Load(const std::string& path, std::string_view section) {
    values_.clear();
    std::error_code error;
    // Only regular files: opening a FIFO would block.
    if (!std::filesystem::is_regular_file(path, error)) {
        return false;
    }
    // Binary: the lines are split here, and Windows' text mode would end a
    // file at its first Ctrl-Z.
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return false;
    }
    ReadIniEntries(file, [&](std::string_view entrySection, std::string_view name, std::string_view value) {
        if (SameNameIgnoringCase(entrySection, section)) {
            // emplace keeps an existing entry: the first one wins.
            values_.emplace(LowerAscii(name), std::string(WithoutEnclosingQuotes(value)));
        }
    });
    const bool readFailed = std::ferror(file) != 0;
    std::fclose(file);
    if (readFailed) {
        values_.clear();
        return false;
    }
    return true;
}

const std::string* IniSection::Find(std::string_view key) const {
    const auto found = values_.find(LowerAscii(key));
    return found == values_.end() ? nullptr : &found->second;
}

}  // namespace skyloom
