#include "BusyWait.h"

#include <QApplication>
#include <QEvent>

namespace {

bool isInput(QEvent::Type type) {
    switch (type) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::NonClientAreaMouseButtonPress:
        case QEvent::NonClientAreaMouseButtonRelease:
        case QEvent::NonClientAreaMouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::ContextMenu:
        case QEvent::InputMethod:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TabletPress:
        case QEvent::TabletRelease:
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
            return true;
        default:
            return false;
    }
}

}  // namespace

BusyWait::BusyWait() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    qApp->installEventFilter(this);
}

BusyWait::~BusyWait() {
    qApp->removeEventFilter(this);
    QApplication::restoreOverrideCursor();
}

bool BusyWait::eventFilter(QObject*, QEvent* event) {
    // The window must outlive the command that waits inside one of its handlers.
    if (event->type() == QEvent::Close) {
        event->ignore();
        return true;
    }
    return isInput(event->type());
}
