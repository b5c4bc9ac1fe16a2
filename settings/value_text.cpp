#include "settings/value_text.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace skyloom {

namespace {
std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
}
}  // namespace

bool ParseInt32Text(std::string_view text, int32_t& value) {
    text = TrimBlanks(text);
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        std::string_view digits = text.substr(2);
        uint64_t bits = 0;
        auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), bits, 16);
        if (error != std::errc() || end != digits.data() + digits.size() || bits > 0xFFFFFFFFull) {
            return false;
        }
        value = static_cast<int32_t>(static_cast<uint32_t>(bits));
        return true;
    }
    int64_t number = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number, 10);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() ||
        number < std::numeric_limits<int32_t>::min() || number > std::numeric_limits<int32_t>::max()) {
        return false;
    }
    value = static_cast<int32_t>(number);
    return true;
}

bool ParseFloatText(std::string_view text, float& value) {
    text = TrimBlanks(text);
    float number = 0.0f;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || !std::isfinite(number)) {
        return false;
    }
    value = number;
    return true;
}

std::string FormatInt32Text(int32_t value) { return std::to_string(value); }

std::string FormatFloatText(float value) {
    char buffer[32];
    auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return error == std::errc() ? std::string(buffer, end) : std::string("0");
}

std::string EscapeText(std::string_view text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '\\': escaped += "\\\\"; break;
            case '\n': escaped += "\\n"; break;
            case '\r': escaped += "\\r"; break;
            case '\t': escaped += "\\t"; break;
            default: escaped += c; break;
        }
    }
    return escaped;
}

std::string UnescapeText(std::string_view text) {
    std::string plain;
    plain.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            plain += text[i];
            continue;
        }
        const char next = text[i + 1];
        switch (next) {
            case '\\': plain += '\\'; break;
            case 'n': plain += '\n'; break;
            case 'r': plain += '\r'; break;
            case 't': plain += '\t'; break;
            default:
                plain += '\\';
                plain += next;
                break;
        }
        ++i;
    }
    return plain;
}

std::string_view TruncateUtf8(std::string_view text, size_t maxBytes) {
    if (text.size() <= maxBytes) {
        return text;
    }
    size_t cut = maxBytes;
    // Step back over continuation bytes to the lead byte of the cut sequence.
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) {
        --cut;
    }
    return text.substr(0, cut);
}

}  // namespace skyloom
