#pragma once

namespace skyloom {

// Moves the calling thread to the idle scheduling class, or where that is
// refused to the weakest nice value, so it only gets CPU time no other
// thread wants. False when neither took effect (the thread keeps running at
// its old priority, which is harmless).
bool LowerCurrentThreadPriority();

}  // namespace skyloom
