#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace skyloom {

// The per-user text file behind the settings: one "Name=value" line per
// value, in the order first written. Lines it does not know are kept.

// "Software\Quillmere\Skyloom" -> $XDG_CONFIG_HOME/Quillmere/Skyloom.conf
// ($HOME/.config when XDG_CONFIG_HOME is unset, empty or not an absolute
// path). Empty when neither gives a folder.
std::string SettingsFilePathForKey(std::string_view keyPath);

struct SettingsFileContent {
    // True when the file exists but could not be read (permissions, an I/O
    // error, a folder in its place, no file descriptor left): what it holds
    // is unknown, so it must not be written over.
    bool unreadable = false;
    // Empty when the file is missing, unreadable, no regular file, larger
    // than 1 MiB or not text (holds a NUL byte). A leading UTF-8 byte-order
    // mark and the line ends' carriage returns are dropped.
    std::vector<std::string> lines;
};

// A file that turns out unreadable is named on stderr, once per process.
SettingsFileContent ReadSettingsFile(const std::string& path);

// The lines of ReadSettingsFile.
std::vector<std::string> ReadSettingsLines(const std::string& path);

// The stored text of the first line naming the value (names compared
// without regard to case), as it stands in the file.
std::optional<std::string> FindStoredText(const std::vector<std::string>& lines, std::string_view name);

// Under an exclusive lock shared by all processes: re-reads the file, sets
// the one value (or only creates the file when name is empty) and replaces
// the file atomically. Does not write when the file already holds exactly
// that text. Creates missing folders. Never writes over a file that exists
// but cannot be read. False when anything failed; the file is then either as
// before or complete.
bool UpdateSettingsFile(const std::string& path, std::string_view name, std::string_view storedText);

// For fault tests: called after the temporary file is written, before it
// replaces the settings file.
void SetSettingsWriteInterruptForTesting(void (*interrupt)());

}  // namespace skyloom
