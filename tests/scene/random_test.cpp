#include "scene/random.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace skyloom {
namespace {

// First draws of the 214013 / 2531011 generator from its unseeded state 1
// and from seed 12345, worked out by hand from the recurrence.
uint32_t Step(uint32_t& state) {
    state = state * 214013u + 2531011u;
    return (state >> 16) & 0x7FFF;
}

TEST(RandomDraw, UnseededThreadStartsFromStateOne) {
    // A fresh thread has never been seeded, whatever this thread did.
    std::vector<int> draws;
    std::thread([&draws] {
        for (int i = 0; i < 3; ++i) {
            draws.push_back(RandomDraw());
        }
    }).join();
    EXPECT_EQ(draws, (std::vector<int>{41, 18467, 6334}));
}

TEST(RandomDraw, SeedGivesTheGeneratorSequence) {
    SeedRandom(12345);
    uint32_t state = 12345;
    for (int i = 0; i < 1000; ++i) {
        ASSERT_EQ(RandomDraw(), static_cast<int>(Step(state))) << "draw " << i;
    }
    SeedRandom(12345);
    const int first = RandomDraw();
    SeedRandom(12345);
    EXPECT_EQ(RandomDraw(), first);
}

TEST(RandomDraw, AnotherThreadDoesNotMoveThisThreadsSequence) {
    SeedRandom(777);
    std::vector<int> expected;
    for (int i = 0; i < 10; ++i) {
        expected.push_back(RandomDraw());
    }
    SeedRandom(777);
    std::vector<int> actual;
    for (int i = 0; i < 5; ++i) {
        actual.push_back(RandomDraw());
    }
    std::thread([] {
        SeedRandom(1);
        for (int i = 0; i < 100; ++i) {
            RandomDraw();
        }
    }).join();
    for (int i = 0; i < 5; ++i) {
        actual.push_back(RandomDraw());
    }
    EXPECT_EQ(actual, expected);
}

TEST(RandomSeed, IsTheLastSeedOfThisThreadAndReplaysItsSequence) {
    SeedRandom(4242);
    const int first = RandomDraw();
    RandomDraw();
    EXPECT_EQ(RandomSeed(), 4242u) << "drawing moved the seed";
    uint32_t seenThere = 0;
    int firstThere = 0;
    uint32_t unseeded = 0;
    std::thread([&] {
        unseeded = RandomSeed();
        SeedRandom(7);
        SeedRandom(4242);
        seenThere = RandomSeed();
        firstThere = RandomDraw();
    }).join();
    EXPECT_EQ(unseeded, 1u);
    EXPECT_EQ(seenThere, 4242u);
    EXPECT_EQ(firstThere, first);
    EXPECT_EQ(RandomSeed(), 4242u) << "another thread's seeding moved this thread's";
}

TEST(RandomDraw, CoversTheWhole15BitRange) {
    SeedRandom(1);
    int lowest = 32767;
    int highest = 0;
    for (int i = 0; i < 200000; ++i) {
        const int d = RandomDraw();
        lowest = std::min(lowest, d);
        highest = std::max(highest, d);
    }
    EXPECT_EQ(lowest, 0);
    EXPECT_EQ(highest, 32767);
}

// Finds a seed whose first draw is the wanted value.
uint32_t SeedGivingFirstDraw(int wanted) {
    for (uint32_t seed = 0;; ++seed) {
        uint32_t state = seed;
        if (static_cast<int>(Step(state)) == wanted) {
            return seed;
        }
    }
}

TEST(RandomScaling, EndsOfTheRangeAreReachable) {
    SeedRandom(SeedGivingFirstDraw(0));
    EXPECT_EQ(RandomUnit(), 0.0);
    SeedRandom(SeedGivingFirstDraw(32767));
    EXPECT_DOUBLE_EQ(RandomUnit(), 1.0);
    SeedRandom(SeedGivingFirstDraw(0));
    EXPECT_EQ(RandomRange(-4.0, 6.0), -4.0);
    SeedRandom(SeedGivingFirstDraw(32767));
    EXPECT_DOUBLE_EQ(RandomRange(-4.0, 6.0), 6.0);
}

TEST(RandomInt, SingleValueRangeStillConsumesADraw) {
    SeedRandom(99);
    EXPECT_EQ(RandomInt(3, 3), 3);
    const int afterOne = RandomDraw();
    SeedRandom(99);
    RandomDraw();
    EXPECT_EQ(RandomDraw(), afterOne);
}

TEST(RandomInt, StaysInRangeAndUsesTheModulo) {
    SeedRandom(5);
    for (int i = 0; i < 1000; ++i) {
        const int v = RandomInt(-2, 7);
        ASSERT_GE(v, -2);
        ASSERT_LE(v, 7);
    }
    SeedRandom(SeedGivingFirstDraw(32767));
    EXPECT_EQ(RandomInt(10, 19), 10 + 32767 % 10);
}

TEST(RandomTriangular, EmptyRangeDrawsNothing) {
    SeedRandom(4242);
    EXPECT_EQ(RandomTriangular(5.0, 5.0), 5.0);
    EXPECT_EQ(RandomTriangular(5.0, 5.000001), 5.0);
    const int next = RandomDraw();
    SeedRandom(4242);
    EXPECT_EQ(RandomDraw(), next);
}

TEST(RandomTriangular, ConsumesTwoDrawsAndPeaksInTheMiddle) {
    SeedRandom(31);
    RandomTriangular(0.0, 10.0);
    const int third = RandomDraw();
    SeedRandom(31);
    RandomDraw();
    RandomDraw();
    EXPECT_EQ(RandomDraw(), third);

    SeedRandom(2024);
    int buckets[10] = {};
    const int samples = 100000;
    for (int i = 0; i < samples; ++i) {
        const double v = RandomTriangular(0.0, 10.0);
        ASSERT_GE(v, 0.0);
        ASSERT_LE(v, 10.0);
        ++buckets[std::min(9, static_cast<int>(v))];
    }
    // Triangular density x / 25 rising to the middle: the outer tenths hold
    // 2% each, the two middle ones 18% each.
    EXPECT_NEAR(buckets[0] / static_cast<double>(samples), 0.02, 0.004);
    EXPECT_NEAR(buckets[9] / static_cast<double>(samples), 0.02, 0.004);
    EXPECT_NEAR(buckets[4] / static_cast<double>(samples), 0.18, 0.01);
    EXPECT_NEAR(buckets[5] / static_cast<double>(samples), 0.18, 0.01);
}

}  // namespace
}  // namespace skyloom
