#include "QtDesktop.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QRegularExpression>

#include "ServerDialog.h"

namespace {

QMessageBox::Icon toQtIcon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Warning: return QMessageBox::Warning;
        case MessageIcon::Error: return QMessageBox::Critical;
        case MessageIcon::Question: return QMessageBox::Question;
        case MessageIcon::Information: return QMessageBox::Information;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

MessageAnswer QtDesktop::showMessage(QWidget* parent, const MessageRequest& request) {
    const bool yesNo = request.buttons == MessageButtons::YesNo;
    QMessageBox box(toQtIcon(request.icon), request.title, request.text,
                    yesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, parent);
    box.setWindowModality(parent ? Qt::WindowModal : Qt::ApplicationModal);
    const int answer = box.exec();
    if (!yesNo) return MessageAnswer::Ok;
    return answer == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
}

QString QtDesktop::chooseFileToOpen(QWidget* parent, const FileDialogRequest& request) {
    return QFileDialog::getOpenFileName(parent, request.caption, request.proposedPath, request.filter);
}

QString QtDesktop::chooseFileToSave(QWidget* parent, const FileDialogRequest& request) {
    // The program asks about overwriting itself, after it has settled the file's name.
    QString chosenFilter;
    QString path = QFileDialog::getSaveFileName(parent, request.caption, request.proposedPath,
                                                request.filter,
                                                &chosenFilter, QFileDialog::DontConfirmOverwrite);
    // A name typed without a suffix takes the one of the file type chosen in the dialog.
    const QRegularExpressionMatch suffix =
        QRegularExpression(QStringLiteral("\\(\\*\\.(\\w+)\\)$")).match(chosenFilter);
    if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty() && suffix.hasMatch())
        path += QLatin1Char('.') + suffix.captured(1);
    return path;
}

QString QtDesktop::chooseServer(QWidget* parent, const QString& caption) {
    ServerDialog dialog(caption, parent);
    if (dialog.exec() != QDialog::Accepted) return {};
    return serverConnectionString(dialog.address());
}

bool QtDesktop::shellOpen(const QUrl& target) { return QDesktopServices::openUrl(target); }

QDateTime QtDesktop::now() const { return QDateTime::currentDateTime(); }
