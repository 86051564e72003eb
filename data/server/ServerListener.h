#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class QSocketNotifier;
class QTimer;
class ServerConnection;

// Hears the server say that contracts changed: a trigger on htmain sends NOTIFY
// tree_changed at the commit of every change to a contract's code or name, never after a
// rollback. Listening needs a connection of its own, since a statement on the listening
// connection would take the notifications it meets into libpq's queue, where the socket
// no longer tells of them. Changes made through the program's own connection, whose server
// process `ownBackendPid` names (it changes after a reconnect), are not reported: the
// program changes its tree itself.
//
// A burst of changes (another clerk moving a branch of a thousand contracts) is reported
// once, a moment after it ends. A lost connection is opened again at the next tick of a
// slow timer; the tree is then reported changed, as notifications may have been missed.
class ServerListener : public QObject {
    Q_OBJECT
  public:
    // Connects and listens; throws AppError when the server cannot be reached.
    ServerListener(const QString& connectionString, std::function<int()> ownBackendPid,
                   QObject* parent = nullptr);
    ~ServerListener() override;

  Q_SIGNALS:
    void contractsChanged();

  private:
    void listen();
    void readNotifications();
    void lost();

    QString connectionString_;
    std::function<int()> ownBackendPid_;
    std::unique_ptr<ServerConnection> connection_;
    QSocketNotifier* notifier_ = nullptr;
    QTimer* quiet_;      // reports once the burst is over
    QTimer* reconnect_;  // tries again after a lost connection
};
