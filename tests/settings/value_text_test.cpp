#include "settings/value_text.h"

#include <gtest/gtest.h>

namespace skyloom {
namespace {

TEST(ParseInt32Text, AcceptsWholeDecimalAndHexNumbersOnly) {
    int32_t v = 0;
    EXPECT_TRUE(ParseInt32Text("2147483647", v));
    EXPECT_EQ(v, INT32_MAX);
    EXPECT_TRUE(ParseInt32Text("0x7fffffff", v));
    EXPECT_EQ(v, INT32_MAX);
    EXPECT_TRUE(ParseInt32Text("0X80000000", v));
    EXPECT_EQ(v, INT32_MIN);
    v = 99;
    for (const char* bad : {"", " ", "2147483648", "-2147483649", "0x", "0x100000000", "1.0", "1e3", "+5",
                            "0x-1", "--1", "12 34", "0xFFG"}) {
        EXPECT_FALSE(ParseInt32Text(bad, v)) << bad;
    }
    EXPECT_EQ(v, 99);
}

TEST(ParseFloatText, FiniteNumbersOnly) {
    float f = 0.0f;
    EXPECT_TRUE(ParseFloatText("0.82", f));
    EXPECT_EQ(f, 0.82f);
    EXPECT_TRUE(ParseFloatText("-1.5e-3", f));
    EXPECT_EQ(f, -1.5e-3f);
    for (const char* bad : {"", "inf", "-inf", "nan", "1e39", "0.5.5", "0,5", "abc"}) {
        EXPECT_FALSE(ParseFloatText(bad, f)) << bad;
    }
}

TEST(EscapeText, OnlyTheFourSpecialCharactersChange) {
    EXPECT_EQ(EscapeText("a\\b\nc\rd\te"), "a\\\\b\\nc\\rd\\te");
    EXPECT_EQ(UnescapeText("a\\\\b\\nc\\rd\\te"), "a\\b\nc\rd\te");
    // Unknown escapes and a lone trailing backslash stay as they are.
    EXPECT_EQ(UnescapeText("C:\\Music\\"), "C:\\Music\\");
}

TEST(TruncateUtf8, NeverEndsInsideASequence) {
    const std::string euro = "\xE2\x82\xAC";  // three bytes
    const std::string text = "ab" + euro + "c";
    EXPECT_EQ(TruncateUtf8(text, 2), "ab");
    EXPECT_EQ(TruncateUtf8(text, 3), "ab");
    EXPECT_EQ(TruncateUtf8(text, 4), "ab");
    EXPECT_EQ(TruncateUtf8(text, 5), "ab" + euro);
    EXPECT_EQ(TruncateUtf8(text, 99), text);
}

}  // namespace
}  // namespace skyloom
