#include "RtfPicture.h"

#include <QBuffer>
#include <QImageReader>

#include "RtfLimits.h"

namespace rtf {

QImage decodePicture(const QByteArray& bytes, const QByteArray& format, long long& pixelBudget) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    // The declared format only: the bytes never pick some other image reader.
    QImageReader reader(&buffer, format);
    reader.setDecideFormatFromContent(false);
    reader.setAutoTransform(false);
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty()) return {};
    const long long pixels = (long long)size.width() * size.height();
    if (pixels > kMaxPicturePixels || pixels > pixelBudget) return {};
    QSize decoded = size;
    if (size.width() > kMaxPictureSide || size.height() > kMaxPictureSide) {
        decoded = size.scaled(kMaxPictureSide, kMaxPictureSide, Qt::KeepAspectRatio);
        reader.setScaledSize(decoded);
    }
    QImage image = reader.read();
    if (!image.isNull()) pixelBudget -= pixels;
    return image;
}

}  // namespace rtf
