#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace skyloom {

// Each setting reads its stored value from the program's store
// (ProgramSettingsStore, settings/settings_store.h) once when constructed,
// writes the normalized value back (creating it with the default on first
// start) and from then on serves reads from memory and writes every change
// through.
// A stored text that does not parse as the setting's kind gives the default.
// Store failures are silent: the in-memory value stays in force.

class SettingBase {
public:
    virtual ~SettingBase() = default;
};

class BoolSetting : public SettingBase {
public:
    BoolSetting(const char* keyPath, const char* valueName, bool defaultValue);
    ~BoolSetting() override = default;

    // The program stores only 0 and 1; users compare with 1.
    int Get() const { return value_; }
    // Returns whether the stored value is now 1.
    bool Set(int value);
    void ResetToDefault();

    const std::string& Name() const { return name_; }
    int Default() const { return default_; }

private:
    std::string keyPath_;
    std::string name_;
    int32_t value_;
    uint8_t default_;
};

class IntSetting {
public:
    IntSetting(const char* keyPath, const char* valueName, int32_t defaultValue);

    int32_t Get() const { return value_; }
    void Set(int32_t value);
    void ResetToDefault();
    void Increment();

    const std::string& Name() const { return name_; }
    int32_t Default() const { return default_; }

private:
    std::string keyPath_;
    std::string name_;
    int32_t value_;
    int32_t default_;
};

class FloatSetting {
public:
    FloatSetting(const char* keyPath, const char* valueName, float defaultValue);

    float Get() const { return value_; }
    // Every float setting is a factor from 0 to 1: a hand-edited value
    // beyond either end counts as that end.
    double Factor() const;
    void Set(float value);
    void ResetToDefault();

    const std::string& Name() const { return name_; }
    float Default() const { return default_; }

private:
    std::string keyPath_;
    std::string name_;
    float value_;
    float default_;
};

class StringSetting {
public:
    // Texts hold at most this many bytes.
    static constexpr size_t kMaxLength = 499;

    StringSetting(const char* keyPath, const char* valueName, const char* defaultValue);

    const char* Get() const { return value_.c_str(); }
    // A longer text is cut to kMaxLength bytes, never inside a UTF-8 sequence.
    void Set(std::string_view value);

    const std::string& Name() const { return name_; }

private:
    std::string keyPath_;
    std::string name_;
    std::string value_;
    std::string default_;
};

}  // namespace skyloom
