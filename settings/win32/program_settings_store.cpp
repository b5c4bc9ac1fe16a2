// The Windows build keeps its settings for the run only, in memory, until
// it has a store in the registry.

#include "settings/memory_settings_store.h"

namespace skyloom {

SettingsStore& ProgramSettingsStore() {
    static MemorySettingsStore store;
    return store;
}

}  // namespace skyloom
