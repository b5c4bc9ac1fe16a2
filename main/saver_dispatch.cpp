#include "main/saver_dispatch.h"

#include "main/command_line.h"
#include "platform/offscreen/render_host.h"
#include "platform/x11/saver_framework.h"
#include "platform/x11/x11_saver_host.h"
#include "platform/x11/xscreensaver_install.h"
#include "saver/entry.h"

#include <cstdio>
#include <cstdlib>
#include <optional>

namespace skyloom {

namespace {

// -root: XScreenSaver names the window to draw in; without it, the root
// window itself.
int RunForScreenSaverDaemon(bool showFrameRate) {
    const char* named = std::getenv("XSCREENSAVER_WINDOW");
    if (named == nullptr || named[0] == '\0') {
        return RunRootSaver(std::nullopt, showFrameRate);
    }
    const std::optional<uint32_t> id = ParseWindowId(named);
    if (!id) {
        std::fprintf(stderr, "Skyloom: XSCREENSAVER_WINDOW=\"%s\" is not a window id.\n", named);
        return 2;
    }
    return RunRootSaver(id, showFrameRate);
}

// The configuration and the saver modes run on the X11 desktop.
int RunOnDesktop(const CommandLine& line) {
    // For the whole process: a crash's teardown may still ask for it.
    static X11SaverHost desktop;
    InstallSaverHost(&desktop);
    switch (line.mode) {
    case LaunchMode::Configure:
        RegisterDialogClasses();
        return ScreenSaverConfigureDialog();
    case LaunchMode::FullScreen:
        return RunFullScreenSaver(line.showFrameRate);
    case LaunchMode::Window:
        return RunWindowSaver(line.showFrameRate);
    case LaunchMode::Preview:
        return RunPreviewSaver(line.windowId, line.showFrameRate);
    case LaunchMode::Root:
        return RunForScreenSaverDaemon(line.showFrameRate);
    default:
        return 2;
    }
}

}  // namespace

int RunSaverFramework(int argc, const char* const argv[]) {
    const CommandLine line = ParseCommandLine(argc, argv);
    switch (line.mode) {
    case LaunchMode::Help:
        std::fputs(UsageText(), stdout);
        return 0;
    case LaunchMode::Version:
        std::printf("skyloom %d.%d\n", kVersionMajor, kVersionMinor);
        return 0;
    case LaunchMode::InstallXScreenSaver:
        return InstallIntoUsersXScreenSaver();
    case LaunchMode::Invalid:
        std::fprintf(stderr, "skyloom: %s\n%s", line.error.c_str(), UsageText());
        return 2;
    case LaunchMode::Render:
        // The offscreen renderer is a host of its own.
        return RunRender(line.render);
    case LaunchMode::ChangePassword:
        // Linux has no screen-saver password of the saver's own to change.
        return 0;
    case LaunchMode::Configure:
    case LaunchMode::FullScreen:
    case LaunchMode::Preview:
    case LaunchMode::Root:
    case LaunchMode::Window:
        return RunOnDesktop(line);
    }
    return 2;
}

}  // namespace skyloom
