#pragma once

#include <string_view>

namespace skyloom {

// The file chooser's filters of the Music page, in order: the description
// the user reads and the patterns, separated by ";".
struct MusicFileFilter {
    const char* description;
    const char* patterns;
};
inline constexpr int kMusicFileFilterCount = 3;
extern const MusicFileFilter kMusicFileFilters[kMusicFileFilterCount];

// The filter (1 to 3) the chooser starts with for a field's text: the
// text from its last "." on, found (ignoring case) inside the playlist
// extensions, else the music extensions, else all files. Empty text or no
// "." gives the playlists.
int MusicStartingFilter(std::string_view fieldText);

}  // namespace skyloom
