#pragma once

#include <cstdint>

namespace skyloom {

// One 15-bit linear congruential generator per thread; a thread that never
// seeded starts from state 1. Every scaling constant divides by 32767.
int RandomDraw();
void SeedRandom(uint32_t seed);
// The seed the calling thread's generator was last seeded with; 1 when it
// never was. Another thread seeded with it draws the same sequence.
uint32_t RandomSeed();
// 0..1 inclusive.
double RandomUnit();
// Uniform over [lo, hi], both ends reachable.
double RandomRange(double lo, double hi);
// lo + draw mod (hi - lo + 1); always consumes one draw.
int RandomInt(int lo, int hi);
// Symmetric triangular on [lo, hi]; an empty range returns lo without drawing.
double RandomTriangular(double lo, double hi);

}  // namespace skyloom
