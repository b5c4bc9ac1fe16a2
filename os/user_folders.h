#pragma once

#include <string>
#include <string_view>

namespace skyloom {

// Paths here are in the encoding the program's narrow file calls take: the
// file system's bytes on POSIX, the ANSI code page on Windows (UTF-8 where
// the program declares that as its code page).

// The user's home folder (POSIX only): $HOME, else the password database's
// entry; "" when neither names one.
std::string HomeFolder();

// Where the user keeps pictures. POSIX: XDG_PICTURES_DIR from
// user-dirs.dirs in $XDG_CONFIG_HOME (~/.config when unset), else
// ~/Pictures when that is a folder, else the home folder; "" without a home
// folder. Windows: the user's Pictures known folder; "" when the system
// names none or its path has a character the ANSI code page lacks. The
// named folder need not exist yet.
std::string PicturesFolder();

// The value of XDG_PICTURES_DIR in the text of a user-dirs.dirs file (POSIX
// only), read the way xdg-user-dirs writes it: KEY="$HOME/path" or
// KEY="/path", backslash escapes, '#' comments, the last assignment
// winning. "" when the file sets none (or sets one neither absolute nor
// under $HOME).
std::string PicturesDirFromUserDirs(std::string_view text, const std::string& home);

// Creates the folder and the missing folders above it (on POSIX mode 0755
// before the umask). True when it exists as a folder afterwards; false with
// errno set otherwise.
bool CreateFolderPath(const std::string& path);

// True when anything by that name exists (a file, a folder, even a
// dangling link), so no name in use is ever picked for a new file.
bool FileExists(const char* path);

}  // namespace skyloom
