#pragma once

#include <QDateTime>
#include <QString>
#include <QUrl>

class QWidget;

// Everything the program asks of a person or of the desktop goes through this one
// interface, so that tests can script the answers and read what was asked.

enum class MessageIcon { Warning, Error, Question, Information };
enum class MessageButtons { Ok, YesNo };
enum class MessageAnswer { Ok, Yes, No };

struct MessageRequest {
    QString text;
    QString title;
    MessageIcon icon = MessageIcon::Warning;
    MessageButtons buttons = MessageButtons::Ok;
};

struct FileDialogRequest {
    QString caption;
    QString filter;  // in Qt's form, e.g. "合同管理文件(*.pzq)"
    QString proposedPath;  // where the dialog starts: a folder, or a file to propose
};

class Desktop {
public:
    virtual ~Desktop() = default;

    // A modal message box over the parent.
    virtual MessageAnswer showMessage(QWidget* parent, const MessageRequest& request) = 0;
    // The chosen path, or an empty text when the person cancels.
    virtual QString chooseFileToOpen(QWidget* parent, const FileDialogRequest& request) = 0;
    virtual QString chooseFileToSave(QWidget* parent, const FileDialogRequest& request) = 0;
    // A server to connect to, as a libpq connection string (ServerAddress.h); an empty
    // text when the person cancels. The caption says what the server is for.
    virtual QString chooseServer(QWidget* parent, const QString& caption) = 0;
    // The shell's "open" of a file or an address; false when nothing could open it.
    virtual bool shellOpen(const QUrl& target) = 0;
    // The current local date and time.
    virtual QDateTime now() const = 0;
};

// Shorthands for the message boxes the program shows.
void showWarning(Desktop& desktop, QWidget* parent, const QString& text,
                 const QString& title = QStringLiteral("提示"));
bool askYesNo(Desktop& desktop, QWidget* parent, const QString& text, const QString& title,
              MessageIcon icon);
