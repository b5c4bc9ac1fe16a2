#include "tests/config/dialog/dialog_test_support.h"

#include "config/language_tables.h"
#include "os/settings_file.h"
#include "settings/settings.h"

#include <QApplication>
#include <QDesktopServices>
#include <QTimer>
#include <QWidget>

#include <cstdlib>
#include <map>

namespace skyloom::testing {

namespace {
const char* const kSchemes[] = {"file", "mailto", "http", "https"};
}  // namespace

std::map<std::string, DialogTestFactory>& DialogTests() {
    static std::map<std::string, DialogTestFactory> tests;
    return tests;
}

DialogTestRegistration::DialogTestRegistration(const char* name, DialogTestFactory factory) {
    DialogTests()[name] = factory;
}

void ResetDialogSettings() {
    RestoreDefaultSettings();
    PlayMusic.Set(0);
    MusicFilename.Set("");
    CurrentConfigureSheet.Set(0);
    AppDir.Set(SKYLOOM_TEST_DATA_DIR);
    CurrentLanguage.Set("english");
    LoadLanguageTables();
}

std::optional<std::string> StoredText(const char* valueName) {
    return FindStoredText(ReadSettingsLines(SettingsFilePathForKey(kSettingsKeyPath)), valueName);
}

QString ScratchFolder() {
    const char* scratch = std::getenv("SKYLOOM_TEST_SCRATCH");
    if (scratch == nullptr || scratch[0] == '\0') {
        // Run by hand outside ctest: refuse rather than touch real files.
        std::abort();
    }
    return QString::fromLocal8Bit(scratch);
}

void OnNextModal(std::function<void(QWidget*)> action) {
    auto* poll = new QTimer(qApp);
    auto tries = std::make_shared<int>(0);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, tries, action] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            poll->deleteLater();
            poll->stop();
            action(modal);
        } else if (++*tries > 500) {
            poll->stop();
            poll->deleteLater();
        }
    });
    poll->start(10);
}

OpenedUrls::OpenedUrls() {
    for (const char* scheme : kSchemes) {
        QDesktopServices::setUrlHandler(QLatin1String(scheme), this, "Open");
    }
}

OpenedUrls::~OpenedUrls() {
    for (const char* scheme : kSchemes) {
        QDesktopServices::unsetUrlHandler(QLatin1String(scheme));
    }
}

}  // namespace skyloom::testing
