#include "config/version_line.h"

#include <chrono>

namespace skyloom {

std::string BuildDateText(std::int64_t secondsSince1970) {
    // Named here, not by the locale: the line reads the same everywhere.
    static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const std::chrono::sys_seconds moment{std::chrono::seconds{secondsSince1970}};
    const std::chrono::year_month_day day{std::chrono::floor<std::chrono::days>(moment)};
    return std::string(kMonths[static_cast<unsigned>(day.month()) - 1]) + ' ' +
           std::to_string(static_cast<unsigned>(day.day())) + ' ' + std::to_string(static_cast<int>(day.year()));
}

std::string VersionLine(const char* versionText, int major, int minor, std::int64_t buildSecondsSince1970) {
    return std::string(versionText) + ' ' + std::to_string(major) + '.' + std::to_string(minor) + "  -  " +
           BuildDateText(buildSecondsSince1970);
}

}  // namespace skyloom
