#include "config/windows1252.h"

#include <cstdint>

namespace skyloom {

namespace {

// Code points of the bytes 0x80 to 0x9F; 0 where the byte has no character.
constexpr char32_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

// The byte of a code point, or 0 when Windows-1252 has none.
unsigned char ByteForCodePoint(char32_t codePoint) {
    if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF)) {
        return static_cast<unsigned char>(codePoint);
    }
    for (unsigned i = 0; i < 32; ++i) {
        if (kHighControls[i] != 0 && kHighControls[i] == codePoint) {
            return static_cast<unsigned char>(0x80 + i);
        }
    }
    return 0;
}

// Decodes one well-formed UTF-8 sequence at the start of text; returns its
// length, or 0 when the bytes there are not one (overlong forms and
// surrogates included).
size_t DecodeSequence(std::string_view text, char32_t& codePoint) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    size_t length = 0;
    char32_t minimum = 0;
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        codePoint = lead & 0x1F;
        minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        codePoint = lead & 0x0F;
        minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        codePoint = lead & 0x07;
        minimum = 0x10000;
    } else {
        return 0;
    }
    if (text.size() < length) {
        return 0;
    }
    for (size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) {
            return 0;
        }
        codePoint = (codePoint << 6) | (byte(i) & 0x3F);
    }
    if (codePoint < minimum || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
        return 0;
    }
    return length;
}

}  // namespace

size_t Utf8ToWindows1252(std::string_view utf8, char* out, size_t outSize) {
    if (outSize == 0) {
        return 0;
    }
    size_t written = 0;
    size_t replaced = 0;
    while (!utf8.empty() && written + 1 < outSize) {
        char32_t codePoint = 0;
        const size_t length = DecodeSequence(utf8, codePoint);
        if (length != 0 && codePoint == 0) {
            break;  // a terminator inside the view ends the text
        }
        unsigned char byte = length == 0 ? 0 : ByteForCodePoint(codePoint);
        if (byte == 0) {
            byte = '?';
            ++replaced;
        }
        out[written++] = static_cast<char>(byte);
        // After a bad byte, start again at the next one.
        utf8.remove_prefix(length == 0 ? 1 : length);
    }
    out[written] = '\0';
    return replaced;
}

}  // namespace skyloom
