#pragma once

#include <string>

namespace skyloom {

// The folder holding the installed data files (language files, help
// pages): the AppDir setting when it is set, otherwise the data folder of
// the running installation (InstalledDataFolder) when that folder exists.
// Empty when neither gives a folder.
std::string DataFolder();

}  // namespace skyloom
