#include "tests/os/win32/stand_in.h"

#include "tests/support/temp_config.h"

#include <sstream>

#include <windows.h>

namespace skyloom::testing {

std::string StandInPath() {
    // Built beside the tests; Wine shows the Unix root as drive Z:.
    std::string path = "Z:" SKYLOOM_TEST_STAND_IN;
    for (char& c : path) {
        if (c == '/') {
            c = '\\';
        }
    }
    return path;
}

std::string StandInFile(const std::string& name, const std::string& mode) {
    const std::string path = ScratchFolder() + "\\" + name;
    WriteFileText(path, mode + "\n");
    return path;
}

std::vector<std::string> WaitForStandInRecord(const std::string& file) {
    const std::string record = file + ".started";
    // The record appears whole, by a rename; a read that still finds
    // nothing (the file held open a moment longer) is tried again. The
    // bound only keeps a stand-in that never starts from hanging the test:
    // a first window in a fresh Wine prefix on a busy machine takes seconds.
    for (int waited = 0; waited < 60000; waited += 20) {
        std::vector<std::string> lines;
        if (GetFileAttributesA(record.c_str()) != INVALID_FILE_ATTRIBUTES) {
            std::istringstream text(ReadFileText(record));
            for (std::string line; std::getline(text, line);) {
                lines.push_back(line);
            }
        }
        if (!lines.empty()) {
            return lines;
        }
        Sleep(20);
    }
    return {};
}

}  // namespace skyloom::testing
