#pragma once

#include <cstddef>
#include <ctime>

namespace skyloom {

// Projection for 2D overlays: the window as the unit square, x to the
// right, y downward; model-view identity; no depth test.
void SetupOverlayProjection();

// The last step of every frame: 2D scene sprites, then the texts. A
// preview shows the three captions alone; full screen shows the frame
// rate, the local time, the accelerator and colour-depth notices of the
// first runs and the credits, each when its condition holds.
void DrawOverlayPass();

// The local-time overlay's text: English weekday and month, day, 12-hour
// clock with AM/PM (midnight 12 AM, noon 12 PM), as "Wed Jan 2  -  2:05 PM".
// False, with out empty, for a time that cannot be written.
bool FormatLocalTimeText(const std::tm& local, char* out, size_t outSize);

// Whether the frame-rate overlay shows: the setting ShowFramerate is 1 or
// the command line asked for it for this run.
bool FrameRateOverlayShown();
void ShowFrameRateThisRun();

}  // namespace skyloom
