#pragma once

// No Qt here: a host calls this without seeing the toolkit.

#include "config/message_kind.h"

namespace skyloom {

// Writes "Skyloom: <text>" to standard error, then, when a window can be
// opened, shows the text (UTF-8) in a modal message box captioned "Skyloom"
// and returns once the user has closed it. Without a display only the line
// on standard error remains. Call it where no window of the saver holds the
// keyboard or pointer grab, or the box cannot be answered.
void ShowMessageBox(const char* text, MessageKind kind);

}  // namespace skyloom
