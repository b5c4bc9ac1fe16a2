#include "platform/win32/win32_saver_host.h"

#include "config/configure_sheet_entry.h"
#include "os/detached_process.h"
#include "os/executable_path.h"
#include "platform/win32/framework.h"
#include "platform/win32/gl_window.h"
#include "platform/win32/message_box.h"
#include "platform/win32/monitors.h"
#include "platform/win32/saver_window.h"
#include "platform/win32/wgl_context.h"

#include <string>

namespace skyloom {

using win32::fw;

SaverMode Win32SaverHost::CurrentSaverMode() const { return fw.mode; }

std::vector<MonitorInfo> Win32SaverHost::ListMonitors() const { return win32::QueryMonitors(); }

int32_t Win32SaverHost::SaverWindowColorBits() const {
    HDC dc = GetDC(fw.saverWindow);
    if (dc == nullptr) {
        return 0;
    }
    const int32_t bits = GetDeviceCaps(dc, BITSPIXEL);
    ReleaseDC(fw.saverWindow, dc);
    return bits;
}

void Win32SaverHost::CreateGlWindow(const ScreenRect& rect, bool desktopPictureWanted) {
    win32::CreateGlWindow(rect, desktopPictureWanted);
}

void Win32SaverHost::MoveGlWindow(const ScreenRect& rect) { win32::MoveGlWindow(rect); }

void Win32SaverHost::PostCloseMessage() {
    if (fw.saverWindow != nullptr) {
        PostMessageW(fw.saverWindow, WM_CLOSE, 0, 0);
    }
}

void Win32SaverHost::DestroySaverWindow() { win32::DestroySaverWindows(); }

void Win32SaverHost::SwapGlBuffers() { win32::SwapWglBuffers(); }

void Win32SaverHost::ReleaseGlContext() { win32::ReleaseWglContext(); }

bool Win32SaverHost::DisableSwapInterval() { return win32::DisableWglSwapInterval(); }

bool Win32SaverHost::AcceleratedRenderingForced() const { return false; }

MonitorPowerControl& Win32SaverHost::DisplayMonitorPower() { return monitorPower_; }

void Win32SaverHost::OpenConfigurationDetached() {
    const std::string path = ExecutablePath();
    if (path.empty()) {
        return;
    }
    const char* const argv[] = {path.c_str(), "/c", nullptr};
    StartDetachedProcess(path.c_str(), argv);
}

void Win32SaverHost::ShowMessageBox(const char* text, MessageKind kind) { win32::ShowMessageBox(text, kind); }

int Win32SaverHost::RunConfigurationSheet() { return skyloom::RunConfigurationSheet(); }

}  // namespace skyloom
