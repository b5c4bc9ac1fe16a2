#pragma once

#include <cstdint>

namespace skyloom {

// The error number of the last failed system call, for the failure message.
// The platform layer records it (X error codes, errno).
void SetLastApiError(uint32_t error);
uint32_t LastApiError();

// When result equals failureValue: prints "<callName> failed: Error <n>."
// with the last error number on standard error and ends the process with
// exit code 1 through the emergency teardown. Otherwise does nothing.
void CheckApiResult(intptr_t result, intptr_t failureValue, const char* callName);

}  // namespace skyloom
