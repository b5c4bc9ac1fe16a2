#include "saver/api_result.h"

#include "saver/fatal_exit.h"

#include <cstdio>

namespace skyloom {

namespace {
uint32_t lastApiError = 0;
}  // namespace

void SetLastApiError(uint32_t error) { lastApiError = error; }

uint32_t LastApiError() { return lastApiError; }

void CheckApiResult(intptr_t result, intptr_t failureValue, const char* callName) {
    if (result != failureValue) {
        return;
    }
    std::fprintf(stderr, "Skyloom: %s failed: Error %u.\n", callName, lastApiError);
    FatalExit(1);
}

}  // namespace skyloom
