#pragma once

#include "saver/saver_host.h"

namespace skyloom {

// The saver on an X11 desktop: its windows are the X11 framework's (full
// screen, window mode, a preview, under a screen-saver daemon), its message
// boxes and configuration window the Qt dialog's.
class X11SaverHost final : public SaverHost {
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
    // Never: the X11 saver has no option for it (SKYLOOM_ASSUME_ACCELERATED
    // is the saver's own).
    bool AcceleratedRenderingForced() const override;
    MonitorPowerControl& DisplayMonitorPower() override;
    // Starts "skyloom /c", this very program.
    void OpenConfigurationDetached() override;
    void ShowMessageBox(const char* text, MessageKind kind) override;
    int RunConfigurationSheet() override;
};

}  // namespace skyloom
