#include "saver/overlay_pass.h"

#include "scene/scene_node.h"
#include "settings/settings.h"

#include <GL/gl.h>
#include <GL/glu.h>

namespace skyloom {

namespace {
bool frameRateRequested = false;
}  // namespace

void SetupOverlayProjection() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(0.0, 1.0, 1.0, 0.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
}

void DrawOverlayPass() {
    SetupOverlayProjection();
    glColor3f(1.0f, 1.0f, 1.0f);
    RenderSceneOverlays();
    // The texts follow here with the font: in preview the three captions,
    // otherwise frame rate, local time, the two warnings and the credits.
}

bool FrameRateOverlayShown() { return frameRateRequested || ShowFramerate.Get() == 1; }

void ShowFrameRateThisRun() { frameRateRequested = true; }

}  // namespace skyloom
