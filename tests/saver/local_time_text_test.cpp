// The local-time overlay's text and the local time it is made from.

#include "os/local_time.h"
#include "saver/overlay_pass.h"

#include <gtest/gtest.h>

#include <ctime>
#include <string>

namespace skyloom {
namespace {

std::tm LocalTime(int year, int month, int day, int hour, int minute) {
    std::tm time{};
    time.tm_year = year - 1900;
    time.tm_mon = month - 1;
    time.tm_mday = day;
    time.tm_hour = hour;
    time.tm_min = minute;
    time.tm_isdst = -1;
    std::mktime(&time);  // fills in the weekday
    return time;
}

std::string TimeText(const std::tm& time) {
    char text[64];
    EXPECT_TRUE(FormatLocalTimeText(time, text, sizeof text));
    return text;
}

TEST(LocalTimeTextTest, TwelveHourClockWithEnglishNames) {
    EXPECT_EQ(TimeText(LocalTime(2019, 1, 2, 14, 5)), "Wed Jan 2  -  2:05 PM");
    EXPECT_EQ(TimeText(LocalTime(2019, 1, 2, 0, 0)), "Wed Jan 2  - 12:00 AM");
    EXPECT_EQ(TimeText(LocalTime(2019, 1, 2, 12, 0)), "Wed Jan 2  - 12:00 PM");
    EXPECT_EQ(TimeText(LocalTime(2019, 1, 2, 0, 59)), "Wed Jan 2  - 12:59 AM");
    EXPECT_EQ(TimeText(LocalTime(2019, 1, 2, 11, 59)), "Wed Jan 2  - 11:59 AM");
    EXPECT_EQ(TimeText(LocalTime(2024, 8, 31, 23, 7)), "Sat Aug 31 - 11:07 PM");
}

TEST(LocalTimeTextTest, TooSmallABufferGivesNothing) {
    char text[12] = "unchanged";
    EXPECT_FALSE(FormatLocalTimeText(LocalTime(2019, 1, 2, 14, 5), text, sizeof text));
    EXPECT_STREQ(text, "");
    EXPECT_FALSE(FormatLocalTimeText(LocalTime(2019, 1, 2, 14, 5), text, 0));
}

TEST(LocalTimeTest, ConvertsBackToTheSameMoment) {
    const std::time_t moments[] = {172800, 951782400 /* 2000-02-29 */, 1700000000, 2147483647};
    for (const std::time_t moment : moments) {
        std::tm local{};
        ASSERT_TRUE(ToLocalTime(moment, local)) << moment;
        EXPECT_EQ(std::mktime(&local), moment) << moment;
    }
}

}  // namespace
}  // namespace skyloom
