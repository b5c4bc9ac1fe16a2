#pragma once

namespace skyloom::x11 {

// Runs the saver until its windows are destroyed: X events become window
// messages, a Close is sent when one was posted, a termination signal came
// or a watched window vanished, and a Paint goes to the GL window whenever
// its frame is due. A frame that hangs ends the process.
void RunEventLoop();

}  // namespace skyloom::x11
