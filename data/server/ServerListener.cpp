#include "ServerListener.h"

#include <libpq-fe.h>

#include <QSocketNotifier>
#include <QTimer>

#include "AppError.h"
#include "ServerConnection.h"

namespace {

// Long enough to gather the notifications of one command, short enough to show another
// clerk's change within a second.
constexpr int kQuietMilliseconds = 150;
constexpr int kReconnectMilliseconds = 3000;

}  // namespace

ServerListener::ServerListener(const QString& connectionString,
                               std::function<int()> ownBackendPid, QObject* parent)
    : QObject(parent),
      connectionString_(connectionString),
      ownBackendPid_(std::move(ownBackendPid)),
      quiet_(new QTimer(this)),
      reconnect_(new QTimer(this)) {
    quiet_->setSingleShot(true);
    quiet_->setInterval(kQuietMilliseconds);
    connect(quiet_, &QTimer::timeout, this, &ServerListener::contractsChanged);
    reconnect_->setInterval(kReconnectMilliseconds);
    connect(reconnect_, &QTimer::timeout, this, [this] {
        try {
            listen();
            reconnect_->stop();
            quiet_->start();  // what happened while the connection was gone is not known
        } catch (const AppError&) {
            // still unreachable: the next tick tries again
        }
    });
    listen();
}

ServerListener::~ServerListener() = default;

void ServerListener::listen() {
    delete notifier_;
    notifier_ = nullptr;
    connection_.reset();
    connection_ = std::make_unique<ServerConnection>(connectionString_);
    connection_->execute(QStringLiteral("listen tree_changed"));
    notifier_ = new QSocketNotifier(PQsocket(connection_->handle()), QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &ServerListener::readNotifications);
    readNotifications();  // any that came with the answer to "listen"
}

void ServerListener::readNotifications() {
    pg_conn* handle = connection_->handle();
    if (!PQconsumeInput(handle) || PQstatus(handle) != CONNECTION_OK) {
        lost();
        return;
    }
    bool others = false;
    const int own = ownBackendPid_();
    while (PGnotify* notification = PQnotifies(handle)) {
        if (notification->be_pid != own) others = true;
        PQfreemem(notification);
    }
    // A change heard while the timer runs is covered when it fires: restarting it would
    // put the report off for as long as another clerk keeps changing contracts.
    if (others && !quiet_->isActive()) quiet_->start();
}

void ServerListener::lost() {
    // The socket is closed: its notifier would fire without end. It is the sender of the
    // signal being handled, so it goes once that is over.
    notifier_->setEnabled(false);
    notifier_->deleteLater();
    notifier_ = nullptr;
    reconnect_->start();
}
