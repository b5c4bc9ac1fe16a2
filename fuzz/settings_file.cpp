// The settings file as an attacker or a broken disk might leave it. Input:
// one byte choosing the value to write, one byte giving the length of the
// text to write, that text, and the rest as the file's contents. Reading
// must never crash, every stored text must survive the value parsers, and
// writing one value must keep every other value the file held.

#include "fuzz/fuzz_support.h"
#include "os/settings_file.h"
#include "settings/value_text.h"

#include <cmath>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

using skyloom::fuzz::ScratchFolder;
using skyloom::fuzz::WriteWholeFile;

constexpr const char* kNames[] = {"FactorCameraFov", "CurrentLanguage", "MusicFilename", "UCA",
                                  "ShowLensFlare",   "Seed",            "AppDir",        "CustomSunColor"};

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

// The names of the value lines, as the reader sees them.
std::vector<std::string> ValueNames(const std::vector<std::string>& lines) {
    std::vector<std::string> names;
    for (const std::string& line : lines) {
        const size_t equals = line.find('=');
        if (line.empty() || line[0] == '#' || line[0] == ';' || equals == std::string::npos) {
            continue;
        }
        names.emplace_back(Trimmed(std::string_view(line).substr(0, equals)));
    }
    return names;
}

// What each setting kind makes of a stored text must read back the same
// once written in the kind's own form.
void CheckValueParsers(const std::string& stored) {
    int32_t integer = 0;
    if (skyloom::ParseInt32Text(stored, integer)) {
        int32_t again = 0;
        SKYLOOM_FUZZ_CHECK(skyloom::ParseInt32Text(skyloom::FormatInt32Text(integer), again) && again == integer);
    }
    float real = 0.0f;
    if (skyloom::ParseFloatText(stored, real)) {
        SKYLOOM_FUZZ_CHECK(std::isfinite(real));
        float again = 0.0f;
        SKYLOOM_FUZZ_CHECK(skyloom::ParseFloatText(skyloom::FormatFloatText(real), again));
        SKYLOOM_FUZZ_CHECK(std::memcmp(&again, &real, sizeof real) == 0);
    }
    const std::string text = skyloom::UnescapeText(stored);
    const std::string escaped = skyloom::EscapeText(text);
    SKYLOOM_FUZZ_CHECK(escaped.find('\n') == std::string::npos && escaped.find('\r') == std::string::npos);
    SKYLOOM_FUZZ_CHECK(skyloom::UnescapeText(escaped) == text);
    const std::string_view cut = skyloom::TruncateUtf8(text, 499);
    SKYLOOM_FUZZ_CHECK(cut.size() <= 499 && text.compare(0, cut.size(), cut) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) {
        return 0;
    }
    const char* name = kNames[data[0] % (sizeof kNames / sizeof kNames[0])];
    const size_t textLength = std::min<size_t>(data[1], size - 2);
    std::string_view written(reinterpret_cast<const char*>(data + 2), textLength);
    // As the text setting stores it: cut at a NUL, at most 499 bytes, escaped.
    written = skyloom::TruncateUtf8(written.substr(0, written.find('\0')), 499);
    const std::string storedText = skyloom::EscapeText(written);

    static const std::string path = ScratchFolder() + "/fuzz-settings/Skyloom.conf";
    static bool folderMade = false;
    if (!folderMade) {
        // The first update creates the folder; it also checks a missing file.
        SKYLOOM_FUZZ_CHECK(skyloom::UpdateSettingsFile(path, "", ""));
        folderMade = true;
    }
    const size_t fileStart = 2 + textLength;
    WriteWholeFile(path, data + fileStart, size - fileStart);

    const std::vector<std::string> before = skyloom::ReadSettingsLines(path);
    const std::vector<std::string> names = ValueNames(before);
    for (const std::string& valueName : names) {
        const std::optional<std::string> stored = skyloom::FindStoredText(before, valueName);
        SKYLOOM_FUZZ_CHECK(stored.has_value());
        CheckValueParsers(*stored);
    }

    SKYLOOM_FUZZ_CHECK(skyloom::UpdateSettingsFile(path, name, storedText));
    const std::vector<std::string> after = skyloom::ReadSettingsLines(path);
    SKYLOOM_FUZZ_CHECK(skyloom::FindStoredText(after, name) == storedText);
    // An unreadable file (binary, too large) is replaced; a readable one
    // keeps every other value as it stood.
    if (!before.empty()) {
        for (const std::string& valueName : names) {
            if (!SameName(valueName, name)) {
                SKYLOOM_FUZZ_CHECK(skyloom::FindStoredText(after, valueName) ==
                                   skyloom::FindStoredText(before, valueName));
            }
        }
    }
    return 0;
}
