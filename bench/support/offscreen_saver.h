#pragma once

#include <cstdint>
#include <optional>

#include "platform/offscreen/offscreen_gl.h"
#include "platform/offscreen/offscreen_host.h"
#include "scene/clock_source.h"

namespace skyloom::bench {

// The saver's GL window drawn offscreen (EGL, the software renderer where
// there is no GPU) by its own procedure on a simulated clock, as a render
// draws it: every Paint is one whole frame, ended by glFinish. One at a
// time; the settings are whatever the caller has set.
class OffscreenSaver {
public:
    OffscreenSaver() = default;
    ~OffscreenSaver();
    OffscreenSaver(const OffscreenSaver&) = delete;
    OffscreenSaver& operator=(const OffscreenSaver&) = delete;

    // False, with the reason on stderr, when there is no offscreen context.
    // takenAsAccelerated: the software renderer is treated as hardware, as
    // on the machines the saver is made for.
    bool Open(int32_t width, int32_t height, bool takenAsAccelerated, double fps, uint32_t seed);
    // The next frame, 1/fps seconds after the previous one.
    void Paint();
    void Close();

private:
    OffscreenGlContext context_;
    std::optional<OffscreenHost> host_;
    SimulatedClockSource clock_;
    bool open_ = false;
};

}  // namespace skyloom::bench
