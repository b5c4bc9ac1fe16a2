#include "os/detached_process.h"

#include <string>
#include <string_view>

#include <windows.h>

namespace skyloom {

namespace {

// Appends one argument so that the C runtime's parser reads it back as it
// was: quoted when it holds blanks or quotes, with the backslashes before
// a quote doubled.
void AppendArgument(std::string& commandLine, std::string_view argument) {
    if (!argument.empty() && argument.find_first_of(" \t\n\v\"") == std::string_view::npos) {
        commandLine += argument;
        return;
    }
    commandLine += '"';
    size_t backslashes = 0;
    for (const char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        commandLine.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        commandLine += c;
    }
    // The closing quote must not be escaped by them either.
    commandLine.append(backslashes * 2, '\\');
    commandLine += '"';
}

}  // namespace

bool StartDetachedProcess(const char* path, const char* const argv[]) {
    std::string commandLine;
    for (size_t i = 0; argv[i] != nullptr; ++i) {
        if (i > 0) {
            commandLine += ' ';
        }
        AppendArgument(commandLine, argv[i]);
    }
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(path, commandLine.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr, nullptr,
                        &startup, &process)) {
        return false;
    }
    // Nothing waits for it: the handles would only keep it on record.
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

}  // namespace skyloom
