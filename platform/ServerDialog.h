#pragma once

#include <QDialog>

#include "ServerAddress.h"

class QLineEdit;

// Asks for a server: host, port, database, user and password, or a service name or
// connection string in one field. Remembers nothing; the password field shows no text.
class ServerDialog : public QDialog {
    Q_OBJECT
  public:
    ServerDialog(const QString& caption, QWidget* parent = nullptr);

    ServerAddress address() const;

  private:
    QLineEdit* host_;
    QLineEdit* port_;
    QLineEdit* database_;
    QLineEdit* user_;
    QLineEdit* password_;
    QLineEdit* connection_;
};
