// Any argument vector, split from the input at NUL bytes: the parser must
// not crash or read past an argument, and its result must be coherent.

#include "fuzz/fuzz_support.h"
#include "main/command_line.h"

#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Each argument a separate allocation, so a read past its end shows.
    std::vector<std::string> args{"skyloom"};
    std::string current;
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == '\0') {
            args.push_back(current);
            current.clear();
        } else {
            current.push_back(static_cast<char>(data[i]));
        }
    }
    if (size > 0) {
        args.push_back(current);
    }
    std::vector<const char*> argv;
    for (const std::string& arg : args) {
        argv.push_back(arg.c_str());
    }
    argv.push_back(nullptr);

    const skyloom::CommandLine line = skyloom::ParseCommandLine(static_cast<int>(args.size()), argv.data());
    SKYLOOM_FUZZ_CHECK((line.mode == skyloom::LaunchMode::Invalid) == !line.error.empty());
    SKYLOOM_FUZZ_CHECK((line.mode == skyloom::LaunchMode::Preview) == (line.windowId != 0));

    for (const std::string& arg : args) {
        if (const std::optional<uint32_t> id = skyloom::ParseWindowId(arg)) {
            SKYLOOM_FUZZ_CHECK(*id != 0);
            SKYLOOM_FUZZ_CHECK(skyloom::ParseWindowId(std::to_string(*id)) == id);
        }
    }
    return 0;
}
