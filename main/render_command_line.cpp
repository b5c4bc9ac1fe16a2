#include "main/render_command_line.h"

#include <optional>
#include <string>
#include <string_view>

#include "main/switch_syntax.h"

namespace skyloom {

namespace {

// Largest side and frame count a render accepts: beyond any display, and
// a day of frames at the highest rate.
constexpr int64_t kMaxRenderSide = 16384;
constexpr int64_t kMaxRenderFps = 1000;
constexpr int64_t kMaxRenderFrames = 86'400 * kMaxRenderFps;

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

std::string NotA(const char* what, std::string_view text) {
    return "not a " + std::string(what) + ": " + std::string(text);
}

// The options so far; the length is settled once all are read.
struct RenderRequest {
    RenderOptions options;
    std::optional<int64_t> frames;
    std::optional<int64_t> seconds;
};

struct RenderSwitch {
    std::string_view name;
    bool takesValue;
    // Records the option; an error text, or empty.
    std::string (*apply)(RenderRequest& request, std::string_view value);
};

const RenderSwitch kRenderSwitches[] = {
    {"render", true,
     [](RenderRequest& r, std::string_view folder) {
         if (folder.empty()) {
             return std::string("--render needs a folder");
         }
         r.options.folder = folder;
         return std::string();
     }},
    {"size", true,
     [](RenderRequest& r, std::string_view text) {
         const size_t x = text.find('x');
         if (x == std::string_view::npos) {
             return NotA("size WxH", text);
         }
         const std::optional<int64_t> width = ParseBounded(text.substr(0, x), 1, kMaxRenderSide);
         const std::optional<int64_t> height = ParseBounded(text.substr(x + 1), 1, kMaxRenderSide);
         if (!width || !height) {
             return NotA("size WxH", text);
         }
         r.options.width = static_cast<int32_t>(*width);
         r.options.height = static_cast<int32_t>(*height);
         return std::string();
     }},
    {"seconds", true,
     [](RenderRequest& r, std::string_view text) {
         r.seconds = ParseBounded(text, 1, 86'400);
         return r.seconds ? std::string() : NotA("number of seconds", text);
     }},
    {"frames", true,
     [](RenderRequest& r, std::string_view text) {
         r.frames = ParseBounded(text, 1, kMaxRenderFrames);
         return r.frames ? std::string() : NotA("number of frames", text);
     }},
    {"fps", true,
     [](RenderRequest& r, std::string_view text) {
         const std::optional<int64_t> fps = ParseBounded(text, 1, kMaxRenderFps);
         if (!fps) {
             return NotA("frame rate", text);
         }
         r.options.fps = static_cast<int32_t>(*fps);
         return std::string();
     }},
    {"seed", true,
     [](RenderRequest& r, std::string_view text) {
         const std::optional<int64_t> seed = ParseBounded(text, 0, UINT32_MAX);
         if (!seed) {
             return NotA("seed", text);
         }
         r.options.seed = static_cast<uint32_t>(*seed);
         return std::string();
     }},
    {"every", true,
     [](RenderRequest& r, std::string_view text) {
         const std::optional<int64_t> every = ParseBounded(text, 1, kMaxRenderFrames);
         if (!every) {
             return NotA("frame step", text);
         }
         r.options.every = *every;
         return std::string();
     }},
    {"desktop", true,
     [](RenderRequest& r, std::string_view file) {
         r.options.desktop = file;
         return std::string();
     }},
    {"assume-accelerated", false,
     [](RenderRequest& r, std::string_view) {
         r.options.assumeAccelerated = true;
         return std::string();
     }},
};

const RenderSwitch* FindRenderSwitch(std::string_view name) {
    for (const RenderSwitch& row : kRenderSwitches) {
        if (row.name == name) {
            return &row;
        }
    }
    return nullptr;
}

CommandLine RenderLineFrom(RenderRequest& request) {
    if (request.frames && request.seconds) {
        return InvalidCommandLine("--frames and --seconds both given");
    }
    if (!request.frames && !request.seconds) {
        return InvalidCommandLine("--render needs --frames or --seconds");
    }
    CommandLine line;
    line.mode = LaunchMode::Render;
    line.render = std::move(request.options);
    line.render.frames = request.frames ? *request.frames : *request.seconds * line.render.fps;
    return line;
}

}  // namespace

bool NamesRender(int argc, const char* const argv[]) {
    for (int i = 1; i < argc; ++i) {
        if (argv[i] != nullptr && SplitSwitch(argv[i]).xForm && SplitSwitch(argv[i]).name == "render") {
            return true;
        }
    }
    return false;
}

CommandLine ParseRenderCommandLine(int argc, const char* const argv[]) {
    RenderRequest request;
    ArgumentCursor args(argc, argv);
    while (!args.AtEnd()) {
        const std::string_view arg = args.Take();
        const std::string_view name = SplitSwitch(arg).name;
        const RenderSwitch* row = FindRenderSwitch(name);
        if (row == nullptr) {
            return InvalidCommandLine("not a render option: " + std::string(arg));
        }
        std::string_view value;
        if (row->takesValue) {
            const std::optional<std::string_view> next = args.TakeValue();
            if (!next) {
                return InvalidCommandLine("--" + std::string(name) + " needs a value");
            }
            value = *next;
        }
        if (std::string error = row->apply(request, value); !error.empty()) {
            return InvalidCommandLine(std::move(error));
        }
    }
    return RenderLineFrom(request);
}

}  // namespace skyloom
