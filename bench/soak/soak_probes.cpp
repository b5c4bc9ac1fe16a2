#include "bench/soak/soak_probes.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "objects/lensflaremgr.h"
#include "objects/nebula.h"
#include "objects/sun.h"
#include "scene/constellation_line.h"
#include "scene/scene_node.h"
#include "scene/sprites.h"
#include "scene/star_field.h"

namespace skyloom::soak {

namespace {
// Where freed names are handed out again the next free name can sit below
// live ones; the scene never holds anywhere near this many at once.
constexpr GLuint kLowestScanLimit = 65536;
}  // namespace

SceneCensus TakeSceneCensus() {
    SceneCensus c;
    c.nodes = LiveSceneNodeCount();
    c.stars = LiveStarCount();
    c.suns = LiveSunCount();
    c.nebulae = LiveNebulaCount();
    c.lines = LiveConstellationLineCount();
    c.flares = LiveLensFlareCount();
    c.sprites = LiveSpriteCount();
    c.other = c.nodes - c.stars - c.suns - c.nebulae - c.lines - c.flares - c.sprites;
    return c;
}

void KeepLargest(SceneCensus& most, const SceneCensus& now) {
    most.nodes = std::max(most.nodes, now.nodes);
    most.stars = std::max(most.stars, now.stars);
    most.suns = std::max(most.suns, now.suns);
    most.nebulae = std::max(most.nebulae, now.nebulae);
    most.lines = std::max(most.lines, now.lines);
    most.flares = std::max(most.flares, now.flares);
    most.sprites = std::max(most.sprites, now.sprites);
    most.other = std::max(most.other, now.other);
}

int64_t ResidentKiB() {
    FILE* status = std::fopen("/proc/self/status", "r");
    if (status == nullptr) {
        return -1;
    }
    char line[256];
    long long kib = -1;
    while (std::fgets(line, sizeof line, status) != nullptr) {
        if (std::strncmp(line, "VmRSS:", 6) == 0) {
            if (std::sscanf(line + 6, "%lld", &kib) != 1) {
                kib = -1;
            }
            break;
        }
    }
    std::fclose(status);
    return kib;
}

int LiveGlTextureCount() {
    GLuint next = 0;
    glGenTextures(1, &next);
    glDeleteTextures(1, &next);
    const GLuint limit = std::max(next + 1, kLowestScanLimit);
    int live = 0;
    for (GLuint name = 1; name < limit; ++name) {
        if (glIsTexture(name) == GL_TRUE) {
            ++live;
        }
    }
    return live;
}

}  // namespace skyloom::soak
