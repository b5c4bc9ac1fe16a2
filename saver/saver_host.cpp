#include "saver/saver_host.h"

#include <cstdio>
#include <cstdlib>

namespace skyloom {

namespace {
SaverHost* installed = nullptr;
}  // namespace

void InstallSaverHost(SaverHost* host) { installed = host; }

SaverHost& Host() {
    if (installed == nullptr) {
        std::fputs("Skyloom: a window procedure ran without a saver host.\n", stderr);
        std::abort();
    }
    return *installed;
}

}  // namespace skyloom
