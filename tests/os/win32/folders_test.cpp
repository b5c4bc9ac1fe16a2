// Where the program finds itself and keeps its pictures, and the folders
// the screenshots make, in the test's Wine prefix.

#include "os/executable_path.h"
#include "os/user_folders.h"
#include "tests/support/temp_config.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include <windows.h>

namespace skyloom {
namespace {

using testing::ScratchFolder;

bool IsFolder(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

TEST(ExecutablePathTest, NamesThisTestProgram) {
    const std::string path = ExecutablePath();
    ASSERT_GT(path.size(), 3u);
    EXPECT_EQ(path.substr(1, 2), ":\\") << path;
    EXPECT_TRUE(path.ends_with("\\tests_os.exe")) << path;
    const DWORD attributes = GetFileAttributesA(path.c_str());
    EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) << path;
}

TEST(PicturesFolderTest, IsThePicturesFolderInThisUsersProfile) {
    const char* profile = std::getenv("USERPROFILE");
    ASSERT_NE(profile, nullptr);
    EXPECT_EQ(PicturesFolder(), std::string(profile) + "\\Pictures");
}

TEST(CreateFolderPathTest, MakesEveryMissingFolderOrSaysWhyNot) {
    testing::WriteFileText(ScratchFolder() + "\\a file", "x");
    const struct {
        std::string path;
        bool made;
        int error;
    } cases[] = {
        {ScratchFolder() + "\\new\\nested\\folders", true, 0},
        {ScratchFolder() + "/forward/slashes", true, 0},
        {ScratchFolder() + "\\new\\nested\\folders\\", true, 0},
        {ScratchFolder(), true, 0},
        {ScratchFolder() + "\\a file", false, ENOTDIR},
        {ScratchFolder() + "\\a file\\below", false, ENOTDIR},
        {"", false, ENOENT},
    };
    for (const auto& c : cases) {
        errno = 0;
        EXPECT_EQ(CreateFolderPath(c.path), c.made) << c.path;
        EXPECT_EQ(IsFolder(c.path), c.made) << c.path;
        if (!c.made) {
            EXPECT_EQ(errno, c.error) << c.path;
        }
    }
}

}  // namespace
}  // namespace skyloom
