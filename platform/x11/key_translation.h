#pragma once

#include <cstdint>

namespace skyloom {

// The saver's key code (saver/window_message.h) for an X keysym: letters
// (either case) and digits as upper-case ASCII, Escape, F1 to F12; any other
// key is kKeyOther, so it still counts as a key press.
uint32_t KeyCodeForKeysym(unsigned long keysym);

}  // namespace skyloom
