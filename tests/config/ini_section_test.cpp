#include "config/ini_section.h"

#include "tests/support/temp_config.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace skyloom {
namespace {

class IniSectionTest : public ::testing::Test {
protected:
    // Writes the text as a file of its own for this test and loads its "Text" section.
    bool LoadText(const std::string& text, const char* section = "Text") {
        path_ = testing::ScratchFolder() + "/ini/" + ::testing::UnitTest::GetInstance()->current_test_info()->name() +
                ".ini";
        EXPECT_TRUE(testing::WriteFileText(path_, text));
        return ini_.Load(path_, section);
    }
    std::string Value(const char* key) const {
        const std::string* value = ini_.Find(key);
        return value != nullptr ? *value : std::string("<missing>");
    }

    std::string path_;
    IniSection ini_;
};

TEST_F(IniSectionTest, SectionAndKeyNamesIgnoreCase) {
    ASSERT_TRUE(LoadText("[tExT]\nt_suns=Suns\nT_Stars=Stars\n", "TEXT"));
    EXPECT_EQ(Value("T_SUNS"), "Suns");
    EXPECT_EQ(Value("t_stars"), "Stars");
    EXPECT_EQ(Value("T_NEBULAE"), "<missing>");
}

TEST_F(IniSectionTest, FirstEntryWinsAndOtherSectionsAreIgnored) {
    ASSERT_TRUE(LoadText("T_SUNS=before any section\n"
                         "[Other]\nT_SUNS=other\n"
                         "[Text]\nT_SUNS=first\nt_suns=second\n"
                         "[Other]\nT_STARS=other\n"
                         "[TEXT]\nT_SUNS=third\nT_STARS=later section\n"));
    EXPECT_EQ(Value("T_SUNS"), "first");
    EXPECT_EQ(Value("T_STARS"), "later section");
}

TEST_F(IniSectionTest, BlanksAroundAndOnePairOfQuotesAreDropped) {
    ASSERT_TRUE(LoadText("[Text]\n"
                         "  PLAIN  =   spaced out value \t \n"
                         "DOUBLE=\"  kept inside  \"\n"
                         "SINGLE= 'single' \n"
                         "OUTER=\"a\" and \"b\"\n"
                         "NESTED=\"\"twice\"\"\n"
                         "MISMATCHED=\"open'\n"
                         "LONE=\"\n"
                         "EMPTYQUOTES=\"\"\n"
                         "EMPTY=\n"
                         "SEMICOLON=one ; two\n"
                         "FIRST=x\n"
                         "    INDENTED=y\n"
                         ";COMMENTED=z\n"));
    EXPECT_EQ(Value("PLAIN"), "spaced out value");
    EXPECT_EQ(Value("DOUBLE"), "  kept inside  ");
    EXPECT_EQ(Value("SINGLE"), "single");
    EXPECT_EQ(Value("OUTER"), "a\" and \"b");
    EXPECT_EQ(Value("NESTED"), "\"twice\"");
    EXPECT_EQ(Value("MISMATCHED"), "\"open'");
    EXPECT_EQ(Value("LONE"), "\"");
    EXPECT_EQ(Value("EMPTYQUOTES"), "");
    // Present but empty is not missing: it replaces a default.
    EXPECT_EQ(Value("EMPTY"), "");
    // Semicolons inside a value are text, not a comment.
    EXPECT_EQ(Value("SEMICOLON"), "one ; two");
    // An indented line is an entry of its own, not a continuation.
    EXPECT_EQ(Value("FIRST"), "x");
    EXPECT_EQ(Value("INDENTED"), "y");
    EXPECT_EQ(Value(";COMMENTED"), "<missing>");
    EXPECT_EQ(Value("COMMENTED"), "<missing>");
}

TEST_F(IniSectionTest, WindowsLineEndingsAndByteOrderMark) {
    ASSERT_TRUE(LoadText("\xEF\xBB\xBF[Text]\r\nT_SUNS=Sonnen\r\nT_STARS=\"Sterne \"\r\nT_NONE=\r\n"));
    EXPECT_EQ(Value("T_SUNS"), "Sonnen");
    EXPECT_EQ(Value("T_STARS"), "Sterne ");
    EXPECT_EQ(Value("T_NONE"), "");
}

TEST_F(IniSectionTest, OverlongLineIsCutAndItsRestNeverReadAsAnEntry) {
    const std::string filler(IniSection::kMaxLineBytes, 'x');
    ASSERT_TRUE(LoadText("[Text]\nLONG=" + filler + "\nBOGUS=tail\nNEXT=after\n"));
    const std::string* value = ini_.Find("LONG");
    ASSERT_NE(value, nullptr);
    EXPECT_GT(value->size(), 16000u);
    EXPECT_LT(value->size(), filler.size());
    EXPECT_EQ(value->find_first_not_of('x'), std::string::npos);
    EXPECT_EQ(Value("NEXT"), "after");
    // The cut-off tail "...x\nBOGUS" must not have become a key; the real
    // BOGUS line after it is read as usual.
    EXPECT_EQ(Value("BOGUS"), "tail");
    ASSERT_TRUE(LoadText("[Text]\nLONG=" + filler + "INJECTED=1\nNEXT=after\n"));
    EXPECT_EQ(Value("INJECTED"), "<missing>");
    EXPECT_EQ(Value("NEXT"), "after");
}

TEST_F(IniSectionTest, TextOfSeveralKilobytesArrivesWhole) {
    // inih's own line limit is 200 bytes; a text of 1200 must not be split.
    const std::string text(1200, 'y');
    ASSERT_TRUE(LoadText("[Text]\nT_SUNS=" + text + " T_STARS=bogus\nT_NONE=none\n"));
    EXPECT_EQ(Value("T_SUNS"), text + " T_STARS=bogus");
    EXPECT_EQ(Value("T_STARS"), "<missing>");
    EXPECT_EQ(Value("T_NONE"), "none");
}

TEST_F(IniSectionTest, MissingFileFolderOrSection) {
    ASSERT_TRUE(LoadText("[Text]\nT_SUNS=Suns\n"));
    EXPECT_FALSE(ini_.Load(path_ + ".missing", "Text"));
    EXPECT_EQ(Value("T_SUNS"), "<missing>");
    EXPECT_FALSE(ini_.Load(testing::ScratchFolder(), "Text"));
    EXPECT_TRUE(LoadText("[Other]\nT_SUNS=Suns\n"));
    EXPECT_EQ(Value("T_SUNS"), "<missing>");
}

TEST_F(IniSectionTest, CommentsSectionLinesSeparatorsAndStrayBytes) {
    using namespace std::string_literals;  // the text holds a NUL
    ASSERT_TRUE(LoadText("[Text]\n"
                         "#HASHED=1\n"
                         "COLON: by colon\n"
                         "EQUALS=a:b\n"
                         "NAME:WITH=colon first\n"
                         "no separator at all\n"
                         "[Other\n"
                         "UNCLOSED=still in Text\n"
                         "[Text] trailing words\n"
                         "AFTER=]\n"
                         "CUT=before\0after\n"
                         "MIDDLE=a\rb\n"
                         "\xEF\xBB\xBFMARK=not at the start\n"
                         "LAST=no line end"s));
    EXPECT_EQ(Value("#HASHED"), "<missing>");
    EXPECT_EQ(Value("HASHED"), "<missing>");
    EXPECT_EQ(Value("COLON"), "by colon");
    EXPECT_EQ(Value("EQUALS"), "a:b");
    EXPECT_EQ(Value("NAME"), "WITH=colon first");
    EXPECT_EQ(Value("no separator at all"), "<missing>");
    EXPECT_EQ(Value("UNCLOSED"), "still in Text");
    EXPECT_EQ(Value("AFTER"), "]");
    EXPECT_EQ(Value("CUT"), "before");
    EXPECT_EQ(Value("MIDDLE"), "a\rb");
    EXPECT_EQ(Value("\xEF\xBB\xBFMARK"), "not at the start");
    EXPECT_EQ(Value("LAST"), "no line end");
}

}  // namespace
}  // namespace skyloom
