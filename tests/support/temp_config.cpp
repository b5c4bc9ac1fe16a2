#include "tests/support/temp_config.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace skyloom::testing {

std::string ScratchFolder() {
    const char* scratch = std::getenv("SKYLOOM_TEST_SCRATCH");
    if (scratch != nullptr && scratch[0] != '\0') {
        return scratch;
    }
    // Run by hand outside ctest: refuse rather than touch real files.
    std::abort();
}

std::string ReadFileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool WriteFileText(const std::string& path, const std::string& text) {
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    return static_cast<bool>(out);
}

}  // namespace skyloom::testing
