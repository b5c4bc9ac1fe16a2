#include "os/executable_path.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace skyloom {
namespace {

TEST(ExecutablePathTest, NamesThisTestProgramByItsResolvedPath) {
    const std::filesystem::path path = ExecutablePath();
    ASSERT_TRUE(path.is_absolute()) << path;
    EXPECT_EQ(path.filename(), "tests_platform");
    EXPECT_TRUE(std::filesystem::is_regular_file(path));
    // Links are resolved, so ".." next to it can be folded textually.
    EXPECT_EQ(path, std::filesystem::canonical(path));
}

}  // namespace
}  // namespace skyloom
