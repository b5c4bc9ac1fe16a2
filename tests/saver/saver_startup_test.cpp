#include "os/settings_file.h"
#include "saver/api_result.h"
#include "saver/entry.h"
#include "saver/fatal_exit.h"
#include "saver/gl_window.h"
#include "saver/overlay_pass.h"
#include "scene/random.h"
#include "settings/settings.h"
#include "tests/support/test_saver_host.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace skyloom {
namespace {

std::string StoredText(const char* name) {
    const std::string path = SettingsFilePathForKey(kSettingsKeyPath);
    return FindStoredText(ReadSettingsLines(path), name).value_or("<missing>");
}

TEST(CommonStartupTest, CountsStartsAndStoresTheVersion) {
    UCA.Set(4);
    VersionMajor.Set(1);
    VersionMinor.Set(9);
    CommonStartup();
    EXPECT_EQ(UCA.Get(), 5);
    EXPECT_EQ(StoredText("UCA"), "5");
    EXPECT_EQ(StoredText("VersionMajor"), "3");
    EXPECT_EQ(StoredText("VersionMinor"), "3");
    CommonStartup();
    EXPECT_EQ(StoredText("UCA"), "6");
}

TEST(CommonStartupTest, ResetsAConfigurationPageOutOfRange) {
    for (int32_t stored : {7, 3, -1, INT32_MIN}) {
        CurrentConfigureSheet.Set(stored);
        CommonStartup();
        EXPECT_EQ(CurrentConfigureSheet.Get(), 0) << stored;
        EXPECT_EQ(StoredText("CurrentConfigureSheet"), "0");
    }
    for (int32_t kept : {0, 1, 2}) {
        CurrentConfigureSheet.Set(kept);
        CommonStartup();
        EXPECT_EQ(CurrentConfigureSheet.Get(), kept);
    }
}

TEST(CommonStartupTest, FixedSeedRepeatsTheSequence) {
    Seed.Set(4242);
    CommonStartup();
    const int first[3] = {RandomDraw(), RandomDraw(), RandomDraw()};
    SeedRandom(4242);
    for (int expected : first) {
        EXPECT_EQ(RandomDraw(), expected);
    }
    // Another fixed seed gives another sequence.
    Seed.Set(4243);
    CommonStartup();
    const int other[3] = {RandomDraw(), RandomDraw(), RandomDraw()};
    EXPECT_FALSE(other[0] == first[0] && other[1] == first[1] && other[2] == first[2]);
    Seed.Set(0);
}

TEST(ApiResultTest, SuccessReturnsQuietly) {
    testing::TestSaverHost host(SaverMode::FullScreen);
    CheckApiResult(1, 0, "XCreateWindow", 3);
    CheckApiResult(-1, 0, "XCreateWindow", 3);
    CheckApiResult(0, -1, "glXChooseVisual", 0);
    EXPECT_EQ(host.messagesShown, 0);
}

void ReportTeardown() { std::fputs("emergency teardown ran\n", stderr); }

TEST(ApiResultDeathTest, FailureNamesTheCallAndEndsThroughTheEmergencyTeardown) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            testing::TestSaverHost host(SaverMode::Render);
            AddEmergencyTeardown(ReportTeardown);
            CheckApiResult(0, 0, "glXCreateContext", 8);
        },
        ::testing::ExitedWithCode(1), "emergency teardown ran\n.*glXCreateContext failed: Error 8\\.");
}

TEST(CreditsFadeTest, RisesForThirteenSecondsThenFadesOutForTen) {
    CreditsFade fade;
    const double frame = 1.0 / 60.0;
    double t = 0.0;
    double fullAt = -1.0;
    double goneAt = -1.0;
    while (t < 40.0) {
        AdvanceCreditsFade(fade, frame);
        t += frame;
        ASSERT_GE(fade.intensity, 0.0);
        ASSERT_LE(fade.intensity, 1.0);
        if (fullAt < 0.0 && fade.intensity >= 1.0) {
            fullAt = t;
        }
        if (fullAt > 0.0 && goneAt < 0.0 && fade.intensity <= 0.0) {
            goneAt = t;
        }
    }
    EXPECT_NEAR(fullAt, 13.33, 0.05);
    EXPECT_NEAR(goneAt, 23.33, 0.05);
    EXPECT_EQ(fade.intensity, 0.0);
    EXPECT_EQ(fade.rate, -0.1);
}

TEST(CreditsFadeTest, OneLongFrameIsClampedAndStillTurnsTheFade) {
    CreditsFade fade;
    AdvanceCreditsFade(fade, 100.0);
    EXPECT_EQ(fade.intensity, 1.0);
    EXPECT_EQ(fade.rate, -0.1);
    AdvanceCreditsFade(fade, 100.0);
    EXPECT_EQ(fade.intensity, 0.0);
    EXPECT_EQ(fade.rate, -0.1);
}

TEST(AutomaticCloseTest, FiresFromTheCountdownOnwardWhileArmed) {
    EXPECT_FALSE(AutomaticCloseDue(true, 30, 29.99));
    EXPECT_TRUE(AutomaticCloseDue(true, 30, 30.0));
    EXPECT_TRUE(AutomaticCloseDue(true, 30, 500.0));
    EXPECT_FALSE(AutomaticCloseDue(false, 30, 31.0));
    EXPECT_FALSE(AutomaticCloseDue(true, 0, 1e9));
    EXPECT_FALSE(AutomaticCloseDue(true, -5, 1e9));
}

TEST(AutomaticCloseTest, OnlyEndsASaverThatOwnsItsLife) {
    // A preview belongs to the settings program, -root to the daemon, a
    // render to its frame count.
    const struct {
        SaverMode mode;
        bool ends;
    } cases[] = {{SaverMode::FullScreen, true}, {SaverMode::Window, true},  {SaverMode::Preview, false},
                 {SaverMode::Root, false},      {SaverMode::Render, false}};
    for (const auto& c : cases) {
        EXPECT_EQ(BailCountdownEnds(c.mode), c.ends) << static_cast<int>(c.mode);
    }
}

TEST(RendererTest, SoftwareRasterisersAreNotAccelerated) {
    EXPECT_TRUE(IsSoftwareRenderer("llvmpipe (LLVM 15.0.6, 256 bits)"));
    EXPECT_TRUE(IsSoftwareRenderer("softpipe"));
    EXPECT_TRUE(IsSoftwareRenderer("Mesa X11 swrast"));
    EXPECT_TRUE(IsSoftwareRenderer("Software Rasterizer"));
    EXPECT_TRUE(IsSoftwareRenderer(nullptr));
    EXPECT_FALSE(IsSoftwareRenderer("AMD Radeon RX 6600 (navi23, LLVM 15.0.6, DRM 3.49, 6.1.0)"));
    EXPECT_FALSE(IsSoftwareRenderer("Mesa Intel(R) UHD Graphics 620 (KBL GT2)"));
    EXPECT_FALSE(IsSoftwareRenderer("NVIDIA GeForce RTX 3060/PCIe/SSE2"));
}

TEST(FrameRateOverlayTest, SettingOfOneOrTheCommandLineShowsIt) {
    ShowFramerate.Set(0);
    EXPECT_FALSE(FrameRateOverlayShown());
    ShowFramerate.Set(2);
    EXPECT_FALSE(FrameRateOverlayShown());
    ShowFramerate.Set(1);
    EXPECT_TRUE(FrameRateOverlayShown());
    ShowFramerate.Set(0);
    ShowFrameRateThisRun();
    EXPECT_TRUE(FrameRateOverlayShown());
    // For this run only: the stored setting is untouched.
    EXPECT_EQ(StoredText("ShowFramerate"), "0");
}

}  // namespace
}  // namespace skyloom
