#include "saver/api_result.h"

#include "saver/saver_host.h"
#include "saver/fatal_exit.h"

#include <cstdio>

namespace skyloom {

void CheckApiResult(intptr_t result, intptr_t failureValue, const char* callName, uint32_t error) {
    if (result != failureValue) {
        return;
    }
    char text[256];
    std::snprintf(text, sizeof text, "%s failed: Error %u.", callName, error);
    // Restore the screen first, so the box can be seen and answered.
    RunEmergencyTeardown();
    const SaverMode mode = Host().CurrentSaverMode();
    if (mode == SaverMode::FullScreen || mode == SaverMode::Window) {
        Host().ShowMessageBox(text, MessageKind::Error);
    } else {
        std::fprintf(stderr, "Skyloom: %s\n", text);
    }
    FatalExit(1);
}

}  // namespace skyloom
