#include "main/command_line.h"

#include <cctype>

namespace skyloom {

namespace {

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

// An argument split into its switch name and how it was introduced.
struct Switch {
    std::string_view name;
    bool windowsForm = false;  // "/x" or "-x": a Windows screen-saver switch
    bool xForm = false;        // "-x" or "--x": an XScreenSaver option
};

Switch SplitSwitch(std::string_view arg) {
    Switch result;
    if (arg.size() >= 2 && arg[0] == '/') {
        result.name = arg.substr(1);
        result.windowsForm = true;
    } else if (arg.size() >= 3 && arg[0] == '-' && arg[1] == '-') {
        result.name = arg.substr(2);
        result.xForm = true;
    } else if (arg.size() >= 2 && arg[0] == '-') {
        result.name = arg.substr(1);
        result.windowsForm = true;
        result.xForm = true;
    }
    return result;
}

CommandLine ModeOnly(LaunchMode mode) {
    CommandLine line;
    line.mode = mode;
    return line;
}

CommandLine Invalid(std::string error) {
    CommandLine line;
    line.mode = LaunchMode::Invalid;
    line.error = std::move(error);
    return line;
}

// A decimal integer within lo..hi and nothing else.
std::optional<int64_t> ParseBounded(std::string_view text, int64_t lo, int64_t hi) {
    if (text.empty() || text.size() > 12) {
        return std::nullopt;
    }
    int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    if (value < lo || value > hi) {
        return std::nullopt;
    }
    return value;
}

// Largest side and frame count a render accepts: beyond any display, and
// a day of frames at the highest rate.
constexpr int64_t kMaxRenderSide = 16384;
constexpr int64_t kMaxRenderFps = 1000;
constexpr int64_t kMaxRenderFrames = 86'400 * kMaxRenderFps;

// Reads the render options from argv[first..]; every other argument is an error.
CommandLine ParseRenderLine(int argc, const char* const argv[]) {
    CommandLine line;
    line.mode = LaunchMode::Render;
    RenderOptions& options = line.render;
    std::optional<int64_t> frames;
    std::optional<int64_t> seconds;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i] != nullptr ? argv[i] : "";
        const std::string_view name = SplitSwitch(arg).name;
        auto value = [&](std::string_view& out) {
            if (i + 1 >= argc || argv[i + 1] == nullptr) {
                return false;
            }
            out = argv[++i];
            return true;
        };
        std::string_view text;
        const bool takesValue = name == "render" || name == "size" || name == "seconds" || name == "frames" ||
                                name == "fps" || name == "seed" || name == "every" || name == "desktop";
        if (takesValue && !value(text)) {
            return Invalid("--" + std::string(name) + " needs a value");
        }
        if (name == "render") {
            if (text.empty()) {
                return Invalid("--render needs a folder");
            }
            options.folder = text;
        } else if (name == "size") {
            const size_t x = text.find('x');
            const auto w = x == std::string_view::npos ? std::nullopt : ParseBounded(text.substr(0, x), 1, kMaxRenderSide);
            const auto h = x == std::string_view::npos ? std::nullopt : ParseBounded(text.substr(x + 1), 1, kMaxRenderSide);
            if (!w || !h) {
                return Invalid("not a size WxH: " + std::string(text));
            }
            options.width = static_cast<int32_t>(*w);
            options.height = static_cast<int32_t>(*h);
        } else if (name == "seconds") {
            seconds = ParseBounded(text, 1, 86'400);
            if (!seconds) {
                return Invalid("not a number of seconds: " + std::string(text));
            }
        } else if (name == "frames") {
            frames = ParseBounded(text, 1, kMaxRenderFrames);
            if (!frames) {
                return Invalid("not a number of frames: " + std::string(text));
            }
        } else if (name == "fps") {
            const auto fps = ParseBounded(text, 1, kMaxRenderFps);
            if (!fps) {
                return Invalid("not a frame rate: " + std::string(text));
            }
            options.fps = static_cast<int32_t>(*fps);
        } else if (name == "seed") {
            const auto seed = ParseBounded(text, 0, UINT32_MAX);
            if (!seed) {
                return Invalid("not a seed: " + std::string(text));
            }
            options.seed = static_cast<uint32_t>(*seed);
        } else if (name == "every") {
            const auto every = ParseBounded(text, 1, kMaxRenderFrames);
            if (!every) {
                return Invalid("not a frame step: " + std::string(text));
            }
            options.every = *every;
        } else if (name == "desktop") {
            options.desktop = text;
        } else if (name == "assume-accelerated") {
            options.assumeAccelerated = true;
        } else {
            return Invalid("not a render option: " + std::string(arg));
        }
    }
    if (frames && seconds) {
        return Invalid("--frames and --seconds both given");
    }
    if (!frames && !seconds) {
        return Invalid("--render needs --frames or --seconds");
    }
    options.frames = frames ? *frames : *seconds * options.fps;
    return line;
}

bool NamesRender(int argc, const char* const argv[]) {
    for (int i = 1; i < argc; ++i) {
        if (argv[i] != nullptr && SplitSwitch(argv[i]).xForm && SplitSwitch(argv[i]).name == "render") {
            return true;
        }
    }
    return false;
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
    std::optional<LaunchMode> windowsMode;
    uint32_t windowsId = 0;
    bool root = false;
    bool window = false;
    std::optional<uint32_t> previewId;
    bool showFrameRate = false;

    if (NamesRender(argc, argv)) {
        return ParseRenderLine(argc, argv);
    }
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i] != nullptr ? argv[i] : "";
        const Switch sw = SplitSwitch(arg);
        const std::string_view name = sw.name;
        // The switch's own value, from "/x:VALUE" or the next argument.
        auto nextValue = [&](std::string_view& value) {
            if (i + 1 >= argc || argv[i + 1] == nullptr) {
                return false;
            }
            value = argv[++i];
            return true;
        };
        auto setWindowsMode = [&](LaunchMode mode) {
            if (windowsMode) {
                return false;
            }
            windowsMode = mode;
            return true;
        };

        if (EqualsNoCase(name, "help") || EqualsNoCase(name, "h") || (sw.windowsForm && name == "?")) {
            return ModeOnly(LaunchMode::Help);
        }
        if (EqualsNoCase(name, "version")) {
            return ModeOnly(LaunchMode::Version);
        }
        if (!sw.windowsForm && EqualsNoCase(name, "install-xscreensaver")) {
            return ModeOnly(LaunchMode::InstallXScreenSaver);
        }

        if (sw.windowsForm && EqualsNoCase(name, "s")) {
            if (!setWindowsMode(LaunchMode::FullScreen)) {
                return Invalid("more than one mode given");
            }
        } else if (sw.windowsForm && (EqualsNoCase(name, "p") || EqualsNoCase(name.substr(0, 2), "p:"))) {
            std::string_view value;
            if (name.size() > 2) {
                value = name.substr(2);
            } else if (name.size() == 2 || !nextValue(value)) {
                return Invalid("/p needs a window id");
            }
            const std::optional<uint32_t> id = ParseWindowId(value);
            if (!id) {
                return Invalid("not a window id: " + std::string(value));
            }
            if (!setWindowsMode(LaunchMode::Preview)) {
                return Invalid("more than one mode given");
            }
            windowsId = *id;
        } else if (sw.windowsForm && (EqualsNoCase(name, "c") || EqualsNoCase(name.substr(0, 2), "c:"))) {
            // The owner window only parents the dialog on Windows; its value is not needed.
            if (name.size() > 1 && !ParseWindowId(name.substr(2))) {
                return Invalid("not a window id: " + std::string(name.substr(2)));
            }
            if (!setWindowsMode(LaunchMode::Configure)) {
                return Invalid("more than one mode given");
            }
        } else if (sw.windowsForm && (EqualsNoCase(name, "a") || EqualsNoCase(name.substr(0, 2), "a:"))) {
            // The id, if any, names the settings window the password dialog would belong to.
            if (name.size() > 1 && !ParseWindowId(name.substr(2))) {
                return Invalid("not a window id: " + std::string(name.substr(2)));
            }
            if (name.size() == 1 && i + 1 < argc && argv[i + 1] != nullptr && ParseWindowId(argv[i + 1])) {
                ++i;
            }
            if (!setWindowsMode(LaunchMode::ChangePassword)) {
                return Invalid("more than one mode given");
            }
        } else if (sw.xForm && EqualsNoCase(name, "root")) {
            root = true;
        } else if (sw.xForm && EqualsNoCase(name, "window-id")) {
            std::string_view value;
            if (!nextValue(value)) {
                return Invalid("-window-id needs a window id");
            }
            previewId = ParseWindowId(value);
            if (!previewId) {
                return Invalid("not a window id: " + std::string(value));
            }
        } else if (sw.xForm && EqualsNoCase(name, "window")) {
            window = true;
        } else if (sw.xForm && EqualsNoCase(name, "fps")) {
            showFrameRate = true;
        } else if (sw.xForm && (EqualsNoCase(name, "install") || EqualsNoCase(name, "noinstall") ||
                                EqualsNoCase(name, "mono"))) {
            // Colormap and colour choices: a true-colour GL saver has none to make.
        } else if (sw.xForm && (EqualsNoCase(name, "visual") || EqualsNoCase(name, "delay"))) {
            // The visual comes from GLX and frames follow the display.
            std::string_view value;
            if (!nextValue(value)) {
                return Invalid("-" + std::string(name) + " needs a value");
            }
        } else {
            return Invalid("unknown argument: " + std::string(arg));
        }
    }

    const bool xMode = root || window || previewId.has_value();
    if (windowsMode && xMode) {
        return Invalid("Windows and XScreenSaver modes mixed");
    }
    if (window && (root || previewId)) {
        return Invalid("-window cannot be combined with -root or -window-id");
    }

    CommandLine line;
    line.showFrameRate = showFrameRate;
    if (windowsMode) {
        line.mode = *windowsMode;
        line.windowId = windowsId;
    } else if (previewId) {
        // The settings program passes -root as well; its window is the one to use.
        line.mode = LaunchMode::Preview;
        line.windowId = *previewId;
    } else if (root) {
        line.mode = LaunchMode::Root;
    } else if (window) {
        line.mode = LaunchMode::Window;
    } else {
        line.mode = LaunchMode::Configure;
    }
    return line;
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
