#include "os/instance_lock.h"

#include <windows.h>

namespace skyloom {

InstanceLockResult InstanceLock::Acquire(const std::string& name) {
    Release();
    // Not owned by a thread: holding a handle open is the lock, so any
    // thread may release it.
    SetLastError(ERROR_SUCCESS);
    const HANDLE mutex = CreateMutexA(nullptr, FALSE, name.c_str());
    const DWORD error = GetLastError();
    if (mutex == nullptr) {
        lastError_ = static_cast<int>(error);
        return InstanceLockResult::Failed;
    }
    if (error == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        return InstanceLockResult::HeldElsewhere;
    }
    mutex_ = mutex;
    return InstanceLockResult::Acquired;
}

void InstanceLock::Release() {
    if (mutex_ != nullptr) {
        // The mutex goes with its last handle.
        CloseHandle(mutex_);
        mutex_ = nullptr;
    }
}

}  // namespace skyloom
