// Adding Skyloom to the programs list of ~/.xscreensaver.

#include "platform/x11/xscreensaver_install.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "tests/support/temp_config.h"

namespace skyloom {
namespace {

using testing::ReadFileText;
using testing::ScratchFolder;
using testing::WriteFileText;

// The entries of a resource as X would read them: continued lines joined,
// split at each written "\n", blanks trimmed.
std::vector<std::string> ResourceEntries(const std::string& text, const std::string& resource) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    std::string value;
    bool found = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].rfind(resource + ":", 0) != 0) continue;
        found = true;
        value.clear();
        std::string line = lines[i].substr(resource.size() + 1);
        while (!line.empty() && line.back() == '\\' && i + 1 < lines.size()) {
            line.pop_back();
            value += line;
            line = lines[++i];
        }
        value += line;
    }
    std::vector<std::string> entries;
    if (!found) return entries;
    start = 0;
    while (start <= value.size()) {
        size_t end = value.find("\\n", start);
        if (end == std::string::npos) end = value.size();
        std::string entry = value.substr(start, end - start);
        const size_t first = entry.find_first_not_of(" \t");
        if (first != std::string::npos) {
            entries.push_back(entry.substr(first, entry.find_last_not_of(" \t") - first + 1));
        }
        start = end + 2;
    }
    return entries;
}

// As XScreenSaver writes it: the list between other settings.
const std::string kWrittenByXScreenSaver =
    "# XScreenSaver Preferences File\n"
    "timeout:\t\t0:10:00\n"
    "mode:\t\trandom\n"
    "programs:\t\t\t\t\t\t\t\t      \\\n"
    "\t\t\t\tmaze -root\t\t\t\t    \\n\\\n"
    "- GL: \t\t\t\tsuperquadrics -root\t\t\t    \\n\\\n"
    "  GL: \"Cubes\" \t\t\tcubestorm -root\t\t\t    \\n\\\n"
    "\t\t\t\txmountains -b -M -Q -r\t\t    \\n\n"
    "\n"
    "pointerHysteresis:\t10\n";

const std::string kAppDefaults =
    "! XScreenSaver app-defaults\n"
    "*timeout:\t\t0:10:00\n"
    "*programs:\t\t\t\t\t\t\t\t      \\\n"
    "\t\t\t\tmaze -root\t\t\t\t    \\n\\\n"
    "  GL: \t\t\t\tgears -root\t\t\t\t    \\n\\\n"
    "\t\t\t\tdeco -root\t\t\t\t    \\n\n"
    "*pointerHysteresis:\t10\n";

TEST(XScreenSaverListTest, PutsTheEntryFirstAndLeavesTheRestOfTheFileAlone) {
    const XScreenSaverListEdit edit = AddSkyloomToXScreenSaverList(kWrittenByXScreenSaver, kAppDefaults);
    EXPECT_EQ(edit.change, XScreenSaverListChange::Added);
    EXPECT_EQ(ResourceEntries(edit.text, "programs"),
              (std::vector<std::string>{"GL: \"Skyloom\" skyloom -root", "maze -root", "- GL: \t\t\t\tsuperquadrics -root",
                                        "GL: \"Cubes\" \t\t\tcubestorm -root", "xmountains -b -M -Q -r"}));
    EXPECT_EQ(ResourceEntries(edit.text, "pointerHysteresis"), std::vector<std::string>{"10"});
    EXPECT_EQ(ResourceEntries(edit.text, "mode"), std::vector<std::string>{"random"});
    // Only the list grew: the text before it is byte for byte the same, and so is the text after it.
    const size_t header = kWrittenByXScreenSaver.find("programs:");
    EXPECT_EQ(edit.text.substr(0, header), kWrittenByXScreenSaver.substr(0, header));
    const size_t maze = kWrittenByXScreenSaver.find("\t\t\t\tmaze");
    EXPECT_EQ(edit.text.substr(edit.text.size() - (kWrittenByXScreenSaver.size() - maze)),
              kWrittenByXScreenSaver.substr(maze));
    EXPECT_TRUE(XScreenSaverListHasSkyloom(edit.text));

    // A second run finds it and changes nothing.
    const XScreenSaverListEdit again = AddSkyloomToXScreenSaverList(edit.text, kAppDefaults);
    EXPECT_EQ(again.change, XScreenSaverListChange::AlreadyListed);
    EXPECT_EQ(again.text, edit.text);
}

TEST(XScreenSaverListTest, ListsWrittenByHandKeepTheirEntries) {
    // The first entry on the header line, and a one-line list.
    const XScreenSaverListEdit continued =
        AddSkyloomToXScreenSaverList("programs: maze -root \\n\\\n  deco -root\nlock: False\n", "");
    EXPECT_EQ(continued.change, XScreenSaverListChange::Added);
    EXPECT_EQ(ResourceEntries(continued.text, "programs"),
              (std::vector<std::string>{"GL: \"Skyloom\" skyloom -root", "maze -root", "deco -root"}));
    EXPECT_EQ(ResourceEntries(continued.text, "lock"), std::vector<std::string>{"False"});

    const XScreenSaverListEdit oneLine = AddSkyloomToXScreenSaverList("programs: maze -root\nlock: False", "");
    EXPECT_EQ(ResourceEntries(oneLine.text, "programs"),
              (std::vector<std::string>{"GL: \"Skyloom\" skyloom -root", "maze -root"}));
    // No newline was added at the end that was not there.
    EXPECT_EQ(oneLine.text.back(), 'e');

    // An empty list gets just the entry, and the next setting stays its own line.
    const XScreenSaverListEdit empty = AddSkyloomToXScreenSaverList("programs:\nlock: False\n", kAppDefaults);
    EXPECT_EQ(ResourceEntries(empty.text, "programs"), std::vector<std::string>{"GL: \"Skyloom\" skyloom -root"});
    EXPECT_EQ(ResourceEntries(empty.text, "lock"), std::vector<std::string>{"False"});
}

TEST(XScreenSaverListTest, AnEntryForSkyloomInAnyFormCountsAsListed) {
    // Turned off by the user, by full path, without a visual or a name: left as it is.
    for (const std::string entry :
         {"- GL: \"Skyloom\" skyloom -root", "  GL: /usr/libexec/xscreensaver/skyloom -root -fps",
          "skyloom -root", "- default-n: \"Space\" /usr/local/bin/skyloom"}) {
        const std::string text = "programs:\t\\\n  maze -root \\n\\\n" + entry + " \\n\n";
        const XScreenSaverListEdit edit = AddSkyloomToXScreenSaverList(text, kAppDefaults);
        EXPECT_EQ(edit.change, XScreenSaverListChange::AlreadyListed) << entry;
        EXPECT_EQ(edit.text, text);
    }
    // Other programs with a similar name, and the name outside the list, are not Skyloom.
    const std::string lookalikes =
        "! skyloom -root was here\n"
        "programs:\t\\\n  skyloom2 -root \\n\\\n  GL: \"skyloom\" maze -root \\n\n"
        "textProgram: skyloom\n";
    EXPECT_FALSE(XScreenSaverListHasSkyloom(lookalikes));
    EXPECT_EQ(AddSkyloomToXScreenSaverList(lookalikes, "").change, XScreenSaverListChange::Added);
}

TEST(XScreenSaverListTest, WithoutAListOfItsOwnTheDefaultListIsCopiedSoNoHackDisappears) {
    const std::string user = "timeout:\t0:05:00\nlock:\tTrue";
    const XScreenSaverListEdit edit = AddSkyloomToXScreenSaverList(user, kAppDefaults);
    EXPECT_EQ(edit.change, XScreenSaverListChange::AddedWithDefaults);
    EXPECT_EQ(edit.text.substr(0, user.size() + 1), user + "\n");
    EXPECT_EQ(ResourceEntries(edit.text, "programs"),
              (std::vector<std::string>{"GL: \"Skyloom\" skyloom -root", "maze -root", "GL: \t\t\t\tgears -root",
                                        "deco -root"}));
    // Copied under the user file's name for the resource, and only the list.
    EXPECT_EQ(edit.text.find("*programs"), std::string::npos);
    EXPECT_EQ(edit.text.find("pointerHysteresis"), std::string::npos);
    EXPECT_EQ(ResourceEntries(edit.text, "lock"), std::vector<std::string>{"True"});
    EXPECT_EQ(AddSkyloomToXScreenSaverList(edit.text, kAppDefaults).change, XScreenSaverListChange::AlreadyListed);

    // Nothing to copy: a list of one, said so.
    const XScreenSaverListEdit alone = AddSkyloomToXScreenSaverList("", "");
    EXPECT_EQ(alone.change, XScreenSaverListChange::AddedAlone);
    EXPECT_EQ(ResourceEntries(alone.text, "programs"), std::vector<std::string>{"GL: \"Skyloom\" skyloom -root"});
    EXPECT_EQ(AddSkyloomToXScreenSaverList(alone.text, "").change, XScreenSaverListChange::AlreadyListed);
}

class XScreenSaverFileTest : public ::testing::Test {
protected:
    std::string Run(const std::string& userFile, const std::string& defaults, int expectedCode) {
        char* outText = nullptr;
        size_t outSize = 0;
        std::FILE* out = open_memstream(&outText, &outSize);
        std::FILE* err = open_memstream(&errText_, &errSize_);
        EXPECT_EQ(InstallIntoXScreenSaverFile(userFile, defaults, out, err), expectedCode);
        std::fclose(out);
        std::fclose(err);
        std::string said(outText, outSize);
        std::free(outText);
        errors_.assign(errText_, errSize_);
        std::free(errText_);
        errText_ = nullptr;
        return said;
    }
    std::string folder_ = ScratchFolder();
    std::string errors_;
    char* errText_ = nullptr;
    size_t errSize_ = 0;
};

TEST_F(XScreenSaverFileTest, WritesTheFileOnceKeepingItsModeAndLink) {
    const std::string real = folder_ + "/dotfiles/xscreensaver";
    const std::string link = folder_ + "/home/.xscreensaver";
    ASSERT_TRUE(WriteFileText(real, kWrittenByXScreenSaver));
    ASSERT_EQ(chmod(real.c_str(), 0600), 0);
    ASSERT_EQ(symlink(real.c_str(), link.c_str()), 0);

    EXPECT_NE(Run(link, folder_ + "/none", 0).find("Added Skyloom to the programs list in " + link), std::string::npos);
    EXPECT_EQ(errors_, "");
    const std::string written = ReadFileText(real);
    EXPECT_TRUE(XScreenSaverListHasSkyloom(written));
    struct stat info;
    ASSERT_EQ(lstat(link.c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    ASSERT_EQ(stat(real.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);

    EXPECT_NE(Run(link, folder_ + "/none", 0).find("already"), std::string::npos);
    EXPECT_EQ(ReadFileText(real), written);
    // No temporary file is left beside it.
    DIR* dir = opendir((folder_ + "/dotfiles").c_str());
    ASSERT_NE(dir, nullptr);
    std::vector<std::string> names;
    while (const dirent* entry = readdir(dir)) {
        if (entry->d_name[0] != '.') names.emplace_back(entry->d_name);
    }
    closedir(dir);
    EXPECT_EQ(names, std::vector<std::string>{"xscreensaver"});
}

TEST_F(XScreenSaverFileTest, CreatesAMissingFileFromTheDefaultsAndReportsFailures) {
    const std::string defaults = folder_ + "/XScreenSaver";
    ASSERT_TRUE(WriteFileText(defaults, kAppDefaults));
    const std::string user = folder_ + "/home/.xscreensaver";
    EXPECT_NE(Run(user, defaults, 0).find("XScreenSaver's own list from " + defaults), std::string::npos);
    EXPECT_EQ(ResourceEntries(ReadFileText(user), "programs").size(), 4u);

    // A folder where the file should be, and a folder that cannot be written.
    ASSERT_EQ(mkdir((folder_ + "/dir.xscreensaver").c_str(), 0755), 0);
    EXPECT_EQ(Run(folder_ + "/dir.xscreensaver", defaults, 1), "");
    EXPECT_NE(errors_.find("cannot read"), std::string::npos);
    if (geteuid() != 0) {
        ASSERT_EQ(mkdir((folder_ + "/locked").c_str(), 0555), 0);
        EXPECT_EQ(Run(folder_ + "/locked/.xscreensaver", defaults, 1), "");
        EXPECT_NE(errors_.find("cannot create"), std::string::npos);
    }
}

}  // namespace
}  // namespace skyloom
