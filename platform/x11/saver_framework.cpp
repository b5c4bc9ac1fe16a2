// Flow of control
// ===============
//
// main() (main/main.cpp) calls RunSaverFramework (main/saver_dispatch.cpp),
// which parses the command line and picks a host for the mode:
//
//   --help, --version, --install-xscreensaver: done at once, no host.
//   --render   RunRender (platform/offscreen) installs a RenderHost and
//              drives GlWindowProc itself: CreateGlWindow sends Create and
//              Size, each frame is one Paint whose swap writes the PNG, and
//              DestroySaverWindow sends Destroy. No display, no events.
//   /c         installs X11SaverHost; ScreenSaverConfigureDialog runs
//              CommonStartup, then Host().RunConfigurationSheet (the dialog).
//   the saver  installs X11SaverHost and calls one run of this file.
//
// Each run opens the display (StartFramework), then makes or adopts its
// saver window:
//
//   full screen  RunFullScreenSaver: CreateFullScreenHost (one saver per
//                screen: a running one is raised and we leave), then
//                StartInputWatch(QueryPointerOrigin()).
//   window       RunWindowSaver: CreateDesktopWindowHost.
//   preview      RunPreviewSaver: fChildPreview, AdoptForeignHost.
//   root         RunRootSaver: AdoptForeignHost of the daemon's window or
//                of the root window.
//
// RunSaverWindow goes on: ScreenSaverProc(Create) starts the saver
// (CommonStartup, the music readied; a refusal ends the run with 1) and
// calls Host().CreateGlWindow: x11::CreateGlWindow takes the desktop
// picture when asked, creates the GL window and its context and sends
// GlWindowProc Create and Size (the first Size sets the scene up). Then
// ShowSaverWindow maps it (full screen: raised, input grabbed) and
// RunEventLoop runs:
//
//   X events    HandleEvent: keys, buttons and motion go to ScreenSaverProc
//               or GlWindowProc and on to DefScreenSaverProc, which posts a
//               Close for input that ends the saver; a screen change sends
//               ScreenSaverProc Size, which moves the GL window, and its
//               ConfigureNotify sends GlWindowProc Size.
//   each frame  GlWindowProc(Paint), when the pacer says it is due.
//   a Close     posted, or a termination signal or a vanished window:
//               ScreenSaverProc(Close) -> DefScreenSaverProc ->
//               Host().DestroySaverWindow.
//
// Teardown: DestroySaverWindow unmaps, sends GlWindowProc Destroy (scene
// down, context released, monitor power restored) and ScreenSaverProc
// Destroy, destroys the windows and ends the loop; RunSaverWindow closes
// the music player and the display. Fatal failures go through
// CheckApiResult or FatalExit and the emergency teardown instead.

#include "platform/x11/saver_framework.h"

#include "os/player_process.h"
#include "platform/x11/crash_signals.h"
#include "platform/x11/event_loop.h"
#include "platform/x11/framework.h"
#include "platform/x11/saver_window.h"
#include "platform/x11/signal_pipe.h"
#include "platform/x11/x_connection.h"
#include "platform/x11/x_monitors.h"
#include "saver/entry.h"
#include "saver/music_player.h"
#include "saver/overlay_pass.h"
#include "scene/render_size.h"
#include "settings/settings.h"

#include <cstdio>

namespace skyloom {

using x11::fw;

namespace {

// What every mode does first, up to an open display.
void StartFramework(SaverMode mode, bool showFrameRate) {
    // Nothing the saver starts, the player or the configuration window of
    // F1, may autolaunch a session bus that outlives it. Before any thread.
    DisableSessionBusAutolaunch();
    if (!InstallTerminationSignalPipe()) {
        std::fprintf(stderr, "Skyloom: cannot watch for termination signals; they end the saver abruptly.\n");
    }
    if (!InstallCrashTeardown()) {
        std::fprintf(stderr, "Skyloom: cannot watch for crashes; a crash may leave the music player running.\n");
    }
    if (showFrameRate) {
        ShowFrameRateThisRun();
    }
    fw.mode = mode;
    fw.display = OpenSaverDisplay();
    fw.screen = DefaultScreen(fw.display);
    fw.root = RootWindow(fw.display, fw.screen);
}

// What every mode does once its saver window exists: the saver's Create,
// the frames until the windows are destroyed, and the teardown.
int RunSaverWindow(int width, int height) {
    WatchWindow(fw.host);
    WindowEvent create{WindowMessage::Create};
    create.width = width;
    create.height = height;
    if (ScreenSaverProc(create) != 0) {
        // Refused (a display the saver cannot draw on); the reason is out.
        x11::DropRefusedSaverWindow();
        CloseSaverDisplay();
        return 1;
    }
    x11::ShowSaverWindow();
    fw.pacer.SetPeriod(VsyncEnabled.Get() != 0 ? FramePeriodForRate(QueryRefreshRate(fw.display, fw.root)) : 0);
    x11::RunEventLoop();
    // The windows are down: a player slow to close keeps no frame on screen.
    CloseConfiguredMusic();
    CloseSaverDisplay();
    return 0;
}

int RunInForeignWindow(Window window) {
    int width = 0;
    int height = 0;
    if (!x11::AdoptForeignHost(window, width, height)) {
        std::fprintf(stderr, "Skyloom: 0x%lx is not a window.\n", window);
        CloseSaverDisplay();
        return 2;
    }
    return RunSaverWindow(width, height);
}

}  // namespace

int RunFullScreenSaver(bool showFrameRate) {
    StartFramework(SaverMode::FullScreen, showFrameRate);
    if (!x11::CreateFullScreenHost()) {
        // Another saver covers this screen already; it has been raised.
        CloseSaverDisplay();
        return 0;
    }
    StartInputWatch(x11::QueryPointerOrigin());
    return RunSaverWindow(DisplayWidth(fw.display, fw.screen), DisplayHeight(fw.display, fw.screen));
}

int RunWindowSaver(bool showFrameRate) {
    StartFramework(SaverMode::Window, showFrameRate);
    x11::CreateDesktopWindowHost();
    return RunSaverWindow(x11::kWindowModeWidth, x11::kWindowModeHeight);
}

int RunPreviewSaver(uint32_t window, bool showFrameRate) {
    StartFramework(SaverMode::Preview, showFrameRate);
    fChildPreview = true;
    return RunInForeignWindow(window);
}

int RunRootSaver(std::optional<uint32_t> window, bool showFrameRate) {
    StartFramework(SaverMode::Root, showFrameRate);
    return RunInForeignWindow(window ? static_cast<Window>(*window) : fw.root);
}

}  // namespace skyloom
