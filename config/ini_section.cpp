#include "config/ini_section.h"

#include <ini.h>

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

// inih's parsing options are process-wide variables in Debian's build. Set
// them for one parse and put back whatever they were.
class ProfileFileOptions {
public:
    ProfileFileOptions()
        : maxLine_(ini_max_line),
          useStack_(ini_use_stack),
          multiline_(ini_allow_multiline),
          inlineComments_(ini_allow_inline_comments),
          noValue_(ini_allow_no_value),
          stopOnError_(ini_stop_on_first_error),
          bom_(ini_allow_bom) {
        // inih's default of 200 bytes would split a long text into pieces,
        // the second of which could read as an entry of its own.
        ini_max_line = IniSection::kMaxLineBytes;
        ini_use_stack = true;
        ini_allow_multiline = false;
        ini_allow_inline_comments = false;
        ini_allow_no_value = false;
        ini_stop_on_first_error = false;
        ini_allow_bom = true;
    }
    ~ProfileFileOptions() {
        ini_max_line = maxLine_;
        ini_use_stack = useStack_;
        ini_allow_multiline = multiline_;
        ini_allow_inline_comments = inlineComments_;
        ini_allow_no_value = noValue_;
        ini_stop_on_first_error = stopOnError_;
        ini_allow_bom = bom_;
    }
    ProfileFileOptions(const ProfileFileOptions&) = delete;
    ProfileFileOptions& operator=(const ProfileFileOptions&) = delete;

private:
    int maxLine_;
    bool useStack_;
    bool multiline_;
    bool inlineComments_;
    bool noValue_;
    bool stopOnError_;
    bool bom_;
};

// fgets for inih that always delivers a whole line: what does not fit is
// skipped up to the line's end instead of coming back as the next line.
char* ReadWholeLine(char* line, int size, void* stream) {
    auto* file = static_cast<std::FILE*>(stream);
    int c = std::getc(file);
    if (c == EOF || size < 2) {
        return nullptr;
    }
    const int room = size - 2;  // keep one byte for the newline, one for the end
    int length = 0;
    while (c != EOF && c != '\n') {
        if (length < room) {
            line[length++] = static_cast<char>(c);
        }
        c = std::getc(file);
    }
    if (c == '\n') {
        line[length++] = '\n';
    }
    line[length] = '\0';
    return line;
}

struct ParseTarget {
    std::string_view section;
    std::unordered_map<std::string, std::string>* values;
};

int TakeEntry(void* user, const char* section, const char* name, const char* value) {
    const auto* target = static_cast<const ParseTarget*>(user);
    if (SameNameIgnoringCase(section, target->section)) {
        // emplace keeps an existing entry: the first one wins.
        target->values->emplace(LowerAscii(name), std::string(WithoutEnclosingQuotes(value)));
    }
    return 1;
}

}  // namespace

bool IniSection::Load(const std::string& path, std::string_view section) {
    values_.clear();
    std::error_code error;
    // Only regular files: opening a FIFO would block.
    if (!std::filesystem::is_regular_file(path, error)) {
        return false;
    }
    std::FILE* file = std::fopen(path.c_str(), "r");
    if (file == nullptr) {
        return false;
    }
    ParseTarget target{section, &values_};
    {
        ProfileFileOptions options;
        // Lines inih cannot parse are skipped; it reports them, and nothing
        // here needs to know.
        ini_parse_stream(ReadWholeLine, file, TakeEntry, &target);
    }
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
