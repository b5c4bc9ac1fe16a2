#include "platform/offscreen/offscreen_host.h"

#include "saver/gl_window.h"

#include <GL/gl.h>

#include <cstdio>

namespace skyloom {

OffscreenHost::OffscreenHost(OffscreenGlContext& context, bool assumeAccelerated)
    : context_(context), assumeAccelerated_(assumeAccelerated) {}

SaverMode OffscreenHost::CurrentSaverMode() const { return SaverMode::Render; }

std::vector<MonitorInfo> OffscreenHost::ListMonitors() const { return {}; }

int32_t OffscreenHost::SaverWindowColorBits() const { return 24; }

void OffscreenHost::CreateGlWindow(const ScreenRect&, bool) {
    GlWindowProc(WindowEvent{WindowMessage::Create});
    WindowEvent size{WindowMessage::Size};
    size.width = context_.Width();
    size.height = context_.Height();
    GlWindowProc(size);
}

void OffscreenHost::MoveGlWindow(const ScreenRect&) {}

void OffscreenHost::PostCloseMessage() {}

void OffscreenHost::DestroySaverWindow() { GlWindowProc(WindowEvent{WindowMessage::Destroy}); }

void OffscreenHost::SwapGlBuffers() { glFinish(); }

void OffscreenHost::ReleaseGlContext() { context_.Destroy(); }

bool OffscreenHost::DisableSwapInterval() { return true; }

bool OffscreenHost::AcceleratedRenderingForced() const { return assumeAccelerated_; }

MonitorPowerControl& OffscreenHost::DisplayMonitorPower() {
    static NoMonitorPowerControl none;
    return none;
}

void OffscreenHost::OpenConfigurationDetached() {}

void OffscreenHost::ShowMessageBox(const char* text, MessageKind) { std::fprintf(stderr, "Skyloom: %s\n", text); }

int OffscreenHost::RunConfigurationSheet() {
    std::fputs("Skyloom: no display to show the configuration window on.\n", stderr);
    return 1;
}

}  // namespace skyloom
