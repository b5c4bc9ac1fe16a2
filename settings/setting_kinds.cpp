#include "settings/setting_kinds.h"

#include "settings/settings_store.h"
#include "settings/value_text.h"

#include <cstring>
#include <optional>

namespace skyloom {

namespace {
std::optional<std::string> ReadStored(const std::string& keyPath, const std::string& name, StoredKind kind) {
    return ProgramSettingsStore().Read(keyPath, name, kind);
}

void WriteStored(const std::string& keyPath, const std::string& name, StoredKind kind, const std::string& text) {
    ProgramSettingsStore().Write(keyPath, name, kind, text);
}

// Writes the normalized text back unless the store already holds exactly it.
void WriteBackIfDifferent(const std::string& keyPath, const std::string& name, StoredKind kind,
                          const std::optional<std::string>& stored, const std::string& normalized) {
    if (!stored || *stored != normalized) {
        WriteStored(keyPath, name, kind, normalized);
    }
}

int32_t ReadInt32(const std::string& keyPath, const std::string& name, int32_t defaultValue) {
    const std::optional<std::string> stored = ReadStored(keyPath, name, StoredKind::Integer);
    int32_t value = defaultValue;
    if (!stored || !ParseInt32Text(*stored, value)) {
        value = defaultValue;
    }
    WriteBackIfDifferent(keyPath, name, StoredKind::Integer, stored, FormatInt32Text(value));
    return value;
}
}  // namespace

BoolSetting::BoolSetting(const char* keyPath, const char* valueName, bool defaultValue)
    : keyPath_(keyPath), name_(valueName), default_(defaultValue ? 1 : 0) {
    value_ = ReadInt32(keyPath_, name_, default_);
}

bool BoolSetting::Set(int value) {
    value_ = value;
    WriteStored(keyPath_, name_, StoredKind::Integer, FormatInt32Text(value_));
    return value_ == 1;
}

void BoolSetting::ResetToDefault() { Set(default_); }

IntSetting::IntSetting(const char* keyPath, const char* valueName, int32_t defaultValue)
    : keyPath_(keyPath), name_(valueName), default_(defaultValue) {
    value_ = ReadInt32(keyPath_, name_, default_);
}

void IntSetting::Set(int32_t value) {
    value_ = value;
    WriteStored(keyPath_, name_, StoredKind::Integer, FormatInt32Text(value_));
}

void IntSetting::ResetToDefault() { Set(default_); }

void IntSetting::Increment() { Set(static_cast<int32_t>(static_cast<uint32_t>(value_) + 1u)); }

FloatSetting::FloatSetting(const char* keyPath, const char* valueName, float defaultValue)
    : keyPath_(keyPath), name_(valueName), default_(defaultValue) {
    const std::optional<std::string> stored = ReadStored(keyPath_, name_, StoredKind::Float);
    value_ = default_;
    if (!stored || !ParseFloatText(*stored, value_)) {
        value_ = default_;
    }
    WriteBackIfDifferent(keyPath_, name_, StoredKind::Float, stored, FormatFloatText(value_));
}

double FloatSetting::Factor() const {
    // Written so that a NaN gives 0.
    return value_ >= 1.0f ? 1.0 : value_ > 0.0f ? static_cast<double>(value_) : 0.0;
}

void FloatSetting::Set(float value) {
    value_ = value;
    WriteStored(keyPath_, name_, StoredKind::Float, FormatFloatText(value_));
}

void FloatSetting::ResetToDefault() { Set(default_); }

StringSetting::StringSetting(const char* keyPath, const char* valueName, const char* defaultValue)
    : keyPath_(keyPath), name_(valueName), default_(TruncateUtf8(defaultValue, kMaxLength)) {
    const std::optional<std::string> stored = ReadStored(keyPath_, name_, StoredKind::Text);
    value_ = default_;
    if (stored) {
        std::string text = UnescapeText(*stored);
        if (text.size() <= kMaxLength) {
            value_ = std::move(text);
        }
    }
    WriteBackIfDifferent(keyPath_, name_, StoredKind::Text, stored, EscapeText(value_));
}

void StringSetting::Set(std::string_view value) {
    // A NUL would end the text in every C caller and make the file binary.
    value = value.substr(0, value.find('\0'));
    value_ = TruncateUtf8(value, kMaxLength);
    WriteStored(keyPath_, name_, StoredKind::Text, EscapeText(value_));
}

}  // namespace skyloom
