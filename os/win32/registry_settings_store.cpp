// The settings in the registry, below HKEY_CURRENT_USER: integers (and
// booleans) as REG_DWORD, a float's bit pattern as REG_DWORD, texts as
// REG_SZ. A number is read from four bytes of REG_DWORD or REG_BINARY; a
// text from a REG_DWORD as its signed decimal form, from any other type as
// the characters up to the first NUL. Anything else counts as missing, so
// the setting takes its default, and every setting writes itself back with
// its own type.

#include "settings/settings_store.h"
#include "settings/value_text.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <windows.h>

namespace skyloom {

namespace {

// A scoped handle on one key below HKEY_CURRENT_USER, made when missing.
// Every read or write opens one of its own and closes it before returning.
class RegistryKey {
public:
    explicit RegistryKey(std::string_view keyPath) {
        const std::string path(keyPath);
        char noClass[] = "";
        if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, noClass, 0, KEY_ALL_ACCESS, nullptr, &key_,
                            nullptr) != ERROR_SUCCESS) {
            key_ = nullptr;
        }
    }
    ~RegistryKey() {
        if (key_ != nullptr) {
            RegCloseKey(key_);
        }
    }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    bool IsOpen() const { return key_ != nullptr; }

    // The value's type and bytes; false when it is missing or unreadable.
    bool Query(const std::string& name, DWORD& type, std::vector<BYTE>& data) const {
        // Another process may let the value grow between the two calls.
        for (int attempt = 0; attempt < 3; ++attempt) {
            DWORD size = 0;
            if (RegQueryValueExA(key_, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
                return false;
            }
            data.resize(size);
            const LONG result = RegQueryValueExA(key_, name.c_str(), nullptr, &type, data.data(), &size);
            if (result == ERROR_SUCCESS) {
                data.resize(size);
                return true;
            }
            if (result != ERROR_MORE_DATA) {
                return false;
            }
        }
        return false;
    }

    bool Set(const std::string& name, DWORD type, const void* data, size_t size) const {
        return RegSetValueExA(key_, name.c_str(), 0, type, static_cast<const BYTE*>(data), static_cast<DWORD>(size)) ==
               ERROR_SUCCESS;
    }

private:
    HKEY key_ = nullptr;
};

// The DWORD a number's text stands for: an integer's two's complement, a
// float's bit pattern.
bool NumberBits(std::string_view text, StoredKind kind, uint32_t& bits) {
    if (kind == StoredKind::Float) {
        float value = 0.0f;
        if (!ParseFloatText(text, value)) {
            return false;
        }
        std::memcpy(&bits, &value, sizeof bits);
        return true;
    }
    int32_t value = 0;
    if (!ParseInt32Text(text, value)) {
        return false;
    }
    bits = static_cast<uint32_t>(value);
    return true;
}

std::string NumberText(uint32_t bits, StoredKind kind) {
    if (kind == StoredKind::Float) {
        float value = 0.0f;
        std::memcpy(&value, &bits, sizeof value);
        return FormatFloatText(value);
    }
    return FormatInt32Text(static_cast<int32_t>(bits));
}

// The stored value as the setting kind's text, or nullopt when the value
// cannot serve that kind.
std::optional<std::string> StoredText(DWORD type, const std::vector<BYTE>& data, StoredKind kind) {
    uint32_t bits = 0;
    const bool fourBytes = data.size() == sizeof bits;
    if (fourBytes) {
        std::memcpy(&bits, data.data(), sizeof bits);
    }
    if (kind == StoredKind::Text) {
        if (type == REG_DWORD) {
            return fourBytes ? std::optional(FormatInt32Text(static_cast<int32_t>(bits))) : std::nullopt;
        }
        // Up to the terminator, which a value written by another program may lack.
        const auto end = std::find(data.begin(), data.end(), BYTE{0});
        return EscapeText(std::string(data.begin(), end));
    }
    if ((type != REG_DWORD && type != REG_BINARY) || !fourBytes) {
        return std::nullopt;
    }
    return NumberText(bits, kind);
}

bool WriteValue(const RegistryKey& key, const std::string& name, StoredKind kind, std::string_view text) {
    if (kind == StoredKind::Text) {
        // The registry holds the text itself; the escapes are for text files.
        const std::string plain = UnescapeText(text);
        return key.Set(name, REG_SZ, plain.c_str(), plain.size() + 1);
    }
    uint32_t bits = 0;
    return NumberBits(text, kind, bits) && key.Set(name, REG_DWORD, &bits, sizeof bits);
}

class RegistrySettingsStore final : public SettingsStore {
public:
    std::optional<std::string> Read(std::string_view keyPath, std::string_view name, StoredKind kind) override {
        const RegistryKey key(keyPath);
        const std::string valueName(name);
        DWORD type = REG_NONE;
        std::vector<BYTE> data;
        if (!key.IsOpen() || !key.Query(valueName, type, data)) {
            return std::nullopt;
        }
        const std::optional<std::string> text = StoredText(type, data, kind);
        // A value read from another type is stored again with the kind's own,
        // as the setting writes back only a text that changed.
        const DWORD ownType = kind == StoredKind::Text ? REG_SZ : REG_DWORD;
        if (text && type != ownType) {
            WriteValue(key, valueName, kind, *text);
        }
        return text;
    }

    bool Write(std::string_view keyPath, std::string_view name, StoredKind kind, std::string_view text) override {
        const RegistryKey key(keyPath);
        return key.IsOpen() && WriteValue(key, std::string(name), kind, text);
    }
};

}  // namespace

SettingsStore& ProgramSettingsStore() {
    static RegistrySettingsStore store;
    return store;
}

}  // namespace skyloom
