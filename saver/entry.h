#pragma once

#include "saver/window_message.h"

#include <cstdint>

namespace skyloom {

inline constexpr char kProductName[] = "Skyloom";
inline constexpr int32_t kVersionMajor = 3;
inline constexpr int32_t kVersionMinor = 3;

// The saver window's procedure: start-up on Create, the configure and
// screenshot keys; everything else goes to DefScreenSaverProc.
MessageResult ScreenSaverProc(const WindowEvent& event);

// Called before the configuration dialog; the dialog needs no classes of its
// own, so this registers nothing.
bool RegisterDialogClasses();

// The configuration mode's entry; returns the process exit code.
int ScreenSaverConfigureDialog();

// The start-up the saver and the configuration share: start counter, random
// seed, version values, a configuration page index that is out of range reset.
void CommonStartup();

// Colour depth of the saver window's visual, in bits; 0 before the saver
// window exists.
int32_t DisplayColorBits();

}  // namespace skyloom
