// Monitor power saving on a real X server: the server's blanking and DPMS
// go off for the run and come back exactly as they were, and nothing that
// was off is switched on.

#include "tests/support/xvfb_server.h"

#include <gtest/gtest.h>
// After gtest: Xlib's macros (None, Bool) would break its headers.
#include "platform/x_monitor_power.h"

#include <X11/Xlib.h>
#include <X11/extensions/dpms.h>

namespace skyloom {
namespace {

using namespace skyloom::testing;

struct Blanking {
    int timeout = -1;
    int interval = -1;
    int preferBlanking = -1;
    int allowExposures = -1;
    bool operator==(const Blanking&) const = default;
};

class XMonitorPowerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(xvfb.Start(24, 320, 240)) << "Xvfb did not start";
        display = XOpenDisplay(xvfb.DisplayName().c_str());
        ASSERT_NE(display, nullptr);
        int eventBase = 0;
        int errorBase = 0;
        hasDpms = DPMSQueryExtension(display, &eventBase, &errorBase) && DPMSCapable(display);
    }
    void TearDown() override {
        if (display != nullptr) {
            XCloseDisplay(display);
        }
    }

    Blanking ReadBlanking() {
        Blanking b;
        XGetScreenSaver(display, &b.timeout, &b.interval, &b.preferBlanking, &b.allowExposures);
        return b;
    }
    void SetBlanking(const Blanking& b) {
        XSetScreenSaver(display, b.timeout, b.interval, b.preferBlanking, b.allowExposures);
        XSync(display, False);
    }
    bool DpmsOn() {
        CARD16 level = 0;
        BOOL enabled = False;
        return DPMSInfo(display, &level, &enabled) && enabled != False;
    }
    void SetDpms(bool on) {
        if (on) {
            DPMSEnable(display);
        } else {
            DPMSDisable(display);
        }
        XSync(display, False);
    }

    XvfbServer xvfb;
    Display* display = nullptr;
    bool hasDpms = false;
};

TEST_F(XMonitorPowerTest, BlankingAndDpmsGoOffForTheRunAndComeBackAsTheyWere) {
    const Blanking before{420, 90, PreferBlanking, DontAllowExposures};
    SetBlanking(before);
    if (hasDpms) {
        SetDpms(true);
    }
    XMonitorPowerControl control(display);
    EXPECT_EQ(control.PowerSavingEnabled(), true);

    control.SetPowerSavingEnabled(false);
    XSync(display, False);
    const Blanking during = ReadBlanking();
    EXPECT_EQ(during.timeout, 0);
    EXPECT_EQ(during.interval, before.interval);
    EXPECT_EQ(during.preferBlanking, before.preferBlanking);
    EXPECT_EQ(during.allowExposures, before.allowExposures);
    if (hasDpms) {
        EXPECT_FALSE(DpmsOn());
    }
    EXPECT_EQ(control.PowerSavingEnabled(), false);

    control.SetPowerSavingEnabled(true);
    XSync(display, False);
    EXPECT_EQ(ReadBlanking(), before);
    if (hasDpms) {
        EXPECT_TRUE(DpmsOn());
    }
}

TEST_F(XMonitorPowerTest, WhatWasOffStaysOff) {
    const Blanking off{0, 600, PreferBlanking, AllowExposures};
    SetBlanking(off);
    if (hasDpms) {
        SetDpms(false);
    }
    XMonitorPowerControl control(display);
    EXPECT_EQ(control.PowerSavingEnabled(), false);
    control.SetPowerSavingEnabled(false);
    control.SetPowerSavingEnabled(true);
    XSync(display, False);
    EXPECT_EQ(ReadBlanking().timeout, 0);
    if (hasDpms) {
        EXPECT_FALSE(DpmsOn());
    }

    // Blanking on, DPMS off: only the blanking comes back.
    const Blanking on{300, 600, PreferBlanking, AllowExposures};
    SetBlanking(on);
    EXPECT_EQ(control.PowerSavingEnabled(), true);
    control.SetPowerSavingEnabled(false);
    control.SetPowerSavingEnabled(true);
    XSync(display, False);
    EXPECT_EQ(ReadBlanking(), on);
    if (hasDpms) {
        EXPECT_FALSE(DpmsOn());
    }
}

}  // namespace
}  // namespace skyloom
