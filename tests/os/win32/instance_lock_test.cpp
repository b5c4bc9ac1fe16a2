// The single-instance lock as a named mutex.

#include "os/instance_lock.h"

#include <gtest/gtest.h>

#include <string>

#include <windows.h>

namespace skyloom {
namespace {

// Of this process alone, so no other test process can hold it.
std::string TestMutexName() { return "Quillmere Skyloom Test Mutex " + std::to_string(GetCurrentProcessId()); }

TEST(InstanceLockTest, OneHolderPerNameUntilReleasedOrGone) {
    const std::string name = TestMutexName();
    InstanceLock second;
    {
        InstanceLock first;
        InstanceLock other;
        EXPECT_EQ(first.Acquire(name), InstanceLockResult::Acquired);
        EXPECT_TRUE(first.Held());
        EXPECT_EQ(second.Acquire(name), InstanceLockResult::HeldElsewhere);
        EXPECT_FALSE(second.Held());
        EXPECT_EQ(other.Acquire(name + " too"), InstanceLockResult::Acquired);
        first.Release();
        EXPECT_FALSE(first.Held());
        EXPECT_EQ(second.Acquire(name), InstanceLockResult::Acquired);
        second.Release();
        ASSERT_EQ(first.Acquire(name), InstanceLockResult::Acquired);
    }
    EXPECT_EQ(second.Acquire(name), InstanceLockResult::Acquired) << "free again once its holder is gone";
}

TEST(InstanceLockTest, ANameTheSystemRefusesIsAFailureNotContention) {
    InstanceLock lock;
    EXPECT_EQ(lock.Acquire("No Such Namespace\\Skyloom"), InstanceLockResult::Failed);
    EXPECT_NE(lock.LastError(), 0);
    EXPECT_FALSE(lock.Held());
}

}  // namespace
}  // namespace skyloom
