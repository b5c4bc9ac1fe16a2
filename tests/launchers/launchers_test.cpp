#include "skyloom_site.h"
#include "tests/support/music_fixtures.h"
#include "tests/support/temp_config.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace skyloom {
namespace {

using namespace skyloom::testing;
namespace fs = std::filesystem;

// A stand-in program that appends "<tag>:<arguments>" to $SKYLOOM_TEST_CALLS.
void WriteStandIn(const std::string& path, const std::string& tag) {
    ASSERT_TRUE(WriteFileText(path, "#!/bin/sh\nprintf '%s\\n' \"" + tag + ":$*\" >> \"$SKYLOOM_TEST_CALLS\"\n"));
    ASSERT_EQ(0, chmod(path.c_str(), 0755));
}

struct LauncherRun {
    int exitCode = -1;
    std::string errors;  // what it wrote to standard error
    std::string calls;   // what the stand-ins recorded, one call a line
};

class LauncherTest : public ::testing::Test {
protected:
    void SetUp() override {
        // A folder per test: a whole-binary run shares one scratch folder.
        scratch_ = ScratchFolder() + "/" + ::testing::UnitTest::GetInstance()->current_test_info()->name();
        calls_ = scratch_ + "/calls";
        onPath_ = scratch_ + "/on-path";
        fs::create_directories(onPath_);
    }

    // A copy of the launcher alone in a folder of its own, so that no saver
    // of the build sits beside it.
    std::string CopyOfLauncher(const char* built, const std::string& folder) {
        fs::create_directories(folder);
        const fs::path copy = fs::path(folder) / fs::path(built).filename();
        fs::copy_file(built, copy, fs::copy_options::overwrite_existing);
        return copy.string();
    }

    // Runs the program in a process group of its own with the stand-ins'
    // folder first on PATH, and returns once the program and everything it
    // started have ended, so the calls are complete.
    LauncherRun Run(const std::string& program, const std::vector<std::string>& arguments,
                    const std::string& path) {
        LauncherRun run;
        std::remove(calls_.c_str());
        const std::string errorsFile = scratch_ + "/stderr";
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(program.c_str()));
        for (const std::string& argument : arguments) {
            argv.push_back(const_cast<char*>(argument.c_str()));
        }
        argv.push_back(nullptr);
        const pid_t child = fork();
        if (child < 0) {
            ADD_FAILURE() << "fork failed";
            return run;
        }
        if (child == 0) {
            setpgid(0, 0);
            const int errors = open(errorsFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            if (errors >= 0) {
                dup2(errors, STDERR_FILENO);
            }
            setenv("PATH", path.c_str(), 1);
            setenv("SKYLOOM_TEST_CALLS", calls_.c_str(), 1);
            execv(program.c_str(), argv.data());
            _exit(127);
        }
        setpgid(child, child);
        int status = 0;
        while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
        run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!ProcessGroupEnded(child) && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        EXPECT_TRUE(ProcessGroupEnded(child)) << "something the launcher started is still running";
        KillProcessGroup(child);
        run.errors = ReadFileText(errorsFile);
        run.calls = ReadFileText(calls_);
        return run;
    }

    std::string PathWithStandIns() const { return onPath_ + ":/usr/bin:/bin"; }

    std::string scratch_;
    std::string calls_;
    std::string onPath_;
};

TEST_F(LauncherTest, ConfigureRunsTheSaverOnPathWithSlashCWhateverItIsGiven) {
    WriteStandIn(onPath_ + "/skyloom", "path");
    const std::string launcher = CopyOfLauncher(SKYLOOM_CONFIGURE_LAUNCHER, scratch_ + "/alone");
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{}, {"/s"}, {"-homepage", "x y", "/p", "42"}}) {
        const LauncherRun run = Run(launcher, arguments, PathWithStandIns());
        EXPECT_EQ(0, run.exitCode);
        EXPECT_EQ("path:/c\n", run.calls) << arguments.size() << " arguments";
    }
}

TEST_F(LauncherTest, ConfigurePrefersTheSaverBesideItself) {
    WriteStandIn(onPath_ + "/skyloom", "path");
    const std::string folder = scratch_ + "/installed";
    const std::string launcher = CopyOfLauncher(SKYLOOM_CONFIGURE_LAUNCHER, folder);
    WriteStandIn(folder + "/skyloom", "beside");
    const LauncherRun run = Run(launcher, {}, PathWithStandIns());
    EXPECT_EQ(0, run.exitCode);
    EXPECT_EQ("beside:/c\n", run.calls);

    // A folder of that name is no saver.
    const std::string odd = scratch_ + "/odd";
    const std::string oddLauncher = CopyOfLauncher(SKYLOOM_CONFIGURE_LAUNCHER, odd);
    fs::create_directories(odd + "/skyloom");
    EXPECT_EQ("path:/c\n", Run(oddLauncher, {}, PathWithStandIns()).calls);
}

TEST_F(LauncherTest, ConfigureReportsAMissingSaverAndStillSucceeds) {
    const std::string launcher = CopyOfLauncher(SKYLOOM_CONFIGURE_LAUNCHER, scratch_ + "/alone");
    const LauncherRun run = Run(launcher, {"anything"}, onPath_);
    EXPECT_EQ(0, run.exitCode);
    EXPECT_EQ("", run.calls);
    EXPECT_NE(std::string::npos, run.errors.find("skyloom")) << run.errors;
}

TEST_F(LauncherTest, WeblinkOpensTheHomePageOnlyForTheExactOption) {
    WriteStandIn(onPath_ + "/xdg-open", "open");
    const std::string opened = std::string("open:") + SKYLOOM_HOMEPAGE_URL + "\n";
    struct Case {
        std::vector<std::string> arguments;
        bool opens;
    };
    const Case cases[] = {
        {{}, false},
        {{"x", "--homepage", "y"}, true},
        {{"-homepage"}, true},
        {{"prefix-homepagesuffix"}, true},
        {{"-HOMEPAGE"}, false},
        {{"-Homepage", "homepage"}, false},
        {{"-home", "page"}, false},
    };
    for (const Case& c : cases) {
        const LauncherRun run = Run(SKYLOOM_WEBLINK_LAUNCHER, c.arguments, PathWithStandIns());
        std::string shown;
        for (const std::string& argument : c.arguments) {
            shown += "[" + argument + "]";
        }
        EXPECT_EQ(0, run.exitCode) << shown;
        EXPECT_EQ(c.opens ? opened : std::string(), run.calls) << shown;
        EXPECT_EQ("", run.errors) << shown;
    }
}

TEST_F(LauncherTest, WeblinkFallsBackToTheDesktopsHandlerForWebAddresses) {
    // No xdg-open on PATH: the default application for the address's scheme
    // opens it, as registered in the desktop of the scratch folder.
    const std::string handler = scratch_ + "/browser";
    WriteStandIn(handler, "browser");
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    ASSERT_TRUE(dataHome != nullptr && configHome != nullptr);
    const std::string scheme = std::string(SKYLOOM_HOMEPAGE_URL).substr(0, std::string(SKYLOOM_HOMEPAGE_URL).find(':'));
    ASSERT_TRUE(WriteFileText(std::string(dataHome) + "/applications/skyloom-test-browser.desktop",
                              "[Desktop Entry]\nType=Application\nName=Test browser\nExec=" + handler +
                                  " %u\nMimeType=x-scheme-handler/" + scheme + ";\n"));
    ASSERT_TRUE(WriteFileText(std::string(configHome) + "/mimeapps.list",
                              "[Default Applications]\nx-scheme-handler/" + scheme +
                                  "=skyloom-test-browser.desktop\n"));

    const LauncherRun run = Run(SKYLOOM_WEBLINK_LAUNCHER, {"-homepage"}, onPath_);
    EXPECT_EQ(0, run.exitCode);
    EXPECT_EQ(std::string("browser:") + SKYLOOM_HOMEPAGE_URL + "\n", run.calls);
}

}  // namespace
}  // namespace skyloom
