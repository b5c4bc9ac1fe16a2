#pragma once

// Shared by the libFuzzer targets in this folder. Each target is an
// executable of its own with LLVMFuzzerTestOneInput as its entry point.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <fcntl.h>
#include <unistd.h>

namespace skyloom::fuzz {

// A folder of this run's own for the files a target writes: the isolated
// test folder when run through tests/support/run-isolated (as scripts/fuzz
// does), else a fresh one under $TMPDIR.
inline const std::string& ScratchFolder() {
    static const std::string folder = [] {
        const char* scratch = std::getenv("SKYLOOM_TEST_SCRATCH");
        if (scratch != nullptr && scratch[0] != '\0') {
            return std::string(scratch);
        }
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp != nullptr && tmp[0] != '\0' ? tmp : "/tmp") + "/skyloom-fuzz.XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr) {
            std::perror("skyloom fuzz: mkdtemp");
            std::abort();
        }
        return pattern;
    }();
    return folder;
}

// Replaces the file with exactly these bytes; aborts when it cannot, since
// every later check would then test the wrong input.
inline void WriteWholeFile(const std::string& path, const uint8_t* data, size_t size) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) {
        std::perror(path.c_str());
        std::abort();
    }
    size_t done = 0;
    while (done < size) {
        const ssize_t n = write(fd, data + done, size - done);
        if (n <= 0) {
            std::perror(path.c_str());
            std::abort();
        }
        done += static_cast<size_t>(n);
    }
    close(fd);
}

// A property the code under test promised and broke: a finding like any crash.
#define SKYLOOM_FUZZ_CHECK(condition)                                                         \
    do {                                                                                      \
        if (!(condition)) {                                                                   \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                     \
        }                                                                                     \
    } while (false)

}  // namespace skyloom::fuzz
