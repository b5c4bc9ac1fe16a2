#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "main/command_line.h"

namespace skyloom {

// An argument split into its switch name and how it was introduced.
struct Switch {
    std::string_view name;
    bool windowsForm = false;  // "/x" or "-x": a Windows screen-saver switch
    bool xForm = false;        // "-x" or "--x": an XScreenSaver option
};

// "/x", "-x" and "--x"; anything else has an empty name and neither form.
Switch SplitSwitch(std::string_view arg);

bool EqualsNoCase(std::string_view a, std::string_view b);

// The arguments after argv[0], in order. A null entry reads as "" and is
// never a switch's value.
class ArgumentCursor {
public:
    ArgumentCursor(int argc, const char* const argv[]) : argc_(argc), argv_(argv) {}

    bool AtEnd() const { return next_ >= argc_; }
    std::string_view Take();
    // The argument after the one taken last; nullopt at the end or for a null one.
    std::optional<std::string_view> Peek() const;
    // Takes what Peek shows, if anything.
    std::optional<std::string_view> TakeValue();

private:
    int argc_;
    const char* const* argv_;
    int next_ = 1;
};

CommandLine InvalidCommandLine(std::string error);

}  // namespace skyloom
