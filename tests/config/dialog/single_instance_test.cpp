#include "config/dialog/instance_guard.h"
#include "os/instance_lock.h"
#include "tests/config/dialog/dialog_test_support.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

using namespace skyloom;
using namespace skyloom::testing;

namespace {

// A configuration process as `skyloom /c` starts it, on the offscreen
// platform and with this test's settings and runtime folder.
bool StartConfiguration(QProcess& process) {
    process.setProgram(QStringLiteral(SKYLOOM_TEST_SHEET_RUNNER));
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start();
    return process.waitForStarted(10000);
}

// The running window answers on its socket once it is up.
bool WaitUntilListening(QProcess& process) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 20000 && process.state() == QProcess::Running) {
        QLocalSocket probe;
        probe.connectToServer(ConfigureInstanceGuard::SocketPath());
        if (probe.waitForConnected(200)) {
            return true;
        }
        QTest::qWait(50);
    }
    return false;
}

}  // namespace

class SingleInstanceTest : public QObject {
    Q_OBJECT

private slots:
    void init() { ResetDialogSettings(); }

    void lockLivesInTheRuntimeFolder() {
        QCOMPARE(ConfigureInstanceGuard::LockPath(), QString::fromLocal8Bit(qgetenv("XDG_RUNTIME_DIR")) +
                                                         QStringLiteral("/Quillmere Skyloom Mutex"));
    }

    void oneHolderAtATime() {
        const std::string path = ConfigureInstanceGuard::LockPath().toStdString();
        InstanceLock first;
        InstanceLock second;
        QCOMPARE(first.Acquire(path), InstanceLockResult::Acquired);
        QCOMPARE(second.Acquire(path), InstanceLockResult::HeldElsewhere);
        first.Release();
        QCOMPARE(second.Acquire(path), InstanceLockResult::Acquired);
    }

    void unusableLockFileIsAFailureNotContention() {
        InstanceLock lock;
        QCOMPARE(lock.Acquire(ScratchFolder().toStdString() + "/no/such/folder/lock"), InstanceLockResult::Failed);
        QCOMPARE(lock.LastError(), ENOENT);
        QVERIFY(!lock.Held());
    }

    void secondConfigurationEndsAtOnceAndRaisesTheFirst() {
        ConfigureInstanceGuard first;
        QCOMPARE(first.Acquire(), ConfigureInstanceGuard::Outcome::First);
        QSignalSpy raised(&first, &ConfigureInstanceGuard::RaiseRequested);

        QProcess second;
        QVERIFY(StartConfiguration(second));
        // A window would keep it running; it ends without one.
        QVERIFY(second.waitForFinished(20000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(raised.count(), 1, 5000);
    }

    void twoConfigurationProcesses() {
        QProcess first;
        QVERIFY(StartConfiguration(first));
        QVERIFY(WaitUntilListening(first));

        QProcess second;
        QVERIFY(StartConfiguration(second));
        QVERIFY(second.waitForFinished(20000));
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(first.state(), QProcess::Running);

        // However the first ends, the kernel frees the lock.
        first.kill();
        QVERIFY(first.waitForFinished(5000));
        ConfigureInstanceGuard next;
        QCOMPARE(next.Acquire(), ConfigureInstanceGuard::Outcome::First);
    }

    void deadHoldersSocketIsReplaced() {
        // A crashed first window leaves its socket file behind.
        QFile stale(ConfigureInstanceGuard::SocketPath());
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.close();
        ConfigureInstanceGuard guard;
        QCOMPARE(guard.Acquire(), ConfigureInstanceGuard::Outcome::First);
        QSignalSpy raised(&guard, &ConfigureInstanceGuard::RaiseRequested);
        QProcess second;
        QVERIFY(StartConfiguration(second));
        QVERIFY(second.waitForFinished(20000));
        QTRY_COMPARE_WITH_TIMEOUT(raised.count(), 1, 5000);
    }
};

SKYLOOM_DIALOG_TEST("single_instance_test", SingleInstanceTest);
#include "single_instance_test.moc"
