#include "os/settings_file.h"
#include "settings/settings.h"
#include "settings/value_text.h"
#include "tests/support/temp_config.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <signal.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace skyloom {
namespace {

using skyloom::testing::ReadFileText;
using skyloom::testing::WriteFileText;

constexpr char kTestKey[] = "Software\\Quillmere\\StoreTest";

std::string ConfigHome() { return std::getenv("XDG_CONFIG_HOME"); }
std::string MainFile() { return ConfigHome() + "/Quillmere/Skyloom.conf"; }
std::string TestFile() { return ConfigHome() + "/Quillmere/StoreTest.conf"; }

std::string StoredText(const std::string& path, const char* name) {
    auto text = FindStoredText(ReadSettingsLines(path), name);
    return text ? *text : std::string("<missing>");
}

int CountValueLines(const std::string& path) {
    int count = 0;
    for (const std::string& line : ReadSettingsLines(path)) {
        if (!line.empty() && line[0] != '#' && line.find('=') != std::string::npos) {
            ++count;
        }
    }
    return count;
}

// The global settings were constructed against this test's fresh folder
// (setting_kinds_test.cpp checks the values).
TEST(SettingsFirstStart, CreatesAll37ValuesInConstructionOrder) {
    const std::string path = MainFile();
    EXPECT_EQ(CountValueLines(path), 37);

    // The values appear in construction order: booleans, floats, integers, texts.
    const auto lines = ReadSettingsLines(path);
    std::vector<std::string> names;
    for (const std::string& line : lines) {
        if (!line.empty() && line[0] != '#') {
            names.push_back(line.substr(0, line.find('=')));
        }
    }
    ASSERT_EQ(names.size(), 37u);
    EXPECT_EQ(names.front(), "ShowSupernovae");
    EXPECT_EQ(names[15], "FactorCameraFov");
    EXPECT_EQ(names[21], "SunColorEnum");
    EXPECT_EQ(names.back(), "CurrentLanguage");
}

TEST(SettingsFirstStart, ANormalStartWritesNothing) {
    const std::string before = ReadFileText(MainFile());
    struct stat info {};
    ASSERT_EQ(stat(MainFile().c_str(), &info), 0);
    const ino_t inode = info.st_ino;
    BoolSetting again(kSettingsKeyPath, "ShowLensFlare", true);
    FloatSetting fov(kSettingsKeyPath, "FactorCameraFov", 0.82f);
    StringSetting language(kSettingsKeyPath, "CurrentLanguage", "english");
    ASSERT_EQ(stat(MainFile().c_str(), &info), 0);
    EXPECT_EQ(info.st_ino, inode);  // not replaced
    EXPECT_EQ(ReadFileText(MainFile()), before);
}

class StoredValueTest : public ::testing::Test {
protected:
    void Store(const std::string& body) {
        ASSERT_TRUE(WriteFileText(TestFile(), "# test\n" + body));
    }
};

TEST_F(StoredValueTest, CrlfLinesDuplicatesAndForeignLinesAreHandled) {
    Store(
        "Mode=2\r\n"
        "mode=3\r\n"
        "Unknown line without equals\r\n"
        "Other=keep me\r\n");
    IntSetting mode(kTestKey, "Mode", 0);
    EXPECT_EQ(mode.Get(), 2);  // the first of two names wins, case aside
    mode.Set(5);
    const std::string text = ReadFileText(TestFile());
    EXPECT_NE(text.find("Mode=5\n"), std::string::npos);
    EXPECT_NE(text.find("mode=3"), std::string::npos);
    EXPECT_NE(text.find("Unknown line without equals"), std::string::npos);
    EXPECT_NE(text.find("Other=keep me"), std::string::npos);
    EXPECT_EQ(StoredText(TestFile(), "Mode"), "5");
}

TEST_F(StoredValueTest, AByteOrderMarkHidesNoValue) {
    for (const char* lineEnd : {"\n", "\r\n"}) {
        ASSERT_TRUE(WriteFileText(TestFile(), std::string("\xEF\xBB\xBF") + "FactorNumStars=0.5" + lineEnd +
                                                  "Other=1" + lineEnd));
        FloatSetting stars(kTestKey, "FactorNumStars", 0.125f);
        EXPECT_EQ(stars.Get(), 0.5f) << "line end " << (lineEnd[0] == '\r' ? "CRLF" : "LF");
        stars.Set(0.25f);
        int named = 0;
        for (const std::string& line : ReadSettingsLines(TestFile())) {
            named += line.find("FactorNumStars=") != std::string::npos ? 1 : 0;
        }
        EXPECT_EQ(named, 1) << ReadFileText(TestFile());
        EXPECT_EQ(StoredText(TestFile(), "FactorNumStars"), "0.25");
        EXPECT_EQ(StoredText(TestFile(), "Other"), "1");
    }
}

TEST_F(StoredValueTest, NonTextAndOversizedFilesReadAsEmpty) {
    ASSERT_TRUE(WriteFileText(TestFile(), std::string("Value=9\n\0junk", 13)));
    IntSetting binary(kTestKey, "Value", 1);
    EXPECT_EQ(binary.Get(), 1);
    // Replaced by a clean file when the value was written back.
    EXPECT_EQ(StoredText(TestFile(), "Value"), "1");

    std::string big = "Value=9\n" + std::string(1024 * 1024, '#');
    ASSERT_TRUE(WriteFileText(TestFile(), big));
    IntSetting oversized(kTestKey, "Value", 2);
    EXPECT_EQ(oversized.Get(), 2);
}

TEST(SettingsFailures, UnusableFolderRunsOnDefaultsSilently) {
    // A path through a regular file fails even for root.
    const std::string blocker = skyloom::testing::ScratchFolder() + "/blocker";
    ASSERT_TRUE(WriteFileText(blocker, "not a folder"));
    const std::string saved = ConfigHome();
    setenv("XDG_CONFIG_HOME", (blocker + "/config").c_str(), 1);
    IntSetting count(kTestKey, "Count", 11);
    EXPECT_EQ(count.Get(), 11);
    count.Set(12);
    EXPECT_EQ(count.Get(), 12);
    StringSetting text(kTestKey, "Text", "fallback");
    EXPECT_STREQ(text.Get(), "fallback");
    setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
}

TEST(SettingsPath, OnlyAnAbsoluteConfigHomeIsUsed) {
    const std::string savedConfig = ConfigHome();
    const std::string home = std::getenv("HOME");
    const struct {
        const char* configHome;  // nullptr: unset
        std::string folder;
    } cases[] = {
        {"/srv/conf", "/srv/conf"},
        {"relative/conf", home + "/.config"},
        {"./conf", home + "/.config"},
        {"", home + "/.config"},
        {nullptr, home + "/.config"},
    };
    for (const auto& c : cases) {
        if (c.configHome != nullptr) {
            setenv("XDG_CONFIG_HOME", c.configHome, 1);
        } else {
            unsetenv("XDG_CONFIG_HOME");
        }
        EXPECT_EQ(SettingsFilePathForKey(kSettingsKeyPath), c.folder + "/Quillmere/Skyloom.conf")
            << (c.configHome != nullptr ? c.configHome : "unset");
    }
    setenv("XDG_CONFIG_HOME", savedConfig.c_str(), 1);
}

TEST(SettingsFailures, FileReplacedByAFolderKeepsValuesInMemory) {
    ASSERT_EQ(mkdir((ConfigHome() + "/Quillmere").c_str(), 0700) == 0 || errno == EEXIST, true);
    ASSERT_EQ(mkdir(TestFile().c_str(), 0700), 0);
    IntSetting count(kTestKey, "Count", 4);
    count.Set(8);
    EXPECT_EQ(count.Get(), 8);
    struct stat info {};
    ASSERT_EQ(stat(TestFile().c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
}

TEST(SettingsFailures, LinkToDeviceReadsAsEmptyAndIsReplacedOnWrite) {
    ASSERT_TRUE(WriteFileText(TestFile(), ""));
    unlink(TestFile().c_str());
    ASSERT_EQ(symlink("/dev/zero", TestFile().c_str()), 0);
    IntSetting count(kTestKey, "Count", 5);
    EXPECT_EQ(count.Get(), 5);
    EXPECT_EQ(StoredText(TestFile(), "Count"), "5");
}

TEST(SettingsFailures, LinkToARegularFileIsWrittenThrough) {
    const std::string target = skyloom::testing::ScratchFolder() + "/dotfiles/skyloom.conf";
    ASSERT_TRUE(WriteFileText(target, "Count=3\n"));
    ASSERT_TRUE(WriteFileText(TestFile(), ""));
    unlink(TestFile().c_str());
    ASSERT_EQ(symlink(target.c_str(), TestFile().c_str()), 0);
    IntSetting count(kTestKey, "Count", 5);
    EXPECT_EQ(count.Get(), 3);
    count.Set(4);
    struct stat info {};
    ASSERT_EQ(lstat(TestFile().c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    EXPECT_EQ(StoredText(target, "Count"), "4");
}

int WaitForChild(pid_t pid) {
    int status = 0;
    waitpid(pid, &status, 0);
    return status;
}

TEST(SettingsConcurrency, TwoProcessesWritingDifferentValuesBothSurvive) {
    IntSetting seedA(kTestKey, "A0", 0);
    IntSetting seedB(kTestKey, "B0", 0);
    std::vector<pid_t> children;
    for (const char prefix : {'A', 'B'}) {
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            for (int i = 0; i < 40; ++i) {
                const std::string name = std::string(1, prefix) + std::to_string(i % 8);
                IntSetting value(kTestKey, name.c_str(), 0);
                value.Set(i);
            }
            _exit(0);
        }
        children.push_back(pid);
    }
    for (pid_t pid : children) {
        const int status = WaitForChild(pid);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    for (const char prefix : {'A', 'B'}) {
        for (int slot = 0; slot < 8; ++slot) {
            const std::string name = std::string(1, prefix) + std::to_string(slot);
            EXPECT_EQ(StoredText(TestFile(), name.c_str()), std::to_string(32 + slot)) << name;
        }
    }
}

void KillSelf() { raise(SIGKILL); }

TEST(SettingsConcurrency, WriterKilledBeforeTheRenameLeavesTheOldFile) {
    IntSetting count(kTestKey, "Count", 1);
    count.Set(2);
    const std::string before = ReadFileText(TestFile());
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        SetSettingsWriteInterruptForTesting(KillSelf);
        count.Set(3);
        _exit(0);
    }
    const int status = WaitForChild(pid);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(ReadFileText(TestFile()), before);
    IntSetting reread(kTestKey, "Count", 1);
    EXPECT_EQ(reread.Get(), 2);
    // The lock died with the writer; the next write goes through.
    reread.Set(4);
    EXPECT_EQ(StoredText(TestFile(), "Count"), "4");
}

}  // namespace
}  // namespace skyloom
