#pragma once

namespace skyloom {

// On a fatal fault (SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT) the emergency
// teardown still runs, so a crashing saver stops its music player and
// gives back monitor power saving; then the process dies of the signal as
// it would have, through whatever handler was there before (a sanitizer's
// report, a core dump). Should a teardown step hang, an alarm ends the
// process after two seconds. False when a handler could not be installed.
bool InstallCrashTeardown();

}  // namespace skyloom
