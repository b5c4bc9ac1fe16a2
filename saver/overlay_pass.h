#pragma once

namespace skyloom {

// Projection for 2D overlays: the window as the unit square, x to the
// right, y downward; model-view identity; no depth test.
void SetupOverlayProjection();

// The last step of every frame: 2D scene sprites, then the texts.
void DrawOverlayPass();

// Whether the frame-rate overlay shows: the setting ShowFramerate is 1 or
// the command line asked for it for this run.
bool FrameRateOverlayShown();
void ShowFrameRateThisRun();

}  // namespace skyloom
