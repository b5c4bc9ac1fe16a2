#include "main/command_line.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

namespace skyloom {
namespace {

CommandLine Parse(std::initializer_list<const char*> args) {
    std::vector<const char*> argv{"skyloom"};
    argv.insert(argv.end(), args);
    return ParseCommandLine(static_cast<int>(argv.size()), argv.data());
}

TEST(CommandLineTest, WindowsSwitchesInEitherFormAndCase) {
    for (const char* s : {"/s", "-s", "/S", "-S"}) {
        EXPECT_EQ(Parse({s}).mode, LaunchMode::FullScreen) << s;
    }
    const CommandLine preview = Parse({"/P", "1234"});
    EXPECT_EQ(preview.mode, LaunchMode::Preview);
    EXPECT_EQ(preview.windowId, 1234u);
    EXPECT_EQ(Parse({"-p:0x4a00007"}).windowId, 0x4a00007u);
    EXPECT_EQ(Parse({"/p", "0X1F"}).windowId, 0x1Fu);
    EXPECT_EQ(Parse({}).mode, LaunchMode::Configure);
    EXPECT_EQ(Parse({"/c"}).mode, LaunchMode::Configure);
    EXPECT_EQ(Parse({"/C:5678"}).mode, LaunchMode::Configure);
    EXPECT_EQ(Parse({"/a"}).mode, LaunchMode::ChangePassword);
    EXPECT_EQ(Parse({"/a", "99"}).mode, LaunchMode::ChangePassword);
    EXPECT_EQ(Parse({"/a:99"}).mode, LaunchMode::ChangePassword);
}

TEST(CommandLineTest, BadWindowsSwitchesAreUsageErrors) {
    for (std::initializer_list<const char*> args :
         {std::initializer_list<const char*>{"/p"}, {"/p:"}, {"/p", "abc"}, {"/p", "0"}, {"/p", "-5"},
          {"/p", "0x"}, {"/p", "4294967296"}, {"/c:x1"}, {"/c:"}, {"/x"}, {"/s", "/c"}, {"/s", "/s"},
          {"/s", "extra"}, {"/a", "12", "13"}}) {
        const CommandLine line = Parse(args);
        EXPECT_EQ(line.mode, LaunchMode::Invalid) << *args.begin();
        EXPECT_FALSE(line.error.empty());
    }
    EXPECT_EQ(Parse({"/p", "4294967295"}).windowId, 4294967295u);
}

// The message names the switch as the usage text does, or as written when
// it is merely accepted.
TEST(CommandLineTest, UsageErrorsSayWhatWasWrong) {
    struct Case {
        std::vector<const char*> args;
        const char* error;
    };
    const Case cases[] = {
        {{"/p"}, "/p needs a window id"},
        {{"/p:"}, "/p needs a window id"},
        {{"/p", ""}, "not a window id: "},
        {{"/c:"}, "not a window id: "},
        {{"-VISUAL"}, "-VISUAL needs a value"},
        {{"--Window-Id"}, "-window-id needs a window id"},
        {{"/s", "/a", "7"}, "more than one mode given"},
        {{"-root", "-window"}, "-window cannot be combined with -root or -window-id"},
        {{"--render", "d", "--size"}, "--size needs a value"},
        {{"--render", "d", "--size", "640"}, "not a size WxH: 640"},
        {{"--render", "", "--frames", "3"}, "--render needs a folder"},
        {{"--render", "d", "--frames", "3", "-Frames", "4"}, "not a render option: -Frames"},
        {{"--render", "d"}, "--render needs --frames or --seconds"},
    };
    for (const Case& c : cases) {
        std::vector<const char*> argv{"skyloom"};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        const CommandLine line = ParseCommandLine(static_cast<int>(argv.size()), argv.data());
        EXPECT_EQ(line.mode, LaunchMode::Invalid) << c.error;
        EXPECT_EQ(line.error, c.error);
    }
}

TEST(CommandLineTest, XScreenSaverOptions) {
    EXPECT_EQ(Parse({"-root"}).mode, LaunchMode::Root);
    EXPECT_EQ(Parse({"--root"}).mode, LaunchMode::Root);
    EXPECT_EQ(Parse({"-window"}).mode, LaunchMode::Window);
    const CommandLine preview = Parse({"-window-id", "0x2c00003"});
    EXPECT_EQ(preview.mode, LaunchMode::Preview);
    EXPECT_EQ(preview.windowId, 0x2c00003u);
    // The settings program passes both; the preview window wins, in either order.
    EXPECT_EQ(Parse({"-root", "--window-id", "77"}).mode, LaunchMode::Preview);
    EXPECT_EQ(Parse({"-window-id", "77", "-root"}).windowId, 77u);

    const CommandLine ignored =
        Parse({"-root", "-install", "--noinstall", "-mono", "-visual", "default", "-delay", "20000", "-fps"});
    EXPECT_EQ(ignored.mode, LaunchMode::Root);
    EXPECT_TRUE(ignored.showFrameRate);
    EXPECT_FALSE(Parse({"-root"}).showFrameRate);
}

TEST(CommandLineTest, BadXScreenSaverOptionsAreUsageErrors) {
    for (std::initializer_list<const char*> args :
         {std::initializer_list<const char*>{"-window-id"}, {"-window-id", "nope"}, {"-visual"}, {"-delay"},
          {"-window", "-root"}, {"-window", "-window-id", "5"}, {"/s", "-root"}, {"-root", "/p", "5"},
          {"--s"}, {"/root"}, {"-rootx"}, {"-"}, {"--"}, {"plain"}, {""}}) {
        EXPECT_EQ(Parse(args).mode, LaunchMode::Invalid) << (args.size() > 0 ? *args.begin() : "");
    }
}

TEST(CommandLineTest, HelpAndVersionWinOverEverythingAfterThem) {
    EXPECT_EQ(Parse({"--help"}).mode, LaunchMode::Help);
    EXPECT_EQ(Parse({"-h"}).mode, LaunchMode::Help);
    EXPECT_EQ(Parse({"/?"}).mode, LaunchMode::Help);
    EXPECT_EQ(Parse({"--version"}).mode, LaunchMode::Version);
    EXPECT_EQ(Parse({"-root", "--help", "-bogus"}).mode, LaunchMode::Help);
    // An error before them is still an error.
    EXPECT_EQ(Parse({"-bogus", "--help"}).mode, LaunchMode::Invalid);
}

TEST(CommandLineTest, InstallIntoXScreenSaverIsItsOwnMode) {
    EXPECT_EQ(Parse({"--install-xscreensaver"}).mode, LaunchMode::InstallXScreenSaver);
    // -install alone stays the ignored X option of the configuration mode.
    EXPECT_EQ(Parse({"-install"}).mode, LaunchMode::Configure);
}

TEST(CommandLineTest, WindowIdForms) {
    EXPECT_EQ(ParseWindowId("42"), 42u);
    EXPECT_EQ(ParseWindowId("0x2A"), 42u);
    EXPECT_EQ(ParseWindowId("0xffffffff"), 0xffffffffu);
    EXPECT_EQ(ParseWindowId("042"), 42u);  // decimal, not octal
    for (const char* bad : {"", "0", "0x0", "0x", "x2A", "+42", "-42", " 42", "42 ", "4g", "0x1g", "99999999999"}) {
        EXPECT_FALSE(ParseWindowId(bad).has_value()) << '"' << bad << '"';
    }
}

}  // namespace
}  // namespace skyloom
