#include "config/locale_language.h"

#include <gtest/gtest.h>

#include <cstring>

namespace skyloom {
namespace {

TEST(LocaleLanguageTest, LocaleNamesGiveWindowsPrimaryLanguages) {
    EXPECT_EQ(PrimaryLanguageIdForLocale("de_DE.UTF-8"), 0x07);
    EXPECT_EQ(PrimaryLanguageIdForLocale("de_AT@euro"), 0x07);
    EXPECT_EQ(PrimaryLanguageIdForLocale("de"), 0x07);
    EXPECT_EQ(PrimaryLanguageIdForLocale("fr_CA.ISO-8859-1"), 0x0C);
    EXPECT_EQ(PrimaryLanguageIdForLocale("pt_BR.UTF-8"), 0x16);
    // Windows shares one identifier between Croatian and Serbian (and
    // Bosnian), and one among the Norwegian written forms.
    EXPECT_EQ(PrimaryLanguageIdForLocale("hr_HR.UTF-8"), 0x1A);
    EXPECT_EQ(PrimaryLanguageIdForLocale("sr_RS@latin"), 0x1A);
    EXPECT_EQ(PrimaryLanguageIdForLocale("bs_BA"), 0x1A);
    EXPECT_EQ(PrimaryLanguageIdForLocale("nb_NO.UTF-8"), 0x14);
    EXPECT_EQ(PrimaryLanguageIdForLocale("nn_NO"), 0x14);
    EXPECT_EQ(PrimaryLanguageIdForLocale("no_NO"), 0x14);
    EXPECT_EQ(PrimaryLanguageIdForLocale("kok_IN"), 0x57);
    EXPECT_EQ(PrimaryLanguageIdForLocale("ne_NP"), 0x61);
    // No language, or one without an entry.
    EXPECT_EQ(PrimaryLanguageIdForLocale("C"), 0);
    EXPECT_EQ(PrimaryLanguageIdForLocale("C.UTF-8"), 0);
    EXPECT_EQ(PrimaryLanguageIdForLocale("POSIX"), 0);
    EXPECT_EQ(PrimaryLanguageIdForLocale(""), 0);
    EXPECT_EQ(PrimaryLanguageIdForLocale("ga_IE.UTF-8"), 0);
    EXPECT_EQ(PrimaryLanguageIdForLocale("d"), 0);
    EXPECT_EQ(PrimaryLanguageIdForLocale("deu_DE"), 0);
}

TEST(LocaleLanguageTest, TableHasItsSixtyNineNamesAndNoOthers) {
    EXPECT_STREQ(LanguageNameForId(0x07), "GERMAN");
    EXPECT_STREQ(LanguageNameForId(0x01), "ARABIC");
    EXPECT_STREQ(LanguageNameForId(0x1A), "SERBIAN");
    EXPECT_STREQ(LanguageNameForId(0x14), "NORWEGIAN");
    EXPECT_STREQ(LanguageNameForId(0x61), "NEPALI");
    // Only the low 10 bits of a full locale identifier count.
    EXPECT_STREQ(LanguageNameForId(0x0407), "GERMAN");
    EXPECT_STREQ(LanguageNameForId(0x041A), "SERBIAN");
    EXPECT_EQ(LanguageNameForId(0), nullptr);
    EXPECT_EQ(LanguageNameForId(0x17), nullptr);
    EXPECT_EQ(LanguageNameForId(0x62), nullptr);
    EXPECT_EQ(LanguageNameForId(0x3FF), nullptr);
    int named = 0;
    for (int id = 0; id < 0x400; ++id) {
        if (const char* name = LanguageNameForId(id)) {
            ++named;
            EXPECT_GT(std::strlen(name), 0u) << id;
        }
    }
    EXPECT_EQ(named, 69);
}

}  // namespace
}  // namespace skyloom
