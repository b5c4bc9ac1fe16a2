#include "settings/settings.h"
#include "settings/settings_file.h"
#include "settings/value_text.h"
#include "tests/support/temp_config.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <signal.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

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

// The global settings were constructed against this test's fresh folder.
TEST(SettingsFirstStart, CreatesAll37ValuesWithTheirDefaults) {
    const std::string path = MainFile();
    EXPECT_EQ(CountValueLines(path), 37);
    EXPECT_EQ(StoredText(path, "FactorCameraFov"), "0.82");
    EXPECT_EQ(StoredText(path, "FactorNumStars"), "0.125");
    EXPECT_EQ(StoredText(path, "CustomNebulaColor"), "6684672");  // 0x660000
    EXPECT_EQ(StoredText(path, "CustomSunColor"), "16777215");
    EXPECT_EQ(StoredText(path, "CurrentLanguage"), "english");
    EXPECT_EQ(StoredText(path, "MusicFilename"), "");
    EXPECT_EQ(StoredText(path, "PrimaryMonitorOnly"), "1");
    EXPECT_EQ(StoredText(path, "ShowLocalTime"), "0");
    EXPECT_FLOAT_EQ(FactorCameraFov.Get(), 0.82f);
    EXPECT_EQ(VersionMajor.Get(), 3);

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

TEST_F(StoredValueTest, WrongKindsGiveTheDefaultAndAreWrittenBack) {
    Store(
        "ShowLensFlare=yes\n"
        "Count=12abc\n"
        "Empty=\n"
        "TooBig=4294967296\n"
        "Fov=nan\n"
        "Huge=1e39\n"
        "Speed=0.5x\n");
    BoolSetting flare(kTestKey, "ShowLensFlare", true);
    IntSetting count(kTestKey, "Count", 7);
    IntSetting empty(kTestKey, "Empty", 3);
    IntSetting tooBig(kTestKey, "TooBig", -1);
    FloatSetting fov(kTestKey, "Fov", 0.82f);
    FloatSetting huge(kTestKey, "Huge", 0.25f);
    FloatSetting speed(kTestKey, "Speed", 0.12f);
    EXPECT_EQ(flare.Get(), 1);
    EXPECT_EQ(count.Get(), 7);
    EXPECT_EQ(empty.Get(), 3);
    EXPECT_EQ(tooBig.Get(), -1);
    EXPECT_FLOAT_EQ(fov.Get(), 0.82f);
    EXPECT_FLOAT_EQ(huge.Get(), 0.25f);
    EXPECT_FLOAT_EQ(speed.Get(), 0.12f);
    EXPECT_EQ(StoredText(TestFile(), "ShowLensFlare"), "1");
    EXPECT_EQ(StoredText(TestFile(), "Count"), "7");
    EXPECT_EQ(StoredText(TestFile(), "Empty"), "3");
    EXPECT_EQ(StoredText(TestFile(), "TooBig"), "-1");
    EXPECT_EQ(StoredText(TestFile(), "Fov"), "0.82");
    EXPECT_EQ(StoredText(TestFile(), "Speed"), "0.12");
}

TEST_F(StoredValueTest, AcceptedNumberFormsAreNormalized) {
    Store(
        "Colour=0x660000\n"
        "Negative=-2147483648\n"
        "Padded=  42 \n"
        "Pattern=0xFFFFFFFF\n"
        "Float=1\n");
    IntSetting color(kTestKey, "Colour", 0);
    IntSetting negative(kTestKey, "Negative", 0);
    IntSetting padded(kTestKey, "Padded", 0);
    IntSetting pattern(kTestKey, "Pattern", 0);
    FloatSetting asFloat(kTestKey, "Float", 0.5f);
    EXPECT_EQ(color.Get(), 0x660000);
    EXPECT_EQ(negative.Get(), INT32_MIN);
    EXPECT_EQ(padded.Get(), 42);
    EXPECT_EQ(pattern.Get(), -1);
    EXPECT_EQ(asFloat.Get(), 1.0f);
    // Colours and all integers are written back in decimal.
    EXPECT_EQ(StoredText(TestFile(), "Colour"), "6684672");
    EXPECT_EQ(StoredText(TestFile(), "Padded"), "42");
}

TEST_F(StoredValueTest, NumberUnderATextSettingIsTakenAsText) {
    Store("CurrentLanguage=42\n");
    StringSetting language(kTestKey, "CurrentLanguage", "english");
    EXPECT_STREQ(language.Get(), "42");
}

TEST_F(StoredValueTest, TextOf500BytesOrMoreGivesTheDefault) {
    Store("MusicFilename=" + std::string(600, 'a') + "\nExactly499=" + std::string(499, 'b') +
          "\nExactly500=" + std::string(500, 'c') + "\n");
    StringSetting music(kTestKey, "MusicFilename", "");
    StringSetting fits(kTestKey, "Exactly499", "");
    StringSetting over(kTestKey, "Exactly500", "dflt");
    EXPECT_STREQ(music.Get(), "");
    EXPECT_EQ(std::strlen(fits.Get()), 499u);
    EXPECT_STREQ(over.Get(), "dflt");
    EXPECT_EQ(StoredText(TestFile(), "MusicFilename"), "");
    EXPECT_EQ(StoredText(TestFile(), "Exactly500"), "dflt");
}

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

TEST_F(StoredValueTest, FactorsBeyondTheirRangeCountAsTheNearerEnd) {
    const std::pair<float, double> cases[] = {
        {0.5f, 0.5}, {0.0f, 0.0}, {1.0f, 1.0}, {1e10f, 1.0}, {1.0000001f, 1.0}, {-0.25f, 0.0}, {-3e38f, 0.0}};
    for (const auto& [stored, factor] : cases) {
        FloatSetting setting(kTestKey, "Factor", 0.5f);
        setting.Set(stored);
        EXPECT_EQ(setting.Factor(), factor) << stored;
        EXPECT_EQ(setting.Get(), stored) << "the stored value itself is kept";
    }
}

TEST_F(StoredValueTest, FloatsRoundTripBitForBit) {
    const float values[] = {0.82f, 0.12f, 0.15f, 0.125f, 0.22f, 1.0f, 0.0f, 1e-7f, 0.3333333f, 0.999f,
                            123456.7f, -0.0f};
    for (size_t i = 0; i < std::size(values); ++i) {
        const std::string name = "F" + std::to_string(i);
        {
            FloatSetting writer(kTestKey, name.c_str(), 0.5f);
            writer.Set(values[i]);
        }
        FloatSetting reader(kTestKey, name.c_str(), 0.5f);
        uint32_t expected;
        uint32_t actual;
        const float got = reader.Get();
        std::memcpy(&expected, &values[i], 4);
        std::memcpy(&actual, &got, 4);
        EXPECT_EQ(actual, expected) << values[i] << " stored as " << StoredText(TestFile(), name.c_str());
    }
    EXPECT_EQ(FormatFloatText(0.82f), "0.82");
}

TEST_F(StoredValueTest, TextsWithEscapesRoundTrip) {
    const std::string awkward = "C:\\music\\new\nline\ttab\rcr \\n literal = sign";
    {
        StringSetting writer(kTestKey, "Awkward", "");
        writer.Set(awkward);
    }
    StringSetting reader(kTestKey, "Awkward", "");
    EXPECT_EQ(std::string(reader.Get()), awkward);
    // One line in the file.
    EXPECT_EQ(ReadFileText(TestFile()).find("line\ttab"), std::string::npos);
}

TEST_F(StoredValueTest, LongTextsAreCutOnACharacterBoundary) {
    StringSetting text(kTestKey, "Long", "");
    std::string value(498, 'x');
    value += "\xC3\xA9\xC3\xA9";  // two two-byte letters across the limit
    text.Set(value);
    EXPECT_EQ(std::strlen(text.Get()), 498u);
    text.Set(std::string("a\0b", 3));
    EXPECT_STREQ(text.Get(), "a");
    EXPECT_EQ(ReadFileText(TestFile()).find('\0'), std::string::npos);
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

TEST(SettingsOperations, SetResetIncrementAndBooleanResult) {
    UsageCountScreensaver.Set(5);
    UsageCountScreensaver.Increment();
    EXPECT_EQ(UsageCountScreensaver.Get(), 6);
    EXPECT_EQ(StoredText(MainFile(), "UsageCountScreensaver"), "6");
    EXPECT_TRUE(ShowFramerate.Set(1));
    EXPECT_FALSE(ShowFramerate.Set(0));
    EXPECT_EQ(StoredText(MainFile(), "ShowFramerate"), "0");
    FactorNumStars.Set(1.0f);
    FactorNumStars.ResetToDefault();
    EXPECT_EQ(StoredText(MainFile(), "FactorNumStars"), "0.125");
}

TEST(SettingsOperations, RestoreDefaultsLeavesMusicLanguageCountersAndVsync) {
    VsyncEnabled.Set(0);
    PlayMusic.Set(1);
    MusicFilename.Set("/tmp/list.m3u");
    CurrentLanguage.Set("german");
    UCA.Set(9);
    Seed.Set(77);
    ShowLensFlare.Set(0);
    FactorCameraSpeed.Set(0.9f);
    CameraRotateEnum.Set(1);
    CustomSunColor.Set(0x123456);
    ConstellationLines.Set(1);
    RestoreDefaultSettings();
    EXPECT_EQ(VsyncEnabled.Get(), 0);
    EXPECT_EQ(PlayMusic.Get(), 1);
    EXPECT_STREQ(MusicFilename.Get(), "/tmp/list.m3u");
    EXPECT_STREQ(CurrentLanguage.Get(), "german");
    EXPECT_EQ(UCA.Get(), 9);
    EXPECT_EQ(Seed.Get(), 77);
    EXPECT_EQ(ShowLensFlare.Get(), 1);
    EXPECT_FLOAT_EQ(FactorCameraSpeed.Get(), 0.12f);
    EXPECT_EQ(CameraRotateEnum.Get(), 3);
    EXPECT_EQ(CustomSunColor.Get(), 0xFFFFFF);
    EXPECT_EQ(ConstellationLines.Get(), 0);
    EXPECT_EQ(StoredText(MainFile(), "FactorCameraSpeed"), "0.12");
    EXPECT_EQ(StoredText(MainFile(), "VsyncEnabled"), "0");
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
