#include "saver/gl_window.h"

#include "saver/saver_host.h"
#include "saver/default_saver_proc.h"
#include "saver/font.h"
#include "scene/frame_clock.h"
#include "saver/frame_pass_timing.h"
#include "saver/monitor_power.h"
#include "saver/music_player.h"
#include "saver/overlay_pass.h"
#include "scene/render_size.h"
#include "saver/screenshot.h"
#include "objects/desktop_fade.h"
#include "objects/lensflaremgr.h"
#include "objects/nebula.h"
#include "objects/sun.h"
#include "scene/camera3d.h"
#include "scene/scene_node.h"
#include "scene/star_field.h"
#include "scene/vecmath.h"
#include "settings/settings.h"

#include <GL/gl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

namespace skyloom {

namespace {

// What the GL window keeps between its messages; one per process, as there
// is one GL window.
struct GlWindowState {
    CreditsFade credits;
    // The automatic close has not fired yet.
    bool bailArmed = true;
    // The first Size has set the scene up.
    bool sceneSetUp = false;

    void Reset() { *this = GlWindowState{}; }
};

GlWindowState glw;

// Pointer motion this soon after the start is the user settling the mouse.
constexpr double kMotionGraceSeconds = 1.0;

// The host was told so, or the user asked with SKYLOOM_ASSUME_ACCELERATED=1.
bool AccelerationAssumed() {
    if (Host().AcceleratedRenderingForced()) {
        return true;
    }
    const char* value = std::getenv("SKYLOOM_ASSUME_ACCELERATED");
    return value != nullptr && std::strcmp(value, "1") == 0;
}

void CreateGlWindowState() {
    const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    bool accelerated = !IsSoftwareRenderer(renderer);
    if (!accelerated && AccelerationAssumed()) {
        std::fprintf(stderr, "Skyloom: treating the software renderer \"%s\" as accelerated.\n",
                     renderer != nullptr ? renderer : "unknown");
        accelerated = true;
    }
    SetHardwareAccelerated(accelerated);

    GLint maxTextureSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxTextureSize);
    SetMaxTextureSize(maxTextureSize);

    // No frame of a running saver legitimately takes a whole second.
    SetFrameStallLimit(1.0);
    StartFrameClock();
    glw.Reset();

    // Under a daemon or in someone else's window the screen is not ours.
    if (Host().CurrentSaverMode() == SaverMode::FullScreen) {
        SuspendMonitorPowerSaving(Host().DisplayMonitorPower());
    }
}

void SetupViewport() {
    glViewport(0, 0, GetRenderWidth(), GetRenderHeight());
    SetAspect(GetRenderAspect());
}

void SetupScene() {
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glEnable(GL_CULL_FACE);

    LoadFont(8);
    LoadFlareTextures();
    SetupSuns();
    ComputeStarFieldExtents();
    SetupNebulae();
    SetupDesktopFade();

    if (VsyncEnabled.Get() == 0) {
        // Without a listed way to change it the driver's interval stays.
        Host().DisableSwapInterval();
    }
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0.0f);
}

void SizeGlWindow(int32_t width, int32_t height) {
    SetRenderSize(width, height);
    if (!glw.sceneSetUp) {
        ConfigureCamera();
        SetupViewport();
        SetupScene();
        glw.sceneSetUp = true;
        return;
    }
    // The scene exists already: only the view and the star-field extents
    // follow the new size.
    SetupViewport();
    ComputeStarFieldExtents();
}

void UpdateFrame() {
    UpdateCamera();
    SpawnSuns();
    SpawnStars();
    SpawnNebulae();
    UpdateSceneNodes();
    AdvanceCreditsFade(glw.credits, FrameSeconds());
    // Closes this saver only; a preview's, a daemon's or a render's end is
    // decided by whoever started it.
    if (BailCountdownEnds(Host().CurrentSaverMode()) &&
        AutomaticCloseDue(glw.bailArmed, BailCountdownS.Get(), ElapsedSeconds())) {
        glw.bailArmed = false;
        Host().PostCloseMessage();
    }
}

void RenderFrame() {
    glClear(GL_COLOR_BUFFER_BIT);
    ApplyCamera();
    glDisable(GL_DEPTH_TEST);
    RenderSceneNodes();
    DrawStarBatch();
    DrawOverlayPass();
}

void PaintFrame() {
    MarkFrameStart();
    TickFrameClock();
    UpdateFrame();
    MarkUpdateDone();
    RenderFrame();
    MarkRenderDone();
    // Read before the swap: afterwards the back buffer's contents are undefined.
    CapturePendingScreenshots();
    Host().SwapGlBuffers();
    // Once the flight shows; the player starts beside the frame loop.
    StartConfiguredMusic();
}

void DestroyGlWindowState() {
    DeleteAllSceneNodes();
    ReleaseFont();
    ShutdownNebulae();
    ReleaseDesktopTexture();
    ReleaseSunTextures();
    ReleaseFlareTextures();
    Host().ReleaseGlContext();
    glw.sceneSetUp = false;
    RestoreMonitorPowerSaving();
}
}  // namespace

MessageResult GlWindowProc(const WindowEvent& event) {
    switch (event.message) {
    case WindowMessage::Create:
        CreateGlWindowState();
        return 0;
    case WindowMessage::Size:
        SizeGlWindow(event.width, event.height);
        return 0;
    case WindowMessage::Paint:
        PaintFrame();
        return 0;
    case WindowMessage::MouseMove:
        if (ElapsedSeconds() < kMotionGraceSeconds) {
            return 0;
        }
        return DefScreenSaverProc(event);
    case WindowMessage::Destroy:
        DestroyGlWindowState();
        return 0;
    default:
        return DefScreenSaverProc(event);
    }
}

double CreditsIntensity() { return glw.credits.intensity; }

void AdvanceCreditsFade(CreditsFade& fade, double frameSeconds) {
    fade.intensity += frameSeconds * fade.rate;
    if (fade.intensity >= 1.0) {
        fade.rate = -0.1;
    }
    Clamp(fade.intensity, 0.0, 1.0);
}

bool AutomaticCloseDue(bool armed, int32_t countdownSeconds, double elapsedSeconds) {
    return armed && countdownSeconds > 0 && static_cast<double>(countdownSeconds) <= elapsedSeconds;
}

bool BailCountdownEnds(SaverMode mode) { return mode == SaverMode::FullScreen || mode == SaverMode::Window; }

bool IsSoftwareRenderer(const char* renderer) {
    if (renderer == nullptr) {
        return true;
    }
    for (const char* name : {"llvmpipe", "softpipe", "swrast", "Software Rasterizer"}) {
        if (std::strstr(renderer, name) != nullptr) {
            return true;
        }
    }
    return false;
}

}  // namespace skyloom
