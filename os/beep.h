#pragma once

namespace skyloom {

// Rings the bell of the display named by $DISPLAY at its base volume. Does
// nothing when that display cannot be reached.
void Beep();

}  // namespace skyloom
