#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

#include "AppError.h"

// A picture refused because decoding it would take more memory than is safe.
class PictureTooLarge : public AppError {
  public:
    using AppError::AppError;
};

// A picture file as a scan page holds it: the file's bytes and the picture's natural size,
// known without decoding, while pixels are decoded only as large as they are shown. The
// bytes are kept rather than the path because the scratch file a stored picture came from
// may meanwhile hold another picture of the same name.
//
// Decodes GIF, JPEG, BMP, ICO, PNG, TIFF and WebP, by content whatever the file's name.
class ScanPicture {
  public:
    // The largest picture decoded: 200 megapixels, 800 MB as 32-bit pixels. A colour A4
    // page scanned at 600 dpi has 35.
    static constexpr qint64 kMaxPixels = 200'000'000;

    ScanPicture() = default;

    // Reads the file and its picture's header. Throws AppError, with a Chinese text that
    // says why, for a file that cannot be read or holds no picture that can be decoded, and
    // PictureTooLarge for a picture beyond kMaxPixels.
    static ScanPicture fromFile(const QString& path);

    bool isNull() const { return natural_.isEmpty(); }
    QSize naturalSize() const { return natural_; }

    // The picture decoded at the given size. Below the natural size it is decoded scaled,
    // which for a JPEG never holds the full-size pixels. An empty size gives a null image.
    // Throws AppError when the bytes do not decode.
    QImage decode(const QSize& size) const;

  private:
    QByteArray bytes_;
    QSize natural_;
};
