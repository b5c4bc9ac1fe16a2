#pragma once

#include "config/message_kind.h"

namespace skyloom::win32 {

// Writes "Skyloom: <text>" to standard error, then shows the text (UTF-8)
// in a modal box captioned "Skyloom", in front of everything, until the
// user closes it.
void ShowMessageBox(const char* text, MessageKind kind);

}  // namespace skyloom::win32
