#include "os/player_process.h"

#include "os/instance_lock.h"

#include <string>

#include <windows.h>
#include <shellapi.h>

namespace skyloom {

namespace {

constexpr char kMusicClaimName[] = "Quillmere Skyloom Music";
constexpr ULONGLONG kSettleMilliseconds = 2000;
constexpr DWORD kPollMilliseconds = 20;

// The players this process launched, with their process handles: an open
// handle keeps the system from giving the id to another process, so an id
// found here always names our player. The oldest of eight is let go.
struct LaunchedPlayer {
    std::atomic<DWORD> processId{0};
    std::atomic<HANDLE> process{nullptr};
};
constexpr int kLaunchedSlots = 8;
LaunchedPlayer launched[kLaunchedSlots];
std::atomic<int> nextLaunchedSlot{0};

void RecordLaunchedPlayer(DWORD processId, HANDLE process) {
    LaunchedPlayer& slot = launched[nextLaunchedSlot.fetch_add(1) % kLaunchedSlots];
    slot.processId.store(0);
    const HANDLE previous = slot.process.exchange(process);
    if (previous != nullptr) {
        CloseHandle(previous);
    }
    slot.processId.store(processId);
}

// The handle of the launched player with that id; null for any other id.
HANDLE LaunchedProcess(std::uint32_t processId) {
    if (processId == 0) {
        return nullptr;
    }
    for (const LaunchedPlayer& slot : launched) {
        if (slot.processId.load() == processId) {
            return slot.process.load();
        }
    }
    return nullptr;
}

bool Cancelled(const std::atomic<bool>* cancel) { return cancel != nullptr && cancel->load(); }

struct WindowVisit {
    DWORD processId;
    UINT message;   // posted to each of the process's windows, when not 0
    bool hide;      // hides its showing windows
    int count = 0;  // windows posted to, or found showing
};

BOOL CALLBACK VisitWindow(HWND window, LPARAM parameter) {
    auto& visit = *reinterpret_cast<WindowVisit*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != visit.processId) {
        return TRUE;
    }
    if (visit.message != 0) {
        visit.count += PostMessageA(window, visit.message, 0, 0) ? 1 : 0;
    } else if (visit.hide && IsWindowVisible(window)) {
        // Without waiting: a player that hangs must not hang the saver.
        ShowWindowAsync(window, SW_HIDE);
        ++visit.count;
    }
    // Every window, to the end of the list.
    return TRUE;
}

int VisitPlayerWindows(WindowVisit visit) {
    EnumWindows(VisitWindow, reinterpret_cast<LPARAM>(&visit));
    return visit.count;
}

}  // namespace

bool TakeMusicClaim() {
    // Kept for the rest of the process.
    static InstanceLock claim;
    return claim.Held() || claim.Acquire(kMusicClaimName) == InstanceLockResult::Acquired;
}

std::uint32_t LaunchAssociatedPlayer(const char* fileName, bool hidden) {
    if (fileName == nullptr || fileName[0] == '\0' || GetFileAttributesA(fileName) == INVALID_FILE_ATTRIBUTES) {
        return 0;
    }
    char program[MAX_PATH + 1] = {};
    // 32 and below are the errors, no association among them.
    if (reinterpret_cast<INT_PTR>(FindExecutableA(fileName, "", program)) <= 32) {
        return 0;
    }
    std::string commandLine = "\"" + std::string(program) + "\" \"" + fileName + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (hidden) {
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_HIDE;
    }
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        return 0;
    }
    CloseHandle(process.hThread);
    RecordLaunchedPlayer(process.dwProcessId, process.hProcess);
    return process.dwProcessId;
}

void WaitForPlayerToSettle(std::uint32_t processId, bool hide, const std::atomic<bool>* cancel) {
    const HANDLE process = LaunchedProcess(processId);
    if (process == nullptr) {
        return;
    }
    const ULONGLONG deadline = GetTickCount64() + kSettleMilliseconds;
    bool waitingForInput = false;
    while (!Cancelled(cancel) && GetTickCount64() < deadline) {
        if (!waitingForInput) {
            // Fails at once for a player that has ended or has no windows
            // to wait with: nothing more to wait for either way.
            const DWORD result = WaitForInputIdle(process, kPollMilliseconds);
            if (result == WAIT_TIMEOUT) {
                continue;
            }
            waitingForInput = true;
        }
        if (!hide || VisitPlayerWindows({processId, 0, true}) == 0) {
            return;
        }
        Sleep(kPollMilliseconds);
    }
}

bool AskPlayerWindowsToClose(std::uint32_t processId) {
    if (LaunchedProcess(processId) == nullptr) {
        return false;
    }
    return VisitPlayerWindows({processId, WM_QUIT, false}) > 0;
}

bool WaitForPlayerToEnd(std::uint32_t processId, int milliseconds) {
    const HANDLE process = LaunchedProcess(processId);
    return process == nullptr ||
           WaitForSingleObject(process, static_cast<DWORD>(milliseconds < 0 ? 0 : milliseconds)) == WAIT_OBJECT_0;
}

void TerminatePlayerGroup(std::uint32_t processId) {
    const HANDLE process = LaunchedProcess(processId);
    if (process != nullptr) {
        TerminateProcess(process, 1);
    }
}

}  // namespace skyloom
