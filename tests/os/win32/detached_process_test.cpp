// Programs started to outlive the saver, such as the preview's saver.

#include "os/detached_process.h"

#include "tests/os/win32/stand_in.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace skyloom {
namespace {

using testing::StandInPath;

TEST(DetachedProcessTest, TheProgramGetsItsArgumentsAsGiven) {
    const std::string program = StandInPath();
    const std::string file = testing::StandInFile("detached", "exit");
    const std::vector<std::string> arguments = {
        program, file, "two words", "a \"quoted\" word", "ends in \\", "\\\\server\\share", "\\\"", "",
    };
    std::vector<const char*> argv;
    for (const std::string& argument : arguments) {
        argv.push_back(argument.c_str());
    }
    argv.push_back(nullptr);
    ASSERT_TRUE(StartDetachedProcess(program.c_str(), argv.data()));
    const std::vector<std::string> record = testing::WaitForStandInRecord(file);
    ASSERT_EQ(record.size(), arguments.size()) << "the command line and every argument but the program's name";
    for (size_t i = 1; i < arguments.size(); ++i) {
        EXPECT_EQ(record[i], arguments[i]) << "argument " << i << " in " << record[0];
    }
}

TEST(DetachedProcessTest, AMissingProgramIsAFailure) {
    const char* const argv[] = {"missing", nullptr};
    EXPECT_FALSE(StartDetachedProcess((testing::StandInPath() + ".missing.exe").c_str(), argv));
}

}  // namespace
}  // namespace skyloom
