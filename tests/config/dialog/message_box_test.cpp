#include "config/message_box.h"
#include "tests/config/dialog/dialog_test_support.h"

#include <QMessageBox>
#include <QProcess>
#include <QTest>

using namespace skyloom;
using namespace skyloom::testing;

namespace {

// The test program's stand-in for skyloom, with no window system at all.
QProcess* StartWithoutDisplay(const QStringList& arguments) {
    auto* process = new QProcess;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    process->setProcessEnvironment(environment);
    process->start(QStringLiteral(SKYLOOM_TEST_SHEET_RUNNER), arguments);
    return process;
}

}  // namespace

class MessageBoxTest : public QObject {
    Q_OBJECT

private slots:
    void init() { ResetDialogSettings(); }

    void boxShowsTheTextUnderTheProgramName_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("icon");
        QTest::newRow("warning") << static_cast<int>(MessageKind::Warning) << static_cast<int>(QMessageBox::Warning);
        QTest::newRow("error") << static_cast<int>(MessageKind::Error) << static_cast<int>(QMessageBox::Critical);
    }
    void boxShowsTheTextUnderTheProgramName() {
        QFETCH(int, kind);
        QFETCH(int, icon);
        QString title;
        QString text;
        int shownIcon = -1;
        OnNextModal([&](QWidget* modal) {
            if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                title = box->windowTitle();
                text = box->text();
                shownIcon = box->icon();
            }
            modal->close();
        });
        ShowMessageBox("glXCreateContext failed: Error 8. <b>", static_cast<MessageKind>(kind));
        QCOMPARE(title, QStringLiteral("Skyloom"));
        QCOMPARE(text, QStringLiteral("glXCreateContext failed: Error 8. <b>"));
        QCOMPARE(shownIcon, icon);
    }

    void withoutADisplayTheMessageGoesToStandardErrorOnly() {
        std::unique_ptr<QProcess> process(StartWithoutDisplay({QStringLiteral("--message"), QStringLiteral("Too few colours.")}));
        QVERIFY(process->waitForFinished(20000));
        QCOMPARE(process->exitStatus(), QProcess::NormalExit);
        QCOMPARE(process->exitCode(), 0);
        QCOMPARE(process->readAllStandardError(), QByteArray("Skyloom: Too few colours.\n"));
    }

    void configurationWithoutADisplayEndsWithAnError() {
        std::unique_ptr<QProcess> process(StartWithoutDisplay({}));
        QVERIFY(process->waitForFinished(20000));
        QCOMPARE(process->exitStatus(), QProcess::NormalExit);
        QCOMPARE(process->exitCode(), 1);
        QVERIFY(process->readAllStandardError().contains("no display"));
    }
};

SKYLOOM_DIALOG_TEST("message_box_test", MessageBoxTest);
#include "message_box_test.moc"
