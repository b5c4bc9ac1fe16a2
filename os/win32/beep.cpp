#include "os/beep.h"

#include <windows.h>

namespace skyloom {

// 0 is the simple beep, played whatever sound scheme the user chose.
void Beep() { MessageBeep(0); }

}  // namespace skyloom
