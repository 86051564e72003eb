#pragma once

#include <QImage>
#include <QWidget>

// The picture view of a scan page: draws its picture stretched to its own size. Only the
// part a paint asks for is drawn, so a picture shown at actual size inside a scrolling area
// costs no more to paint than the part that shows, and it is never copied into a pixmap.
class ScanView : public QWidget {
    Q_OBJECT
  public:
    explicit ScanView(QWidget* parent = nullptr);

    void setImage(const QImage& image);
    void clearImage() { setImage({}); }
    const QImage& image() const { return image_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QImage image_;
};
