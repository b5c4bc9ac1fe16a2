#include "config/music_file_filter.h"

#include <string>

namespace skyloom {

const MusicFileFilter kMusicFileFilters[kMusicFileFilterCount] = {
    {"Music Playlists (*.m3u; *.pls; *.ram; *.m2a; *.kpl; *.b4s)", "*.m3u;*.pls;*.ram;*.m2a;*.kpl;*.b4s"},
    {"Music Files (*.mp3; *.ogg; *.wav; *.wma; *.ra; *.mid; *.midi; *.rmi)",
     "*.mp3;*.ogg;*.wav;*.wma;*.ra;*.mid;*.midi;*.rmi"},
    {"All Files (*.*)", "*.*"},
};

namespace {

// Matched as substrings, so ".RA" is found inside ".RAM" of the playlists.
constexpr std::string_view kPlaylistExtensions = "*.M3U; *.PLS; *.RAM; *.M2A; *.KPL; *.B4S";
constexpr std::string_view kMusicExtensions = "*.MP3; *.OGG; *.WAV; *.WMA; *.RA; *.MID; *.MIDI; *.RMI";

}  // namespace

int MusicStartingFilter(std::string_view fieldText) {
    const size_t dot = fieldText.rfind('.');
    if (dot == std::string_view::npos) {
        return 1;
    }
    std::string extension(fieldText.substr(dot));
    for (char& c : extension) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    if (kPlaylistExtensions.find(extension) != std::string_view::npos) {
        return 1;
    }
    if (kMusicExtensions.find(extension) != std::string_view::npos) {
        return 2;
    }
    return 3;
}

}  // namespace skyloom
