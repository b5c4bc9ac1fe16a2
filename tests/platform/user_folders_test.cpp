// The user's pictures folder and the file checks screenshots rely on.

#include "os/user_folders.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "tests/support/temp_config.h"

namespace skyloom {
namespace {

using testing::ScratchFolder;
using testing::WriteFileText;

const std::string kHome = "/home/ada";

TEST(UserDirsFileTest, ReadsThePicturesEntryAsXdgUserDirsWritesIt) {
    const std::string file =
        "# This file is written by xdg-user-dirs-update\n"
        "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
        "XDG_PICTURES_DIR=\"$HOME/Bilder\"\n"
        "XDG_VIDEOS_DIR=\"$HOME/Videos\"\n";
    EXPECT_EQ(PicturesDirFromUserDirs(file, kHome), "/home/ada/Bilder");
    EXPECT_EQ(PicturesDirFromUserDirs("XDG_PICTURES_DIR=\"/srv/pics/\"\n", kHome), "/srv/pics");
    // Blanks around the key and "=", CRLF endings, escapes.
    EXPECT_EQ(PicturesDirFromUserDirs("  XDG_PICTURES_DIR = \"$HOME/My \\\"Pics\\\"\"\r\n", kHome),
              "/home/ada/My \"Pics\"");
    // The home folder itself: how xdg-user-dirs turns an entry off.
    EXPECT_EQ(PicturesDirFromUserDirs("XDG_PICTURES_DIR=\"$HOME/\"", kHome), "/home/ada");
    EXPECT_EQ(PicturesDirFromUserDirs("XDG_PICTURES_DIR=\"$HOME\"", kHome), "/home/ada");
    // The last assignment wins, as when the file is sourced.
    EXPECT_EQ(PicturesDirFromUserDirs("XDG_PICTURES_DIR=\"$HOME/A\"\nXDG_PICTURES_DIR=\"$HOME/B\"\n", kHome),
              "/home/ada/B");
}

TEST(UserDirsFileTest, IgnoresEntriesItCannotPlace) {
    EXPECT_EQ(PicturesDirFromUserDirs("", kHome), "");
    EXPECT_EQ(PicturesDirFromUserDirs("#XDG_PICTURES_DIR=\"$HOME/Bilder\"\n", kHome), "");
    EXPECT_EQ(PicturesDirFromUserDirs("XDG_PICTURES_DIR=\"Bilder\"\n", kHome), "") << "relative";
    EXPECT_EQ(PicturesDirFromUserDirs("XDG_PICTURES_DIR=\"$HOMEWORK/x\"\n", kHome), "");
    EXPECT_EQ(PicturesDirFromUserDirs("XDG_PICTURES_DIR=$HOME/Bilder\n", kHome), "") << "unquoted";
    EXPECT_EQ(PicturesDirFromUserDirs("XDG_PICTURES_DIR=\"$HOME/Bilder\n", kHome), "") << "unclosed";
    EXPECT_EQ(PicturesDirFromUserDirs("XDG_PICTURES_DIRS=\"$HOME/Bilder\"\n", kHome), "");
    // A broken later line leaves the earlier entry.
    EXPECT_EQ(PicturesDirFromUserDirs("XDG_PICTURES_DIR=\"/a\"\nXDG_PICTURES_DIR=\"b\"\n", kHome), "/a");
}

// HOME and XDG_CONFIG_HOME point into this test's scratch folder.
class PicturesFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        home = ScratchFolder() + "/home-" + ::testing::UnitTest::GetInstance()->current_test_info()->name();
        config = home + "/cfg";
        ASSERT_EQ(mkdir(home.c_str(), 0755), 0);
        setenv("HOME", home.c_str(), 1);
        setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    }

    std::string home;
    std::string config;
};

TEST_F(PicturesFolderTest, ConfiguredFolderFirstThenPicturesThenHome) {
    EXPECT_EQ(PicturesFolder(), home);
    ASSERT_EQ(mkdir((home + "/Pictures").c_str(), 0755), 0);
    EXPECT_EQ(PicturesFolder(), home + "/Pictures");
    // Named even before it exists: it is made when the first picture is saved.
    ASSERT_TRUE(WriteFileText(config + "/user-dirs.dirs", "XDG_PICTURES_DIR=\"$HOME/Bilder\"\n"));
    EXPECT_EQ(PicturesFolder(), home + "/Bilder");
}

TEST_F(PicturesFolderTest, ConfigFolderDefaultsToDotConfig) {
    unsetenv("XDG_CONFIG_HOME");
    ASSERT_TRUE(WriteFileText(home + "/.config/user-dirs.dirs", "XDG_PICTURES_DIR=\"$HOME/Fotos\"\n"));
    EXPECT_EQ(PicturesFolder(), home + "/Fotos");
    // A relative XDG_CONFIG_HOME does not count.
    setenv("XDG_CONFIG_HOME", "cfg", 1);
    EXPECT_EQ(PicturesFolder(), home + "/Fotos");
}

TEST_F(PicturesFolderTest, FoldersAreCreatedUnlessARegularFileIsInTheWay) {
    const std::string deep = home + "/a/b/c";
    EXPECT_TRUE(CreateFolderPath(deep));
    struct stat info {};
    ASSERT_EQ(stat(deep.c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    EXPECT_TRUE(CreateFolderPath(deep)) << "an existing folder is fine";

    ASSERT_TRUE(WriteFileText(home + "/file", "x"));
    errno = 0;
    EXPECT_FALSE(CreateFolderPath(home + "/file"));
    EXPECT_EQ(errno, ENOTDIR);
    EXPECT_FALSE(CreateFolderPath(home + "/file/pictures"));
    EXPECT_EQ(errno, ENOTDIR);
    EXPECT_FALSE(CreateFolderPath(""));
}

TEST_F(PicturesFolderTest, AnyEntryCountsAsAnExistingFile) {
    const std::string file = home + "/shot.bmp";
    EXPECT_FALSE(FileExists(file.c_str()));
    ASSERT_TRUE(WriteFileText(file, ""));
    EXPECT_TRUE(FileExists(file.c_str()));
    EXPECT_TRUE(FileExists(home.c_str()));
    const std::string dangling = home + "/link.bmp";
    ASSERT_EQ(symlink((home + "/nowhere").c_str(), dangling.c_str()), 0);
    EXPECT_TRUE(FileExists(dangling.c_str()));
}

}  // namespace
}  // namespace skyloom
