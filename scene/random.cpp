#include "scene/random.h"

#include <cmath>

namespace skyloom {

namespace {
thread_local uint32_t generatorState = 1;
thread_local uint32_t lastSeed = 1;
}

int RandomDraw() {
    generatorState = generatorState * 214013u + 2531011u;
    return static_cast<int>((generatorState >> 16) & 0x7FFFu);
}

void SeedRandom(uint32_t seed) {
    generatorState = seed;
    lastSeed = seed;
}

uint32_t RandomSeed() { return lastSeed; }

double RandomUnit() { return RandomDraw() * 0.00003051850947599719; }

double RandomRange(double lo, double hi) { return lo + RandomDraw() * (hi - lo) / 32767.0; }

int RandomInt(int lo, int hi) { return lo + RandomDraw() % (hi - lo + 1); }

double RandomTriangular(double lo, double hi) {
    if (std::fabs(hi - lo) < 0.00001) {
        return lo;
    }
    const double e = (hi - lo) * 0.5;
    const int r1 = RandomDraw();
    const int r2 = RandomDraw();
    const double h = lo + r1 * e / 32767.0;
    if ((h - lo) / (e * e) < (r2 / 32767.0) / e) {
        return h + e;
    }
    return h;
}

}  // namespace skyloom
