#pragma once

#include <cstdint>

namespace skyloom {

// How the saver was started; decides which input ends it and whether it may
// touch the screen's power management.
enum class SaverMode {
    FullScreen,  // /s: Skyloom owns the screen
    Preview,     // /p ID or -window-id ID: a child in someone else's window
    Root,        // -root: drawn for a screen-saver daemon, which owns input
    Window,      // -window: an ordinary desktop window
    Render,      // --render: frames to files, no display and no input
};

// What the platform layer tells the saver's window procedures. Coordinates
// are screen (root window) pixels.
enum class WindowMessage {
    Create,       // width/height: client size
    Size,         // width/height: new client size
    Paint,        // run one frame
    KeyDown,      // key: one of the key codes below
    MouseMove,    // x/y: where the pointer is now
    MouseButton,  // a button went down
    Close,        // the saver should end
    Destroy,      // the window is being torn down
};

struct WindowEvent {
    WindowMessage message = WindowMessage::Paint;
    int32_t width = 0;
    int32_t height = 0;
    uint32_t key = 0;
    int32_t x = 0;
    int32_t y = 0;
};

// Window procedures return what the message's sender needs: 0 for handled,
// -1 from Create to refuse the window.
using MessageResult = intptr_t;

// Key codes: letters and digits are their upper-case ASCII codes; the rest
// follow the virtual-key numbering the saver's rules were written for.
inline constexpr uint32_t kKeyUnknown = 0;
inline constexpr uint32_t kKeyEscape = 0x1B;
inline constexpr uint32_t kKeyF1 = 0x70;
inline constexpr uint32_t kKeyF5 = 0x74;
inline constexpr uint32_t kKeyOther = 0xFF;  // any key without a code of its own

}  // namespace skyloom
