#pragma once

#include <string>

namespace skyloom::testing {

// The folder the test runner made for this test process.
std::string ScratchFolder();

// Reads a whole file; empty when it cannot be read.
std::string ReadFileText(const std::string& path);
// Writes a whole file, creating its folders; false on failure.
bool WriteFileText(const std::string& path, const std::string& text);

}  // namespace skyloom::testing
