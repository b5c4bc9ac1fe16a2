#pragma once

#include "saver/window_message.h"

#include <cstdint>

namespace skyloom {

// The GL window's procedure: context set-up on Create, scene set-up on the
// first Size, one frame per Paint, teardown on Destroy. Pointer motion in
// the first second is swallowed; the rest goes to DefScreenSaverProc.
MessageResult GlWindowProc(const WindowEvent& event);

// Opacity of the credits overlay, 0..1.
double CreditsIntensity();

// The credits rise at 0.075 a second and, once at full strength, fall at
// 0.1 a second to nothing and stay there.
struct CreditsFade {
    double intensity = 0.0;
    double rate = 0.075;
};
void AdvanceCreditsFade(CreditsFade& fade, double frameSeconds);

// Whether the automatic close fires now: armed, a positive countdown, and
// at least that many seconds since the clock started.
bool AutomaticCloseDue(bool armed, int32_t countdownSeconds, double elapsedSeconds);

// Whether BailCountdownS may end a saver in this mode: only where the saver
// owns its run (full screen, a desktop window).
bool BailCountdownEnds(SaverMode mode);

// GL_RENDERER names of the software rasterisers (llvmpipe, softpipe, swrast).
// An unknown (null) renderer counts as software.
bool IsSoftwareRenderer(const char* renderer);

}  // namespace skyloom
