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
    for (int waited = 0; GetFileAttributesA(record.c_str()) == INVALID_FILE_ATTRIBUTES; waited += 20) {
        if (waited >= 10000) {
            return {};
        }
        Sleep(20);
    }
    std::vector<std::string> lines;
    std::istringstream text(ReadFileText(record));
    for (std::string line; std::getline(text, line);) {
        lines.push_back(line);
    }
    return lines;
}

}  // namespace skyloom::testing
