#include "saver/entry.h"

#include "config/language_tables.h"
#include "objects/desktop_fade.h"
#include "saver/saver_host.h"
#include "scene/clock_source.h"
#include "saver/default_saver_proc.h"
#include "saver/music_player.h"
#include "scene/render_size.h"
#include "saver/screenshot.h"
#include "saver/screen_geometry.h"
#include "scene/random.h"
#include "settings/settings.h"

#include <cstdio>

namespace skyloom {

namespace {
int32_t displayColorBits = 0;

// The configuration sheet has three pages.
constexpr int32_t kLastConfigurePage = 2;

// Where the GL window goes in a saver window of this size.
ScreenRect GlWindowRect(int32_t width, int32_t height) {
    const bool fullScreen = Host().CurrentSaverMode() == SaverMode::FullScreen;
    const ScreenRect client{0, 0, width, height};
    return ChooseGlWindowRect(fullScreen, fullScreen ? Host().ListMonitors() : std::vector<MonitorInfo>{},
                              PrimaryMonitorOnly.Get() == 1, client);
}

MessageResult CreateSaverWindow(const WindowEvent& event) {
    CommonStartup();
    UsageCountScreensaver.Increment();

    const ScreenRect rect = GlWindowRect(event.width, event.height);
    SetRenderSize(rect.width, rect.height);

    displayColorBits = Host().SaverWindowColorBits();
    if (displayColorBits <= 8) {
        // Standard error only: the dialog toolkit cannot draw a box on an
        // 8-bit display either.
        std::fprintf(stderr, "Skyloom: %s\n", GetText(T_256COLORS));
        return -1;
    }
    // Full screen and for a daemon only: never in a preview or a desktop
    // window. The player itself starts after the first frame.
    const SaverMode mode = Host().CurrentSaverMode();
    PrepareConfiguredMusic(mode == SaverMode::FullScreen || mode == SaverMode::Root);
    Host().CreateGlWindow(rect, DesktopFadeRequested());
    return 0;
}
}  // namespace

void CommonStartup() {
    // Counts the start in UCA and, on the very first one, picks the language.
    ChooseStartLanguage();
    const int32_t seed = Seed.Get();
    SeedRandom(seed != 0 ? static_cast<uint32_t>(seed) : TimeGetTime());
    VersionMajor.Set(kVersionMajor);
    VersionMinor.Set(kVersionMinor);
    // A negative page index is as unusable as one past the last page.
    const int32_t sheet = CurrentConfigureSheet.Get();
    if (sheet > kLastConfigurePage || sheet < 0) {
        CurrentConfigureSheet.Set(0);
    }
}

MessageResult ScreenSaverProc(const WindowEvent& event) {
    switch (event.message) {
    case WindowMessage::Create:
        return CreateSaverWindow(event);
    case WindowMessage::Size:
        // The screen changed: the GL window's own Size follows the move.
        Host().MoveGlWindow(GlWindowRect(event.width, event.height));
        return 0;
    case WindowMessage::KeyDown:
        if (event.key == kKeyF1 || event.key == 'F') {
            // No Windows version applies here, so these keys always open the
            // configuration; the key then ends a full-screen saver like any other.
            Host().OpenConfigurationDetached();
        }
        if (event.key == kKeyF5) {
            // The next frame's picture goes to the first free name in the
            // pictures folder. The key is consumed: the saver keeps running.
            char path[kScreenshotPathSize];
            if (ChooseScreenshotPath(path, sizeof path)) {
                SaveScreenshot(path);
            }
            return 0;
        }
        return DefScreenSaverProc(event);
    default:
        return DefScreenSaverProc(event);
    }
}

bool RegisterDialogClasses() { return true; }

int ScreenSaverConfigureDialog() {
    CommonStartup();
    return Host().RunConfigurationSheet();
}

int32_t DisplayColorBits() { return displayColorBits; }

}  // namespace skyloom
