// The settings in the registry, read and planted with the registry's own
// calls: the type and bytes each kind writes, floats as their bit pattern,
// and values of a type a setting cannot take.

#include "settings/setting_kinds.h"
#include "settings/value_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include <windows.h>

namespace skyloom {
namespace {

constexpr char kTestKey[] = "Software\\Quillmere\\RegistryTest";

struct Stored {
    DWORD type = REG_NONE;
    std::vector<BYTE> bytes;
    bool operator==(const Stored&) const = default;
};

void PrintTo(const Stored& stored, std::ostream* out) {
    *out << "type " << stored.type << ", " << stored.bytes.size() << " bytes:";
    for (const BYTE b : stored.bytes) {
        *out << ' ' << static_cast<int>(b);
    }
}

Stored Dword(uint32_t value) {
    Stored stored{REG_DWORD, std::vector<BYTE>(sizeof value)};
    std::memcpy(stored.bytes.data(), &value, sizeof value);
    return stored;
}

// The bytes with their terminator, as REG_SZ keeps them.
Stored Text(DWORD type, const std::string& text) {
    return {type, std::vector<BYTE>(text.c_str(), text.c_str() + text.size() + 1)};
}

uint32_t Bits(float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

Stored ReadRaw(const char* name) {
    Stored stored;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kTestKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return stored;
    }
    DWORD size = 0;
    if (RegQueryValueExA(key, name, nullptr, &stored.type, nullptr, &size) == ERROR_SUCCESS) {
        stored.bytes.resize(size);
        RegQueryValueExA(key, name, nullptr, &stored.type, stored.bytes.data(), &size);
    }
    RegCloseKey(key);
    return stored;
}

void PlantRaw(const char* name, const Stored& stored) {
    ASSERT_EQ(RegSetKeyValueA(HKEY_CURRENT_USER, kTestKey, name, stored.type, stored.bytes.data(),
                              static_cast<DWORD>(stored.bytes.size())),
              ERROR_SUCCESS)
        << name;
}

TEST(RegistrySettings, FloatsAreTheirBitPatternInADword) {
    const std::pair<float, uint32_t> cases[] = {
        {0.82f, 0x3F51EB85}, {1.0f, 0x3F800000}, {0.12f, 0x3DF5C28F}, {0.125f, 0x3E000000},
        {1e-7f, 0x33D6BF95}, {-0.0f, 0x80000000}, {0.0f, 0x00000000},
    };
    for (const auto& [value, bits] : cases) {
        FloatSetting written(kTestKey, "Written", 0.5f);
        written.Set(value);
        EXPECT_EQ(ReadRaw("Written"), Dword(bits)) << value;
        PlantRaw("Planted", Dword(bits));
        const FloatSetting read(kTestKey, "Planted", 0.5f);
        EXPECT_EQ(Bits(read.Get()), bits) << value;
    }
}

TEST(RegistrySettings, EachKindWritesItsOwnType) {
    const BoolSetting flag(kTestKey, "Flag", true);
    BoolSetting cleared(kTestKey, "Cleared", true);
    cleared.Set(0);
    const IntSetting color(kTestKey, "Colour", 0x660000);
    const IntSetting negative(kTestKey, "Negative", -1);
    const StringSetting language(kTestKey, "Language", "english");
    const StringSetting empty(kTestKey, "Empty", "");
    StringSetting path(kTestKey, "Path", "");
    path.Set("C:\\Music\\new\\list one.m3u");
    const std::pair<const char*, Stored> cases[] = {
        {"Flag", Dword(1)},
        {"Cleared", Dword(0)},
        {"Colour", Dword(0x00660000)},
        {"Negative", Dword(0xFFFFFFFF)},
        {"Language", Text(REG_SZ, "english")},
        {"Empty", Text(REG_SZ, "")},
        {"Path", Text(REG_SZ, "C:\\Music\\new\\list one.m3u")},  // the text itself, not escaped
    };
    for (const auto& [name, stored] : cases) {
        EXPECT_EQ(ReadRaw(name), stored) << name;
    }
}

enum class Kind { Bool, Int, Float, Text };

// The setting's value once constructed, as text.
std::string Construct(Kind kind, const char* name, const char* defaultText) {
    switch (kind) {
    case Kind::Bool:
        return FormatInt32Text(BoolSetting(kTestKey, name, defaultText[0] == '1').Get());
    case Kind::Int:
        return FormatInt32Text(IntSetting(kTestKey, name, std::stoi(defaultText)).Get());
    case Kind::Float:
        return FormatFloatText(FloatSetting(kTestKey, name, std::stof(defaultText)).Get());
    case Kind::Text:
        return StringSetting(kTestKey, name, defaultText).Get();
    }
    return {};
}

TEST(RegistrySettings, AValueOfAnotherTypeIsReadWhereItCanBeAndWrittenBackWithTheRightType) {
    const uint64_t wide = 7;
    const struct {
        const char* name;
        Stored planted;
        Kind kind;
        const char* defaultText;
        Stored rewritten;
        const char* value = nullptr;  // the default unless given
    } cases[] = {
        {"FlagAsText", Text(REG_SZ, "1"), Kind::Bool, "1", Dword(1)},
        {"CountAsBinary", {REG_BINARY, {7, 0, 0, 0}}, Kind::Int, "3", Dword(7), "7"},
        {"CountAsQword", {REG_QWORD, std::vector<BYTE>(reinterpret_cast<const BYTE*>(&wide),
                                                       reinterpret_cast<const BYTE*>(&wide) + sizeof wide)},
         Kind::Int, "3", Dword(3)},
        {"CountCut", {REG_DWORD, {7, 0}}, Kind::Int, "3", Dword(3)},
        {"FactorAsText", Text(REG_SZ, "0.5"), Kind::Float, "0.25", Dword(Bits(0.25f))},
        {"LanguageAsNumber", Dword(static_cast<uint32_t>(-42)), Kind::Text, "english", Text(REG_SZ, "-42"), "-42"},
        {"LanguageExpandable", Text(REG_EXPAND_SZ, "%TEMP%"), Kind::Text, "english", Text(REG_SZ, "%TEMP%"), "%TEMP%"},
        {"ListOfTexts", {REG_MULTI_SZ, {'a', 0, 'b', 0, 0}}, Kind::Text, "", Text(REG_SZ, "a"), "a"},
    };
    for (const auto& c : cases) {
        PlantRaw(c.name, c.planted);
        EXPECT_EQ(Construct(c.kind, c.name, c.defaultText), c.value != nullptr ? c.value : c.defaultText) << c.name;
        EXPECT_EQ(ReadRaw(c.name), c.rewritten) << c.name;
    }
}

}  // namespace
}  // namespace skyloom
