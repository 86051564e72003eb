#include "QtDesktop.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>

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
    return QFileDialog::getSaveFileName(parent, request.caption, request.proposedPath,
                                        request.filter, nullptr, QFileDialog::DontConfirmOverwrite);
}

bool QtDesktop::shellOpen(const QUrl& target) { return QDesktopServices::openUrl(target); }

QDateTime QtDesktop::now() const { return QDateTime::currentDateTime(); }
