#pragma once

namespace skyloom {

// Gives the calling thread the nice value 5 (on Windows: below normal), or
// leaves it where its own is weaker already, so that it yields to the normal threads (the frame) when
// the CPUs are busy yet still gets time within milliseconds to notice a
// stop request. The idle class or nice 19 would leave it waiting a second
// and more on a loaded machine, and no unprivileged process can raise it
// again. False when the change was refused (the thread keeps its
// priority, which is harmless).
bool LowerCurrentThreadPriority();

}  // namespace skyloom
