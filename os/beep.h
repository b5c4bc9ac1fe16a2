#pragma once

namespace skyloom {

// Sounds the system's plain alert: on X11 the bell of the display named by
// $DISPLAY at its base volume (nothing when that display cannot be
// reached), on Windows the default beep.
void Beep();

}  // namespace skyloom
