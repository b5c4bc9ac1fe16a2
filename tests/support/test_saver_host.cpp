#include "tests/support/test_saver_host.h"

#include <cstdio>

namespace skyloom::testing {

namespace {

class NoMonitorPower final : public MonitorPowerControl {
public:
    std::optional<bool> PowerSavingEnabled() override { return std::nullopt; }
    void SetPowerSavingEnabled(bool) override {}
};

}  // namespace

MonitorPowerControl& TestSaverHost::DisplayMonitorPower() {
    static NoMonitorPower none;
    return none;
}

void TestSaverHost::ShowMessageBox(const char* text, MessageKind) {
    ++messagesShown;
    std::fprintf(stderr, "message box: %s\n", text);
}

}  // namespace skyloom::testing
