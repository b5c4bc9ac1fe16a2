// Figures for the nebula texture generator and its worker thread:
//   - time per generation attempt at 1024 and 512 (fixed seed),
//   - attempts per accepted texture (coverage 10..60 %), with and without
//     dark streaks,
//   - CPU time the worker uses while a finished texture waits,
//   - time from a stop request to the joined thread mid-generation.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <memory>
#include <thread>
#include <vector>

#include "objects/nebula_worker.h"
#include "objects/plasma.h"
#include "scene/random.h"

namespace {

using skyloom::ColorRGBA;
using skyloom::GeneratePlasmaAlpha;
using skyloom::NebulaColorMode;
using skyloom::NebulaHandOver;
using skyloom::NebulaTextureWorker;
using skyloom::NebulaWorkerSettings;
using skyloom::PlasmaColouring;
using skyloom::RandomDraw;
using skyloom::SeedRandom;
using Clock = std::chrono::steady_clock;

constexpr uint32_t kSeed = 20240611;
constexpr int kTimedAttempts = 25;
constexpr int kTexturesForAttemptCount = 20;

double MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct Spread {
    double median = 0.0;
    double low = 0.0;
    double high = 0.0;
    double q1 = 0.0;
    double q3 = 0.0;
};

Spread SpreadOf(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    auto at = [&](double q) { return values[static_cast<size_t>(q * (n - 1) + 0.5)]; };
    return Spread{at(0.5), values.front(), values.back(), at(0.25), at(0.75)};
}

// A dark colour gets streaks, a bright one does not.
PlasmaColouring Colouring(bool darkStreaks) {
    PlasmaColouring colouring;
    colouring.mode = NebulaColorMode::kCustom;
    colouring.baseColor = darkStreaks ? ColorRGBA(0, 0, 102, 255) : ColorRGBA(120, 100, 90, 255);
    colouring.darkStreaks = true;
    return colouring;
}

void TimeAttempts(int32_t size, bool darkStreaks) {
    std::vector<uint8_t> texels(static_cast<size_t>(size) * size * 4);
    SeedRandom(kSeed);
    std::vector<double> times;
    const std::clock_t cpuStart = std::clock();
    for (int k = 0; k < kTimedAttempts; ++k) {
        const double threshold = 0.3 + RandomDraw() * (0.2 / 32767.0);
        const double roughness = 0.45 + RandomDraw() * (0.2 / 32767.0);
        const Clock::time_point start = Clock::now();
        GeneratePlasmaAlpha(size, threshold, roughness, Colouring(darkStreaks), texels.data());
        times.push_back(MillisecondsSince(start));
    }
    // The only busy thread is this one, so the process CPU time is the
    // generator's; unlike the wall time it ignores other programs' load.
    const double cpuMs = (std::clock() - cpuStart) * 1000.0 / CLOCKS_PER_SEC / kTimedAttempts;
    const Spread s = SpreadOf(times);
    std::printf("  %4d x %-4d %-16s wall median %6.2f ms, quartiles %6.2f .. %6.2f, min %6.2f, max %6.2f;"
                " CPU mean %6.2f ms  (%d attempts)\n",
                size, size, darkStreaks ? "with streaks" : "without streaks", s.median, s.q1, s.q3, s.low, s.high,
                cpuMs, kTimedAttempts);
}

void CountAttempts(int32_t size, bool darkStreaks) {
    std::vector<uint8_t> texels(static_cast<size_t>(size) * size * 4);
    SeedRandom(kSeed);
    int attempts = 0;
    int most = 0;
    const Clock::time_point start = Clock::now();
    for (int texture = 0; texture < kTexturesForAttemptCount; ++texture) {
        const double threshold = 0.3 + RandomDraw() * (0.2 / 32767.0);
        const double roughness = 0.45 + RandomDraw() * (0.2 / 32767.0);
        int these = 0;
        for (;;) {
            ++these;
            const auto made = GeneratePlasmaAlpha(size, threshold, roughness, Colouring(darkStreaks), texels.data());
            if (made && made->coverage >= 10.0 && made->coverage <= 60.0) {
                break;
            }
        }
        attempts += these;
        most = std::max(most, these);
    }
    std::printf("  %4d x %-4d %-16s mean %.2f attempts per texture (most %d), %.1f ms per texture (%d textures)\n",
                size, size, darkStreaks ? "with streaks" : "without streaks",
                static_cast<double>(attempts) / kTexturesForAttemptCount, most,
                MillisecondsSince(start) / kTexturesForAttemptCount, kTexturesForAttemptCount);
}

NebulaWorkerSettings WorkerSettings(int32_t size) {
    NebulaWorkerSettings settings;
    settings.size = size;
    settings.seed = kSeed;
    settings.colorMode = NebulaColorMode::kRandomEach;
    settings.darkStreaks = true;
    return settings;
}

void MeasureIdleWorker() {
    NebulaHandOver slot;
    NebulaTextureWorker worker;
    if (!worker.Start(slot, WorkerSettings(1024))) {
        std::printf("  worker did not start\n");
        return;
    }
    worker.WaitForTexture();
    // The main thread sleeps, so the process's CPU time is the worker's.
    const std::clock_t before = std::clock();
    std::this_thread::sleep_for(std::chrono::seconds(2));
    const std::clock_t after = std::clock();
    const double usedMs = (after - before) * 1000.0 / CLOCKS_PER_SEC;
    std::printf("  process CPU time over 2 s with a finished texture waiting: %.3f ms (clock resolution %.3f ms)\n",
                usedMs, 1000.0 / CLOCKS_PER_SEC);
    worker.Stop();
}

// busyThreads threads at normal priority keep the CPUs saturated, as a
// software renderer does; the idle-priority worker then gets almost no time.
void MeasureStopLatency(int busyThreads) {
    std::atomic<bool> busy{true};
    std::vector<std::thread> hogs;
    for (int k = 0; k < busyThreads; ++k) {
        hogs.emplace_back([&busy] {
            volatile uint64_t spin = 0;
            while (busy.load(std::memory_order_relaxed)) {
                spin = spin + 1;
            }
        });
    }
    std::vector<double> times;
    for (int k = 0; k < 10; ++k) {
        NebulaHandOver slot;
        NebulaTextureWorker worker;
        if (!worker.Start(slot, WorkerSettings(1024))) {
            std::printf("  worker did not start\n");
            return;
        }
        while (slot.State() != NebulaHandOver::kBeingMade) {
            std::this_thread::yield();
        }
        // Somewhere in the grid, the alpha pass or the walker.
        std::this_thread::sleep_for(std::chrono::milliseconds(2 + 3 * k));
        const Clock::time_point start = Clock::now();
        worker.Stop();
        times.push_back(MillisecondsSince(start));
    }
    busy.store(false);
    for (std::thread& hog : hogs) {
        hog.join();
    }
    const Spread s = SpreadOf(times);
    std::printf("  stop request to joined thread, 1024 generation under way, %d busy threads beside it:"
                " median %.3f ms, max %.3f ms  (10 stops)\n",
                busyThreads, s.median, s.high);
}

}  // namespace

int main() {
    std::printf("Nebula texture generation (seed %u)\n", kSeed);
    std::printf("Time per attempt:\n");
    TimeAttempts(1024, false);
    TimeAttempts(1024, true);
    TimeAttempts(512, false);
    TimeAttempts(512, true);
    std::printf("Attempts until coverage is within 10..60 %%:\n");
    CountAttempts(1024, false);
    CountAttempts(1024, true);
    CountAttempts(512, false);
    CountAttempts(512, true);
    std::printf("Worker thread:\n");
    MeasureIdleWorker();
    MeasureStopLatency(0);
    MeasureStopLatency(static_cast<int>(std::max(1u, std::thread::hardware_concurrency())));
    return 0;
}
