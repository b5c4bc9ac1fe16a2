// Linux reads INI files with inih, whose options are process-wide.

#include "config/ini_section.h"

#include "tests/support/temp_config.h"

#include <gtest/gtest.h>
#include <ini.h>

namespace skyloom {
namespace {

TEST(IniSectionInihTest, LeavesInihOptionsAsTheyWere) {
    const int maxLine = ini_max_line;
    const bool multiline = ini_allow_multiline;
    const bool inlineComments = ini_allow_inline_comments;
    const std::string path = testing::ScratchFolder() + "/options.ini";
    ASSERT_TRUE(testing::WriteFileText(path, "[Text]\nT_SUNS=Suns\n"));
    IniSection ini;
    ASSERT_TRUE(ini.Load(path, "Text"));
    ASSERT_NE(ini.Find("T_SUNS"), nullptr);
    EXPECT_EQ(ini_max_line, maxLine);
    EXPECT_EQ(ini_allow_multiline, multiline);
    EXPECT_EQ(ini_allow_inline_comments, inlineComments);
}

}  // namespace
}  // namespace skyloom
