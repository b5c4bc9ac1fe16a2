#pragma once

#include <string>

namespace skyloom {

// The folder for the user's sockets and locks: $XDG_RUNTIME_DIR when it is
// set to an absolute path, otherwise /tmp/skyloom-<uid>, made private to the
// user when missing. Empty when that folder cannot be made or belongs to
// someone else (another user could then hold or fake the lock).
std::string UserRuntimeFolder();

enum class InstanceLockResult {
    Acquired,       // this object holds the lock now
    HeldElsewhere,  // another process (or another InstanceLock) holds it
    Failed,         // the lock file could not be opened or locked
};

// An exclusive flock on one file, held until Release or destruction. The
// kernel drops it when the process ends, however it ends, so a crashed
// holder never leaves a stale lock behind.
class InstanceLock {
public:
    InstanceLock() = default;
    ~InstanceLock() { Release(); }
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Tries once, without waiting. Creates the file (mode 0600) when missing.
    InstanceLockResult Acquire(const std::string& path);
    void Release();
    bool Held() const { return fd_ >= 0; }
    // The errno of the last Failed result.
    int LastError() const { return lastError_; }

private:
    int fd_ = -1;
    int lastError_ = 0;
};

}  // namespace skyloom
