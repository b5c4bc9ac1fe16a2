#include "settings/memory_settings_store.h"

namespace skyloom {

namespace {
std::string LookupKey(std::string_view keyPath, std::string_view name) {
    std::string key;
    key.reserve(keyPath.size() + 1 + name.size());
    key.append(keyPath).push_back('\0');
    key.append(name);
    for (char& c : key) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return key;
}
}  // namespace

std::optional<std::string> MemorySettingsStore::Read(std::string_view keyPath, std::string_view name, StoredKind) {
    const std::lock_guard lock(mutex_);
    const auto found = values_.find(LookupKey(keyPath, name));
    if (found == values_.end()) {
        return std::nullopt;
    }
    return found->second;
}

bool MemorySettingsStore::Write(std::string_view keyPath, std::string_view name, StoredKind, std::string_view text) {
    const std::lock_guard lock(mutex_);
    values_[LookupKey(keyPath, name)] = std::string(text);
    return true;
}

}  // namespace skyloom
