#include "saver/fatal_exit.h"

#include "os/process_exit.h"

#include <algorithm>
#include <cstdio>
#include <initializer_list>

namespace skyloom {

namespace {
constexpr int kMaxSteps = 8;
struct Step {
    EmergencyTeardownStep run;
    TeardownSafety safety;
};
Step steps[kMaxSteps];
int stepCount = 0;

// Takes the newest step of the kind off the list; null when none is left.
EmergencyTeardownStep TakeNewest(TeardownSafety safety) {
    for (int i = stepCount - 1; i >= 0; --i) {
        if (steps[i].safety == safety) {
            const EmergencyTeardownStep run = steps[i].run;
            for (int j = i + 1; j < stepCount; ++j) {
                steps[j - 1] = steps[j];
            }
            --stepCount;
            return run;
        }
    }
    return nullptr;
}
}  // namespace

void AddEmergencyTeardown(EmergencyTeardownStep step, TeardownSafety safety) {
    for (int i = 0; i < stepCount; ++i) {
        if (steps[i].run == step) {
            return;
        }
    }
    if (stepCount == kMaxSteps) {
        AssertFailure("DIE", "fatalexit", __LINE__);
    }
    steps[stepCount++] = Step{step, safety};
}

void RemoveEmergencyTeardown(EmergencyTeardownStep step) {
    for (int i = 0; i < stepCount; ++i) {
        if (steps[i].run == step) {
            for (int j = i + 1; j < stepCount; ++j) {
                steps[j - 1] = steps[j];
            }
            --stepCount;
            return;
        }
    }
}

void RunEmergencyTeardown() {
    // Taken off the list before running, so a step that fails fatally
    // itself cannot run twice.
    for (TeardownSafety safety : {TeardownSafety::SignalSafe, TeardownSafety::MayBlock}) {
        while (EmergencyTeardownStep run = TakeNewest(safety)) {
            run();
        }
    }
}

void FatalExit(int exitCode) {
    RunEmergencyTeardown();
    std::fflush(stdout);
    std::fflush(stderr);
    // No static destructors: other threads may still be running.
    EndProcessNow(exitCode);
}

void AssertFailure(const char* expression, const char* sourceName, int line) {
    if (expression != nullptr && sourceName != nullptr) {
        char text[1024];
        const int length = std::snprintf(text, sizeof text, "%s (%d) Assert: %s\n", sourceName, line, expression);
        if (length > 0) {
            // A longer report was cut to the buffer.
            WriteToStandardError({text, std::min(static_cast<size_t>(length), sizeof text - 1)});
        }
    }
    FatalExit(1);
}

}  // namespace skyloom
