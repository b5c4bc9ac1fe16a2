#include "main/command_line.h"

#include <string>

#include "main/render_command_line.h"
#include "main/switch_syntax.h"

namespace skyloom {

namespace {

using Value = std::optional<std::string_view>;

// What the switches read so far ask for.
struct ModeRequest {
    std::optional<LaunchMode> windowsMode;
    uint32_t windowsId = 0;
    bool root = false;
    bool window = false;
    std::optional<uint32_t> previewId;
    bool showFrameRate = false;
    // Help, version or the XScreenSaver install, at once: the arguments
    // after it are not read.
    std::optional<LaunchMode> atOnce;
};

// How a switch may be written.
enum class Forms {
    Windows,  // "/x" or "-x"
    X,        // "-x" or "--x"
    LongOnly,  // "--x"
    Any,
};

// Where a switch's value comes from.
enum class ValueFrom {
    None,
    Next,           // the next argument, required
    ColonOrNext,    // "/x:VALUE", else the next argument; required, never empty
    Colon,          // "/x:VALUE", optional
    ColonOrNextId,  // "/x:VALUE", else the next argument when it is a window id; optional
};

struct ModeSwitch {
    std::string_view name;  // any case
    Forms forms;
    ValueFrom value;
    // The error for a missing value; null for "-NAME needs a value" with
    // the name as written.
    const char* missing;
    // Records the switch; an error text, or empty.
    std::string (*apply)(ModeRequest& request, Value value);
};

std::string SetWindowsMode(ModeRequest& r, LaunchMode mode) {
    if (r.windowsMode) {
        return "more than one mode given";
    }
    r.windowsMode = mode;
    return {};
}

std::string NotAWindowId(std::string_view text) { return "not a window id: " + std::string(text); }

// /c and /a: an id, when given, must be one, though nothing here needs it.
std::string SetWindowsModeWithOptionalId(ModeRequest& r, LaunchMode mode, Value id) {
    if (id && !ParseWindowId(*id)) {
        return NotAWindowId(*id);
    }
    return SetWindowsMode(r, mode);
}

template <LaunchMode mode>
std::string AtOnce(ModeRequest& r, Value) {
    r.atOnce = mode;
    return {};
}

template <bool ModeRequest::*flag>
std::string Raise(ModeRequest& r, Value) {
    r.*flag = true;
    return {};
}

std::string Accept(ModeRequest&, Value) { return {}; }

const ModeSwitch kModeSwitches[] = {
    {"help", Forms::Any, ValueFrom::None, nullptr, AtOnce<LaunchMode::Help>},
    {"h", Forms::Any, ValueFrom::None, nullptr, AtOnce<LaunchMode::Help>},
    {"?", Forms::Windows, ValueFrom::None, nullptr, AtOnce<LaunchMode::Help>},
    {"version", Forms::Any, ValueFrom::None, nullptr, AtOnce<LaunchMode::Version>},
    {"install-xscreensaver", Forms::LongOnly, ValueFrom::None, nullptr, AtOnce<LaunchMode::InstallXScreenSaver>},

    {"s", Forms::Windows, ValueFrom::None, nullptr,
     [](ModeRequest& r, Value) { return SetWindowsMode(r, LaunchMode::FullScreen); }},
    {"p", Forms::Windows, ValueFrom::ColonOrNext, "/p needs a window id",
     [](ModeRequest& r, Value value) {
         const std::optional<uint32_t> id = ParseWindowId(*value);
         if (!id) {
             return NotAWindowId(*value);
         }
         r.windowsId = *id;
         return SetWindowsMode(r, LaunchMode::Preview);
     }},
    // The owner window only parents the dialog on Windows.
    {"c", Forms::Windows, ValueFrom::Colon, nullptr,
     [](ModeRequest& r, Value id) { return SetWindowsModeWithOptionalId(r, LaunchMode::Configure, id); }},
    // The id names the settings window the password dialog would belong to.
    {"a", Forms::Windows, ValueFrom::ColonOrNextId, nullptr,
     [](ModeRequest& r, Value id) { return SetWindowsModeWithOptionalId(r, LaunchMode::ChangePassword, id); }},

    {"root", Forms::X, ValueFrom::None, nullptr, Raise<&ModeRequest::root>},
    {"window-id", Forms::X, ValueFrom::Next, "-window-id needs a window id",
     [](ModeRequest& r, Value value) {
         r.previewId = ParseWindowId(*value);
         return r.previewId ? std::string() : NotAWindowId(*value);
     }},
    {"window", Forms::X, ValueFrom::None, nullptr, Raise<&ModeRequest::window>},
    {"fps", Forms::X, ValueFrom::None, nullptr, Raise<&ModeRequest::showFrameRate>},
    // Colormap and colour choices: a true-colour GL saver has none to make.
    {"install", Forms::X, ValueFrom::None, nullptr, Accept},
    {"noinstall", Forms::X, ValueFrom::None, nullptr, Accept},
    {"mono", Forms::X, ValueFrom::None, nullptr, Accept},
    // The visual comes from GLX and frames follow the display.
    {"visual", Forms::X, ValueFrom::Next, nullptr, Accept},
    {"delay", Forms::X, ValueFrom::Next, nullptr, Accept},
};

bool WrittenAs(const Switch& sw, Forms forms) {
    switch (forms) {
        case Forms::Windows:
            return sw.windowsForm;
        case Forms::X:
            return sw.xForm;
        case Forms::LongOnly:
            return sw.xForm && !sw.windowsForm;
        case Forms::Any:
            return sw.windowsForm || sw.xForm;
    }
    return false;
}

bool TakesColonValue(ValueFrom value) {
    return value == ValueFrom::ColonOrNext || value == ValueFrom::Colon || value == ValueFrom::ColonOrNextId;
}

// What follows "NAME:" when the switch is written so; nullopt otherwise.
Value ColonValue(const ModeSwitch& row, std::string_view name) {
    const size_t length = row.name.size();
    if (!TakesColonValue(row.value) || name.size() <= length || name[length] != ':' ||
        !EqualsNoCase(name.substr(0, length), row.name)) {
        return std::nullopt;
    }
    return name.substr(length + 1);
}

const ModeSwitch* FindModeSwitch(const Switch& sw) {
    for (const ModeSwitch& row : kModeSwitches) {
        if (WrittenAs(sw, row.forms) && (EqualsNoCase(sw.name, row.name) || ColonValue(row, sw.name))) {
            return &row;
        }
    }
    return nullptr;
}

// The switch's value as its row says; false when a required one is missing.
bool TakeValue(const ModeSwitch& row, std::string_view name, ArgumentCursor& args, Value& value) {
    const Value colon = ColonValue(row, name);
    switch (row.value) {
        case ValueFrom::None:
            return true;
        case ValueFrom::Next:
            value = args.TakeValue();
            return value.has_value();
        case ValueFrom::ColonOrNext:
            // "/p:" is as bare as "/p" at the end.
            if (colon) {
                value = colon;
                return !colon->empty();
            }
            value = args.TakeValue();
            return value.has_value();
        case ValueFrom::Colon:
            value = colon;
            return true;
        case ValueFrom::ColonOrNextId:
            if (colon) {
                value = colon;
            } else if (const Value next = args.Peek(); next && ParseWindowId(*next)) {
                value = args.TakeValue();
            }
            return true;
    }
    return false;
}

std::string MissingValueError(const ModeSwitch& row, std::string_view name) {
    return row.missing != nullptr ? std::string(row.missing) : "-" + std::string(name) + " needs a value";
}

CommandLine ModeOnly(LaunchMode mode) {
    CommandLine line;
    line.mode = mode;
    return line;
}

CommandLine LineFrom(const ModeRequest& r) {
    const bool xMode = r.root || r.window || r.previewId.has_value();
    if (r.windowsMode && xMode) {
        return InvalidCommandLine("Windows and XScreenSaver modes mixed");
    }
    if (r.window && (r.root || r.previewId)) {
        return InvalidCommandLine("-window cannot be combined with -root or -window-id");
    }

    CommandLine line;
    line.showFrameRate = r.showFrameRate;
    if (r.windowsMode) {
        line.mode = *r.windowsMode;
        line.windowId = r.windowsId;
    } else if (r.previewId) {
        // The settings program passes -root as well; its window is the one to use.
        line.mode = LaunchMode::Preview;
        line.windowId = *r.previewId;
    } else if (r.root) {
        line.mode = LaunchMode::Root;
    } else if (r.window) {
        line.mode = LaunchMode::Window;
    } else {
        line.mode = LaunchMode::Configure;
    }
    return line;
}

}  // namespace

std::optional<uint32_t> ParseWindowId(std::string_view text) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty()) {
        return std::nullopt;
    }
    uint64_t value = 0;
    for (char c : text) {
        int digit;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (base == 16 && c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else if (base == 16 && c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        } else {
            return std::nullopt;
        }
        value = value * base + digit;
        if (value > UINT32_MAX) {
            return std::nullopt;
        }
    }
    if (value == 0) {
        return std::nullopt;
    }
    return static_cast<uint32_t>(value);
}

CommandLine ParseCommandLine(int argc, const char* const argv[]) {
    if (NamesRender(argc, argv)) {
        return ParseRenderCommandLine(argc, argv);
    }
    ModeRequest request;
    ArgumentCursor args(argc, argv);
    while (!args.AtEnd()) {
        const std::string_view arg = args.Take();
        const Switch sw = SplitSwitch(arg);
        const ModeSwitch* row = FindModeSwitch(sw);
        if (row == nullptr) {
            return InvalidCommandLine("unknown argument: " + std::string(arg));
        }
        Value value;
        if (!TakeValue(*row, sw.name, args, value)) {
            return InvalidCommandLine(MissingValueError(*row, sw.name));
        }
        if (std::string error = row->apply(request, value); !error.empty()) {
            return InvalidCommandLine(std::move(error));
        }
        if (request.atOnce) {
            return ModeOnly(*request.atOnce);
        }
    }
    return LineFrom(request);
}

const char* UsageText() {
    return "Usage: skyloom [MODE] [-fps]\n"
           "Modes (Windows screen-saver switches, / or -, any case):\n"
           "  /s              full screen\n"
           "  /p ID           preview inside the window ID (decimal or 0x hex)\n"
           "  /c[:ID]         configuration (also with no argument)\n"
           "  /a [ID]         password change (nothing to do on Linux)\n"
           "XScreenSaver options (- or --):\n"
           "  -root           draw on $XSCREENSAVER_WINDOW, else on the root window\n"
           "  -window-id ID   draw inside the window ID as a preview\n"
           "  -window         draw in an ordinary 1280x720 window (q or Escape ends it)\n"
           "  -fps            show the frame rate for this run\n"
           "  -install, -noinstall, -mono, -visual V, -delay N   accepted and ignored\n"
           "  --help, --version\n"
           "  --install-xscreensaver   add Skyloom to the programs list of ~/.xscreensaver\n"
           "Offscreen rendering (no display needed):\n"
           "  --render DIR    write the flight as DIR/frame_00001.png ...\n"
           "  --frames N | --seconds S   how long (one of them is required)\n"
           "  --size WxH      frame size (1920x1080)\n"
           "  --fps F         frames a simulated second (30)\n"
           "  --seed S        random seed (the stored Seed, else a fixed one)\n"
           "  --every K       keep every K-th frame (1)\n"
           "  --assume-accelerated   render as on a hardware renderer\n"
           "  --desktop FILE  a PNG picture the desktop fade starts from\n"
           "Environment:\n"
           "  SKYLOOM_ASSUME_ACCELERATED=1   treat a software OpenGL renderer (llvmpipe,\n"
           "                                 softpipe, swrast) as hardware accelerated\n"
           "  SKYLOOM_FRAME_TIMEOUT=SECONDS  end the saver when a frame hangs this long\n"
           "                                 (30; 0: never)\n";
}

}  // namespace skyloom
