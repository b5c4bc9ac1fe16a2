#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace skyloom {

// --render and the options that only it takes.
struct RenderOptions {
    std::string folder;
    int32_t width = 1920;
    int32_t height = 1080;
    // --frames N, or --seconds S times the frame rate; one of them is required.
    int64_t frames = 0;
    int32_t fps = 30;
    // Unset: the stored Seed when it is not 0, else a fixed one.
    std::optional<uint32_t> seed;
    bool assumeAccelerated = false;
    // Every K-th frame is written, starting with the K-th.
    int64_t every = 1;
    // A PNG picture the desktop fade starts from; none when empty.
    std::string desktop;
};

}  // namespace skyloom
