#include "os/process_exit.h"

#include <cerrno>
#include <unistd.h>

namespace skyloom {

void WriteToStandardError(std::string_view text) {
    while (!text.empty()) {
        const ssize_t written = write(STDERR_FILENO, text.data(), text.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return;
        }
        text.remove_prefix(static_cast<size_t>(written));
    }
}

void EndProcessNow(int exitCode) { _exit(exitCode); }

}  // namespace skyloom
