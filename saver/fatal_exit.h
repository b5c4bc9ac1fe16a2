#pragma once

namespace skyloom {

// Steps that must still run when the process ends abruptly (monitor power
// saving restored, music player stopped). Each runs at most once.
using EmergencyTeardownStep = void (*)();
// Whether a step may run inside a crash handler without taking a lock.
// The safe ones run first: a step that blocks on a lock the crash left
// held must not keep the others from running.
enum class TeardownSafety { SignalSafe, MayBlock };
void AddEmergencyTeardown(EmergencyTeardownStep step, TeardownSafety safety = TeardownSafety::MayBlock);
void RemoveEmergencyTeardown(EmergencyTeardownStep step);
// Runs the registered steps, the signal-safe ones first, each kind newest
// first, and forgets them.
void RunEmergencyTeardown();

// Runs the emergency teardown and ends the process at once with the code.
[[noreturn]] void FatalExit(int exitCode);

// The stop for states that cannot occur: reports "<source> (<line>) Assert:
// <expression>" on standard error and ends the process with exit code 1.
[[noreturn]] void AssertFailure(const char* expression, const char* sourceName, int line);

}  // namespace skyloom
