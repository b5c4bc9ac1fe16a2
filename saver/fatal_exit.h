#pragma once

namespace skyloom {

// Steps that must still run when the process ends abruptly (monitor power
// saving restored, music player stopped). Each runs at most once.
using EmergencyTeardownStep = void (*)();
void AddEmergencyTeardown(EmergencyTeardownStep step);
void RemoveEmergencyTeardown(EmergencyTeardownStep step);
// Runs the registered steps, newest first, and forgets them.
void RunEmergencyTeardown();

// Runs the emergency teardown and ends the process at once with the code.
[[noreturn]] void FatalExit(int exitCode);

// The stop for states that cannot occur: reports "<source> (<line>) Assert:
// <expression>" on standard error and ends the process with exit code 1.
[[noreturn]] void AssertFailure(const char* expression, const char* sourceName, int line);

}  // namespace skyloom
