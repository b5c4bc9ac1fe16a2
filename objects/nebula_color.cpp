#include "objects/nebula_color.h"

#include "scene/random.h"

namespace skyloom {

NebulaColorMode NebulaColorModeFromSetting(int32_t value) {
    switch (value) {
        case 0:
            return NebulaColorMode::Custom;
        case 1:
            return NebulaColorMode::RandomOnce;
        default:
            return NebulaColorMode::RandomEach;
    }
}

ColorRGBA NebulaColorFromPacked(int32_t packed) {
    const uint32_t bits = static_cast<uint32_t>(packed);
    return ColorRGBA(bits & 0xFFu, (bits >> 8) & 0xFFu, (bits >> 16) & 0xFFu, 255.0);
}

ColorRGBA PickRandomNebulaColor() {
    // Too dark a cloud vanishes in the additive blend, too bright a one
    // washes the stars out.
    for (;;) {
        const int red = RandomDraw() % 127;
        const int green = RandomDraw() % 127;
        const int blue = RandomDraw() % 127;
        const double sum = red + green + blue;
        if (sum >= 0.4 * 3 * 127 && sum <= 0.85 * 3 * 127) {
            return ColorRGBA(red, green, blue, 255.0);
        }
    }
}

ColorRGBA ChooseBaseNebulaColor(NebulaColorMode mode, int32_t customPacked) {
    switch (mode) {
        case NebulaColorMode::Custom:
            return NebulaColorFromPacked(customPacked);
        case NebulaColorMode::RandomOnce:
            return PickRandomNebulaColor();
        case NebulaColorMode::RandomEach:
            break;
    }
    return ColorRGBA();
}

}  // namespace skyloom
