#pragma once

#include <QIcon>

namespace skyloom {

// The program icon in every size the build carries.
QIcon ProgramIcon();

}  // namespace skyloom
