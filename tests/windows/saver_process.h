#pragma once

// Shared by the Windows test drivers.

#include <windows.h>
#include <tlhelp32.h>

namespace skyloom::testing {

// Whether any Skyloom.scr process is running.
inline bool SaverProcessLeft() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    bool found = false;
    for (BOOL more = Process32First(snapshot, &entry); more && !found; more = Process32Next(snapshot, &entry)) {
        found = lstrcmpiA(entry.szExeFile, "Skyloom.scr") == 0;
    }
    CloseHandle(snapshot);
    return found;
}

}  // namespace skyloom::testing
