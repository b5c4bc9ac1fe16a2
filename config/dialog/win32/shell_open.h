#pragma once

namespace skyloom::win32 {

// Opens a file, page or address with the shell's program for it; false
// when the shell refused. Nothing of the started program is kept.
bool OpenWithShell(const char* target);

// Opens a page of the data folder (help.htm, sk_translations.htm) from the
// program's folder as the current one; only beeps without a data folder.
void OpenDataPage(const char* fileName);

// The sheet's Help button on every page.
void OpenHelp();

}  // namespace skyloom::win32
