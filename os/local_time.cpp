#include "os/local_time.h"

namespace skyloom {

bool ToLocalTime(std::time_t time, std::tm& local) { return localtime_r(&time, &local) != nullptr; }

}  // namespace skyloom
