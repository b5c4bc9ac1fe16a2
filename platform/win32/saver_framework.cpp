// Flow of control
// ===============
//
// WinMain (main/win32/scr_main.cpp) parses the command line, installs
// Win32SaverHost and calls one run of this file (or, for /c and no
// argument, ScreenSaverConfigureDialog).
//
// A run makes the saver window hidden: its WM_CREATE reaches the saver's
// ScreenSaverProc(Create), which starts the saver and calls
// Host().CreateGlWindow: the desktop picture is read while the screen still
// shows the desktop, then the GL window's WM_CREATE makes the WGL context
// and sends GlWindowProc Create, and its WM_SIZE sends Size (scene set-up).
// The saver window is then shown and the message loop runs:
//
//   input       keys reach the saver window, pointer messages the GL window;
//               both go on to the saver's DefScreenSaverProc, which posts
//               WM_CLOSE for input that ends a full-screen saver.
//   each frame  WM_PAINT of the GL window: GlWindowProc(Paint), then the
//               window is invalidated again; the buffer swap paces frames.
//   WM_CLOSE    ScreenSaverProc(Close) -> DefScreenSaverProc ->
//               Host().DestroySaverWindow.
//
// Teardown: destroying the saver window (by the saver, or by the system
// when a preview's parent goes) first destroys the GL window (GlWindowProc
// Destroy: scene down, context released, monitor power restored), then
// sends ScreenSaverProc Destroy and ends the loop; the run then closes the
// music player.

#include "platform/win32/saver_framework.h"

#include "platform/win32/framework.h"
#include "platform/win32/saver_window.h"
#include "saver/default_saver_proc.h"
#include "saver/fatal_exit.h"
#include "saver/music_player.h"
#include "saver/overlay_pass.h"
#include "scene/render_size.h"

namespace skyloom {

using win32::fw;

namespace {

// A fatal error's box must not sit behind the top-most saver window.
void HideSaverWindow() {
    if (fw.saverWindow != nullptr) {
        ShowWindow(fw.saverWindow, SW_HIDE);
    }
}

void StartFramework(HINSTANCE instance, SaverMode mode, bool showFrameRate) {
    fw.instance = instance;
    fw.mode = mode;
    if (showFrameRate) {
        ShowFrameRateThisRun();
    }
    AddEmergencyTeardown(HideSaverWindow);
}

int RunMessageLoop() {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    RemoveEmergencyTeardown(HideSaverWindow);
    // The windows are down: a player slow to close keeps no frame on screen.
    CloseConfiguredMusic();
    return 0;
}

PointerOrigin CursorOrigin() {
    POINT cursor{};
    if (!GetCursorPos(&cursor)) {
        return PointerOrigin{};
    }
    return PointerOrigin{true, cursor.x, cursor.y};
}

}  // namespace

int RunFullScreenSaver(HINSTANCE instance, bool showFrameRate) {
    StartFramework(instance, SaverMode::FullScreen, showFrameRate);
    if (win32::RaiseRunningSaver()) {
        return 0;
    }
    StartInputWatch(CursorOrigin());
    HWND window = win32::CreateFullScreenWindow();
    if (window == nullptr) {
        // Refused (a display the saver cannot draw on); the reason is out.
        return 1;
    }
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    SetFocus(window);
    return RunMessageLoop();
}

int RunPreviewSaver(HINSTANCE instance, HWND parent, bool showFrameRate) {
    StartFramework(instance, SaverMode::Preview, showFrameRate);
    fChildPreview = true;
    HWND window = win32::CreatePreviewWindow(parent);
    if (window == nullptr) {
        return 1;
    }
    ShowWindow(window, SW_SHOW);
    return RunMessageLoop();
}

}  // namespace skyloom
