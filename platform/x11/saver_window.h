#pragma once

// The saver window of each mode: made for full screen and window mode,
// adopted from its owner for a preview and under a screen-saver daemon.

#include "saver/default_saver_proc.h"

#include <X11/Xlib.h>

namespace skyloom::x11 {

inline constexpr int kWindowModeWidth = 1280;
inline constexpr int kWindowModeHeight = 720;

// Full screen: one saver per screen, an override-redirect window over the
// whole screen with a blank cursor. False when another one runs; that one
// has then been raised. A window the server refuses ends the process
// through CheckApiResult.
bool CreateFullScreenHost();

// Window mode: an ordinary top-level window that closes through the window
// manager's close button.
void CreateDesktopWindowHost();

// Someone else's window: the preview area or the daemon's window. Sets the
// size the window has; false when the id names no window.
bool AdoptForeignHost(Window window, int& width, int& height);

// Where the pointer is now, for the motion that ends a full-screen saver.
PointerOrigin QueryPointerOrigin();

// After the saver's Create: full screen maps the window raised and takes
// the keyboard and pointer; a window of our own is mapped; someone else's
// is its owner's to show.
void ShowSaverWindow();

// The saver refused its window: ours goes again, without any message.
void DropRefusedSaverWindow();

// Sends Destroy to the GL window and the saver window, destroys both and
// ends the message loop. Once; later calls do nothing.
void DestroySaverWindow();

}  // namespace skyloom::x11
