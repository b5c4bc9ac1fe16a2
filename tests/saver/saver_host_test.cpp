// What the saver's procedures ask of the host they run on.

#include "saver/api_result.h"
#include "saver/default_saver_proc.h"
#include "saver/entry.h"
#include "scene/render_size.h"
#include "settings/settings.h"
#include "tests/support/test_saver_host.h"

#include <gtest/gtest.h>

#include <functional>

namespace skyloom {
namespace {

using testing::TestSaverHost;

TEST(SaverHostTest, CreateAsksForTheDesktopPictureOnlyWhenTheFadeIsWanted) {
    const struct {
        const char* what;
        std::function<void()> set;
        bool wanted;
    } cases[] = {
        {"defaults", [] {}, true},
        {"FadeFromDesktop off", [] { FadeFromDesktop.Set(0); }, false},
        {"LowDetail on", [] { LowDetail.Set(1); }, false},
        {"preview", [] { fChildPreview = true; }, false},
    };
    for (const auto& c : cases) {
        RestoreDefaultSettings();
        c.set();
        TestSaverHost host(SaverMode::Window);
        WindowEvent create{WindowMessage::Create};
        create.width = 640;
        create.height = 480;
        EXPECT_EQ(ScreenSaverProc(create), 0) << c.what;
        EXPECT_EQ(host.glWindowsCreated, 1) << c.what;
        EXPECT_EQ(host.glWindowRect, (ScreenRect{0, 0, 640, 480})) << c.what;
        EXPECT_EQ(host.pictureWanted, c.wanted) << c.what;
        fChildPreview = false;
    }
    RestoreDefaultSettings();
}

TEST(SaverHostDeathTest, ProceduresWithoutAHostEndTheProcess) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(DefScreenSaverProc(WindowEvent{WindowMessage::Close}), "without a saver host");
}

TEST(SaverHostDeathTest, AFailedCallShowsABoxOnlyWhereTheSaverOwnsTheScreen) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const struct {
        SaverMode mode;
        const char* output;
    } cases[] = {
        {SaverMode::FullScreen, "^message box: glXMakeCurrent failed: Error 5\\.\n$"},
        {SaverMode::Window, "^message box: glXMakeCurrent failed: Error 5\\.\n$"},
        {SaverMode::Preview, "^Skyloom: glXMakeCurrent failed: Error 5\\.\n$"},
        {SaverMode::Root, "^Skyloom: glXMakeCurrent failed: Error 5\\.\n$"},
        {SaverMode::Render, "^Skyloom: glXMakeCurrent failed: Error 5\\.\n$"},
    };
    for (const auto& c : cases) {
        EXPECT_EXIT(
            {
                TestSaverHost host(c.mode);
                CheckApiResult(0, 0, "glXMakeCurrent", 5);
            },
            ::testing::ExitedWithCode(1), c.output)
            << static_cast<int>(c.mode);
    }
}

}  // namespace
}  // namespace skyloom
