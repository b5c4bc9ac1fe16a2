#pragma once

#include "platform/offscreen/offscreen_gl.h"
#include "saver/saver_host.h"

namespace skyloom {

// The saver drawn into an offscreen GL context instead of a window: a
// render, the benchmarks. Mode Render: no monitors, no input, no display to
// keep in step with, no windows to show boxes in. Each swap finishes the
// frame with glFinish; a host that keeps frames overrides SwapGlBuffers.
class OffscreenHost : public SaverHost {
public:
    // The context must be created and outlive the host's GL window.
    // assumeAccelerated: a software renderer counts as hardware.
    OffscreenHost(OffscreenGlContext& context, bool assumeAccelerated);

    SaverMode CurrentSaverMode() const override;
    std::vector<MonitorInfo> ListMonitors() const override;
    // The framebuffer's 8-bit red, green and blue.
    int32_t SaverWindowColorBits() const override;
    // The GL window is the context: sends GlWindowProc Create and Size of
    // the context's size. Takes no desktop picture: a render's comes from a
    // file, stored beforehand.
    void CreateGlWindow(const ScreenRect& rect, bool desktopPictureWanted) override;
    // The framebuffer keeps the size it was created with.
    void MoveGlWindow(const ScreenRect& rect) override;
    // The frame count ends the run, not a Close.
    void PostCloseMessage() override;
    // Sends GlWindowProc Destroy, which releases the context.
    void DestroySaverWindow() override;
    void SwapGlBuffers() override;
    void ReleaseGlContext() override;
    // A framebuffer object is never synchronised to a display.
    bool DisableSwapInterval() override;
    bool AcceleratedRenderingForced() const override;
    // Reports no power management.
    MonitorPowerControl& DisplayMonitorPower() override;
    // No keys reach an offscreen saver.
    void OpenConfigurationDetached() override;
    // Standard error only.
    void ShowMessageBox(const char* text, MessageKind kind) override;
    // Returns 1: no display to show it on.
    int RunConfigurationSheet() override;

protected:
    OffscreenGlContext& Context() { return context_; }

private:
    OffscreenGlContext& context_;
    bool assumeAccelerated_;
};

}  // namespace skyloom
