#include "os/registry_key.h"
#include "settings/settings_store.h"

namespace skyloom {

namespace {
// The per-user settings files (os/settings_file.h): every kind as its text,
// one key a file. Each call opens the key afresh, so other processes'
// writes are seen and nothing is held between calls.
class FileSettingsStore final : public SettingsStore {
public:
    std::optional<std::string> Read(std::string_view keyPath, std::string_view name, StoredKind) override {
        RegistryKey key;
        if (!key.Open(keyPath)) {
            return std::nullopt;
        }
        return key.QueryValue(name);
    }

    bool Write(std::string_view keyPath, std::string_view name, StoredKind, std::string_view text) override {
        RegistryKey key;
        return key.Open(keyPath) && key.SetValue(name, text);
    }
};
}  // namespace

SettingsStore& ProgramSettingsStore() {
    static FileSettingsStore store;
    return store;
}

}  // namespace skyloom
