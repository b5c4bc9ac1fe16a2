#include "config/music_file_filter.h"
#include "config/version_line.h"

#include <gtest/gtest.h>

#include <string>

namespace skyloom {
namespace {

TEST(MusicStartingFilterTest, FollowsTheExtensionAfterTheLastDot) {
    const struct {
        const char* field;
        int filter;
    } cases[] = {
        {"/home/ann/Music/list.M3U", 1},  {"C:\\Music\\list.M3U", 1},     {"/home/ann/Music/song.mp3", 2},
        {"C:\\Music\\song.ra", 1},  // .RA is found inside .RAM
        {"C:\\Music.old\\song", 3},       {"/home/ann/notes.txt", 3},    {"/home/ann/Music/song", 1},
        {"", 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MusicStartingFilter(c.field), c.filter) << c.field;
    }
}

TEST(VersionLineTest, DatesTheBuildByItsDayInUtc) {
    const struct {
        std::int64_t seconds;
        const char* text;
    } cases[] = {
        {0, "Jan 1 1970"},           {1735689599, "Dec 31 2024"}, {1735689600, "Jan 1 2025"},
        {1736078400, "Jan 5 2025"},  {1709208000, "Feb 29 2024"}, {1694678400, "Sep 14 2023"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(BuildDateText(c.seconds), c.text) << c.seconds;
    }
}

TEST(VersionLineTest, HasTwoBlanksAroundTheDash) {
    EXPECT_EQ(VersionLine("Version", 3, 3, 1736078400), "Version 3.3  -  Jan 5 2025");
}

}  // namespace
}  // namespace skyloom
