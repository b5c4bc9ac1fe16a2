#pragma once

#include "saver/saver_host.h"

#include <string>

namespace skyloom::testing {

// A host for tests of the saver's procedures: a mode and a display of the
// test's choosing, no windows, and a record of what the procedures asked
// for. Installs itself for its lifetime.
class TestSaverHost final : public SaverHost {
public:
    explicit TestSaverHost(SaverMode mode) : mode_(mode) { InstallSaverHost(this); }
    ~TestSaverHost() override { InstallSaverHost(nullptr); }
    TestSaverHost(const TestSaverHost&) = delete;
    TestSaverHost& operator=(const TestSaverHost&) = delete;

    SaverMode CurrentSaverMode() const override { return mode_; }
    std::vector<MonitorInfo> ListMonitors() const override { return {}; }
    int32_t SaverWindowColorBits() const override { return 24; }
    void CreateGlWindow(const ScreenRect& rect, bool desktopPictureWanted) override {
        ++glWindowsCreated;
        glWindowRect = rect;
        pictureWanted = desktopPictureWanted;
    }
    void MoveGlWindow(const ScreenRect&) override {}
    void PostCloseMessage() override {}
    void DestroySaverWindow() override {}
    void SwapGlBuffers() override {}
    void ReleaseGlContext() override {}
    bool DisableSwapInterval() override { return true; }
    bool AcceleratedRenderingForced() const override { return false; }
    MonitorPowerControl& DisplayMonitorPower() override;
    void OpenConfigurationDetached() override {}
    // Says "message box: <text>" on standard error, for death tests to see.
    void ShowMessageBox(const char* text, MessageKind kind) override;
    int RunConfigurationSheet() override { return 0; }

    int glWindowsCreated = 0;
    ScreenRect glWindowRect;
    bool pictureWanted = false;
    int messagesShown = 0;

private:
    SaverMode mode_;
};

}  // namespace skyloom::testing
