#pragma once

#include "settings/settings_store.h"

#include <map>
#include <mutex>
#include <string>

namespace skyloom {

// Settings that live as long as the process: every write succeeds, nothing
// outlives the run. Key paths and names compare without regard to (ASCII)
// case, as the settings file and the registry compare them.
class MemorySettingsStore final : public SettingsStore {
public:
    std::optional<std::string> Read(std::string_view keyPath, std::string_view name, StoredKind kind) override;
    bool Write(std::string_view keyPath, std::string_view name, StoredKind kind, std::string_view text) override;

private:
    std::mutex mutex_;
    // Keyed by the lower-case key path, a NUL, and the lower-case name.
    std::map<std::string, std::string> values_;
};

}  // namespace skyloom
