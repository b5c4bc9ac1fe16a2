#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace skyloom {

// What a stored value holds. The settings file keeps every kind as text; a
// registry keeps integers as REG_DWORD, a float's bit pattern as REG_DWORD
// and texts as REG_SZ.
enum class StoredKind { Integer, Float, Text };

// Where the settings live between runs: values by key path
// ("Software\Quillmere\Skyloom") and name, names compared without regard to
// case. Values travel as the text forms of settings/value_text.h: decimal
// integers, shortest floats, escaped texts.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    // The value's stored text; nullopt when the key lacks the value or
    // cannot be read.
    virtual std::optional<std::string> Read(std::string_view keyPath, std::string_view name, StoredKind kind) = 0;
    // False when the value could not be stored.
    virtual bool Write(std::string_view keyPath, std::string_view name, StoredKind kind, std::string_view text) = 0;
};

// The store of this build. Each platform links exactly one definition: the
// setting objects are constructed during static initialization and read the
// store then, before any code could pick one at run time.
SettingsStore& ProgramSettingsStore();

}  // namespace skyloom
