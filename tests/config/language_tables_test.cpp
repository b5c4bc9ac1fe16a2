#include "config/language_tables.h"

#include "os/registry_key.h"
#include "os/settings_file.h"
#include "settings/settings.h"
#include "tests/support/temp_config.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace skyloom {
namespace {

using Entries = std::initializer_list<std::pair<const char*, std::string>>;

std::string IniText(Entries entries) {
    std::string text = "[Text]\n";
    for (const auto& [key, value] : entries) {
        text += key;
        text += '=';
        text += value;
        text += '\n';
    }
    return text;
}

// What the settings file holds for a value, as the next start would read it.
std::string StoredText(const char* name) {
    RegistryKey key;
    if (!key.Open(kSettingsKeyPath)) {
        return "<no key>";
    }
    return key.QueryValue(name).value_or("<missing>");
}

class LanguageTablesTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = testing::ScratchFolder() + "/lang/" + ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::filesystem::create_directories(folder_);
        AppDir.Set(folder_);
        UCA.Set(1);
        CurrentLanguage.Set("english");
        unsetenv("LC_ALL");
        unsetenv("LC_MESSAGES");
        setenv("LANG", "C", 1);
    }
    void TearDown() override {
        AppDir.Set("");
        unsetenv("LANG");
    }

    std::string FilePath(const std::string& language) const { return folder_ + "/text_" + language + ".ini"; }
    void WriteLanguage(const std::string& language, Entries entries) const {
        ASSERT_TRUE(testing::WriteFileText(FilePath(language), IniText(entries)));
    }
    void WriteEnglishAndGerman() const {
        WriteLanguage("english", {{"T_SUNS", "Suns"}, {"T_STARS", "Stars"}, {"T_MUSIC", "Music"}});
        WriteLanguage("german", {{"T_SUNS", "Sonnen"}, {"T_STARS", "Sterne"}});
    }
    std::vector<std::string> Languages() const {
        std::vector<std::string> names;
        for (int i = 0; i < LanguageCount(); ++i) {
            names.emplace_back(LanguageName(i));
        }
        return names;
    }

    std::string folder_;
};

TEST_F(LanguageTablesTest, FirstStartFollowsGermanLocaleOverEnglishBase) {
    WriteEnglishAndGerman();
    UCA.Set(0);
    setenv("LANG", "de_DE.UTF-8", 1);
    ChooseStartLanguage();
    EXPECT_STREQ(CurrentLanguage.Get(), "german");
    EXPECT_EQ(UCA.Get(), 1);
    EXPECT_EQ(StoredText("CurrentLanguage"), "german");
    EXPECT_EQ(StoredText("UCA"), "1");
    EXPECT_STREQ(GetText(T_SUNS), "Sonnen");
    // German lacks T_MUSIC: the English base shows through.
    EXPECT_STREQ(GetText(T_MUSIC), "Music");
    // Neither file has it.
    EXPECT_STREQ(GetText(T_NEBULAE), "");
    EXPECT_EQ(Languages(), (std::vector<std::string>{"english", "german"}));
}

// Every CurrentLanguage that reached the settings file, in order, as another
// saver starting at the same moment could have read it.
std::vector<std::string> languagesWritten;

void RecordWrittenLanguage() {
    const std::string written =
        std::string(std::getenv("XDG_CONFIG_HOME")) + "/Quillmere/Skyloom.conf.tmp";
    const std::string language = FindStoredText(ReadSettingsLines(written), "CurrentLanguage").value_or("<missing>");
    if (languagesWritten.empty() || languagesWritten.back() != language) {
        languagesWritten.push_back(language);
    }
}

TEST_F(LanguageTablesTest, TheStoredLanguageChangesAtMostOnceStraightToItsFinalValue) {
    WriteEnglishAndGerman();
    const struct {
        int uca;
        const char* stored;
        const char* locale;
        std::vector<std::string> written;  // after the stored value itself
    } cases[] = {
        {5, "german", "C", {}},
        {0, "english", "de_DE.UTF-8", {"german"}},
        {0, "german", "C", {"english"}},
        {5, "klingon", "C", {"english"}},
        {5, "", "C", {"english"}},
    };
    for (const auto& c : cases) {
        UCA.Set(c.uca);
        CurrentLanguage.Set(c.stored);
        setenv("LANG", c.locale, 1);
        languagesWritten = {c.stored};
        SetSettingsWriteInterruptForTesting(RecordWrittenLanguage);
        ChooseStartLanguage();
        SetSettingsWriteInterruptForTesting(nullptr);
        std::vector<std::string> expected{c.stored};
        expected.insert(expected.end(), c.written.begin(), c.written.end());
        EXPECT_EQ(languagesWritten, expected) << "UCA " << c.uca << ", stored " << c.stored << ", LANG " << c.locale;
    }
}

TEST_F(LanguageTablesTest, FirstStartWithoutLocaleFileStaysEnglish) {
    WriteLanguage("english", {{"T_SUNS", "Suns"}});
    WriteLanguage("french", {{"T_SUNS", "Soleils"}});
    UCA.Set(0);
    CurrentLanguage.Set("french");
    setenv("LANG", "de_DE.UTF-8", 1);
    ChooseStartLanguage();
    EXPECT_STREQ(CurrentLanguage.Get(), "english");
    EXPECT_STREQ(GetText(T_SUNS), "Suns");
    EXPECT_EQ(UCA.Get(), 1);
}

TEST_F(LanguageTablesTest, FirstStartWithLocaleWithoutLanguageStaysEnglish) {
    WriteEnglishAndGerman();
    for (const char* locale : {"C", "POSIX", "ga_IE.UTF-8"}) {
        UCA.Set(0);
        CurrentLanguage.Set("german");
        setenv("LANG", locale, 1);
        ChooseStartLanguage();
        EXPECT_STREQ(CurrentLanguage.Get(), "english") << locale;
    }
}

TEST_F(LanguageTablesTest, LaterStartsKeepTheStoredLanguageAndCount) {
    WriteEnglishAndGerman();
    WriteLanguage("french", {{"T_SUNS", "Soleils"}});
    UCA.Set(5);
    CurrentLanguage.Set("french");
    setenv("LANG", "de_DE.UTF-8", 1);
    ChooseStartLanguage();
    EXPECT_STREQ(CurrentLanguage.Get(), "french");
    EXPECT_STREQ(GetText(T_SUNS), "Soleils");
    EXPECT_STREQ(GetText(T_STARS), "Stars");
    EXPECT_EQ(UCA.Get(), 6);
}

TEST_F(LanguageTablesTest, DeletedLanguageFileFallsBackToEnglish) {
    WriteEnglishAndGerman();
    UCA.Set(0);
    setenv("LANG", "de_DE.UTF-8", 1);
    ChooseStartLanguage();
    ASSERT_STREQ(CurrentLanguage.Get(), "german");

    std::filesystem::remove(FilePath("german"));
    ChooseStartLanguage();
    EXPECT_STREQ(CurrentLanguage.Get(), "english");
    EXPECT_EQ(StoredText("CurrentLanguage"), "english");
    EXPECT_STREQ(GetText(T_SUNS), "Suns");
    EXPECT_EQ(UCA.Get(), 2);
}

TEST_F(LanguageTablesTest, FileNameInOtherCaseIsAnotherLanguage) {
    WriteLanguage("english", {{"T_SUNS", "Suns"}});
    WriteLanguage("German", {{"T_SUNS", "Sonnen"}});
    UCA.Set(0);
    setenv("LANG", "de_DE.UTF-8", 1);
    ChooseStartLanguage();
    EXPECT_STREQ(CurrentLanguage.Get(), "english");
    EXPECT_STREQ(GetText(T_SUNS), "Suns");
    EXPECT_EQ(Languages(), (std::vector<std::string>{"German", "english"}));

    // Without English, a stored "german" finds nothing it equals.
    std::filesystem::remove(FilePath("english"));
    CurrentLanguage.Set("german");
    ChooseStartLanguage();
    EXPECT_STREQ(CurrentLanguage.Get(), "");
    EXPECT_EQ(StoredText("CurrentLanguage"), "");
    EXPECT_STREQ(GetText(T_SUNS), "T_SUNS");
}

TEST_F(LanguageTablesTest, OnlyLanguageLackingKeyLeavesItEmpty) {
    WriteLanguage("french", {{"T_STARS", "Étoiles"}});
    CurrentLanguage.Set("french");
    ChooseStartLanguage();
    EXPECT_STREQ(CurrentLanguage.Get(), "french");
    EXPECT_STREQ(GetText(T_STARS), "Étoiles");
    EXPECT_STREQ(GetText(T_SUNS), "");
}

TEST_F(LanguageTablesTest, LabelsChoiceLastsUntilNextStartWhenEnglishExists) {
    WriteEnglishAndGerman();
    CurrentLanguage.Set("");
    ChooseStartLanguage();
    EXPECT_STREQ(CurrentLanguage.Get(), "english");
    EXPECT_EQ(StoredText("CurrentLanguage"), "english");
    EXPECT_STREQ(GetText(T_SUNS), "Suns");
}

TEST_F(LanguageTablesTest, NoLanguageFilesGiveKeyNames) {
    // Names that are not language files, or not files at all.
    ASSERT_TRUE(testing::WriteFileText(folder_ + "/text_.ini", IniText({{"T_SUNS", "x"}})));
    ASSERT_TRUE(testing::WriteFileText(folder_ + "/Text_english.ini", IniText({{"T_SUNS", "x"}})));
    ASSERT_TRUE(testing::WriteFileText(folder_ + "/text_english.ini.bak", IniText({{"T_SUNS", "x"}})));
    std::filesystem::create_directories(FilePath("english"));
    CurrentLanguage.Set("english");
    ChooseStartLanguage();
    EXPECT_EQ(LanguageCount(), 0);
    EXPECT_STREQ(CurrentLanguage.Get(), "");
    EXPECT_EQ(StoredText("CurrentLanguage"), "");
    for (int key = 0; key < kTextKeyCount; ++key) {
        EXPECT_STREQ(GetText(static_cast<TextKey>(key)), TextKeyName(static_cast<TextKey>(key)));
    }

    // A data folder that does not exist at all.
    AppDir.Set(folder_ + "/missing");
    CurrentLanguage.Set("english");
    UCA.Set(0);
    setenv("LANG", "en_GB.UTF-8", 1);
    ChooseStartLanguage();
    EXPECT_STREQ(CurrentLanguage.Get(), "");
    EXPECT_STREQ(GetText(T_ABOUTPLAYLISTS2), "T_ABOUTPLAYLISTS2");
}

TEST_F(LanguageTablesTest, LongTextIsCutAt999BytesOnACharacterBoundary) {
    const std::string ascii(1200, 'a');
    std::string accented;
    for (int i = 0; i < 600; ++i) {
        accented += "é";
    }
    WriteLanguage("english", {{"T_SUNS", ascii}, {"T_STARS", accented}, {"T_NONE", "short"}});
    ChooseStartLanguage();
    EXPECT_EQ(std::string(GetText(T_SUNS)), ascii.substr(0, 999));
    // 999 bytes would end inside the 500th two-byte character.
    EXPECT_EQ(std::string(GetText(T_STARS)), accented.substr(0, 998));
    EXPECT_STREQ(GetText(T_NONE), "short");
}

TEST_F(LanguageTablesTest, CroatianOrSerbianLocaleLooksForSerbian) {
    WriteLanguage("english", {{"T_SUNS", "Suns"}});
    WriteLanguage("serbian", {{"T_SUNS", "Sunca"}});
    WriteLanguage("croatian", {{"T_SUNS", "Sunca (hr)"}});
    UCA.Set(0);
    setenv("LANG", "hr_HR.UTF-8", 1);
    ChooseStartLanguage();
    EXPECT_STREQ(CurrentLanguage.Get(), "serbian");
    EXPECT_STREQ(GetText(T_SUNS), "Sunca");
}

TEST_F(LanguageTablesTest, SwitchKeepsTextsOfPreviousLanguageForMissingKeys) {
    WriteLanguage("english", {{"T_SUNS", "Suns"}});
    WriteLanguage("german", {{"T_SUNS", "Sonnen"}, {"T_STARS", "Sterne"}, {"T_MUSIC", "Musik"}});
    WriteLanguage("dutch", {{"T_MUSIC", "Muziek"}});
    CurrentLanguage.Set("german");
    ChooseStartLanguage();
    const char* stars = GetText(T_STARS);
    ASSERT_STREQ(stars, "Sterne");

    CurrentLanguage.Set("english");
    ReloadTexts();
    EXPECT_STREQ(GetText(T_SUNS), "Suns");
    EXPECT_STREQ(GetText(T_STARS), "Sterne");
    CurrentLanguage.Set("dutch");
    ReloadTexts();
    EXPECT_STREQ(GetText(T_MUSIC), "Muziek");
    EXPECT_STREQ(GetText(T_SUNS), "Suns");

    // "< labels >": every text is its key's name, in the same slots.
    CurrentLanguage.Set("");
    ReloadTexts();
    EXPECT_EQ(GetText(T_STARS), stars);
    EXPECT_STREQ(stars, "T_STARS");
    EXPECT_STREQ(GetText(T_LANGUAGE), "T_LANGUAGE");
    EXPECT_STREQ(GetText(T_ABOUTPLAYLISTS2), "T_ABOUTPLAYLISTS2");

    // Back from the labels to a language whose file has gone: the slots stay.
    CurrentLanguage.Set("german");
    std::filesystem::remove(FilePath("german"));
    ReloadTexts();
    EXPECT_STREQ(GetText(T_SUNS), "T_SUNS");
    // The list is made at start-up only.
    EXPECT_EQ(Languages(), (std::vector<std::string>{"dutch", "english", "german"}));
}

TEST_F(LanguageTablesTest, LanguageListIsSortedAndHoldsAtMostOneHundred) {
    for (int i = 104; i >= 0; --i) {
        const std::string name = "lang" + std::to_string(1000 + i);
        WriteLanguage(name, {{"T_SUNS", name}});
    }
    CurrentLanguage.Set("lang1099");
    ChooseStartLanguage();
    ASSERT_EQ(LanguageCount(), kMaxLanguages);
    EXPECT_STREQ(LanguageName(0), "lang1000");
    EXPECT_STREQ(LanguageName(99), "lang1099");
    EXPECT_EQ(LanguageName(100), nullptr);
    EXPECT_EQ(LanguageName(-1), nullptr);
    EXPECT_STREQ(GetText(T_SUNS), "lang1099");

    // A language past the hundredth is not listed, so it is not loaded.
    CurrentLanguage.Set("lang1100");
    ChooseStartLanguage();
    EXPECT_STREQ(CurrentLanguage.Get(), "");
    EXPECT_STREQ(GetText(T_SUNS), "T_SUNS");
}

TEST(TextKeyTest, KeysOutsideTheTableGiveEmptyTexts) {
    EXPECT_EQ(kTextKeyCount, 55);
    EXPECT_STREQ(TextKeyName(T_LANGUAGE), "T_LANGUAGE");
    EXPECT_STREQ(TextKeyName(kTextKeyCount), "");
    EXPECT_STREQ(GetText(kTextKeyCount), "");
    EXPECT_STREQ(GetText(static_cast<TextKey>(-1)), "");
}

}  // namespace
}  // namespace skyloom
