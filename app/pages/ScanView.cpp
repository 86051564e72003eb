#include "ScanView.h"

#include <QPaintEvent>
#include <QPainter>

ScanView::ScanView(QWidget* parent) : QWidget(parent) {}

void ScanView::setImage(const QImage& image) {
    image_ = image;
    update();
}

void ScanView::paintEvent(QPaintEvent* event) {
    if (image_.isNull()) return;
    QPainter painter(this);
    if (image_.size() == size()) {
        painter.drawImage(event->rect(), image_, event->rect());
        return;
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setClipRegion(event->region());
    painter.drawImage(rect(), image_);
}
