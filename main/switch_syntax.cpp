#include "main/switch_syntax.h"

#include <cctype>

namespace skyloom {

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

std::string_view ArgumentCursor::Take() {
    const char* arg = argv_[next_++];
    return arg != nullptr ? arg : "";
}

std::optional<std::string_view> ArgumentCursor::Peek() const {
    if (next_ >= argc_ || argv_[next_] == nullptr) {
        return std::nullopt;
    }
    return argv_[next_];
}

std::optional<std::string_view> ArgumentCursor::TakeValue() {
    const std::optional<std::string_view> value = Peek();
    if (value) {
        ++next_;
    }
    return value;
}

CommandLine InvalidCommandLine(std::string error) {
    CommandLine line;
    line.mode = LaunchMode::Invalid;
    line.error = std::move(error);
    return line;
}

}  // namespace skyloom
