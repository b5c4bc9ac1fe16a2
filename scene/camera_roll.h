#pragma once

#include <cstdint>

namespace skyloom {

// How the camera rolls about the flight axis (the CameraRotateEnum setting).
enum class CameraRollMode : int32_t {
    None = 0,
    Clockwise = 1,
    CounterClockwise = 2,
    Random = 3,  // either way, reversing now and then
};

// The stored value is user-editable text; anything unknown means the
// default rather than a stopped saver.
constexpr CameraRollMode CameraRollModeFromSetting(int32_t value) {
    return value >= 0 && value <= 3 ? static_cast<CameraRollMode>(value) : CameraRollMode::Random;
}

}  // namespace skyloom
