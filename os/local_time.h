#pragma once

#include <ctime>

namespace skyloom {

// The time in the local time zone, as localtime gives it but without its
// shared buffer, so any thread may call it. False when the system cannot
// convert the time.
bool ToLocalTime(std::time_t time, std::tm& local);

}  // namespace skyloom
