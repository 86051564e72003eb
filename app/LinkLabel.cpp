#include "LinkLabel.h"

#include <QMouseEvent>

namespace {
const QColor kNavy(0, 0, 128);
const QColor kBlue(0, 0, 255);
}  // namespace

LinkLabel::LinkLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    setCursor(Qt::PointingHandCursor);
    setHovered(false);
}

void LinkLabel::setHovered(bool hovered) {
    QFont f = font();  // the other style bits stay as they are
    f.setUnderline(hovered);
    setFont(f);
    QPalette p = palette();
    p.setColor(QPalette::WindowText, hovered ? kBlue : kNavy);
    setPalette(p);
}

void LinkLabel::enterEvent(QEnterEvent* event) {
    setHovered(true);
    QLabel::enterEvent(event);
}

void LinkLabel::leaveEvent(QEvent* event) {
    setHovered(false);
    QLabel::leaveEvent(event);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Q_EMIT clicked();
    QLabel::mouseReleaseEvent(event);
}
