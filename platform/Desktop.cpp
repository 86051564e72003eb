#include "Desktop.h"

void showWarning(Desktop& desktop, QWidget* parent, const QString& text, const QString& title) {
    desktop.showMessage(parent, {text, title, MessageIcon::Warning, MessageButtons::Ok});
}

bool askYesNo(Desktop& desktop, QWidget* parent, const QString& text, const QString& title,
              MessageIcon icon) {
    return desktop.showMessage(parent, {text, title, icon, MessageButtons::YesNo}) == MessageAnswer::Yes;
}
