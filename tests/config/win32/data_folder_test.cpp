#include "config/data_folder.h"
#include "os/executable_path.h"
#include "settings/settings.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace skyloom {
namespace {

// Without AppDir a copy of Skyloom.scr finds its language files and help
// pages beside itself; the installer's AppDir wins over that.
TEST(DataFolderOnWindows, AppDirElseTheProgramsOwnFolder) {
    const std::string programFolder = std::filesystem::path(ExecutablePath()).parent_path().string();
    ASSERT_FALSE(programFolder.empty());
    const struct {
        const char* appDir;
        std::string expected;
    } cases[] = {
        {"", programFolder},
        {"C:\\Program Files\\Skyloom", "C:\\Program Files\\Skyloom"},
    };
    for (const auto& c : cases) {
        AppDir.Set(c.appDir);
        EXPECT_EQ(DataFolder(), c.expected) << "AppDir=" << c.appDir;
    }
    AppDir.Set("");
}

}  // namespace
}  // namespace skyloom
