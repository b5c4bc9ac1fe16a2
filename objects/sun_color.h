#pragma once

#include <cstdint>

namespace skyloom {

// How ordinary suns are coloured (the SunColorEnum setting).
enum class SunColorMode : int32_t {
    Custom = 0,      // every sun in CustomSunColor
    RandomOnce = 1,  // one random colour for the whole run
    RandomEach = 2,  // every sun draws its own colour
    OffWhite = 3,    // every sun draws its own near-white
};

// A stored value outside 0..3 counts as one random colour for the run:
// the suns then keep the colour their set-up drew.
constexpr SunColorMode SunColorModeFromSetting(int32_t value) {
    switch (value) {
        case 0:
            return SunColorMode::Custom;
        case 2:
            return SunColorMode::RandomEach;
        case 3:
            return SunColorMode::OffWhite;
        default:
            return SunColorMode::RandomOnce;
    }
}

}  // namespace skyloom
