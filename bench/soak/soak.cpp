// Long run of the saver offscreen: the GL window's own procedure draws frame
// after frame on a simulated clock, as `skyloom --render` does (EGL
// surfaceless, the software renderer taken as accelerated, each due nebula
// waiting for its texture so that every run is the same). The window is
// tiny because what is watched is bookkeeping, not pixels: the live scene
// nodes by kind, the resident memory and the GL textures. Exit status 1
// when a count passes the bound its setting allows, when textures other
// than the nebulae's come or go, or when memory grows by more than the
// margin between the end of the warm-up and the end of the run; exit
// status 3 when a frame hangs in the GL driver for a minute.
//   skyloom_soak [--hours H | --minutes M] [--fps N] [--scene default|maximum|both]
//                [--size WxH] [--warmup-minutes M] [--rss-margin-mib N] [--seed N]
//                [--texture-cap PX]
// Ctrl-C (or SIGTERM) ends the run early with the figures so far.
// --texture-cap sets MaxTextureSizePixels: nebula textures of 1024 pixels
// take most of a long run's time, and smaller ones leave the bookkeeping as
// it is. Under llvmpipe the resident memory climbs by 100 MiB or more, by
// a different amount from run to run, over the first simulated hours and
// may still move up and down by tens of MiB later, none of it the saver's:
// softpipe (GALLIUM_DRIVER=softpipe), several times slower, stays flat from
// the first minute over hours. Hence the warm-up of two hours by default,
// and softpipe where the memory figure matters.
// The full run, a simulated day at 10 frames a second with default settings
// and with the maximum scene (FactorNumStars, FactorNumSuns and
// FactorNumNebulae all 1, and constellation lines on, the one kind of
// object off by default):
//   tests/support/run-isolated build/bin/skyloom_soak --hours 24 --fps 10 --size 64x36 --texture-cap 64

#include <csignal>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <GL/gl.h>
#include <unistd.h>

#include "bench/soak/soak_probes.h"
#include "objects/nebula.h"
#include "platform/x11/frame_watchdog.h"
#include "platform/offscreen/offscreen_gl.h"
#include "platform/offscreen/offscreen_host.h"
#include "saver/saver_host.h"
#include "scene/clock_source.h"
#include "saver/gl_window.h"
#include "scene/random.h"
#include "scene/vecmath.h"
#include "settings/settings.h"

#if defined(__SANITIZE_ADDRESS__)
// AddressSanitizer's quarantine keeps freed memory resident, which would
// read as growth; without it resident memory stays flat and the margin
// still means what it says. Its own ASAN_OPTIONS can still set it.
extern "C" const char* __asan_default_options() { return "quarantine_size_mb=0"; }
#endif

namespace {

using namespace skyloom;
using soak::SceneCensus;

// The simulated counter ticks this often a frame, so a frame is exactly 1/fps.
constexpr int64_t kTicksPerFrame = 1000;
// Memory and textures are looked at once a simulated minute.
constexpr double kSampleSeconds = 60.0;
// A new constellation line waits once 25 are live.
constexpr int kMostConstellationLines = 25;
// A sun makes at most this many lens-flare elements.
constexpr int kMostFlaresPerSun = 15;
// A soak frame takes milliseconds; one that has not finished in this long
// is stuck in the GL driver, which has been seen in llvmpipe.
constexpr int64_t kFrameHangMs = 60'000;

int64_t framesDone = 0;

[[noreturn]] void ReportDriverHang(int64_t stuckMs) {
    std::printf("  FAIL\n  frame %lld has not finished for %lld s: the GL driver hung\n",
                static_cast<long long>(framesDone + 1), static_cast<long long>(stuckMs / 1000));
    std::fflush(stdout);
    _exit(3);
}

struct Options {
    double seconds = 24.0 * 3600.0;
    int fps = 10;
    bool defaultScene = true;
    bool maximumScene = true;
    int width = 64;
    int height = 36;
    double warmupSeconds = 2.0 * 3600.0;
    int64_t rssMarginKiB = 16 * 1024;
    uint32_t seed = 20'261'207;
    int32_t textureCap = 0;
};

struct Report {
    const char* scene = "";
    int64_t frames = 0;
    double wallSeconds = 0.0;
    SceneCensus bound;
    SceneCensus most;
    int64_t rssStartKiB = -1;
    int64_t rssEndKiB = -1;
    int64_t rssMostKiB = -1;
    int texturesStart = -1;
    int texturesEnd = -1;
    int texturesMost = -1;
    int nebulaeAtTextureStart = 0;
    int nebulaeAtTextureEnd = 0;
    // Textures that are not nebulae', from the first look on.
    int baseTextures = -1;
    int strayTextureSamples = 0;
    std::string failures;
};

volatile std::sig_atomic_t stopAsked = 0;

void AskToStop(int) { stopAsked = 1; }

class SoakHost final : public OffscreenHost {
public:
    using OffscreenHost::OffscreenHost;
    // Hands the frame to the renderer without waiting for it.
    void SwapGlBuffers() override { glFlush(); }
};

// What the settings let live at once; the scene must never hold more.
SceneCensus BoundsFromSettings() {
    SceneCensus b;
    b.stars = std::clamp(RoundToInt(FactorNumStars.Get() * 20000.0), 0, 20000);
    b.suns = std::clamp(RoundToInt(FactorNumSuns.Get() * 200.0), 0, 200);
    b.nebulae = NebulaTarget();
    b.lines = kMostConstellationLines;
    b.flares = kMostFlaresPerSun * b.suns;
    b.sprites = b.suns + b.nebulae + b.flares;
    // The desktop fade, when there is a desktop picture.
    b.other = 1;
    b.nodes = b.stars + b.suns + b.nebulae + b.lines + b.flares + b.sprites + b.other;
    return b;
}

void CheckBound(Report& r, const char* kind, int most, int bound) {
    if (most > bound) {
        r.failures += std::string("  ") + kind + ": " + std::to_string(most) + " live, bound " +
                      std::to_string(bound) + "\n";
    }
}

void Sample(Report& r, double seconds, bool warmedUp, bool last, const Options& o) {
    const int64_t rss = soak::ResidentKiB();
    const int textures = soak::LiveGlTextureCount();
    const int nebulae = LiveNebulaCount();
    if (r.baseTextures < 0) {
        r.baseTextures = textures - nebulae;
    } else if (textures - nebulae != r.baseTextures) {
        ++r.strayTextureSamples;
    }
    r.texturesMost = std::max(r.texturesMost, textures);
    r.rssMostKiB = std::max(r.rssMostKiB, rss);
    if (warmedUp && r.rssStartKiB < 0) {
        r.rssStartKiB = rss;
        r.texturesStart = textures;
        r.nebulaeAtTextureStart = nebulae;
    }
    if (last) {
        r.rssEndKiB = rss;
        r.texturesEnd = textures;
        r.nebulaeAtTextureEnd = nebulae;
    }
    // About two dozen progress lines a run: the live counts now, the most
    // so far, memory and textures.
    const double every = std::max(kSampleSeconds, std::floor(o.seconds / 24.0 / kSampleSeconds) * kSampleSeconds);
    if (last || std::fmod(seconds, every) < 0.5 / o.fps) {
        const SceneCensus c = soak::TakeSceneCensus();
        const SceneCensus& m = r.most;
        std::printf("  %7.2f h  nodes %6d (most %6d)  suns %3d (%3d)  nebulae %2d (%2d)  lines %2d (%2d)"
                    "  flares %3d (%3d)  sprites %4d (%4d)  RSS %7lld KiB  textures %3d\n",
                    seconds / 3600.0, c.nodes, m.nodes, c.suns, m.suns, c.nebulae, m.nebulae, c.lines, m.lines,
                    c.flares, m.flares, c.sprites, m.sprites, static_cast<long long>(rss), textures);
        std::fflush(stdout);
    }
}

bool RunScene(const Options& o, const char* scene, bool maximum, Report& r) {
    OffscreenGlContext gl;
    if (!gl.Create(o.width, o.height)) {
        std::fprintf(stderr, "skyloom_soak: no offscreen GL context of %dx%d\n", o.width, o.height);
        return false;
    }
    SoakHost host(gl, true);
    RestoreDefaultSettings();
    if (maximum) {
        FactorNumStars.Set(1.0f);
        FactorNumSuns.Set(1.0f);
        FactorNumNebulae.Set(1.0f);
        ConstellationLines.Set(true);
    }
    MaxTextureSizePixels.Set(o.textureCap);
    SimulatedClockSource clock(static_cast<int64_t>(o.fps) * kTicksPerFrame);
    SetClockSource(clock);
    SeedRandom(o.seed);
    SetNebulaSpawnWaitsForTexture(true);
    InstallSaverHost(&host);
    GlWindowProc(WindowEvent{WindowMessage::Create});
    WindowEvent size{WindowMessage::Size};
    size.width = o.width;
    size.height = o.height;
    GlWindowProc(size);

    r.scene = scene;
    r.bound = BoundsFromSettings();
    r.frames = std::llround(o.seconds * o.fps);
    const int64_t warmupFrames = std::llround(o.warmupSeconds * o.fps);
    const int64_t sampleFrames = std::llround(kSampleSeconds * o.fps);
    std::printf("%s scene, %lld frames at %d fps, %dx%d, nebula textures of %d pixels\n", scene,
                static_cast<long long>(r.frames), o.fps, o.width, o.height, NebulaTextureSize());
    const auto start = std::chrono::steady_clock::now();
    FrameWatchdog watchdog(kFrameHangMs, ReportDriverHang);
    for (int64_t frame = 1; frame <= r.frames; ++frame) {
        clock.AdvanceTicks(kTicksPerFrame);
        watchdog.FrameStarted();
        GlWindowProc(WindowEvent{WindowMessage::Paint});
        watchdog.FrameEnded();
        framesDone = frame;
        soak::KeepLargest(r.most, soak::TakeSceneCensus());
        if (stopAsked != 0) {
            std::printf("  stopped early\n");
            r.frames = frame;
        }
        if (frame == 1 || frame % sampleFrames == 0 || frame == warmupFrames || frame == r.frames) {
            Sample(r, static_cast<double>(frame) / o.fps, frame >= warmupFrames, frame == r.frames, o);
        }
    }
    r.wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    GlWindowProc(WindowEvent{WindowMessage::Destroy});
    InstallSaverHost(nullptr);
    SetNebulaSpawnWaitsForTexture(false);
    UseRealClock();

    CheckBound(r, "scene nodes", r.most.nodes, r.bound.nodes);
    CheckBound(r, "stars", r.most.stars, r.bound.stars);
    CheckBound(r, "suns", r.most.suns, r.bound.suns);
    CheckBound(r, "nebulae", r.most.nebulae, r.bound.nebulae);
    CheckBound(r, "constellation lines", r.most.lines, r.bound.lines);
    CheckBound(r, "lens flares", r.most.flares, r.bound.flares);
    CheckBound(r, "sprites", r.most.sprites, r.bound.sprites);
    CheckBound(r, "other nodes", r.most.other, r.bound.other);
    CheckBound(r, "GL textures", r.texturesMost, r.baseTextures + r.bound.nebulae);
    if (r.strayTextureSamples > 0) {
        r.failures += "  textures other than the nebulae's changed in " + std::to_string(r.strayTextureSamples) +
                      " samples\n";
    }
    if (r.rssStartKiB < 0 || r.rssEndKiB < 0) {
        r.failures += "  resident memory unreadable, or the run ended within the warm-up\n";
    } else if (r.rssEndKiB - r.rssStartKiB > o.rssMarginKiB) {
        r.failures += "  resident memory grew by " + std::to_string(r.rssEndKiB - r.rssStartKiB) +
                      " KiB after the warm-up, margin " + std::to_string(o.rssMarginKiB) + " KiB\n";
    }
    return true;
}

void PrintReport(const Report& r, const Options& o) {
    const SceneCensus& m = r.most;
    const SceneCensus& b = r.bound;
    std::printf("%s scene: %lld frames (%.2f simulated hours) in %.0f s\n", r.scene, static_cast<long long>(r.frames),
                r.frames / static_cast<double>(o.fps) / 3600.0, r.wallSeconds);
    std::printf("  most live   nodes %d  stars %d  suns %d  nebulae %d  lines %d  flares %d  sprites %d  other %d\n",
                m.nodes, m.stars, m.suns, m.nebulae, m.lines, m.flares, m.sprites, m.other);
    std::printf("  bounds      nodes %d  stars %d  suns %d  nebulae %d  lines %d  flares %d  sprites %d  other %d\n",
                b.nodes, b.stars, b.suns, b.nebulae, b.lines, b.flares, b.sprites, b.other);
    std::printf("  RSS KiB     after %.0f min %lld  end %lld  most %lld\n", o.warmupSeconds / 60.0,
                static_cast<long long>(r.rssStartKiB), static_cast<long long>(r.rssEndKiB),
                static_cast<long long>(r.rssMostKiB));
    std::printf("  GL textures after %.0f min %d (%d nebulae)  end %d (%d nebulae)  most %d\n", o.warmupSeconds / 60.0,
                r.texturesStart, r.nebulaeAtTextureStart, r.texturesEnd, r.nebulaeAtTextureEnd, r.texturesMost);
    std::printf("  %s\n%s", r.failures.empty() ? "pass" : "FAIL", r.failures.c_str());
}

bool ParsePositive(const char* text, double& value) {
    char* end = nullptr;
    const double parsed = std::strtod(text, &end);
    if (end == text || *end != '\0' || !(parsed > 0.0) || !std::isfinite(parsed)) {
        return false;
    }
    value = parsed;
    return true;
}

bool ParseOptions(int argc, char* argv[], Options& o) {
    for (int i = 1; i < argc; ++i) {
        const char* name = argv[i];
        if (i + 1 >= argc) {
            return false;
        }
        const char* value = argv[++i];
        double number = 0.0;
        if (std::strcmp(name, "--scene") == 0) {
            o.defaultScene = std::strcmp(value, "default") == 0 || std::strcmp(value, "both") == 0;
            o.maximumScene = std::strcmp(value, "maximum") == 0 || std::strcmp(value, "both") == 0;
            if (!o.defaultScene && !o.maximumScene) {
                return false;
            }
        } else if (std::strcmp(name, "--size") == 0) {
            if (std::sscanf(value, "%dx%d", &o.width, &o.height) != 2 || o.width < 1 || o.height < 1) {
                return false;
            }
        } else if (!ParsePositive(value, number)) {
            return false;
        } else if (std::strcmp(name, "--hours") == 0) {
            o.seconds = number * 3600.0;
        } else if (std::strcmp(name, "--minutes") == 0) {
            o.seconds = number * 60.0;
        } else if (std::strcmp(name, "--fps") == 0 && number == std::floor(number) && number <= 1000.0) {
            o.fps = static_cast<int>(number);
        } else if (std::strcmp(name, "--warmup-minutes") == 0) {
            o.warmupSeconds = number * 60.0;
        } else if (std::strcmp(name, "--rss-margin-mib") == 0) {
            o.rssMarginKiB = std::llround(number * 1024.0);
        } else if (std::strcmp(name, "--texture-cap") == 0 && number == std::floor(number) && number <= 65536.0) {
            o.textureCap = static_cast<int32_t>(number);
        } else if (std::strcmp(name, "--seed") == 0 && number == std::floor(number) && number <= 4294967295.0) {
            o.seed = static_cast<uint32_t>(number);
        } else {
            return false;
        }
    }
    return o.warmupSeconds < o.seconds;
}

}  // namespace

int main(int argc, char* argv[]) {
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(stderr,
                     "usage: skyloom_soak [--hours H | --minutes M] [--fps N] [--scene default|maximum|both]\n"
                     "                    [--size WxH] [--warmup-minutes M] [--rss-margin-mib N] [--seed N]\n"
                     "                    [--texture-cap PX]\n"
                     "The warm-up must end before the run does.\n");
        return 2;
    }
    std::signal(SIGINT, AskToStop);
    std::signal(SIGTERM, AskToStop);
    bool passed = true;
    for (int k = 0; k < 2; ++k) {
        const bool maximum = k == 1;
        if (!(maximum ? options.maximumScene : options.defaultScene)) {
            continue;
        }
        Report report;
        if (!RunScene(options, maximum ? "maximum" : "default", maximum, report)) {
            return 1;
        }
        PrintReport(report, options);
        passed = passed && report.failures.empty();
    }
    return passed ? 0 : 1;
}
