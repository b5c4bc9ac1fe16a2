#include "os/process_exit.h"

#include <algorithm>

#include <windows.h>

namespace skyloom {

void WriteToStandardError(std::string_view text) {
    const HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    if (error == nullptr || error == INVALID_HANDLE_VALUE) {
        return;
    }
    while (!text.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(text.size(), 1u << 20));
        DWORD written = 0;
        if (!WriteFile(error, text.data(), chunk, &written, nullptr) || written == 0) {
            return;
        }
        text.remove_prefix(written);
    }
}

void EndProcessNow(int exitCode) {
    // Not ExitProcess: it notifies every DLL first, which can block on a
    // lock that a thread stopped in the middle held.
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(exitCode));
    // Ending the own process does not come back; should it ever, end in order.
    ExitProcess(static_cast<UINT>(exitCode));
}

}  // namespace skyloom
