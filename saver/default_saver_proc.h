#pragma once

#include "saver/window_message.h"

namespace skyloom {

// The screen-saver framework's default handling of the saver window's
// messages: Close tears the saver down; in full-screen mode input ends it.
MessageResult DefScreenSaverProc(const WindowEvent& event);

// Where the pointer was when the saver window appeared; motion is measured
// from there. Without a known position the first motion seen sets it.
struct PointerOrigin {
    bool known = false;
    int32_t x = 0;
    int32_t y = 0;
};

// Pointer motion farther than this from the origin ends a full-screen saver.
inline constexpr int32_t kCloseMotionPixels = 10;

// Called by the framework when the saver window is created.
void StartInputWatch(const PointerOrigin& origin);

// The close-on-input rule on its own: whether the event ends a saver in the
// given mode. Motion may set origin when it was not known yet.
bool InputEndsSaver(SaverMode mode, const WindowEvent& event, PointerOrigin& origin);

}  // namespace skyloom
