#include "os/instance_lock.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace skyloom {

namespace {

// A folder we may keep private files in: a real folder (no link), ours,
// and closed to everyone else.
bool IsPrivateFolder(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == getuid() &&
           (info.st_mode & 077) == 0;
}

}  // namespace

std::string UserRuntimeFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && runtime[0] == '/') {
        return runtime;
    }
    const std::string folder = "/tmp/skyloom-" + std::to_string(getuid());
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        return {};
    }
    // Whoever made it first, it must be ours and private before we trust it.
    return IsPrivateFolder(folder) ? folder : std::string();
}

InstanceLockResult InstanceLock::Acquire(const std::string& path) {
    Release();
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        lastError_ = errno;
        return InstanceLockResult::Failed;
    }
    int result;
    do {
        result = flock(fd, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        const int error = errno;
        close(fd);
        if (error == EWOULDBLOCK) {
            return InstanceLockResult::HeldElsewhere;
        }
        lastError_ = error;
        return InstanceLockResult::Failed;
    }
    fd_ = fd;
    return InstanceLockResult::Acquired;
}

void InstanceLock::Release() {
    if (fd_ >= 0) {
        // Closing the only descriptor drops the flock.
        close(fd_);
        fd_ = -1;
    }
}

}  // namespace skyloom
