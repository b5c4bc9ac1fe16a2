#include "config/dialog/gui_session.h"

#include "config/dialog/dialog_icon.h"
#include "os/display_probe.h"

#include <QApplication>

namespace skyloom {

namespace {
// QApplication keeps references to these for its whole life.
int applicationArgc = 1;
char applicationName[] = "skyloom";
char* applicationArgv[] = {applicationName, nullptr};
}  // namespace

GuiSession::GuiSession() {
    if (QCoreApplication::instance() != nullptr) {
        // A QCoreApplication or QGuiApplication cannot show widgets.
        ready_ = qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
        return;
    }
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM") && !XDisplayReachable()) {
        return;
    }
    owned_ = std::make_unique<QApplication>(applicationArgc, applicationArgv);
    QApplication::setWindowIcon(ProgramIcon());
    ready_ = true;
}

GuiSession::~GuiSession() = default;

}  // namespace skyloom
