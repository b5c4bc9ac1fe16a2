#include "platform/x11/key_translation.h"

#include "saver/window_message.h"

#include <X11/keysym.h>

namespace skyloom {

uint32_t KeyCodeForKeysym(unsigned long keysym) {
    if (keysym >= XK_a && keysym <= XK_z) {
        return 'A' + static_cast<uint32_t>(keysym - XK_a);
    }
    if (keysym >= XK_A && keysym <= XK_Z) {
        return 'A' + static_cast<uint32_t>(keysym - XK_A);
    }
    if (keysym >= XK_0 && keysym <= XK_9) {
        return '0' + static_cast<uint32_t>(keysym - XK_0);
    }
    if (keysym == XK_Escape) {
        return kKeyEscape;
    }
    if (keysym >= XK_F1 && keysym <= XK_F12) {
        return kKeyF1 + static_cast<uint32_t>(keysym - XK_F1);
    }
    return kKeyOther;
}

}  // namespace skyloom
