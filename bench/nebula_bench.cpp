// Figures for the nebula texture generator and its worker thread:
//   - time per generation attempt at 1024 and 512 (fixed seed),
//   - attempts per accepted texture (coverage 10..60 %), with and without
//     dark streaks,
//   - CPU time the worker uses while a finished texture waits,
//   - time from a stop request to the joined thread mid-generation.
// The spread of a figure is over its attempts, textures, waits or stops.
#include <time.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "bench/support/bench_options.h"
#include "bench/support/figures.h"
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
using skyloom::PlasmaColoring;
using skyloom::RandomDraw;
using skyloom::SeedRandom;
using skyloom::bench::BenchOptions;
using skyloom::bench::FigureTable;
using Clock = std::chrono::steady_clock;

constexpr uint32_t kSeed = 20240611;

double MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The process's CPU time: with one busy thread, the generator's; unlike
// the wall time it ignores other programs' load.
double CpuMs() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) * 1e-6;
}

// A dark colour gets streaks, a bright one does not.
PlasmaColoring Coloring(bool darkStreaks) {
    PlasmaColoring coloring;
    coloring.mode = NebulaColorMode::Custom;
    coloring.baseColor = darkStreaks ? ColorRGBA(0, 0, 102, 255) : ColorRGBA(120, 100, 90, 255);
    coloring.darkStreaks = true;
    return coloring;
}

std::string Variant(int32_t size, bool darkStreaks) {
    return std::to_string(size) + (darkStreaks ? ", with streaks" : ", without streaks");
}

void TimeAttempts(FigureTable& table, int32_t size, bool darkStreaks, int attempts) {
    std::vector<uint8_t> texels(static_cast<size_t>(size) * size * 4);
    SeedRandom(kSeed);
    std::vector<double> wall;
    std::vector<double> cpu;
    for (int k = 0; k < attempts; ++k) {
        const double threshold = 0.3 + RandomDraw() * (0.2 / 32767.0);
        const double roughness = 0.45 + RandomDraw() * (0.2 / 32767.0);
        const Clock::time_point start = Clock::now();
        const double cpuStart = CpuMs();
        GeneratePlasmaAlpha(size, threshold, roughness, Coloring(darkStreaks), texels.data());
        cpu.push_back(CpuMs() - cpuStart);
        wall.push_back(MillisecondsSince(start));
    }
    table.Add("attempt " + Variant(size, darkStreaks) + ", wall", "ms", wall);
    table.Add("attempt " + Variant(size, darkStreaks) + ", CPU", "ms", cpu);
}

void CountAttempts(FigureTable& table, int32_t size, bool darkStreaks, int textures) {
    std::vector<uint8_t> texels(static_cast<size_t>(size) * size * 4);
    SeedRandom(kSeed);
    std::vector<double> attempts;
    std::vector<double> times;
    for (int texture = 0; texture < textures; ++texture) {
        const double threshold = 0.3 + RandomDraw() * (0.2 / 32767.0);
        const double roughness = 0.45 + RandomDraw() * (0.2 / 32767.0);
        const Clock::time_point start = Clock::now();
        int these = 0;
        for (;;) {
            ++these;
            const auto made = GeneratePlasmaAlpha(size, threshold, roughness, Coloring(darkStreaks), texels.data());
            if (made && made->coverage >= 10.0 && made->coverage <= 60.0) {
                break;
            }
        }
        times.push_back(MillisecondsSince(start));
        attempts.push_back(these);
    }
    table.Add("texture " + Variant(size, darkStreaks) + ", attempts", "attempts", attempts);
    table.Add("texture " + Variant(size, darkStreaks) + ", wall", "ms", times);
}

NebulaWorkerSettings WorkerSettings(int32_t size) {
    NebulaWorkerSettings settings;
    settings.size = size;
    settings.seed = kSeed;
    settings.colorMode = NebulaColorMode::RandomEach;
    settings.darkStreaks = true;
    return settings;
}

// CPU time over a second while a finished texture waits: the main thread
// sleeps, so the process's CPU time is the worker's.
void MeasureIdleWorker(FigureTable& table, int waits) {
    std::vector<double> used;
    for (int k = 0; k < waits; ++k) {
        NebulaHandOver slot;
        NebulaTextureWorker worker;
        if (!worker.Start(slot, WorkerSettings(1024))) {
            break;
        }
        worker.WaitForTexture();
        const double before = CpuMs();
        std::this_thread::sleep_for(std::chrono::seconds(1));
        used.push_back(CpuMs() - before);
        worker.Stop();
    }
    // No figure when the worker did not start: the row shows as failed.
    table.Add("worker waiting with a texture, CPU per second", "ms", used.size() == static_cast<size_t>(waits)
                                                                       ? used
                                                                       : std::vector<double>{});
}

// busyThreads threads at normal priority keep the CPUs saturated, as a
// software renderer does; the lowered worker must still stop promptly.
void MeasureStopLatency(FigureTable& table, int busyThreads, int stops) {
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
    for (int k = 0; k < stops; ++k) {
        NebulaHandOver slot;
        NebulaTextureWorker worker;
        if (!worker.Start(slot, WorkerSettings(1024))) {
            times.clear();
            break;
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
    table.Add("stop to joined worker, " + std::to_string(busyThreads) + " busy threads beside it", "ms", times);
}

}  // namespace

int main(int argc, char* argv[]) {
    BenchOptions options;
    if (!skyloom::bench::ParseBenchOptions(argc, argv, options)) {
        return 2;
    }
    const int attempts = options.Runs(25, 2);
    const int textures = options.Runs(20, 2);
    char title[100];
    std::snprintf(title, sizeof title, "nebula texture generation (seed %u)", kSeed);
    FigureTable table(title);
    for (int32_t size : {1024, 512}) {
        for (bool streaks : {false, true}) {
            TimeAttempts(table, size, streaks, attempts);
        }
    }
    for (int32_t size : {1024, 512}) {
        for (bool streaks : {false, true}) {
            CountAttempts(table, size, streaks, textures);
        }
    }
    MeasureIdleWorker(table, options.Runs(3, 1));
    const int stops = options.Runs(10, 2);
    MeasureStopLatency(table, 0, stops);
    MeasureStopLatency(table, static_cast<int>(std::max(1u, std::thread::hardware_concurrency())), stops);
    return skyloom::bench::ReportFigures(table, options);
}
