#include "NodePictures.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

constexpr int kSize = 16;
const QColor kOutline(0x8a, 0x65, 0x1c);
const QColor kBack(0xe8, 0xb8, 0x4a);
const QColor kFront(0xf8, 0xd7, 0x75);
const QColor kPaper(0xff, 0xff, 0xff);

QPixmap blank() {
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

// The back of a folder with its tab, shared by both pictures.
QPainterPath folderBack() {
    QPainterPath back;
    back.moveTo(1.5, 3.5);
    back.lineTo(6.0, 3.5);
    back.lineTo(7.5, 5.0);
    back.lineTo(14.5, 5.0);
    back.lineTo(14.5, 13.5);
    back.lineTo(1.5, 13.5);
    back.closeSubpath();
    return back;
}

QPixmap closedFolder() {
    QPixmap pixmap = blank();
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kOutline, 1.0));
    p.setBrush(kBack);
    p.drawPath(folderBack());
    p.setBrush(kFront);
    p.drawRect(QRectF(1.5, 6.5, 13.0, 7.0));
    return pixmap;
}

QPixmap openFolder() {
    QPixmap pixmap = blank();
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kOutline, 1.0));
    p.setBrush(kBack);
    p.drawPath(folderBack());
    // A sheet standing in the open folder.
    p.setBrush(kPaper);
    p.drawRect(QRectF(3.5, 4.5, 9.0, 6.0));
    // The front flap, tilted open.
    QPainterPath front;
    front.moveTo(3.5, 7.5);
    front.lineTo(15.5, 7.5);
    front.lineTo(13.0, 13.5);
    front.lineTo(1.5, 13.5);
    front.closeSubpath();
    p.setBrush(kFront);
    p.drawPath(front);
    return pixmap;
}

}  // namespace

NodePictures NodePictures::draw() {
    NodePictures pictures;
    pictures.closed.addPixmap(closedFolder(), QIcon::Normal);
    pictures.closed.addPixmap(closedFolder(), QIcon::Selected);
    pictures.open.addPixmap(openFolder(), QIcon::Normal);
    pictures.open.addPixmap(openFolder(), QIcon::Selected);
    return pictures;
}
