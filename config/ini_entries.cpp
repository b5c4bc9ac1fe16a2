#include "config/ini_entries.h"

#include "config/ini_section.h"

#include <ini.h>

namespace skyloom {

namespace {

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

int TakeEntry(void* user, const char* section, const char* name, const char* value) {
    (*static_cast<const IniEntryVisitor*>(user))(section, name, value);
    return 1;
}

}  // namespace

void ReadIniEntries(std::FILE* file, const IniEntryVisitor& take) {
    ProfileFileOptions options;
    // Lines inih cannot parse are skipped; it reports them, and nothing
    // here needs to know.
    ini_parse_stream(ReadWholeLine, file, TakeEntry, const_cast<IniEntryVisitor*>(&take));
}

}  // namespace skyloom
