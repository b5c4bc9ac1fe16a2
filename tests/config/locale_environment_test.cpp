// The user's language from the POSIX locale variables.

#include "config/locale_language.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace skyloom {
namespace {

class UserLocaleTest : public ::testing::Test {
protected:
    void SetUp() override {
        unsetenv("LC_ALL");
        unsetenv("LC_MESSAGES");
        unsetenv("LANG");
    }
    void TearDown() override { SetUp(); }
};

TEST_F(UserLocaleTest, FirstSetAndNonEmptyVariableDecides) {
    EXPECT_EQ(UserPrimaryLanguageId(), 0);
    setenv("LANG", "fr_FR.UTF-8", 1);
    EXPECT_EQ(UserPrimaryLanguageId(), 0x0C);
    setenv("LC_MESSAGES", "it_IT.UTF-8", 1);
    EXPECT_EQ(UserPrimaryLanguageId(), 0x10);
    setenv("LC_ALL", "", 1);
    EXPECT_EQ(UserPrimaryLanguageId(), 0x10);
    setenv("LC_ALL", "nl_NL.UTF-8", 1);
    EXPECT_EQ(UserPrimaryLanguageId(), 0x13);
    // "C" names no language, and being set it hides the variables after it.
    setenv("LC_ALL", "C", 1);
    EXPECT_EQ(UserPrimaryLanguageId(), 0);
    setenv("LC_ALL", "POSIX", 1);
    EXPECT_EQ(UserPrimaryLanguageId(), 0);
}

}  // namespace
}  // namespace skyloom
