#include "tests/support/test_saver_host.h"

#include <cstdio>

namespace skyloom::testing {

MonitorPowerControl& TestSaverHost::DisplayMonitorPower() {
    static NoMonitorPowerControl none;
    return none;
}

void TestSaverHost::ShowMessageBox(const char* text, MessageKind) {
    ++messagesShown;
    std::fprintf(stderr, "message box: %s\n", text);
}

}  // namespace skyloom::testing
