#pragma once

// No Qt here: a host calls this without seeing the toolkit.

namespace skyloom {

// The configuration window, run after CommonStartup: takes the
// single-instance lock, shows the sheet on the page CurrentConfigureSheet
// names and returns when it is closed. When another configuration window
// is open it asks that one to come to the front and returns at once.
// Returns the process exit code: 0, or 1 when no window can be opened
// (no display).
int RunConfigurationSheet();

}  // namespace skyloom
