#include "config/dialog/instance_guard.h"

#include "saver/entry.h"

#include <QByteArray>
#include <QLocalServer>
#include <QLocalSocket>

#include <cstdio>
#include <cstring>

namespace skyloom {

namespace {
constexpr int kAnswerMilliseconds = 2000;
constexpr char kRaiseRequest[] = "raise\n";
}  // namespace

ConfigureInstanceGuard::ConfigureInstanceGuard(QObject* parent) : QObject(parent) {}

ConfigureInstanceGuard::~ConfigureInstanceGuard() {
    if (server_ != nullptr) {
        // Before the lock goes, so a successor never finds our socket.
        server_->close();
    }
}

QString ConfigureInstanceGuard::LockPath() {
    const std::string folder = UserRuntimeFolder();
    if (folder.empty()) {
        return {};
    }
    return QString::fromStdString(folder) + QStringLiteral("/Quillmere %1 Mutex").arg(QLatin1String(kProductName));
}

QString ConfigureInstanceGuard::SocketPath() {
    const QString lock = LockPath();
    return lock.isEmpty() ? QString() : lock + QStringLiteral(".socket");
}

ConfigureInstanceGuard::Outcome ConfigureInstanceGuard::Acquire() {
    const QString path = LockPath();
    if (path.isEmpty()) {
        std::fprintf(stderr, "Skyloom: no private runtime folder for the configuration lock; "
                             "another configuration window may open beside this one.\n");
        return Outcome::Unguarded;
    }
    switch (lock_.Acquire(path.toStdString())) {
    case InstanceLockResult::HeldElsewhere:
        return Outcome::AlreadyRunning;
    case InstanceLockResult::Failed:
        std::fprintf(stderr, "Skyloom: cannot lock %s: %s; another configuration window may open beside this one.\n",
                     path.toLocal8Bit().constData(), std::strerror(lock_.LastError()));
        return Outcome::Unguarded;
    case InstanceLockResult::Acquired:
        break;
    }
    // Holding the lock, any socket file left there is a dead holder's.
    const QString socket = SocketPath();
    QLocalServer::removeServer(socket);
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* connection = server_->nextPendingConnection()) {
            connection->deleteLater();
            emit RaiseRequested();
        }
    });
    if (!server_->listen(socket)) {
        // The window still opens; a second request then cannot raise it.
        std::fprintf(stderr, "Skyloom: cannot listen on %s: %s\n", socket.toLocal8Bit().constData(),
                     server_->errorString().toLocal8Bit().constData());
    }
    return Outcome::First;
}

bool ConfigureInstanceGuard::AskRunningToRaise() {
    const QString socket = SocketPath();
    if (socket.isEmpty()) {
        return false;
    }
    QLocalSocket connection;
    connection.connectToServer(socket);
    if (!connection.waitForConnected(kAnswerMilliseconds)) {
        return false;
    }
    connection.write(kRaiseRequest, sizeof kRaiseRequest - 1);
    while (connection.bytesToWrite() > 0 && connection.waitForBytesWritten(kAnswerMilliseconds)) {
    }
    const bool sent = connection.bytesToWrite() == 0;
    connection.disconnectFromServer();
    return sent;
}

}  // namespace skyloom
