#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace skyloom {

// A scoped handle on one settings key, that is one settings file. Opening
// creates the folder and the file when they are missing; every read or
// write opens a fresh key and closes it before returning.
class RegistryKey {
public:
    RegistryKey() = default;
    ~RegistryKey() { Close(); }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    bool Open(std::string_view keyPath);
    void Close();
    bool IsOpen() const { return open_; }

    // The value's text as stored (escaped), if the key holds it.
    std::optional<std::string> QueryValue(std::string_view name) const;
    bool SetValue(std::string_view name, std::string_view storedText) const;

private:
    std::string path_;
    bool open_ = false;
};

}  // namespace skyloom
