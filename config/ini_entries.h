#pragma once

#include <cstdio>
#include <functional>
#include <string_view>

namespace skyloom {

// One name=value line of an INI file, with the section it stands in ("" before
// the first section line), name and value without the blanks around them.
using IniEntryVisitor = std::function<void(std::string_view section, std::string_view name, std::string_view value)>;

// Calls take for each entry of the file, in file order, by the line rules of
// ini_section.h (quotes are left on the value). Each build links one
// reader: inih's on Linux, a reader of its own on Windows.
void ReadIniEntries(std::FILE* file, const IniEntryVisitor& take);

}  // namespace skyloom
