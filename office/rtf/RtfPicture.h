#pragma once

#include <QByteArray>
#include <QImage>

namespace rtf {

// Decodes a picture's PNG or JPEG bytes (format "png" or "jpeg"). A picture whose header
// claims more pixels than the limit or than what is left of pixelBudget gives a null image
// without being decoded; a very large one is decoded scaled down. The pixels decoded are
// taken from pixelBudget.
QImage decodePicture(const QByteArray& bytes, const QByteArray& format, long long& pixelBudget);

}  // namespace rtf
