// Drives the two launchers under Wine and checks what the user would see.
//   launcher_driver configure LAUNCHER [ARGS...]
//     the launcher ends with 0 and Skyloom.scr shows its configuration
//     window, captioned " Skyloom", on its Introduction page; OK closes it
//     and the saver must end.
//   launcher_driver weblink LAUNCHER opens|stays [ARGS...]
//     with this driver as the prefix's handler for the home page's scheme,
//     the launcher ends with 0 having started the handler with the home page
//     (opens) or having started nothing (stays).
//   launcher_driver help SKYLOOM.SCR
//     the configuration window's Help button opens help.htm of AppDir
//     through the shell, from the program's folder.
// Prints what failed and exits 1, or exits 0. The waits are upper bounds on
// conditions polled for.
#include "skyloom_site.h"

#include "tests/windows/saver_process.h"

#include <windows.h>
#include <commctrl.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr DWORD kWaitMs = 30000;
// The Introduction page's language label, in English.
constexpr char kLanguageLabel[] = "Language:";
constexpr int kLanguageLabelId = 1007;  // IDC_STATIC_LANGUAGE

int Fail(const std::string& what) {
    std::fprintf(stderr, "launcher_driver: %s\n", what.c_str());
    return 1;
}

std::string CommandLine(const char* program, int argc, char** argv) {
    std::string line = "\"" + std::string(program) + "\"";
    for (int i = 0; i < argc; ++i) {
        line += " " + std::string(argv[i]);
    }
    return line;
}

// Runs the command line to its end inside `job` (none: outside any); its
// exit code, or -1 when it did not start or outlived the wait.
long RunToEnd(std::string line, HANDLE job) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr, &startup,
                        &process)) {
        return -1;
    }
    if (job != nullptr) {
        AssignProcessToJobObject(job, process.hProcess);
    }
    ResumeThread(process.hThread);
    DWORD code = 0;
    const bool ended = WaitForSingleObject(process.hProcess, kWaitMs) == WAIT_OBJECT_0;
    if (ended) {
        GetExitCodeProcess(process.hProcess, &code);
    } else {
        TerminateProcess(process.hProcess, 99);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return ended ? static_cast<long>(code) : -1;
}

using skyloom::testing::SaverProcessLeft;

HWND SkyloomSheetWithin(DWORD ms) {
    for (const DWORD start = GetTickCount(); GetTickCount() - start < ms; Sleep(50)) {
        if (HWND sheet = FindWindowA("#32770", " Skyloom")) {
            return sheet;
        }
    }
    return nullptr;
}

// The language label of the page the sheet shows.
std::string LanguageLabel(HWND sheet) {
    const auto page = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
    char text[256] = "";
    GetDlgItemTextA(page, kLanguageLabelId, text, sizeof text);
    return text;
}

bool SaverEndsWithin(DWORD ms) {
    for (const DWORD start = GetTickCount(); GetTickCount() - start < ms; Sleep(50)) {
        if (!SaverProcessLeft()) {
            return true;
        }
    }
    return false;
}

int Configure(int argc, char** argv) {
    if (SaverProcessLeft()) {
        return Fail("a Skyloom.scr runs already");
    }
    // The page and language other tests chose give way to the first page
    // in English; AppDir stays, naming the language files to read.
    for (const char* value : {"CurrentConfigureSheet", "CurrentLanguage"}) {
        RegDeleteKeyValueA(HKEY_CURRENT_USER, "Software\\Quillmere\\Skyloom", value);
    }
    const long code = RunToEnd(CommandLine(argv[0], argc - 1, argv + 1), nullptr);
    if (code != 0) {
        return Fail("the launcher ended with " + std::to_string(code));
    }
    HWND sheet = SkyloomSheetWithin(kWaitMs);
    if (sheet == nullptr) {
        return Fail("no window captioned \" Skyloom\" appeared");
    }
    const std::string label = LanguageLabel(sheet);
    std::printf("language label: %s\n", label.c_str());
    PostMessageA(sheet, WM_COMMAND, IDOK, 0);
    if (label != kLanguageLabel) {
        return Fail("the window is not the configuration's Introduction page in English");
    }
    return SaverEndsWithin(kWaitMs) ? 0 : Fail("Skyloom.scr did not end after OK");
}

std::string SchemeOf(const std::string& address) { return address.substr(0, address.find(':')); }

std::string HandlerKey() { return SchemeOf(SKYLOOM_HOMEPAGE_URL) + "\\shell\\open\\command"; }

std::string HandlerCommand() {
    char command[2048] = "";
    LONG size = sizeof command;
    RegQueryValueA(HKEY_CLASSES_ROOT, HandlerKey().c_str(), command, &size);
    return command;
}

// Wine reads a scheme's handler from HKEY_CLASSES_ROOT alone, not from the
// user's classes, so the prefix's own is replaced for the test's time.
bool SetHandlerCommand(const std::string& command) {
    return RegSetValueA(HKEY_CLASSES_ROOT, HandlerKey().c_str(), REG_SZ, command.c_str(),
                        static_cast<DWORD>(command.size())) == ERROR_SUCCESS;
}

// This driver as the handler, recording the address it was given.
std::string RecordingCommand(const std::string& record) {
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    return "\"" + std::string(self) + "\" record \"" + record + "\" \"%1\"";
}

// Written to a temporary name and renamed, so a reader sees all or nothing.
int Record(const char* record, const char* address) {
    const std::string partial = std::string(record) + ".partial";
    FILE* file = std::fopen(partial.c_str(), "wb");
    if (file == nullptr) {
        return 1;
    }
    char folder[MAX_PATH] = "";
    GetCurrentDirectoryA(MAX_PATH, folder);
    std::fprintf(file, "%s\n%s", address, folder);
    std::fclose(file);
    return MoveFileA(partial.c_str(), record) ? 0 : 1;
}

// Line `index` of a record: the address, then the handler's folder.
std::string Line(const std::string& text, int index) {
    size_t start = 0;
    for (int skipped = 0; skipped < index && start != std::string::npos; ++skipped) {
        start = text.find('\n', start);
        start = start == std::string::npos ? start : start + 1;
    }
    return start == std::string::npos ? std::string() : text.substr(start, text.find('\n', start) - start);
}

std::string FolderOf(const std::string& path) { return path.substr(0, path.find_last_of("\\/") + 1); }

std::string RecordedWithin(const std::string& record, DWORD ms) {
    for (const DWORD start = GetTickCount(); GetTickCount() - start < ms; Sleep(50)) {
        if (FILE* file = std::fopen(record.c_str(), "rb")) {
            char text[2048] = "";
            text[std::fread(text, 1, sizeof text - 1, file)] = '\0';
            std::fclose(file);
            return text;
        }
    }
    return "(nothing)";
}

DWORD ProcessesEverIn(HANDLE job) {
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting{};
    QueryInformationJobObject(job, JobObjectBasicAccountingInformation, &accounting, sizeof accounting, nullptr);
    return accounting.TotalProcesses;
}

// The prefix's own temporary folder: the prefix is the test run's.
std::string TemporaryFolder() {
    char folder[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, folder);
    return folder;
}

int Weblink(const std::string& record, int argc, char** argv) {
    const bool opens = std::strcmp(argv[1], "opens") == 0;
    DeleteFileA(record.c_str());
    const std::string previousHandler = HandlerCommand();
    if (!SetHandlerCommand(RecordingCommand(record))) {
        return Fail("cannot register the handler");
    }
    HANDLE job = CreateJobObjectA(nullptr, nullptr);
    const long code = RunToEnd(CommandLine(argv[0], argc - 2, argv + 2), job);
    // The shell starts the handler before the launcher ends: the job counts it.
    const DWORD started = ProcessesEverIn(job) - 1;
    const std::string recorded = started > 0 ? RecordedWithin(record, kWaitMs) : "(nothing)";
    SetHandlerCommand(previousHandler);
    DeleteFileA(record.c_str());
    std::printf("exit code %ld, handlers started %lu, address: %s\n", code, static_cast<unsigned long>(started),
                recorded.c_str());
    if (code != 0) {
        return Fail("the launcher did not end with 0");
    }
    // The shell may run helpers of its own on the way to the handler, so
    // opening is counted as "something started", and the record says what.
    if (opens ? started == 0 : started != 0) {
        return Fail(opens ? "the home page did not open" : "something opened");
    }
    return !opens || Line(recorded, 0) == SKYLOOM_HOMEPAGE_URL ? 0 : Fail("the handler got another address");
}

std::string WithoutTrailingSlash(std::string path) {
    while (!path.empty() && (path.back() == '\\' || path.back() == '/')) {
        path.pop_back();
    }
    return path;
}

bool SamePath(const std::string& a, const std::string& b) {
    return lstrcmpiA(WithoutTrailingSlash(a).c_str(), WithoutTrailingSlash(b).c_str()) == 0;
}

// The page HTML files open with; Wine's prefix may name none for .htm.
constexpr char kHtmlClass[] = "htmlfile";
constexpr char kHtmlCommandKey[] = "htmlfile\\shell\\open\\command";

// The sheet's Help button opens help.htm of AppDir with the shell, from
// the program's folder as the current one: started elsewhere, the saver's
// handler records the page and the folder it was started in.
int Help(const std::string& record, const char* saver) {
    DeleteFileA(record.c_str());
    // A folder of its own, holding the build's help page, is AppDir.
    const std::string appDir = WithoutTrailingSlash(TemporaryFolder());
    if (!CopyFileA((FolderOf(saver) + "help.htm").c_str(), (appDir + "\\help.htm").c_str(), FALSE)) {
        return Fail("cannot copy help.htm into " + appDir);
    }
    RegSetValueA(HKEY_CLASSES_ROOT, ".htm", REG_SZ, kHtmlClass, sizeof kHtmlClass - 1);
    char previous[2048] = "";
    LONG previousSize = sizeof previous;
    RegQueryValueA(HKEY_CLASSES_ROOT, kHtmlCommandKey, previous, &previousSize);
    const std::string command = RecordingCommand(record);
    RegSetValueA(HKEY_CLASSES_ROOT, kHtmlCommandKey, REG_SZ, command.c_str(), static_cast<DWORD>(command.size()));
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Quillmere\\Skyloom", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                    nullptr);
    RegSetValueExA(key, "AppDir", 0, REG_SZ, reinterpret_cast<const BYTE*>(appDir.c_str()),
                   static_cast<DWORD>(appDir.size() + 1));
    RegCloseKey(key);

    std::string line = CommandLine(saver, 0, nullptr) + " /c";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, appDir.c_str(), &startup,
                        &process)) {
        return Fail("Skyloom.scr /c did not start");
    }
    CloseHandle(process.hThread);
    HWND sheet = SkyloomSheetWithin(kWaitMs);
    std::string recorded = "(nothing)";
    if (sheet != nullptr) {
        PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_HELP, 0);
        recorded = RecordedWithin(record, kWaitMs);
        PostMessageA(sheet, WM_COMMAND, IDOK, 0);
    }
    const bool ended = WaitForSingleObject(process.hProcess, kWaitMs) == WAIT_OBJECT_0;
    if (!ended) {
        TerminateProcess(process.hProcess, 1);
    }
    CloseHandle(process.hProcess);
    DeleteFileA(record.c_str());
    DeleteFileA((appDir + "\\help.htm").c_str());
    RegSetValueA(HKEY_CLASSES_ROOT, kHtmlCommandKey, REG_SZ, previous, static_cast<DWORD>(std::strlen(previous)));
    std::printf("opened: %s\nfrom: %s\n", Line(recorded, 0).c_str(), Line(recorded, 1).c_str());
    if (sheet == nullptr) {
        return Fail("no window captioned \" Skyloom\" appeared");
    }
    if (!SamePath(Line(recorded, 0), appDir + "\\help.htm")) {
        return Fail("Help did not open help.htm of AppDir");
    }
    if (!SamePath(Line(recorded, 1), FolderOf(saver))) {
        return Fail("the page was not opened from the program's folder");
    }
    return ended ? 0 : Fail("Skyloom.scr did not end after OK");
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "record" && argc == 4) {
        return Record(argv[2], argv[3]);
    }
    if (mode == "configure" && argc >= 3) {
        return Configure(argc - 2, argv + 2);
    }
    if (mode == "help" && argc == 3) {
        return Help(TemporaryFolder() + "skyloom-help-page.txt", argv[2]);
    }
    if (mode == "weblink" && argc >= 4) {
        return Weblink(TemporaryFolder() + "skyloom-weblink-address.txt", argc - 2, argv + 2);
    }
    return Fail("usage: launcher_driver configure LAUNCHER [ARGS] | weblink LAUNCHER opens|stays [ARGS] | help SCR");
}
