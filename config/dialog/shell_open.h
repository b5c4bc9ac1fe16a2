#pragma once

#include <QString>

namespace skyloom {

// Opens a target with the user's desktop (xdg-open through
// QDesktopServices): an address with a scheme (https:, mailto:) in the
// browser or mail program, anything else as a file path in the application
// for its type. Returns whether the desktop accepted it; callers may ignore
// the result, as nothing is reported to the user.
bool OpenWithShell(const QString& target);

// Opens a page of the data folder (help.htm, sk_translations.htm) in the
// browser, with the program's folder as the current folder. Without a data
// folder it only beeps.
void OpenDataPage(const char* fileName);

// The sheet's Help button: help.htm of the data folder.
void OpenHelp();

}  // namespace skyloom
