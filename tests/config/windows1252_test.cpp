#include "config/windows1252.h"

#include <gtest/gtest.h>

#include <string>

namespace skyloom {
namespace {

struct Converted {
    std::string text;
    size_t replaced;
};

Converted Convert(const std::string& utf8, size_t outSize = 64) {
    char out[64];
    const size_t replaced = Utf8ToWindows1252(utf8, out, outSize);
    return {out, replaced};
}

TEST(Windows1252Test, WesternEuropeanTextMapsByteForByte) {
    const Converted german = Convert("Grüße, Straße");
    EXPECT_EQ(german.text, "Gr\xFC\xDF" "e, Stra\xDF" "e");
    EXPECT_EQ(german.replaced, 0u);
    // The characters Windows-1252 keeps in 0x80-0x9F, and no-break space.
    const Converted typography = Convert("€ ‚„…‘’“”–—™ Œœ Šš Žž Ÿ ƒ\u00A0!");
    EXPECT_EQ(typography.text,
              "\x80 \x82\x84\x85\x91\x92\x93\x94\x96\x97\x99 \x8C\x9C \x8A\x9A \x8E\x9E \x9F \x83\xA0!");
    EXPECT_EQ(typography.replaced, 0u);
}

TEST(Windows1252Test, MissingCharactersAndBadBytesBecomeQuestionMarks) {
    // Polish Ł and ź are not in Windows-1252; ó is.
    const Converted polish = Convert("Łódź");
    EXPECT_EQ(polish.text, "?\xF3" "d?");
    EXPECT_EQ(polish.replaced, 2u);
    // A C1 control has a UTF-8 form but no glyph.
    EXPECT_EQ(Convert("a\xC2\x85" "b").text, "a?b");
    // A stray continuation byte, an overlong form, a surrogate, a code point
    // past U+10FFFF: every byte that is not part of a valid sequence counts.
    EXPECT_EQ(Convert("a\x80" "b").text, "a?b");
    const Converted overlong = Convert("\xC0\xAF");
    EXPECT_EQ(overlong.text, "??");
    EXPECT_EQ(overlong.replaced, 2u);
    EXPECT_EQ(Convert("\xED\xA0\x80").replaced, 3u);
    EXPECT_EQ(Convert("\xF4\x90\x80\x80").replaced, 4u);
    // A sequence cut off at the end of the text.
    const Converted cut = Convert("ok\xE2\x82");
    EXPECT_EQ(cut.text, "ok??");
    EXPECT_EQ(cut.replaced, 2u);
}

TEST(Windows1252Test, OutputIsCutToFitAndTerminated) {
    EXPECT_EQ(Convert("abcdef", 4).text, "abc");
    // A two-byte character takes one output byte.
    EXPECT_EQ(Convert("äöü", 3).text, "\xE4\xF6");
    // Replacements beyond the cut are not counted.
    EXPECT_EQ(Convert("ab\x80", 3).replaced, 0u);
    EXPECT_EQ(Convert(std::string("ab\0cd", 5)).text, "ab");
    char untouched = 'x';
    EXPECT_EQ(Utf8ToWindows1252("abc", &untouched, 0), 0u);
    EXPECT_EQ(untouched, 'x');
}

}  // namespace
}  // namespace skyloom
