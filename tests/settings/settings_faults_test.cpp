// The settings file under faults of the disk and of the processes writing
// it. Faults that need mounts (a full or read-only file system) run in a
// child process inside a mount namespace of its own, so nothing they mount
// outlives them or shows outside.

#include "os/settings_file.h"
#include "settings/settings.h"
#include "settings/value_text.h"
#include "tests/support/temp_config.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <random>
#include <sched.h>
#include <linux/capability.h>
#include <sys/syscall.h>
#include <string>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace skyloom {
namespace {

using skyloom::testing::ReadFileText;
using skyloom::testing::ScratchFolder;
using skyloom::testing::WriteFileText;

constexpr char kTestKey[] = "Software\\Quillmere\\FaultTest";

std::string ConfigFolder() { return std::string(std::getenv("XDG_CONFIG_HOME")) + "/Quillmere"; }
std::string TestFile() { return ConfigFolder() + "/FaultTest.conf"; }

bool Exists(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0;
}

std::string StoredText(const std::string& path, const char* name) {
    const auto text = FindStoredText(ReadSettingsLines(path), name);
    return text ? *text : std::string("<missing>");
}

// ---- running a check in a child process ----

// What a child process found, handed back to the test in the parent.
class ChildReport {
public:
    explicit ChildReport(int fd) : fd_(fd) {}
    void Check(bool ok, const char* what, int line) {
        if (!ok) {
            Send("F" + std::to_string(line) + ": " + what);
        }
    }
    void Note(const std::string& text) { Send("N" + text); }
    void Skip(const std::string& reason) { Send("S" + reason); }

private:
    void Send(const std::string& line) {
        const std::string text = line + "\n";
        [[maybe_unused]] const ssize_t written = write(fd_, text.data(), text.size());
    }
    int fd_;
};

#define CHILD_CHECK(report, condition) (report).Check((condition), #condition, __LINE__)

struct ChildOutcome {
    std::vector<std::string> failures;
    std::vector<std::string> notes;
    std::string skipped;
};

ChildOutcome RunInChild(const std::function<void(ChildReport&)>& body) {
    ChildOutcome outcome;
    int fds[2];
    if (pipe(fds) != 0) {
        outcome.failures.push_back("pipe failed");
        return outcome;
    }
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        ChildReport report(fds[1]);
        body(report);
        _exit(0);
    }
    close(fds[1]);
    std::string text;
    char buffer[4096];
    ssize_t n = 0;
    while ((n = read(fds[0], buffer, sizeof buffer)) > 0) {
        text.append(buffer, static_cast<size_t>(n));
    }
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        outcome.failures.push_back("the child process ended abnormally, status " + std::to_string(status));
    }
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find('\n', start);
        const std::string line = text.substr(start, end - start);
        start = end == std::string::npos ? text.size() : end + 1;
        if (line.empty()) {
            continue;
        }
        const std::string rest = line.substr(1);
        if (line[0] == 'F') {
            outcome.failures.push_back(rest);
        } else if (line[0] == 'N') {
            outcome.notes.push_back(rest);
        } else {
            outcome.skipped = rest;
        }
    }
    return outcome;
}

void Report(const ChildOutcome& outcome) {
    for (const std::string& note : outcome.notes) {
        std::printf("%s\n", note.c_str());
    }
    for (const std::string& failure : outcome.failures) {
        ADD_FAILURE() << "in the child process, line " << failure;
    }
}

// In a child: a mount namespace of its own whose mounts do not propagate.
bool EnterPrivateMounts() {
    return unshare(CLONE_NEWNS) == 0 && mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
}

bool MountTmpfs(const std::string& folder, const char* size) {
    mkdir(folder.c_str(), 0700);
    const std::string options = std::string("size=") + size + ",mode=0700";
    return mount("tmpfs", folder.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) == 0;
}

// Writes to the folder until the file system refuses; the filler's path.
std::string FillFileSystem(const std::string& folder) {
    const std::string filler = folder + "/filler";
    const int fd = open(filler.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    const std::string block(4096, 'f');
    while (fd >= 0 && write(fd, block.data(), block.size()) > 0) {
    }
    if (fd >= 0) {
        close(fd);
    }
    return filler;
}

// ---- the file system refuses writes ----

TEST(SettingsFileSystemFaults, FullDiskKeepsTheFileAndTheValuesInMemory) {
    const ChildOutcome outcome = RunInChild([](ChildReport& report) {
        const std::string folder = ConfigFolder();
        const bool tmpfs = EnterPrivateMounts() && MountTmpfs(folder, "64k");
        mkdir(folder.c_str(), 0700);
        CHILD_CHECK(report, UpdateSettingsFile(TestFile(), "Count", "3"));
        CHILD_CHECK(report, UpdateSettingsFile(TestFile(), "Other", "keep"));
        std::string filler;
        if (tmpfs) {
            report.Note("full disk: a 64 KiB tmpfs filled up");
            filler = FillFileSystem(folder);
        } else {
            // Without mounts: a file size limit fails writes the same way
            // (EFBIG instead of ENOSPC), part of the way through.
            report.Note("full disk: no mounts here; simulated with RLIMIT_FSIZE");
            signal(SIGXFSZ, SIG_IGN);
            const rlimit tiny{16, RLIM_INFINITY};
            setrlimit(RLIMIT_FSIZE, &tiny);
        }
        const std::string before = ReadFileText(TestFile());

        IntSetting count(kTestKey, "Count", 5);
        CHILD_CHECK(report, count.Get() == 3);
        count.Set(9);
        CHILD_CHECK(report, count.Get() == 9);
        IntSetting fresh(kTestKey, "Fresh", 7);
        CHILD_CHECK(report, fresh.Get() == 7);
        StringSetting text(kTestKey, "Text", "default");
        text.Set(std::string(400, 't'));
        CHILD_CHECK(report, text.Get() == std::string(400, 't'));
        CHILD_CHECK(report, !UpdateSettingsFile(TestFile(), "Count", "9"));
        // Nothing torn, nothing half-written left beside it.
        CHILD_CHECK(report, ReadFileText(TestFile()) == before);
        CHILD_CHECK(report, !Exists(TestFile() + ".tmp"));

        // Once there is room again the next write goes through.
        if (tmpfs) {
            unlink(filler.c_str());
        } else {
            const rlimit unlimited{RLIM_INFINITY, RLIM_INFINITY};
            setrlimit(RLIMIT_FSIZE, &unlimited);
        }
        count.Set(10);
        CHILD_CHECK(report, StoredText(TestFile(), "Count") == "10");
        CHILD_CHECK(report, StoredText(TestFile(), "Other") == "keep");
    });
    Report(outcome);
}

TEST(SettingsFileSystemFaults, ReadOnlyFolderServesTheStoredValuesAndWritesNothing) {
    const ChildOutcome outcome = RunInChild([](ChildReport& report) {
        const std::string folder = ConfigFolder();
        if (!EnterPrivateMounts() || !MountTmpfs(folder, "1m")) {
            // Root writes through permission bits; only a read-only mount
            // stops it. UnusableFolderRunsOnDefaultsSilently covers a folder
            // that cannot be made at all.
            if (geteuid() == 0) {
                report.Skip("no mounts here, and root ignores a folder's permissions");
                return;
            }
            mkdir(folder.c_str(), 0700);
        }
        CHILD_CHECK(report, UpdateSettingsFile(TestFile(), "Count", "3"));
        CHILD_CHECK(report, UpdateSettingsFile(TestFile(), "Name", "abc"));
        const std::string before = ReadFileText(TestFile());
        if (mount(nullptr, folder.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0) {
            report.Note("read-only folder: a tmpfs remounted read-only");
        } else {
            report.Note("read-only folder: permissions 0500");
            chmod(folder.c_str(), 0500);
        }

        IntSetting count(kTestKey, "Count", 5);
        CHILD_CHECK(report, count.Get() == 3);
        StringSetting name(kTestKey, "Name", "default");
        CHILD_CHECK(report, std::string(name.Get()) == "abc");
        IntSetting missing(kTestKey, "Missing", 12);
        CHILD_CHECK(report, missing.Get() == 12);
        count.Set(4);
        CHILD_CHECK(report, count.Get() == 4);
        CHILD_CHECK(report, !UpdateSettingsFile(TestFile(), "Count", "4"));
        CHILD_CHECK(report, ReadFileText(TestFile()) == before);
        CHILD_CHECK(report, !Exists(TestFile() + ".tmp"));

        // A key whose file does not exist yet: defaults, nothing created.
        IntSetting other("Software\\Quillmere\\FaultTestOther", "Count", 21);
        CHILD_CHECK(report, other.Get() == 21);
        CHILD_CHECK(report, !Exists(folder + "/FaultTestOther.conf"));
    });
    if (!outcome.skipped.empty()) {
        GTEST_SKIP() << outcome.skipped;
    }
    Report(outcome);
}

// ---- a settings file that exists but cannot be read ----

// Root reads every file whatever its mode; without these two capabilities
// it obeys the mode bits as any user does.
bool DropFileAccessOverride() {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2] = {};
    if (syscall(SYS_capget, &header, data) != 0) {
        return false;
    }
    for (const int capability : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH}) {
        data[capability / 32].effective &= ~(1u << (capability % 32));
    }
    return syscall(SYS_capset, &header, data) == 0;
}

// What the child wrote on stderr, which it sends to the file.
void CaptureStderr(const std::string& file) {
    const int fd = open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    dup2(fd, 2);
    close(fd);
}

int CountLines(const std::string& text) { return static_cast<int>(std::count(text.begin(), text.end(), '\n')); }

TEST(SettingsUnreadableFile, IsNeverWrittenOverAndSaysSoOnce) {
    const std::string stored = "FactorNumStars=0.5\nCurrentLanguage=german\nMusicFilename=/music/list.m3u\n";
    const struct {
        const char* fault;
        const char* reason;  // as strerror says it
        std::function<void()> make;
        std::function<void()> undo;
    } cases[] = {
        {"mode 000", "Permission denied",
         [&] {
             ASSERT_TRUE(WriteFileText(TestFile(), stored));
             chmod(TestFile().c_str(), 0);
         },
         [] { chmod(TestFile().c_str(), 0600); }},
        {"a folder in its place", "Is a directory",
         [] { ASSERT_EQ(mkdir(TestFile().c_str(), 0700), 0); }, [] {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fault);
        mkdir(ConfigFolder().c_str(), 0700);
        c.make();
        const std::string errors = ScratchFolder() + "/stderr.txt";
        const ChildOutcome outcome = RunInChild([&](ChildReport& report) {
            if (geteuid() == 0 && !DropFileAccessOverride()) {
                report.Skip("cannot drop root's file access override");
                return;
            }
            CaptureStderr(errors);
            // What the saver's start, the dialog and the first-start
            // language pass do: read everything, write some of it.
            FloatSetting stars(kTestKey, "FactorNumStars", 0.125f);
            StringSetting language(kTestKey, "CurrentLanguage", "english");
            StringSetting music(kTestKey, "MusicFilename", "");
            IntSetting count(kTestKey, "UCA", 0);
            count.Increment();
            stars.Set(0.75f);
            CHILD_CHECK(report, stars.Get() == 0.75f);
            CHILD_CHECK(report, count.Get() == 1);
            CHILD_CHECK(report, !UpdateSettingsFile(TestFile(), "CurrentLanguage", "english"));
            CHILD_CHECK(report, !Exists(TestFile() + ".tmp"));
        });
        c.undo();
        if (!outcome.skipped.empty()) {
            GTEST_SKIP() << outcome.skipped;
        }
        Report(outcome);
        struct stat info {};
        ASSERT_EQ(lstat(TestFile().c_str(), &info), 0);
        if (S_ISREG(info.st_mode)) {
            EXPECT_EQ(ReadFileText(TestFile()), stored);
        } else {
            EXPECT_TRUE(S_ISDIR(info.st_mode));
        }
        const std::string said = ReadFileText(errors);
        EXPECT_EQ(CountLines(said), 1) << said;
        EXPECT_NE(said.find(TestFile()), std::string::npos) << said;
        EXPECT_NE(said.find(c.reason), std::string::npos) << said;
        if (S_ISDIR(info.st_mode)) {
            rmdir(TestFile().c_str());
        } else {
            unlink(TestFile().c_str());
        }
    }
}

// ---- what the settings path points at ----

TEST(SettingsPathFaults, LinkToAHugeFileLeavesThatFileAlone) {
    // Sparse: 3 GiB that take no room, with text at the start.
    const std::string huge = ScratchFolder() + "/huge.bin";
    ASSERT_TRUE(WriteFileText(huge, "Count=3\n"));
    ASSERT_EQ(truncate(huge.c_str(), 3LL << 30), 0);
    ASSERT_EQ(mkdir(ConfigFolder().c_str(), 0700) == 0 || errno == EEXIST, true);
    ASSERT_EQ(symlink(huge.c_str(), TestFile().c_str()), 0);

    IntSetting count(kTestKey, "Count", 5);
    EXPECT_EQ(count.Get(), 5);
    count.Set(6);
    struct stat info {};
    ASSERT_EQ(stat(huge.c_str(), &info), 0);
    EXPECT_EQ(info.st_size, 3LL << 30);
    char start[9] = {};
    const int fd = open(huge.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(read(fd, start, 8), 8);
    close(fd);
    EXPECT_STREQ(start, "Count=3\n");
    // The link gave way to a settings file of the program's own.
    ASSERT_EQ(lstat(TestFile().c_str(), &info), 0);
    EXPECT_TRUE(S_ISREG(info.st_mode));
    EXPECT_EQ(StoredText(TestFile(), "Count"), "6");
}

TEST(SettingsPathFaults, LinkToABinaryFileLeavesThatFileAlone) {
    const std::string binary = ScratchFolder() + "/picture.bin";
    const std::string content("Count=3\n\0\x01\x02", 11);
    ASSERT_TRUE(WriteFileText(binary, content));
    ASSERT_EQ(mkdir(ConfigFolder().c_str(), 0700) == 0 || errno == EEXIST, true);
    ASSERT_EQ(symlink(binary.c_str(), TestFile().c_str()), 0);

    IntSetting count(kTestKey, "Count", 5);
    EXPECT_EQ(count.Get(), 5);
    EXPECT_EQ(ReadFileText(binary), content);
    EXPECT_EQ(StoredText(TestFile(), "Count"), "5");
}

TEST(SettingsPathFaults, LinkToAnEmptyFileIsWrittenThrough) {
    // A dotfile manager's fresh, empty file is the settings file to be.
    const std::string target = ScratchFolder() + "/dotfiles/empty.conf";
    ASSERT_TRUE(WriteFileText(target, ""));
    ASSERT_EQ(mkdir(ConfigFolder().c_str(), 0700) == 0 || errno == EEXIST, true);
    ASSERT_EQ(symlink(target.c_str(), TestFile().c_str()), 0);
    IntSetting count(kTestKey, "Count", 5);
    struct stat info {};
    ASSERT_EQ(lstat(TestFile().c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    EXPECT_EQ(StoredText(target, "Count"), "5");
}

// ---- what fuzzing the reader turned up ----

TEST(SettingsHostileContent, ExtraCarriageReturnsNeitherHideAValueNorChangeOnRewrite) {
    ASSERT_TRUE(WriteFileText(TestFile(), "UCA=\t0x7fffffff\r\r\nSeed=2\r\r\r\n"));
    IntSetting seed(kTestKey, "Seed", 0);
    EXPECT_EQ(seed.Get(), 2);
    const std::string before = StoredText(TestFile(), "UCA");
    ASSERT_TRUE(UpdateSettingsFile(TestFile(), "Other", "1"));
    EXPECT_EQ(StoredText(TestFile(), "UCA"), before);
    EXPECT_EQ(StoredText(TestFile(), "Seed"), "2");
}

TEST(SettingsHostileContent, AnEmptyNameFindsOnlyANamelessLine) {
    EXPECT_EQ(FindStoredText({"no equals sign", "=nameless", "A=1"}, ""), "nameless");
    EXPECT_EQ(FindStoredText({"no equals sign", "A=1"}, ""), std::nullopt);
}

// ---- processes killed while writing, and writing together ----

// Large enough that a write takes a while, so kills land inside writes.
std::string Padding(char fill) { return std::string(200'000, fill); }

TEST(SettingsProcessFaults, WritersKilledAtRandomMomentsNeverLeaveATornFile) {
    ASSERT_TRUE(UpdateSettingsFile(TestFile(), "Padding", Padding('a')));
    ASSERT_TRUE(UpdateSettingsFile(TestFile(), "Counter", "0"));
    std::mt19937 random(12345);
    std::uniform_int_distribution<int> delayUs(0, 20000);
    constexpr int kKills = 150;
    int leftTemporary = 0;
    int lastCounter = 0;
    for (int round = 0; round < kKills; ++round) {
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            for (int n = 1;; ++n) {
                UpdateSettingsFile(TestFile(), "Padding", Padding(n % 2 == 0 ? 'a' : 'b'));
                UpdateSettingsFile(TestFile(), "Counter", std::to_string(n));
            }
        }
        usleep(static_cast<useconds_t>(delayUs(random)));
        kill(pid, SIGKILL);
        int status = 0;
        waitpid(pid, &status, 0);
        leftTemporary += Exists(TestFile() + ".tmp") ? 1 : 0;

        const std::string text = ReadFileText(TestFile());
        ASSERT_FALSE(text.empty()) << "round " << round;
        ASSERT_EQ(text.back(), '\n') << "round " << round;
        const auto lines = ReadSettingsLines(TestFile());
        ASSERT_EQ(lines.size(), 3u) << "round " << round;
        const std::string padding = StoredText(TestFile(), "Padding");
        ASSERT_TRUE(padding == Padding('a') || padding == Padding('b')) << "round " << round;
        int32_t counter = -1;
        ASSERT_TRUE(ParseInt32Text(StoredText(TestFile(), "Counter"), counter)) << "round " << round;
        lastCounter = counter;
    }
    std::printf("%d kills: %d left a half-written temporary file beside a complete settings file; last counter %d\n",
                kKills, leftTemporary, lastCounter);
    // The next write after all that goes through.
    ASSERT_TRUE(UpdateSettingsFile(TestFile(), "Counter", "done"));
    EXPECT_EQ(StoredText(TestFile(), "Counter"), "done");
}

TEST(SettingsProcessFaults, TheDialogAndSeveralSaversWritingTogetherLoseNothing) {
    const std::string mainFile = SettingsFilePathForKey(kSettingsKeyPath);
    int gate[2];
    ASSERT_EQ(pipe(gate), 0);
    constexpr int kSavers = 5;
    constexpr int kWrites = 30;
    std::vector<pid_t> children;
    for (int writer = 0; writer <= kSavers; ++writer) {
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            close(gate[1]);
            char byte = 0;
            // Everyone starts when the gate closes.
            [[maybe_unused]] const ssize_t got = read(gate[0], &byte, 1);
            if (writer == 0) {
                // The dialog: appearance values through the global objects.
                for (int i = 0; i <= kWrites; ++i) {
                    FactorNumStars.Set(static_cast<float>(i) / kWrites);
                    CustomSunColor.Set(0x100000 + i);
                    MusicFilename.Set("/music/list " + std::to_string(i) + ".m3u");
                }
            } else {
                // A saver: its start-up writes, and values of its own.
                VersionMajor.Set(3);
                UsageCountScreensaver.Increment();
                for (int i = 0; i <= kWrites; ++i) {
                    const std::string name = "Saver" + std::to_string(writer) + "_" + std::to_string(i % 6);
                    IntSetting value(kSettingsKeyPath, name.c_str(), -1);
                    value.Set(i);
                }
            }
            _exit(0);
        }
        children.push_back(pid);
    }
    close(gate[0]);
    close(gate[1]);

    // Read along while they write: every read sees a whole file.
    int reads = 0;
    std::vector<int> statuses(children.size());
    std::vector<bool> ended(children.size(), false);
    for (size_t running = children.size(); running > 0;) {
        for (size_t i = 0; i < children.size(); ++i) {
            int status = 0;
            if (!ended[i] && waitpid(children[i], &status, WNOHANG) == children[i]) {
                ended[i] = true;
                statuses[i] = status;
                --running;
            }
        }
        const auto lines = ReadSettingsLines(mainFile);
        ASSERT_GE(lines.size(), 38u) << "a reader saw a partial file";
        ASSERT_EQ(lines[0].rfind("# ", 0), 0u);
        ++reads;
    }
    for (const int status : statuses) {
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    std::printf("%d whole reads while %d processes wrote\n", reads, kSavers + 1);

    EXPECT_EQ(StoredText(mainFile, "FactorNumStars"), "1");
    EXPECT_EQ(StoredText(mainFile, "CustomSunColor"), std::to_string(0x100000 + kWrites));
    EXPECT_EQ(StoredText(mainFile, "MusicFilename"), "/music/list " + std::to_string(kWrites) + ".m3u");
    for (int writer = 1; writer <= kSavers; ++writer) {
        for (int slot = 0; slot < 6; ++slot) {
            const std::string name = "Saver" + std::to_string(writer) + "_" + std::to_string(slot);
            // The last i with i % 6 == slot.
            const int last = kWrites - ((kWrites - slot) % 6);
            EXPECT_EQ(StoredText(mainFile, name.c_str()), std::to_string(last)) << name;
        }
    }
}

}  // namespace
}  // namespace skyloom
