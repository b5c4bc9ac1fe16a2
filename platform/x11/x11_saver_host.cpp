#include "platform/x11/x11_saver_host.h"

#include "config/configure_sheet_entry.h"
#include "config/message_box.h"
#include "os/detached_process.h"
#include "os/executable_path.h"
#include "platform/x11/framework.h"
#include "platform/x11/glx_window.h"
#include "platform/x11/saver_window.h"
#include "platform/x11/x_monitor_power.h"
#include "platform/x11/x_monitors.h"

#include <string>

namespace skyloom {

using x11::fw;

SaverMode X11SaverHost::CurrentSaverMode() const { return fw.mode; }

std::vector<MonitorInfo> X11SaverHost::ListMonitors() const { return QueryMonitors(fw.display, fw.root); }

int32_t X11SaverHost::SaverWindowColorBits() const { return fw.hostDepth; }

void X11SaverHost::CreateGlWindow(const ScreenRect& rect, bool desktopPictureWanted) {
    x11::CreateGlWindow(rect, desktopPictureWanted);
}

void X11SaverHost::MoveGlWindow(const ScreenRect& rect) { x11::MoveGlWindow(rect); }

void X11SaverHost::PostCloseMessage() { fw.closePosted = true; }

void X11SaverHost::DestroySaverWindow() { x11::DestroySaverWindow(); }

void X11SaverHost::SwapGlBuffers() { x11::SwapGlBuffers(); }

void X11SaverHost::ReleaseGlContext() { x11::ReleaseGlContext(); }

bool X11SaverHost::DisableSwapInterval() { return x11::DisableSwapInterval(); }

bool X11SaverHost::AcceleratedRenderingForced() const { return false; }

MonitorPowerControl& X11SaverHost::DisplayMonitorPower() {
    // Asked for once the saver window is up, on the saver's display.
    static XMonitorPowerControl control(fw.display);
    return control;
}

void X11SaverHost::OpenConfigurationDetached() {
    const std::string path = ExecutablePath();
    if (path.empty()) {
        return;
    }
    const char* const argv[] = {path.c_str(), "/c", nullptr};
    StartDetachedProcess(path.c_str(), argv);
}

void X11SaverHost::ShowMessageBox(const char* text, MessageKind kind) { skyloom::ShowMessageBox(text, kind); }

int X11SaverHost::RunConfigurationSheet() { return skyloom::RunConfigurationSheet(); }

}  // namespace skyloom
