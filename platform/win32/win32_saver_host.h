#pragma once

#include "platform/win32/spi_monitor_power.h"
#include "saver/saver_host.h"

namespace skyloom {

// The saver on a Windows desktop: its windows are the Win32 framework's
// (full screen, a preview), its context WGL's, its boxes MessageBox's.
class Win32SaverHost final : public SaverHost {
public:
    SaverMode CurrentSaverMode() const override;
    std::vector<MonitorInfo> ListMonitors() const override;
    int32_t SaverWindowColorBits() const override;
    void CreateGlWindow(const ScreenRect& rect, bool desktopPictureWanted) override;
    void MoveGlWindow(const ScreenRect& rect) override;
    void PostCloseMessage() override;
    void DestroySaverWindow() override;
    void SwapGlBuffers() override;
    void ReleaseGlContext() override;
    bool DisableSwapInterval() override;
    // Never: the system's generic renderer is told apart by its pixel
    // format instead (platform/win32/gl_window.cpp).
    bool AcceleratedRenderingForced() const override;
    MonitorPowerControl& DisplayMonitorPower() override;
    // Starts "<this program> /c".
    void OpenConfigurationDetached() override;
    void ShowMessageBox(const char* text, MessageKind kind) override;
    // The configuration window's doorway dialog and property sheet.
    int RunConfigurationSheet() override;

private:
    win32::SpiMonitorPowerControl monitorPower_;
};

}  // namespace skyloom
