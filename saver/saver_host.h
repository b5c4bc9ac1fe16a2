#pragma once

// What the program's window procedures need from whatever shows them: the
// X11 framework, the offscreen renderer, or a test's stand-in. The host
// implements SaverHost and installs itself; the saver reaches it through
// Host(). No window-system types: the saver side sees only these.

#include "config/message_kind.h"
#include "saver/monitor_power.h"
#include "saver/screen_geometry.h"
#include "saver/window_message.h"

#include <cstdint>
#include <vector>

namespace skyloom {

class SaverHost {
public:
    virtual ~SaverHost() = default;

    virtual SaverMode CurrentSaverMode() const = 0;

    // The display's monitors; empty when the display cannot list them.
    virtual std::vector<MonitorInfo> ListMonitors() const = 0;

    // Colour depth in bits of the saver window's visual.
    virtual int32_t SaverWindowColorBits() const = 0;

    // Creates the GL window at rect inside the saver window with its
    // rendering context made current, then sends GlWindowProc Create and
    // Size. When desktopPictureWanted, first keeps a picture of what the
    // window will cover for the desktop fade, where the host can take one.
    // Failures end the process through CheckApiResult.
    virtual void CreateGlWindow(const ScreenRect& rect, bool desktopPictureWanted) = 0;

    // Moves and sizes the GL window inside the saver window; its procedure
    // gets Size when the size changed.
    virtual void MoveGlWindow(const ScreenRect& rect) = 0;

    // Queues a Close for the saver window: the saver ends through the
    // orderly teardown once the current message is handled.
    virtual void PostCloseMessage() = 0;

    // Sends Destroy to the GL window and the saver window, destroys both and
    // ends the message loop.
    virtual void DestroySaverWindow() = 0;

    // Shows the frame just drawn.
    virtual void SwapGlBuffers() = 0;

    // Makes no context current and deletes the rendering context.
    virtual void ReleaseGlContext() = 0;

    // Sets the swap interval to 0 where the driver lists a way to; false
    // when it offers none (the driver's default stays).
    virtual bool DisableSwapInterval() = 0;

    // True when the host was told to treat a software renderer as
    // accelerated (a render's --assume-accelerated).
    virtual bool AcceleratedRenderingForced() const = 0;

    // The display's monitor power management; lives as long as the host.
    virtual MonitorPowerControl& DisplayMonitorPower() = 0;

    // Starts the configuration window in a process of its own, detached;
    // failures are ignored.
    virtual void OpenConfigurationDetached() = 0;

    // Writes "Skyloom: <text>" to standard error and, where the host can
    // open a window, shows the text in a modal message box until the user
    // closes it.
    virtual void ShowMessageBox(const char* text, MessageKind kind) = 0;

    // The configuration window, after CommonStartup; returns the process
    // exit code (see config/configure_sheet_entry.h).
    virtual int RunConfigurationSheet() = 0;
};

// The host the procedures use from now on; nullptr uninstalls it. The host
// must stay alive while installed.
void InstallSaverHost(SaverHost* host);

// The installed host. None installed is a programming error: the process
// ends with a message.
SaverHost& Host();

}  // namespace skyloom
