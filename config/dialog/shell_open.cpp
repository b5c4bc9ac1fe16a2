#include "config/dialog/shell_open.h"

#include "config/data_folder.h"
#include "os/executable_path.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace skyloom {

namespace {

// Programs started for a page inherit the folder the program lives in, as
// when the saver itself opens something.
void SetCurrentDirectoryToModule() {
    const std::string program = ExecutablePath();
    if (!program.empty()) {
        QDir::setCurrent(QFileInfo(QString::fromStdString(program)).absolutePath());
    }
}

}  // namespace

bool OpenWithShell(const QString& target) {
    if (target.isEmpty()) {
        return false;
    }
    QUrl url(target);
    if (target.startsWith(QLatin1Char('/')) || url.scheme().isEmpty()) {
        url = QUrl::fromLocalFile(QFileInfo(target).absoluteFilePath());
    }
    return url.isValid() && QDesktopServices::openUrl(url);
}

void OpenDataPage(const char* fileName) {
    const std::string folder = DataFolder();
    if (folder.empty()) {
        QApplication::beep();
        return;
    }
    // Made absolute first: a relative AppDir means the folder current now.
    const QString page = QFileInfo(QString::fromStdString(folder) + QLatin1Char('/') + QLatin1String(fileName))
                             .absoluteFilePath();
    SetCurrentDirectoryToModule();
    OpenWithShell(page);
}

void OpenHelp() { OpenDataPage("help.htm"); }

}  // namespace skyloom
