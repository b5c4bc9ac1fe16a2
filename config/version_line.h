#pragma once

#include <cstdint>
#include <string>

namespace skyloom {

// A moment in seconds since 1970 as the version line dates the build, in
// UTC: English month abbreviation, day, year ("Jan 5 2025").
std::string BuildDateText(std::int64_t secondsSince1970);

// The Introduction page's version line: "<T_VERSION text> 3.3  -  Jan 5 2025".
std::string VersionLine(const char* versionText, int major, int minor, std::int64_t buildSecondsSince1970);

}  // namespace skyloom
