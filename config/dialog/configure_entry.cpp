#include "config/configure_sheet_entry.h"

#include "config/dialog/configure_sheet.h"
#include "config/dialog/gui_session.h"
#include "config/dialog/instance_guard.h"

#include <cstdio>

namespace skyloom {

int RunConfigurationSheet() {
    GuiSession session;
    if (!session.Ready()) {
        std::fprintf(stderr, "Skyloom: no display to show the configuration window on (is DISPLAY set?).\n");
        return 1;
    }
    ConfigureInstanceGuard guard;
    if (guard.Acquire() == ConfigureInstanceGuard::Outcome::AlreadyRunning) {
        // The window already open is the one the user wants to see.
        ConfigureInstanceGuard::AskRunningToRaise();
        return 0;
    }
    ConfigureSheet sheet;
    QObject::connect(&guard, &ConfigureInstanceGuard::RaiseRequested, &sheet, &ConfigureSheet::BringToFront);
    sheet.exec();
    return 0;
}

}  // namespace skyloom
