#pragma once

// Window messages as the saver's procedures take them.

#include "saver/window_message.h"

#include <windows.h>

#include <optional>

namespace skyloom::win32 {

// The event for a message the saver's procedures handle; nullopt for the
// rest, which go to the framework's default handling. Pointer positions
// become screen pixels.
std::optional<WindowEvent> EventForMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace skyloom::win32
