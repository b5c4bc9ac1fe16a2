#include "objects/nebula_worker.h"

#include <cstdint>
#include <cstring>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "objects/plasma.h"
#include "scene/random.h"

namespace skyloom {
namespace {

NebulaWorkerSettings Settings(int32_t size, uint32_t seed) {
    NebulaWorkerSettings settings;
    settings.size = size;
    settings.seed = seed;
    settings.colorMode = NebulaColorMode::Custom;
    settings.baseColor = ColorRGBA(0, 0, 102, 255);
    settings.darkStreaks = true;
    return settings;
}

std::vector<uint8_t> TakeReady(NebulaHandOver& slot, double& coverage, ColorRGBA& color) {
    const size_t bytes = static_cast<size_t>(slot.Size()) * slot.Size() * 4;
    std::vector<uint8_t> copy(slot.ReadyTexels(), slot.ReadyTexels() + bytes);
    coverage = slot.ReadyCoverage();
    color = slot.ReadyColor();
    slot.TakeTexture();
    return copy;
}

TEST(NebulaWorkerTest, MakesTheTexturesItsSeedDescribes) {
    constexpr int32_t kSize = 128;
    constexpr uint32_t kSeed = 31337;
    constexpr int kTextures = 3;

    // The same sequence, made on this thread before the worker starts (the
    // height grid serves one generator at a time): per texture a threshold
    // and a roughness, then attempts until the coverage is within 10..60 %.
    SeedRandom(kSeed);
    PlasmaColoring coloring;
    coloring.mode = NebulaColorMode::Custom;
    coloring.baseColor = ColorRGBA(0, 0, 102, 255);
    std::vector<std::vector<uint8_t>> expected(kTextures, std::vector<uint8_t>(kSize * kSize * 4));
    std::vector<double> expectedCoverage(kTextures);
    for (int texture = 0; texture < kTextures; ++texture) {
        const double threshold = 0.3 + RandomDraw() * (0.2 / 32767.0);
        const double roughness = 0.45 + RandomDraw() * (0.2 / 32767.0);
        do {
            expectedCoverage[texture] =
                GeneratePlasmaAlpha(kSize, threshold, roughness, coloring, expected[texture].data())->coverage;
        } while (expectedCoverage[texture] < 10.0 || expectedCoverage[texture] > 60.0);
    }

    NebulaHandOver slot;
    NebulaTextureWorker worker;
    ASSERT_TRUE(worker.Start(slot, Settings(kSize, kSeed)));
    EXPECT_TRUE(worker.IsRunning());
    EXPECT_EQ(slot.Size(), kSize);
    for (int texture = 0; texture < kTextures; ++texture) {
        ASSERT_TRUE(worker.WaitForTexture());
        ASSERT_EQ(slot.State(), NebulaHandOver::kReady);
        double coverage = 0.0;
        ColorRGBA color;
        const std::vector<uint8_t> made = TakeReady(slot, coverage, color);
        EXPECT_EQ(made, expected[texture]) << "texture " << texture;
        EXPECT_DOUBLE_EQ(coverage, expectedCoverage[texture]);
        EXPECT_EQ(color.b, 102);
    }
    worker.Stop();
    EXPECT_FALSE(worker.IsRunning());
    EXPECT_EQ(slot.Size(), 0);
    EXPECT_EQ(slot.State(), NebulaHandOver::kWanted);
    EXPECT_FALSE(worker.WaitForTexture());
}

TEST(NebulaWorkerTest, ARefusedStartLeavesNothingRunning) {
    NebulaHandOver slot;
    NebulaTextureWorker worker;
    for (int32_t size : {0, 100, 1025, 2048}) {
        EXPECT_FALSE(worker.Start(slot, Settings(size, 1))) << size;
        EXPECT_FALSE(worker.IsRunning());
        EXPECT_EQ(slot.Size(), 0);
    }
    ASSERT_TRUE(worker.Start(slot, Settings(64, 1)));
    EXPECT_FALSE(worker.Start(slot, Settings(64, 1)));
    EXPECT_TRUE(worker.IsRunning());
    worker.Stop();
    worker.Stop();
    // It starts again after a stop.
    ASSERT_TRUE(worker.Start(slot, Settings(32, 2)));
    EXPECT_TRUE(worker.WaitForTexture());
}

TEST(NebulaWorkerTest, StopsInTheMiddleOfATextureAndWhileATextureWaits) {
    NebulaHandOver slot;
    NebulaTextureWorker worker;
    ASSERT_TRUE(worker.Start(slot, Settings(1024, 7)));
    while (slot.State() != NebulaHandOver::kBeingMade) {
        std::this_thread::yield();
    }
    worker.Stop();
    EXPECT_FALSE(worker.IsRunning());
    EXPECT_EQ(slot.State(), NebulaHandOver::kWanted);

    ASSERT_TRUE(worker.Start(slot, Settings(64, 7)));
    ASSERT_TRUE(worker.WaitForTexture());
    worker.Stop();
    EXPECT_FALSE(worker.IsRunning());
}

// The producer and the consumer on two threads, as the worker and the
// spawner use the slot: every texture the consumer sees is whole and
// belongs to the coverage and colour handed over with it.
TEST(NebulaHandOverTest, EveryHandedOverTextureIsComplete) {
    constexpr int32_t kSize = 16;
    constexpr int kTextures = 300;
    NebulaHandOver slot;
    ASSERT_TRUE(slot.Allocate(kSize));
    std::thread producer([&slot] {
        int made = 0;
        while (slot.WaitUntilWanted()) {
            slot.BeginTexture();
            ++made;
            std::memset(slot.TexelsForWriting(), made & 0xFF, kSize * kSize * 4);
            slot.PublishTexture(made, ColorRGBA(made, 0, 0, 255));
        }
    });
    int mismatches = 0;
    for (int k = 1; k <= kTextures; ++k) {
        slot.WaitUntilReady();
        const uint8_t* texels = slot.ReadyTexels();
        mismatches += slot.ReadyCoverage() != k || slot.ReadyColor().r != k;
        for (int i = 0; i < kSize * kSize * 4; ++i) {
            mismatches += texels[i] != (k & 0xFF);
        }
        slot.TakeTexture();
    }
    slot.RequestStop();
    producer.join();
    EXPECT_EQ(mismatches, 0);
    slot.Free();
    EXPECT_EQ(slot.State(), NebulaHandOver::kWanted);
    EXPECT_FALSE(slot.Allocate(0));
}

}  // namespace
}  // namespace skyloom
