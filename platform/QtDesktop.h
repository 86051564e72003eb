#pragma once

#include "Desktop.h"

// The real desktop: Qt's message boxes and file dialogs, the server dialog, xdg "open", the system clock.
class QtDesktop : public Desktop {
public:
    MessageAnswer showMessage(QWidget* parent, const MessageRequest& request) override;
    QString chooseFileToOpen(QWidget* parent, const FileDialogRequest& request) override;
    QString chooseFileToSave(QWidget* parent, const FileDialogRequest& request) override;
    QString chooseServer(QWidget* parent, const QString& caption) override;
    bool shellOpen(const QUrl& target) override;
    QDateTime now() const override;
};
