#pragma once

namespace skyloom {

// Rings the bell of the saver's display at its base volume. Does nothing
// without a display connection (or once it is lost).
void Beep();

}  // namespace skyloom
