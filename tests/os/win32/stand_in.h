#pragma once

#include <string>
#include <vector>

namespace skyloom::testing {

// The stand-in program (stand_in_player.cpp), as Windows names it.
std::string StandInPath();

// A file in the test's scratch folder whose first word tells the stand-in
// what to do; returns its path.
std::string StandInFile(const std::string& name, const std::string& mode);

// What the stand-in started on the file recorded: its command line, then
// its arguments. Waits for the record up to ten seconds, which only a
// stand-in that never started takes; empty when none came.
std::vector<std::string> WaitForStandInRecord(const std::string& file);

}  // namespace skyloom::testing
