#pragma once

#include "platform/offscreen/render_options.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace skyloom {

enum class LaunchMode {
    FullScreen,      // /s
    Preview,         // /p ID, -window-id ID
    Configure,       // /c, /c:ID, no argument
    ChangePassword,  // /a [ID]
    Root,            // -root
    Window,          // -window
    Help,            // --help
    Version,         // --version
    InstallXScreenSaver,  // --install-xscreensaver: list Skyloom in ~/.xscreensaver
    Render,          // --render DIR: frames to PNG files, no display
    Invalid,         // anything else: usage, exit 2
};

struct CommandLine {
    LaunchMode mode = LaunchMode::Configure;
    // Preview: the window to draw in.
    uint32_t windowId = 0;
    // -fps: show the frame rate for this run.
    bool showFrameRate = false;
    RenderOptions render;
    // Invalid: what was wrong, for the usage message.
    std::string error;
};

// Windows switches (/ or -, any case): /s, /p ID, /p:ID, /c, /c:ID, /a [ID].
// XScreenSaver options (- or --): -root, -window-id ID, -window, -fps, and
// the ignored -install, -noinstall, -mono, -visual V, -delay N. -window-id
// wins over -root. --help, --version and --install-xscreensaver end the
// reading. With --render anywhere the whole line is a render's
// (main/render_command_line.h). Arguments after argv[0] only.
CommandLine ParseCommandLine(int argc, const char* const argv[]);

// A window id in decimal or 0x hexadecimal; nullopt for anything else,
// 0, or a value beyond 32 bits.
std::optional<uint32_t> ParseWindowId(std::string_view text);

// The text --help prints and the usage error ends with.
const char* UsageText();

}  // namespace skyloom
