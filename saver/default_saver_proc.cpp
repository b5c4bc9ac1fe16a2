#include "saver/default_saver_proc.h"

#include "saver/saver_host.h"

namespace skyloom {

namespace {
PointerOrigin pointerOrigin;

bool MovedFarFrom(const PointerOrigin& origin, int32_t x, int32_t y) {
    const int64_t dx = static_cast<int64_t>(x) - origin.x;
    const int64_t dy = static_cast<int64_t>(y) - origin.y;
    // Far along either axis is far; the squares below then cannot overflow.
    if (dx > kCloseMotionPixels || dx < -kCloseMotionPixels || dy > kCloseMotionPixels || dy < -kCloseMotionPixels) {
        return true;
    }
    return dx * dx + dy * dy > static_cast<int64_t>(kCloseMotionPixels) * kCloseMotionPixels;
}
}  // namespace

void StartInputWatch(const PointerOrigin& origin) { pointerOrigin = origin; }

bool InputEndsSaver(SaverMode mode, const WindowEvent& event, PointerOrigin& origin) {
    switch (mode) {
    case SaverMode::FullScreen:
        switch (event.message) {
        case WindowMessage::KeyDown:
        case WindowMessage::MouseButton:
            return true;
        case WindowMessage::MouseMove:
            if (!origin.known) {
                origin = PointerOrigin{true, event.x, event.y};
                return false;
            }
            return MovedFarFrom(origin, event.x, event.y);
        default:
            return false;
        }
    case SaverMode::Window:
        // A desktop window closes like any program's: q, Escape or its close button.
        return event.message == WindowMessage::KeyDown && (event.key == kKeyEscape || event.key == 'Q');
    case SaverMode::Preview:
    case SaverMode::Root:
    case SaverMode::Render:
        // The settings program or the daemon owns input here; a render has none.
        return false;
    }
    return false;
}

MessageResult DefScreenSaverProc(const WindowEvent& event) {
    if (event.message == WindowMessage::Close) {
        Host().DestroySaverWindow();
        return 0;
    }
    if (InputEndsSaver(Host().CurrentSaverMode(), event, pointerOrigin)) {
        Host().PostCloseMessage();
    }
    return 0;
}

}  // namespace skyloom
