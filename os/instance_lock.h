#pragma once

#include <string>

namespace skyloom {

// The folder for the user's sockets and locks (POSIX only): $XDG_RUNTIME_DIR
// when it is set to an absolute path, otherwise /tmp/skyloom-<uid>, made
// private to the user when missing. Empty when that folder cannot be made
// or belongs to someone else (another user could then hold or fake the
// lock).
std::string UserRuntimeFolder();

enum class InstanceLockResult {
    Acquired,       // this object holds the lock now
    HeldElsewhere,  // another process (or another InstanceLock) holds it
    Failed,         // the lock could not be made or taken
};

// One holder at a time per name, held until Release or destruction: on
// POSIX an exclusive flock on the file of that path, on Windows the named
// mutex of that name (whoever keeps it open holds it). The system drops it
// when the process ends, however it ends, so a crashed holder never leaves
// a stale lock behind.
class InstanceLock {
public:
    InstanceLock() = default;
    ~InstanceLock() { Release(); }
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Tries once, without waiting. On POSIX creates the file (mode 0600)
    // when missing.
    InstanceLockResult Acquire(const std::string& name);
    void Release();
#ifdef _WIN32
    bool Held() const { return mutex_ != nullptr; }
#else
    bool Held() const { return fd_ >= 0; }
#endif
    // The system's error number of the last Failed result: errno on POSIX,
    // GetLastError's on Windows.
    int LastError() const { return lastError_; }

private:
#ifdef _WIN32
    void* mutex_ = nullptr;  // the mutex's HANDLE
#else
    int fd_ = -1;
#endif
    int lastError_ = 0;
};

}  // namespace skyloom
