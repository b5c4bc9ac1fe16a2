#pragma once

#include <cstddef>
#include <string_view>

namespace skyloom {

// Language texts are UTF-8; the on-screen font has the 256 glyphs of
// Windows-1252. Writes the Windows-1252 form of the text into out,
// terminated and cut to fit outSize bytes (nothing is written when outSize
// is 0). A character Windows-1252 lacks, a C1 control and every malformed
// byte become '?'; a NUL ends the text. Returns how many replacements were
// made in the part that fits. Does not allocate.
size_t Utf8ToWindows1252(std::string_view utf8, char* out, size_t outSize);

}  // namespace skyloom
