#pragma once

#include <string>
#include <string_view>
#include <unordered_map>

namespace skyloom {

// The entries of one section of an INI file, read by the rules of Windows
// profile files: section and key names compared without regard to (ASCII)
// case, the first entry of a key wins (also across repeated sections),
// blanks around a value dropped and then one pair of matching enclosing
// quotes (double or single) removed. Semicolons inside a value are text,
// not comments, and an indented line is an entry of its own, never the
// continuation of the one before.
//
// Line by line: lines end at '\n'; a UTF-8 byte-order mark before the first
// is skipped; blanks (C's isspace, so a CR too) around a line, a name and a
// value are dropped; a NUL ends the line. A line starting with ';' or '#' is
// a comment. "[name]" starts a section (text after the ']' is ignored; a
// line without ']' starts none). Otherwise a line's name ends at its first
// '=' or ':', and a line with neither is skipped. Lines longer than
// kMaxLineBytes - 2 bytes are cut there; the rest of such a line is skipped
// and never read as a line of its own.
class IniSection {
public:
    static constexpr int kMaxLineBytes = 16384;

    // Reads the section of that name from the file. False when the file
    // cannot be read (missing, not a regular file); the section is then
    // empty. A file without the section reads as an empty section.
    bool Load(const std::string& path, std::string_view section);

    // The value of the key, or null when the section lacks it. A key
    // present with an empty value gives the empty text.
    const std::string* Find(std::string_view key) const;

private:
    // Keyed by the lower-case name.
    std::unordered_map<std::string, std::string> values_;
};

}  // namespace skyloom
