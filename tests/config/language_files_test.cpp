#include "config/data_folder.h"
#include "config/ini_section.h"
#include "config/language_tables.h"
#include "config/windows1252.h"
#include "os/executable_path.h"
#include "settings/settings.h"

#include <gtest/gtest.h>
#include <ini.h>

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace skyloom {
namespace {

const std::vector<std::string> kShippedLanguages = {"dutch", "english", "french", "german",
                                                    "italian", "portuguese", "spanish"};

// Strict UTF-8: no overlong forms, surrogates or code points past U+10FFFF.
bool IsValidUtf8(const std::string& text) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    for (size_t i = 0; i < text.size();) {
        const unsigned char lead = byte(i);
        size_t length = 1;
        char32_t codePoint = lead;
        char32_t minimum = 0;
        if ((lead & 0xE0) == 0xC0) {
            length = 2, codePoint = lead & 0x1F, minimum = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3, codePoint = lead & 0x0F, minimum = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4, codePoint = lead & 0x07, minimum = 0x10000;
        } else if (lead >= 0x80) {
            return false;
        }
        if (i + length > text.size()) {
            return false;
        }
        for (size_t k = 1; k < length; ++k) {
            if ((byte(i + k) & 0xC0) != 0x80) {
                return false;
            }
            codePoint = (codePoint << 6) | (byte(i + k) & 0x3F);
        }
        if (codePoint < minimum || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
            return false;
        }
        i += length;
    }
    return true;
}

class ShippedLanguagesTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The data folder of the build, found the way the program finds it.
        AppDir.Set("");
        folder_ = DataFolder();
        ASSERT_FALSE(folder_.empty());
    }
    std::string FilePath(const std::string& language) const { return folder_ + "/text_" + language + ".ini"; }

    std::string folder_;
};

TEST_F(ShippedLanguagesTest, BuildFolderHoldsTheDataBesideTheProgram) {
    const std::filesystem::path program = ExecutablePath();
    EXPECT_EQ(std::filesystem::path(folder_),
              (program.parent_path() / ".." / "share" / "skyloom").lexically_normal());
    UCA.Set(3);
    CurrentLanguage.Set("german");
    ChooseStartLanguage();
    std::vector<std::string> names;
    for (int i = 0; i < LanguageCount(); ++i) {
        names.emplace_back(LanguageName(i));
    }
    EXPECT_EQ(names, kShippedLanguages);
    EXPECT_STREQ(CurrentLanguage.Get(), "german");
    EXPECT_STREQ(GetText(T_SUNS), "Sonnen");
}

// Every entry of a file, section by section, in file order.
int CollectEntry(void* user, const char* section, const char* name, const char*) {
    static_cast<std::vector<std::pair<std::string, std::string>>*>(user)->emplace_back(section, name);
    return 1;
}

TEST_F(ShippedLanguagesTest, EveryFileHoldsEveryKeyOnceAndNothingElse) {
    std::set<std::string> credits;
    for (const std::string& language : kShippedLanguages) {
        SCOPED_TRACE(language);
        const bool multiline = ini_allow_multiline;
        const int maxLine = ini_max_line;
        ini_allow_multiline = false;
        ini_max_line = IniSection::kMaxLineBytes;
        std::vector<std::pair<std::string, std::string>> entries;
        const int result = ini_parse(FilePath(language).c_str(), CollectEntry, &entries);
        ini_allow_multiline = multiline;
        ini_max_line = maxLine;
        // 0: no line that is not a section, an entry or a comment.
        ASSERT_EQ(result, 0);

        std::map<std::string, int> counts;
        for (const auto& [section, name] : entries) {
            EXPECT_EQ(section, "Text") << name;
            ++counts[name];
        }
        for (int key = 0; key < kTextKeyCount; ++key) {
            EXPECT_EQ(counts[TextKeyName(static_cast<TextKey>(key))], 1) << TextKeyName(static_cast<TextKey>(key));
        }
        EXPECT_EQ(counts.size(), static_cast<size_t>(kTextKeyCount));

        IniSection texts;
        ASSERT_TRUE(texts.Load(FilePath(language), "Text"));
        for (int key = 0; key < kTextKeyCount; ++key) {
            const char* name = TextKeyName(static_cast<TextKey>(key));
            const std::string* text = texts.Find(name);
            ASSERT_NE(text, nullptr) << name;
            EXPECT_FALSE(text->empty()) << name;
            EXPECT_LT(text->size(), kTextSlotSize) << name;
            EXPECT_TRUE(IsValidUtf8(*text)) << name;
        }
        credits.insert(*texts.Find("T_TRANSLATOR"));
    }
    // Each translation credits its own translation.
    EXPECT_EQ(credits.size(), kShippedLanguages.size());
}

// The saver's font: 8 pixels per character, texts drawn byte by byte
// through its Windows-1252 glyphs.
constexpr int kFontAdvance = 8;

std::string ForFont(const std::string& text) {
    char out[kTextSlotSize];
    EXPECT_EQ(Utf8ToWindows1252(text, out, sizeof out), 0u) << text;
    return out;
}

TEST_F(ShippedLanguagesTest, OnScreenTextsFitTheFontAndTheScreen) {
    // The notices are drawn centred and, when wider than the window, broken
    // at the first space after their middle into two lines. On a 640-pixel
    // screen each line must fit.
    constexpr int kSmallScreenWidth = 640;
    // The preview's middle credit line, in the smallest preview windows.
    constexpr int kPreviewWidth = 152;
    for (const std::string& language : kShippedLanguages) {
        SCOPED_TRACE(language);
        IniSection texts;
        ASSERT_TRUE(texts.Load(FilePath(language), "Text"));
        for (const char* key : {"T_NO3DACCELERATION", "T_16BITCOLOR"}) {
            const std::string text = ForFont(*texts.Find(key));
            size_t split = text.size() / 2;
            while (split < text.size() && text[split] != ' ') {
                ++split;
            }
            EXPECT_LE(static_cast<int>(split) * kFontAdvance, kSmallScreenWidth) << key;
            EXPECT_LE(static_cast<int>(text.size() - split) * kFontAdvance, kSmallScreenWidth) << key;
        }
        const std::string presents = ForFont(*texts.Find("T_PRESENTS"));
        EXPECT_LE(static_cast<int>(presents.size()) * kFontAdvance, kPreviewWidth);
    }
}

}  // namespace
}  // namespace skyloom
