#include "saver/overlay_pass.h"

#include "config/language_tables.h"
#include "os/local_time.h"
#include "saver/entry.h"
#include "saver/font.h"
#include "scene/frame_clock.h"
#include "saver/gl_window.h"
#include "scene/render_size.h"
#include "scene/scene_node.h"
#include "scene/vecmath.h"
#include "settings/settings.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstdio>

namespace skyloom {

namespace {
bool frameRateRequested = false;

// The notices of the first runs show this long after the start.
constexpr double kNoticeSeconds = 15.0;
constexpr int32_t kNoticeRuns = 6;
constexpr double kLinePixels = 16.0;

// Texts built each frame; fixed buffers, the pass runs on one thread.
char frameRateText[16];
char localTimeText[64];

void DrawPreviewCaptions() {
    const ColorRGBA white(1.0, 1.0, 1.0, 1.0);
    DrawTextCentered(0.3, "Quillmere", true, white);
    DrawTextCentered(0.5, GetText(T_PRESENTS), true, white);
    DrawTextCentered(0.7, kProductName, true, white);
}

void DrawFullScreenTexts() {
    const ColorRGBA white(1.0, 1.0, 1.0, 1.0);
    const double width = GetRenderWidth();
    const double height = GetRenderHeight();

    if (FrameRateOverlayShown()) {
        std::snprintf(frameRateText, sizeof frameRateText, "%d", RoundToInt(FramesPerSecond()));
        DrawText2D(1.0 - (TextWidth(frameRateText) / width) * 1.1, kLinePixels / height, frameRateText, true, white);
    }
    if (ShowLocalTime.Get() == 1) {
        const std::time_t now = static_cast<std::time_t>(ClockTime());
        std::tm local{};
        if (ToLocalTime(now, local) && FormatLocalTimeText(local, localTimeText, sizeof localTimeText)) {
            DrawText2D(0.02, 1.0 - (kLinePixels / height) * 1.1, localTimeText, true, white);
        }
    }
    const bool firstRuns = UsageCountScreensaver.Get() < kNoticeRuns && ElapsedSeconds() < kNoticeSeconds;
    if (firstRuns && !HardwareAccelerated()) {
        DrawTextCenteredWrapped(0.805, GetText(T_NO3DACCELERATION), true, white);
    }
    if (firstRuns && DisplayColorBits() == 16) {
        DrawTextCenteredWrapped(0.86, GetText(T_16BITCOLOR), true, white);
    }
    const double credits = CreditsIntensity();
    if (credits > 0.0) {
        DrawText2D(1.0 - TextWidth(kProductName) / width - 0.02, 1.0 - (kLinePixels / height) * 2.2, kProductName,
                   true, ColorRGBA(1.0, 1.0, 1.0, credits));
    }
}
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
    if (fChildPreview) {
        DrawPreviewCaptions();
    } else {
        DrawFullScreenTexts();
    }
}

bool FormatLocalTimeText(const std::tm& local, char* out, size_t outSize) {
    if (outSize == 0) {
        return false;
    }
    out[0] = '\0';
    // English names whatever the locale, as asctime writes them.
    static constexpr char kWeekdays[7][4] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static constexpr char kMonths[12][4] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    if (local.tm_wday < 0 || local.tm_wday > 6 || local.tm_mon < 0 || local.tm_mon > 11) {
        return false;
    }
    const char* suffix = "AM";
    int hour = local.tm_hour;
    if (hour >= 12) {
        suffix = "PM";
        if (hour > 12) {
            hour -= 12;
        }
    }
    if (hour == 0) {
        hour = 12;
    }
    const int written = std::snprintf(out, outSize, "%s %s %-2d - %2d:%02d %s", kWeekdays[local.tm_wday],
                                      kMonths[local.tm_mon], local.tm_mday, hour, local.tm_min, suffix);
    if (written < 0 || static_cast<size_t>(written) >= outSize) {
        out[0] = '\0';
        return false;
    }
    return true;
}

bool FrameRateOverlayShown() { return frameRateRequested || ShowFramerate.Get() == 1; }

void ShowFrameRateThisRun() { frameRateRequested = true; }

}  // namespace skyloom
