#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

class QWidget;

namespace skyloom::testing {

// Every test file registers its QtTest class under its file's name; the
// test program runs the one named on its command line.
using DialogTestFactory = std::unique_ptr<QObject> (*)();
struct DialogTestRegistration {
    DialogTestRegistration(const char* name, DialogTestFactory factory);
};
std::map<std::string, DialogTestFactory>& DialogTests();
#define SKYLOOM_DIALOG_TEST(name, Class)                                          \
    static const ::skyloom::testing::DialogTestRegistration registration##Class( \
        name, []() -> std::unique_ptr<QObject> { return std::make_unique<Class>(); })

// The state every test starts from: appearance settings at their defaults,
// no music, English texts from the build's data folder, the first page.
void ResetDialogSettings();

// The text of a value as the settings file holds it now; nullopt when the
// file does not name it.
std::optional<std::string> StoredText(const char* valueName);

// The folder the runner made for this test process.
QString ScratchFolder();

// Runs action on the window that becomes modal next (a dialog started by
// the code under test), from inside that dialog's event loop. Gives up
// after five seconds, leaving the test to fail on what did not happen.
void OnNextModal(std::function<void(QWidget*)> action);

// Catches what QDesktopServices would open, by scheme, for as long as it lives.
class OpenedUrls : public QObject {
    Q_OBJECT

public:
    OpenedUrls();
    ~OpenedUrls() override;
    QList<QUrl> urls;

public slots:
    void Open(const QUrl& url) { urls.append(url); }
};

}  // namespace skyloom::testing
