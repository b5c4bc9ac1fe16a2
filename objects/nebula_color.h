#pragma once

#include <cstdint>

#include "scene/vecmath.h"

namespace skyloom {

// How nebulae are coloured (the NebulaColorEnum setting).
enum class NebulaColorMode : int32_t {
    Custom = 0,      // every nebula in CustomNebulaColor
    RandomOnce = 1,  // one random colour for the whole run
    RandomEach = 2,  // every nebula draws its own colour
};

// A stored value outside 0..2 counts as the default, a colour per nebula.
NebulaColorMode NebulaColorModeFromSetting(int32_t value);

// Red in bits 0..7, green in 8..15, blue in 16..23; components on the
// 0..255 scale with alpha 255.
ColorRGBA NebulaColorFromPacked(int32_t packed);

// A random colour of moderate brightness: each component 0..126, the sum
// within 0.4..0.85 of the maximum sum. Draws from the calling thread's
// generator, three draws per try.
ColorRGBA PickRandomNebulaColor();

// The colour every nebula shares for the run: the custom colour, one random
// pick, or nothing (all zero) when each nebula picks its own.
ColorRGBA ChooseBaseNebulaColor(NebulaColorMode mode, int32_t customPacked);

}  // namespace skyloom
