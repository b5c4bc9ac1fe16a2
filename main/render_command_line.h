#pragma once

#include "main/command_line.h"

namespace skyloom {

// True when an XScreenSaver-form --render (or -render) is among the arguments.
bool NamesRender(int argc, const char* const argv[]);

// The whole line as a render: every argument after argv[0] must be one of
// its options, in any switch form but spelled exactly.
CommandLine ParseRenderCommandLine(int argc, const char* const argv[]);

}  // namespace skyloom
