// The setting kinds over the settings store this build links (the settings
// file on Linux, the registry on Windows): what they make of the values
// they find stored, and what they store.

#include "settings/settings.h"
#include "settings/settings_store.h"
#include "settings/value_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>

namespace skyloom {
namespace {

constexpr char kTestKey[] = "Software\\Quillmere\\StoreTest";

// What a hand edit or another program may have left: any text, which in a
// registry is a text value, of another type than a number's.
void Plant(const char* name, const std::string& text, StoredKind kind = StoredKind::Text) {
    ASSERT_TRUE(ProgramSettingsStore().Write(kTestKey, name, kind, text)) << name;
}

std::string Stored(const char* name, StoredKind kind, const char* keyPath = kTestKey) {
    return ProgramSettingsStore().Read(keyPath, name, kind).value_or("<missing>");
}

// The global settings were constructed against this test's empty store.
TEST(SettingsFirstStart, StoresEveryDefault) {
    const struct {
        const char* name;
        StoredKind kind;
        const char* text;
    } cases[] = {
        {"FactorCameraFov", StoredKind::Float, "0.82"},       {"FactorNumStars", StoredKind::Float, "0.125"},
        {"CustomNebulaColor", StoredKind::Integer, "6684672"},  // 0x660000
        {"CustomSunColor", StoredKind::Integer, "16777215"},  {"CurrentLanguage", StoredKind::Text, "english"},
        {"MusicFilename", StoredKind::Text, ""},              {"PrimaryMonitorOnly", StoredKind::Integer, "1"},
        {"ShowLocalTime", StoredKind::Integer, "0"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Stored(c.name, c.kind, kSettingsKeyPath), c.text) << c.name;
    }
    EXPECT_FLOAT_EQ(FactorCameraFov.Get(), 0.82f);
    EXPECT_EQ(VersionMajor.Get(), 3);
}

TEST(SettingKinds, WrongKindsGiveTheDefaultAndAreWrittenBack) {
    Plant("ShowLensFlare", "yes");
    Plant("Count", "12abc");
    Plant("Empty", "");
    Plant("TooBig", "4294967296");
    Plant("Fov", "nan");
    Plant("Huge", "1e39");
    Plant("Speed", "0.5x");
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
    EXPECT_EQ(Stored("ShowLensFlare", StoredKind::Integer), "1");
    EXPECT_EQ(Stored("Count", StoredKind::Integer), "7");
    EXPECT_EQ(Stored("Empty", StoredKind::Integer), "3");
    EXPECT_EQ(Stored("TooBig", StoredKind::Integer), "-1");
    EXPECT_EQ(Stored("Fov", StoredKind::Float), "0.82");
    EXPECT_EQ(Stored("Speed", StoredKind::Float), "0.12");
}

TEST(SettingKinds, AcceptedNumberFormsAreNormalized) {
    Plant("Colour", "0x660000", StoredKind::Integer);
    Plant("Negative", "-2147483648", StoredKind::Integer);
    Plant("Padded", "  42 ", StoredKind::Integer);
    Plant("Pattern", "0xFFFFFFFF", StoredKind::Integer);
    Plant("Float", "1", StoredKind::Float);
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
    EXPECT_EQ(Stored("Colour", StoredKind::Integer), "6684672");
    EXPECT_EQ(Stored("Padded", StoredKind::Integer), "42");
}

TEST(SettingKinds, NumberUnderATextSettingIsTakenAsText) {
    Plant("CurrentLanguage", "42");
    StringSetting language(kTestKey, "CurrentLanguage", "english");
    EXPECT_STREQ(language.Get(), "42");
}

TEST(SettingKinds, TextOf500BytesOrMoreGivesTheDefault) {
    Plant("MusicFilename", std::string(600, 'a'));
    Plant("Exactly499", std::string(499, 'b'));
    Plant("Exactly500", std::string(500, 'c'));
    StringSetting music(kTestKey, "MusicFilename", "");
    StringSetting fits(kTestKey, "Exactly499", "");
    StringSetting over(kTestKey, "Exactly500", "dflt");
    EXPECT_STREQ(music.Get(), "");
    EXPECT_EQ(std::strlen(fits.Get()), 499u);
    EXPECT_STREQ(over.Get(), "dflt");
    EXPECT_EQ(Stored("MusicFilename", StoredKind::Text), "");
    EXPECT_EQ(Stored("Exactly500", StoredKind::Text), "dflt");
}

TEST(SettingKinds, FactorsBeyondTheirRangeCountAsTheNearerEnd) {
    const std::pair<float, double> cases[] = {
        {0.5f, 0.5}, {0.0f, 0.0}, {1.0f, 1.0}, {1e10f, 1.0}, {1.0000001f, 1.0}, {-0.25f, 0.0}, {-3e38f, 0.0}};
    for (const auto& [stored, factor] : cases) {
        FloatSetting setting(kTestKey, "Factor", 0.5f);
        setting.Set(stored);
        EXPECT_EQ(setting.Factor(), factor) << stored;
        EXPECT_EQ(setting.Get(), stored) << "the stored value itself is kept";
    }
}

TEST(SettingKinds, FloatsRoundTripBitForBit) {
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
        EXPECT_EQ(actual, expected) << values[i] << " stored as " << Stored(name.c_str(), StoredKind::Float);
    }
    EXPECT_EQ(FormatFloatText(0.82f), "0.82");
}

TEST(SettingKinds, TextsWithEscapesRoundTrip) {
    const std::string awkward = "C:\\music\\new\nline\ttab\rcr \\n literal = sign";
    {
        StringSetting writer(kTestKey, "Awkward", "");
        writer.Set(awkward);
    }
    StringSetting reader(kTestKey, "Awkward", "");
    EXPECT_EQ(std::string(reader.Get()), awkward);
    // Stored as one line.
    EXPECT_EQ(Stored("Awkward", StoredKind::Text).find_first_of("\n\r\t"), std::string::npos);
}

TEST(SettingKinds, LongTextsAreCutOnACharacterBoundary) {
    StringSetting text(kTestKey, "Long", "");
    std::string value(498, 'x');
    value += "\xC3\xA9\xC3\xA9";  // two two-byte letters across the limit
    text.Set(value);
    EXPECT_EQ(std::strlen(text.Get()), 498u);
    text.Set(std::string("a\0b", 3));
    EXPECT_STREQ(text.Get(), "a");
    EXPECT_EQ(Stored("Long", StoredKind::Text), "a");
}

TEST(SettingsOperations, SetResetIncrementAndBooleanResult) {
    UsageCountScreensaver.Set(5);
    UsageCountScreensaver.Increment();
    EXPECT_EQ(UsageCountScreensaver.Get(), 6);
    EXPECT_EQ(Stored("UsageCountScreensaver", StoredKind::Integer, kSettingsKeyPath), "6");
    EXPECT_TRUE(ShowFramerate.Set(1));
    EXPECT_FALSE(ShowFramerate.Set(0));
    EXPECT_EQ(Stored("ShowFramerate", StoredKind::Integer, kSettingsKeyPath), "0");
    FactorNumStars.Set(1.0f);
    FactorNumStars.ResetToDefault();
    EXPECT_EQ(Stored("FactorNumStars", StoredKind::Float, kSettingsKeyPath), "0.125");
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
    EXPECT_EQ(Stored("FactorCameraSpeed", StoredKind::Float, kSettingsKeyPath), "0.12");
    EXPECT_EQ(Stored("VsyncEnabled", StoredKind::Integer, kSettingsKeyPath), "0");
}

}  // namespace
}  // namespace skyloom
