#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace skyloom {

// The text forms of setting values, in which every settings store
// (settings_store.h) receives and returns them.

// A whole decimal number in signed 32-bit range, or 0x followed by up to
// eight hexadecimal digits (the 32-bit pattern); blanks around it allowed.
bool ParseInt32Text(std::string_view text, int32_t& value);
// A finite single-precision number; blanks around it allowed.
bool ParseFloatText(std::string_view text, float& value);

std::string FormatInt32Text(int32_t value);
// The shortest text that reads back to the same float.
std::string FormatFloatText(float value);

// Backslash, newline, carriage return and tab become \\, \n, \r and \t, so
// any text fits on one line and survives a round trip.
std::string EscapeText(std::string_view text);
// The reverse; an unknown escape is kept as it stands.
std::string UnescapeText(std::string_view text);

// The longest prefix of at most maxBytes bytes that does not end inside a
// UTF-8 sequence.
std::string_view TruncateUtf8(std::string_view text, size_t maxBytes);

}  // namespace skyloom
