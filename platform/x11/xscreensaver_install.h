#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace skyloom {

// The entry `skyloom --install-xscreensaver` adds to XScreenSaver's list.
inline constexpr const char* kXScreenSaverEntry = "GL: \"Skyloom\" skyloom -root";

enum class XScreenSaverListChange {
    Added,          // the entry was added to the user's own programs list
    AddedWithDefaults,  // the user had no list: XScreenSaver's default list was copied, plus the entry
    AddedAlone,     // no list anywhere: the new list holds the entry only
    AlreadyListed,  // skyloom is on the list already (enabled or not): text unchanged
};

struct XScreenSaverListEdit {
    XScreenSaverListChange change = XScreenSaverListChange::AlreadyListed;
    std::string text;  // the whole new file text
};

// Adds the Skyloom entry to the `programs:` resource of a ~/.xscreensaver
// text, leaving every other line as it stands. Without a programs resource
// there the user sees XScreenSaver's built-in list, so that list (the
// `*programs:` resource of `appDefaultsText`, XScreenSaver's app-defaults
// file) is copied first: writing a list of one would hide every other hack.
XScreenSaverListEdit AddSkyloomToXScreenSaverList(std::string_view userText, std::string_view appDefaultsText);

// True when the programs resource of the text runs a program called skyloom.
bool XScreenSaverListHasSkyloom(std::string_view text);

// Reads `userFile` (a missing file counts as empty) and `appDefaultsFile`
// (may be missing), writes the new text to `userFile` through a temporary
// file and a rename, keeping its permissions, and says what it did on `out`;
// failures go to `err`. Returns the exit code: 0 done or nothing to do, 1 on
// failure.
int InstallIntoXScreenSaverFile(const std::string& userFile, const std::string& appDefaultsFile, std::FILE* out,
                                std::FILE* err);

// The same for the running user: ~/.xscreensaver and
// /etc/X11/app-defaults/XScreenSaver, reports on stdout and stderr.
int InstallIntoUsersXScreenSaver();

}  // namespace skyloom
