#include "platform/win32/framework.h"

namespace skyloom::win32 {

Framework fw;

}  // namespace skyloom::win32
