#include "platform/win32/spi_monitor_power.h"

#include <windows.h>

namespace skyloom::win32 {

namespace {

std::optional<bool> ReadSwitch(UINT action) {
    BOOL active = FALSE;
    if (!SystemParametersInfoA(action, 0, &active, 0)) {
        return std::nullopt;
    }
    return active != FALSE;
}

void WriteSwitch(UINT action, bool active) { SystemParametersInfoA(action, active ? 1 : 0, nullptr, 0); }

}  // namespace

std::optional<bool> SpiMonitorPowerControl::PowerSavingEnabled() {
    const std::optional<bool> powerOff = ReadSwitch(SPI_GETPOWEROFFACTIVE);
    const std::optional<bool> lowPower = ReadSwitch(SPI_GETLOWPOWERACTIVE);
    if (!powerOff && !lowPower) {
        return std::nullopt;
    }
    powerOffWasActive_ = powerOff.value_or(false);
    lowPowerWasActive_ = lowPower.value_or(false);
    return powerOffWasActive_ || lowPowerWasActive_;
}

void SpiMonitorPowerControl::SetPowerSavingEnabled(bool enabled) {
    if (powerOffWasActive_) {
        WriteSwitch(SPI_SETPOWEROFFACTIVE, enabled);
    }
    if (lowPowerWasActive_) {
        WriteSwitch(SPI_SETLOWPOWERACTIVE, enabled);
    }
}

}  // namespace skyloom::win32
