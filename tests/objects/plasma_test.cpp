#include "objects/plasma.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <limits>
#include <numeric>
#include <vector>

#include <gtest/gtest.h>

#include "objects/nebula_color.h"
#include "scene/random.h"

namespace skyloom {
namespace {

uint64_t HashBytes(const std::vector<uint8_t>& bytes) {
    uint64_t hash = 14695981039346656037ull;
    for (uint8_t b : bytes) {
        hash = (hash ^ b) * 1099511628211ull;
    }
    return hash;
}

int CountVisible(const std::vector<uint8_t>& texels) {
    int count = 0;
    for (size_t i = 3; i < texels.size(); i += 4) {
        count += texels[i] != 0;
    }
    return count;
}

PlasmaColoring Custom(const ColorRGBA& color, bool darkStreaks) {
    PlasmaColoring coloring;
    coloring.mode = NebulaColorMode::Custom;
    coloring.baseColor = color;
    coloring.darkStreaks = darkStreaks;
    return coloring;
}

const PlasmaColoring kBright = Custom(ColorRGBA(120, 100, 90, 255), true);
const PlasmaColoring kDarkNoStreaks = Custom(ColorRGBA(0, 0, 102, 255), false);
const PlasmaColoring kDarkStreaks = Custom(ColorRGBA(0, 0, 102, 255), true);

struct Made {
    std::vector<uint8_t> texels;
    PlasmaTexture result;
};

Made Generate(uint32_t seed, int32_t size, double threshold, double roughness, const PlasmaColoring& coloring) {
    Made made;
    made.texels.assign(static_cast<size_t>(size) * size * 4, 0);
    SeedRandom(seed);
    const auto result = GeneratePlasmaAlpha(size, threshold, roughness, coloring, made.texels.data());
    EXPECT_TRUE(result.has_value());
    if (result) {
        made.result = *result;
    }
    return made;
}

float GridCell(int i, int j) { return PlasmaHeightGrid()[i * kPlasmaGridStride + j]; }

TEST(PlasmaTest, FixedSeedGivesTheSameBytesAndCoverageMatchesARecount) {
    const Made first = Generate(4711, 1024, 0.4, 0.55, kBright);
    const Made second = Generate(4711, 1024, 0.4, 0.55, kBright);
    const Made other = Generate(4712, 1024, 0.4, 0.55, kBright);
    EXPECT_EQ(HashBytes(first.texels), HashBytes(second.texels));
    EXPECT_NE(HashBytes(first.texels), HashBytes(other.texels));
    EXPECT_DOUBLE_EQ(first.result.coverage, second.result.coverage);

    for (const Made* made : {&first, &other}) {
        EXPECT_DOUBLE_EQ(made->result.coverage, CountVisible(made->texels) * 100.0 / (1024.0 * 1024.0));
        EXPECT_GT(made->result.coverage, 0.0);
        EXPECT_LT(made->result.coverage, 100.0);
        // Colour channels are white; the cloud lives in the alpha bytes.
        for (size_t i = 0; i < made->texels.size(); i += 4) {
            ASSERT_EQ(made->texels[i] & made->texels[i + 1] & made->texels[i + 2], 255) << i;
        }
    }
}

TEST(PlasmaTest, CornersAndFirstCellsTakeTheDrawsInOrder) {
    constexpr int n = 64;
    SeedRandom(99);
    int draws[6];
    for (int& d : draws) {
        d = RandomDraw();
    }
    Generate(99, n, 0.4, 0.5, kBright);

    EXPECT_EQ(GridCell(0, 0), draws[0] % 256);
    EXPECT_EQ(GridCell(n, 0), draws[1] % 256);
    EXPECT_EQ(GridCell(n, n), draws[2] % 256);
    EXPECT_EQ(GridCell(0, n), draws[3] % 256);

    // The centre comes first, from the four corners, with the larger
    // diagonal displacement; then the top edge's midpoint, which has only
    // three neighbours inside the grid.
    const double amplitude = n / 2;
    const double corners = (draws[0] % 256 + draws[1] % 256 + draws[2] % 256 + draws[3] % 256) / 4.0;
    const double centre = corners + 1.414 * (-amplitude + draws[4] * 2.0 * amplitude / 32767.0);
    EXPECT_NEAR(GridCell(n / 2, n / 2), centre, 1e-3);
    const double top = (draws[0] % 256 + draws[3] % 256 + GridCell(n / 2, n / 2)) / 3.0 +
                       (-amplitude + draws[5] * 2.0 * amplitude / 32767.0);
    EXPECT_NEAR(GridCell(0, n / 2), top, 1e-3);

    for (int i = 0; i <= n; ++i) {
        for (int j = 0; j <= n; ++j) {
            ASSERT_NE(GridCell(i, j), -std::numeric_limits<float>::max()) << i << "," << j;
        }
    }
}

TEST(PlasmaTest, ThresholdMakesTheTopFractionOfTheRangeVisible) {
    constexpr int n = 256;
    const Made narrow = Generate(321, n, 0.3, 0.5, kBright);
    // The grid does not depend on the threshold.
    std::vector<float> heights;
    float low = std::numeric_limits<float>::max();
    float high = -low;
    for (int i = 0; i <= n; ++i) {
        for (int j = 0; j <= n; ++j) {
            const bool corner = (i == 0 || i == n) && (j == 0 || j == n);
            if (!corner) {
                low = std::min(low, GridCell(i, j));
                high = std::max(high, GridCell(i, j));
            }
            if (i < n && j < n) {
                heights.push_back(GridCell(i, j));
            }
        }
    }
    const Made wide = Generate(321, n, 0.5, 0.5, kBright);

    for (const auto& [made, t] : {std::pair{&narrow, 0.3}, std::pair{&wide, 0.5}}) {
        std::vector<int> order(heights.size());
        std::iota(order.begin(), order.end(), 0);
        std::sort(order.begin(), order.end(), [&](int a, int b) { return heights[a] < heights[b]; });
        int previous = 0;
        for (int k : order) {
            const double v = (heights[k] - low) / (static_cast<double>(high) - low);
            const uint8_t alpha = made->texels[k * 4 + 3];
            ASSERT_GE(alpha, previous) << "alpha must rise with height";
            previous = alpha;
            if (v < 1.0 - t - 1e-6) {
                ASSERT_EQ(alpha, 0) << "below the top fraction " << t;
            }
            if (v > 1.0 - t + t / 255.0 + 1e-6) {
                ASSERT_GT(alpha, 0) << "inside the top fraction " << t;
            }
        }
        EXPECT_GE(previous, 254) << "the highest texel is (nearly) opaque";
    }
    EXPECT_GT(wide.result.coverage, narrow.result.coverage);
    for (size_t i = 3; i < wide.texels.size(); i += 4) {
        ASSERT_GE(wide.texels[i], narrow.texels[i]);
    }
}

TEST(PlasmaTest, DarkStreaksOnlyDarkenAndOnlyDarkColors) {
    const Made plain = Generate(2024, 256, 0.45, 0.5, kDarkNoStreaks);
    const Made streaked = Generate(2024, 256, 0.45, 0.5, kDarkStreaks);
    // The coverage is taken before the walker.
    EXPECT_DOUBLE_EQ(streaked.result.coverage, plain.result.coverage);
    EXPECT_LE(CountVisible(streaked.texels), CountVisible(plain.texels));
    int darkened = 0;
    for (size_t i = 0; i < plain.texels.size(); ++i) {
        if (i % 4 == 3) {
            ASSERT_LE(streaked.texels[i], plain.texels[i]) << i;
            darkened += streaked.texels[i] < plain.texels[i];
        } else {
            ASSERT_EQ(streaked.texels[i], 255);
        }
    }
    EXPECT_GT(darkened, 100);

    // The rule is a component sum of at most 200.
    const Made sum200 = Generate(2024, 256, 0.45, 0.5, Custom(ColorRGBA(100, 50, 50, 255), true));
    const Made sum201 = Generate(2024, 256, 0.45, 0.5, Custom(ColorRGBA(100, 50, 51, 255), true));
    EXPECT_EQ(HashBytes(sum200.texels), HashBytes(streaked.texels));
    EXPECT_EQ(HashBytes(sum201.texels), HashBytes(plain.texels));
}

TEST(PlasmaTest, NextColorFollowsTheColorMode) {
    const ColorRGBA base(10, 20, 30, 255);
    const Made custom = Generate(5, 32, 0.4, 0.5, Custom(base, false));
    EXPECT_EQ(custom.result.nextColor.b, 30);
    EXPECT_EQ(custom.result.nextColor.r, 10);

    PlasmaColoring each = Custom(base, false);
    each.mode = NebulaColorMode::RandomEach;
    const Made first = Generate(5, 32, 0.4, 0.5, each);
    // The pick is drawn after the grid, so the texture is the same.
    EXPECT_EQ(HashBytes(first.texels), HashBytes(custom.texels));
    const ColorRGBA& c = first.result.nextColor;
    EXPECT_GE(c.r + c.g + c.b, 152.4);
    EXPECT_LE(c.r + c.g + c.b, 323.85);
    EXPECT_EQ(c.a, 255);
}

TEST(PlasmaTest, RejectsWhatItCannotMakeAndStopsWhenAsked) {
    std::vector<uint8_t> texels(2048 * 2048 * 4);
    for (int32_t size : {0, 1, 3, 100, 1025, 2048, -64}) {
        EXPECT_FALSE(GeneratePlasmaAlpha(size, 0.4, 0.5, kBright, texels.data())) << size;
    }
    EXPECT_FALSE(GeneratePlasmaAlpha(64, 0.0, 0.5, kBright, texels.data()));
    EXPECT_FALSE(GeneratePlasmaAlpha(64, 1.5, 0.5, kBright, texels.data()));
    EXPECT_FALSE(GeneratePlasmaAlpha(64, 0.4, 0.5, kBright, nullptr));
    EXPECT_TRUE(GeneratePlasmaAlpha(2, 0.4, 0.5, kBright, texels.data()));

    std::atomic<bool> stop{true};
    EXPECT_FALSE(GeneratePlasmaAlpha(1024, 0.4, 0.5, kBright, texels.data(), &stop));
    std::vector<uint8_t> opaque(64 * 64 * 4, 255);
    EXPECT_FALSE(BurnDarkStreaks(opaque.data(), 64, &stop));
    EXPECT_EQ(CountVisible(opaque), 64 * 64);
    EXPECT_FALSE(BurnDarkStreaks(opaque.data(), 0));
    EXPECT_FALSE(BurnDarkStreaks(nullptr, 64));
}

TEST(NebulaColorTest, ModesAndPackedColors) {
    EXPECT_EQ(NebulaColorModeFromSetting(0), NebulaColorMode::Custom);
    EXPECT_EQ(NebulaColorModeFromSetting(1), NebulaColorMode::RandomOnce);
    EXPECT_EQ(NebulaColorModeFromSetting(2), NebulaColorMode::RandomEach);
    EXPECT_EQ(NebulaColorModeFromSetting(3), NebulaColorMode::RandomEach);
    EXPECT_EQ(NebulaColorModeFromSetting(-1), NebulaColorMode::RandomEach);

    // The default custom colour: a blue cloud.
    const ColorRGBA blue = ChooseBaseNebulaColor(NebulaColorMode::Custom, 0x660000);
    EXPECT_EQ(blue.r, 0);
    EXPECT_EQ(blue.g, 0);
    EXPECT_EQ(blue.b, 102);
    EXPECT_EQ(blue.a, 255);
    const ColorRGBA mixed = NebulaColorFromPacked(static_cast<int32_t>(0xFF123456u));
    EXPECT_EQ(mixed.r, 0x56);
    EXPECT_EQ(mixed.g, 0x34);
    EXPECT_EQ(mixed.b, 0x12);

    const ColorRGBA none = ChooseBaseNebulaColor(NebulaColorMode::RandomEach, 0x660000);
    EXPECT_EQ(none.r + none.g + none.b + none.a, 0);
    SeedRandom(8);
    const ColorRGBA once = ChooseBaseNebulaColor(NebulaColorMode::RandomOnce, 0x660000);
    SeedRandom(8);
    const ColorRGBA picked = PickRandomNebulaColor();
    EXPECT_EQ(once.r, picked.r);
    EXPECT_EQ(once.g, picked.g);
    EXPECT_EQ(once.b, picked.b);
}

TEST(NebulaColorTest, RandomColorsStayInsideTheBrightnessBand) {
    SeedRandom(1234);
    int lowest = 1000;
    int highest = 0;
    for (int k = 0; k < 5000; ++k) {
        const ColorRGBA c = PickRandomNebulaColor();
        for (double component : {c.r, c.g, c.b}) {
            ASSERT_GE(component, 0);
            ASSERT_LE(component, 126);
        }
        ASSERT_EQ(c.a, 255);
        const int sum = static_cast<int>(c.r + c.g + c.b);
        lowest = std::min(lowest, sum);
        highest = std::max(highest, sum);
    }
    EXPECT_GE(lowest, 153);
    EXPECT_LE(highest, 323);
    // The band is used to its edges, not a narrower one.
    EXPECT_LT(lowest, 165);
    EXPECT_GT(highest, 310);
}

}  // namespace
}  // namespace skyloom
