#include "tests/support/music_fixtures.h"

#include "os/player_process.h"
#include "tests/support/temp_config.h"
#include "tests/support/xvfb_server.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace skyloom::testing {

namespace {

const char kScriptPlayer[] = R"sh(#!/bin/sh
f="$1"
rec() { printf '%s\n' "$2" > "$f.$1.partial" && mv "$f.$1.partial" "$f.$1"; }
rec folder "$(pwd)"
rec token "${SKYLOOM_TEST_TOKEN:-}"
sleep 600 &
rec child "$!"
rec pid "$$"
wait
)sh";

// Records how the saver's window stood when it started: FILE.saver, the
// map state of the first window named "Skyloom" ("none" without one).
const char kWatchingPlayer[] = R"sh(#!/bin/sh
f="$1"
rec() { printf '%s\n' "$2" > "$f.$1.partial" && mv "$f.$1.partial" "$f.$1"; }
state="$(xwininfo -name Skyloom 2>/dev/null | sed -n 's/^ *Map State: *//p')"
rec saver "${state:-none}"
sleep 600 &
rec child "$!"
rec pid "$$"
wait
)sh";

const char kStubbornPlayer[] = R"sh(#!/bin/sh
trap '' TERM
f="$1"
rec() { printf '%s\n' "$2" > "$f.$1.partial" && mv "$f.$1.partial" "$f.$1"; }
sleep 600 &
rec child "$!"
rec pid "$$"
wait
)sh";

struct TestType {
    const char* extension;
    const char* mimeType;
    const char* desktopFile;  // nullptr: no application
};

const TestType kTypes[] = {
    {"skytest", "application/x-skyloom-test", "skyloom-test-script.desktop"},
    {"skystubborn", "application/x-skyloom-stubborn", "skyloom-test-stubborn.desktop"},
    {"skywindow", "application/x-skyloom-window", "skyloom-test-window.desktop"},
    {"skydbus", "application/x-skyloom-dbus", "org.example.SkyloomTestPlayer.desktop"},
    {"skyorphan", "application/x-skyloom-orphan", nullptr},
    {"skywatch", "application/x-skyloom-watch", "skyloom-test-watch.desktop"},
};

std::string DesktopEntry(const std::string& exec, const char* mimeType, bool dbusActivatable) {
    std::string text = "[Desktop Entry]\nType=Application\nName=Skyloom test player\nExec=" + exec + " %f\nMimeType=";
    text += mimeType;
    text += ";\n";
    if (dbusActivatable) {
        text += "DBusActivatable=true\n";
    }
    return text;
}

// Runs a program to its end; its exit status, -1 when it could not run.
int RunProgram(const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    const pid_t child = fork();
    if (child < 0) {
        return -1;
    }
    if (child == 0) {
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) {
            return -1;
        }
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Starts a program that writes one line to the descriptor named by its
// arguments (the placeholder "{fd}"), and returns that line; the program
// gets SIGTERM when this thread ends. Empty when it fails.
std::string StartReportingServer(std::vector<std::string> arguments) {
    int channel[2];
    if (pipe(channel) != 0) {
        return {};
    }
    for (std::string& argument : arguments) {
        const auto at = argument.find("{fd}");
        if (at != std::string::npos) {
            argument.replace(at, 4, std::to_string(channel[1]));
        }
    }
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    const pid_t parent = getpid();
    const pid_t child = fork();
    if (child < 0) {
        close(channel[0]);
        close(channel[1]);
        return {};
    }
    if (child == 0) {
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent) {
            _exit(1);
        }
        close(channel[0]);
        const int devNull = open("/dev/null", O_RDWR);
        if (devNull >= 0) {
            dup2(devNull, STDIN_FILENO);
            dup2(devNull, STDOUT_FILENO);
        }
        execvp(argv[0], argv.data());
        _exit(127);
    }
    close(channel[1]);
    std::string line;
    char c = 0;
    ssize_t got = 0;
    while ((got = read(channel[0], &c, 1)) == 1 || (got < 0 && errno == EINTR)) {
        if (got == 1) {
            if (c == '\n') {
                break;
            }
            line += c;
        }
    }
    close(channel[0]);
    return line;
}

bool ReadNumber(const std::string& path, long& value) {
    const std::string text = ReadFileText(path);
    if (text.empty() || text.back() != '\n') {
        return false;
    }
    char* end = nullptr;
    value = std::strtol(text.c_str(), &end, 10);
    return end != text.c_str();
}

}  // namespace

void InstallTestPlayers() {
    static bool installed = false;
    if (installed) {
        return;
    }
    const std::string scratch = ScratchFolder();
    // The test runner points both into the scratch folder.
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    ASSERT_TRUE(dataHome != nullptr && configHome != nullptr);
    const std::string data = dataHome;
    const std::string config = configHome;
    const std::string players = scratch + "/players";

    ASSERT_TRUE(WriteFileText(players + "/script-player", kScriptPlayer));
    ASSERT_TRUE(WriteFileText(players + "/stubborn-player", kStubbornPlayer));
    ASSERT_TRUE(WriteFileText(players + "/watching-player", kWatchingPlayer));
    ASSERT_EQ(0, chmod((players + "/script-player").c_str(), 0755));
    ASSERT_EQ(0, chmod((players + "/stubborn-player").c_str(), 0755));
    ASSERT_EQ(0, chmod((players + "/watching-player").c_str(), 0755));

    std::string mimeXml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n";
    std::string defaults = "[Default Applications]\n";
    for (const TestType& type : kTypes) {
        mimeXml += std::string("  <mime-type type=\"") + type.mimeType + "\">\n    <comment>Skyloom test</comment>\n" +
                   "    <glob pattern=\"*." + type.extension + "\"/>\n  </mime-type>\n";
        if (type.desktopFile != nullptr) {
            defaults += std::string(type.mimeType) + "=" + type.desktopFile + "\n";
        }
    }
    mimeXml += "</mime-info>\n";
    ASSERT_TRUE(WriteFileText(data + "/mime/packages/skyloom-test.xml", mimeXml));
    ASSERT_EQ(0, RunProgram({"update-mime-database", data + "/mime"})) << "update-mime-database failed";

    const std::string applications = data + "/applications/";
    ASSERT_TRUE(WriteFileText(applications + kTypes[0].desktopFile,
                              DesktopEntry(players + "/script-player", kTypes[0].mimeType, false)));
    ASSERT_TRUE(WriteFileText(applications + kTypes[1].desktopFile,
                              DesktopEntry(players + "/stubborn-player", kTypes[1].mimeType, false)));
    ASSERT_TRUE(WriteFileText(applications + kTypes[2].desktopFile,
                              DesktopEntry(SKYLOOM_TEST_WINDOW_PLAYER, kTypes[2].mimeType, false)));
    ASSERT_TRUE(WriteFileText(applications + kTypes[3].desktopFile,
                              DesktopEntry(players + "/script-player", kTypes[3].mimeType, true)));
    ASSERT_TRUE(WriteFileText(applications + kTypes[5].desktopFile,
                              DesktopEntry(players + "/watching-player", kTypes[5].mimeType, false)));
    ASSERT_TRUE(WriteFileText(config + "/mimeapps.list", defaults));
    installed = true;
}

std::string MakeMusicFile(const std::string& name) {
    static int folderCount = 0;
    const std::string path = ScratchFolder() + "/music-" + std::to_string(++folderCount) + "/" + name;
    EXPECT_TRUE(WriteFileText(path, ""));
    return path;
}

long WaitForRecord(const std::string& file, const std::string& suffix, int milliseconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    long value = 0;
    while (!ReadNumber(file + suffix, value)) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return 0;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return value;
}

std::string RecordText(const std::string& file, const std::string& suffix) {
    std::string text = ReadFileText(file + suffix);
    const auto end = text.find('\n');
    return end == std::string::npos ? text : text.substr(0, end);
}

bool ProcessEnded(pid_t pid) {
    const std::string stat = ReadFileText("/proc/" + std::to_string(pid) + "/stat");
    if (stat.empty()) {
        return true;
    }
    const auto close = stat.rfind(')');
    return close != std::string::npos && close + 2 < stat.size() &&
           (stat[close + 2] == 'Z' || stat[close + 2] == 'X');
}

bool WaitForProcessEnd(pid_t pid, int milliseconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (!ProcessEnded(pid)) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

bool ProcessGroupEnded(pid_t group) {
    if (kill(-group, 0) != 0) {
        return true;
    }
    // Orphans are reaped by init, which may take its time: zombies count as ended.
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", error)) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) {
            continue;
        }
        const std::string stat = ReadFileText(entry.path().string() + "/stat");
        const auto close = stat.rfind(')');
        if (close == std::string::npos) {
            continue;
        }
        char state = '?';
        long parent = 0;
        long processGroup = 0;
        if (std::sscanf(stat.c_str() + close + 1, " %c %ld %ld", &state, &parent, &processGroup) == 3 &&
            processGroup == group && state != 'Z' && state != 'X') {
            return false;
        }
    }
    return true;
}

void KillProcessGroup(pid_t group) {
    if (group > 1 && group != getpgrp()) {
        kill(-group, SIGKILL);
    }
}

std::set<pid_t> LiveChildren() {
    std::set<pid_t> children;
    const pid_t self = getpid();
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) {
            continue;
        }
        // "pid (comm) state ppid ...": the command may hold spaces and parentheses.
        const std::string stat = ReadFileText(entry.path().string() + "/stat");
        const size_t close = stat.rfind(')');
        if (close == std::string::npos || close + 4 >= stat.size()) {
            continue;
        }
        char state = 0;
        int parent = 0;
        if (std::sscanf(stat.c_str() + close + 2, "%c %d", &state, &parent) != 2 || parent != self) {
            continue;
        }
        const pid_t pid = std::stoi(name);
        if (state == 'Z') {
            waitpid(pid, nullptr, WNOHANG);
        } else {
            children.insert(pid);
        }
    }
    return children;
}

std::string DescribeProcesses(const std::set<pid_t>& pids) {
    std::string text;
    for (pid_t pid : pids) {
        std::string command = ReadFileText("/proc/" + std::to_string(pid) + "/cmdline");
        for (char& c : command) {
            c = c == '\0' ? ' ' : c;
        }
        text += std::to_string(pid) + ": " + command + "\n";
    }
    return text;
}

bool StartPrivateSessionBus() {
    static bool started = false;
    if (!started) {
        const std::string address =
            StartReportingServer({"dbus-daemon", "--session", "--nofork", "--print-address={fd}"});
        if (address.empty()) {
            return false;
        }
        setenv("DBUS_SESSION_BUS_ADDRESS", address.c_str(), 1);
        started = true;
    }
    return true;
}

bool StartMusicTestDisplay() {
    // Kept for the whole process: the players and GIO may hold connections.
    static XvfbServer server;
    if (server.DisplayName().empty()) {
        if (!server.Start(24, 320, 240)) {
            return false;
        }
        setenv("DISPLAY", server.DisplayName().c_str(), 1);
    }
    DisableSessionBusAutolaunch();
    return true;
}

}  // namespace skyloom::testing
