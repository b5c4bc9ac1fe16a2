#pragma once

#include <cstdint>

namespace skyloom::soak {

// Live scene nodes, in total and by kind, from the counters the node kinds
// keep. Sprites are the billboards and overlays that suns, nebulae and lens
// flares own; "other" is whatever none of the kinds claims.
struct SceneCensus {
    int nodes = 0;
    int stars = 0;
    int suns = 0;
    int nebulae = 0;
    int lines = 0;
    int flares = 0;
    int sprites = 0;
    int other = 0;
};

SceneCensus TakeSceneCensus();
// Raises each field of most to at least the one of now.
void KeepLargest(SceneCensus& most, const SceneCensus& now);

// VmRSS of this process in KiB from /proc/self/status; -1 when unreadable.
int64_t ResidentKiB();

// Texture names the current GL context holds: glIsTexture over every name
// from 1 to well past the next name glGenTextures hands out, so names that
// are reused and names that only ever grow are both covered.
int LiveGlTextureCount();

}  // namespace skyloom::soak
