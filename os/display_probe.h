#pragma once

namespace skyloom {

// True when the X display named by $DISPLAY accepts a connection. Lets a
// toolkit that ends the process on a failed connection be started only
// where it can work.
bool XDisplayReachable();

}  // namespace skyloom
