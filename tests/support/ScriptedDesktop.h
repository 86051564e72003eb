#pragma once

#include <QDateTime>
#include <QList>
#include <QQueue>
#include <QStringList>
#include <QUrl>

#include "Desktop.h"

// A desktop that answers from a script and remembers what was asked. Message boxes take
// the next scripted answer (Yes/No boxes say Yes when none is scripted, so a test that
// forgets a question still sees it in `messages`); file dialogs take the next scripted
// path (cancel when none is left), and so do the server dialogs, with connection strings.
class ScriptedDesktop : public Desktop {
public:
    QList<MessageRequest> messages;
    QQueue<MessageAnswer> answers;
    QQueue<QString> filesToOpen;
    QQueue<QString> filesToSave;
    QQueue<QString> servers;
    QStringList serverDialogs;  // their captions
    QList<FileDialogRequest> fileDialogs;
    QList<QUrl> opened;
    QDateTime clock = QDateTime(QDate(2026, 3, 15), QTime(9, 30));

    MessageAnswer showMessage(QWidget*, const MessageRequest& request) override {
        messages << request;
        if (request.buttons == MessageButtons::Ok) return MessageAnswer::Ok;
        return answers.isEmpty() ? MessageAnswer::Yes : answers.dequeue();
    }
    QString chooseFileToOpen(QWidget*, const FileDialogRequest& request) override {
        fileDialogs << request;
        return filesToOpen.isEmpty() ? QString() : filesToOpen.dequeue();
    }
    QString chooseFileToSave(QWidget*, const FileDialogRequest& request) override {
        fileDialogs << request;
        return filesToSave.isEmpty() ? QString() : filesToSave.dequeue();
    }
    QString chooseServer(QWidget*, const QString& caption) override {
        serverDialogs << caption;
        return servers.isEmpty() ? QString() : servers.dequeue();
    }
    bool shellOpen(const QUrl& target) override {
        opened << target;
        return true;
    }
    QDateTime now() const override { return clock; }

    // The texts of the message boxes shown so far.
    QStringList messageTexts() const {
        QStringList texts;
        for (const MessageRequest& m : messages) texts << m.text;
        return texts;
    }
    const MessageRequest& lastMessage() const { return messages.last(); }
};
