#pragma once

#include "os/instance_lock.h"

#include <QObject>
#include <QString>

class QLocalServer;

namespace skyloom {

// Lets one configuration window exist per user. The first process takes an
// exclusive lock on "Quillmere Skyloom Mutex" in the user's runtime folder
// and listens on a local socket beside it; a later one finds the lock held,
// connects to that socket to ask the first to come to the front, and ends.
class ConfigureInstanceGuard : public QObject {
    Q_OBJECT

public:
    enum class Outcome {
        First,           // this process holds the lock
        AlreadyRunning,  // another process does
        Unguarded,       // the lock could not be made; go on without it
    };

    explicit ConfigureInstanceGuard(QObject* parent = nullptr);
    ~ConfigureInstanceGuard() override;

    Outcome Acquire();
    // Asks the process holding the lock to show its window in front; false
    // when it did not answer.
    static bool AskRunningToRaise();

    // "<runtime folder>/Quillmere Skyloom Mutex"; empty without a usable folder.
    static QString LockPath();
    static QString SocketPath();

signals:
    // A second configuration process asked for the window.
    void RaiseRequested();

private:
    InstanceLock lock_;
    QLocalServer* server_ = nullptr;
};

}  // namespace skyloom
