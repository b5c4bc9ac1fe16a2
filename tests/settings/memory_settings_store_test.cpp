#include "settings/memory_settings_store.h"

#include <gtest/gtest.h>

namespace skyloom {
namespace {

TEST(MemorySettingsStore, KeysAndNamesIgnoreCaseAndKeysKeepTheirOwnValues) {
    MemorySettingsStore store;
    EXPECT_EQ(store.Read("Software\\A", "Count", StoredKind::Integer), std::nullopt);
    ASSERT_TRUE(store.Write("Software\\A", "Count", StoredKind::Integer, "1"));
    ASSERT_TRUE(store.Write("Software\\B", "Count", StoredKind::Integer, "2"));
    ASSERT_TRUE(store.Write("SOFTWARE\\a", "COUNT", StoredKind::Integer, "3"));
    EXPECT_EQ(store.Read("software\\A", "count", StoredKind::Integer), "3");
    EXPECT_EQ(store.Read("Software\\B", "Count", StoredKind::Integer), "2");
    // A key path and a name that together spell another pair's text.
    EXPECT_EQ(store.Read("Software", "\\A" "Count", StoredKind::Integer), std::nullopt);
    EXPECT_EQ(store.Read("Software\\A", "Coun", StoredKind::Integer), std::nullopt);
}

}  // namespace
}  // namespace skyloom
