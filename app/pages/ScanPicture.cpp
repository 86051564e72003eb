#include "ScanPicture.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>

namespace {

// Qt refuses any image of more than 128 MB, less than a colour A4 page scanned at 600 dpi
// needs. The limit is raised to what kMaxPixels takes in the widest format Qt decodes to
// (64 bits a pixel), so that the size check below, which tells the person why, is the one
// that refuses; Qt's own limit stays as the backstop for a picture whose size its header
// does not give.
void raiseAllocationLimit() {
    static const bool raised = [] {
        QImageReader::setAllocationLimit(int(ScanPicture::kMaxPixels * 8 / (1024 * 1024)) + 1);
        return true;
    }();
    Q_UNUSED(raised);
}

QString decoderHeadline(QImageReader::ImageReaderError error) {
    switch (error) {
        case QImageReader::FileNotFoundError:
            return QStringLiteral("图片文件不存在");
        case QImageReader::DeviceError:
            return QStringLiteral("读取图片文件时出错");
        case QImageReader::UnsupportedFormatError:
            return QStringLiteral(
                "文件不是可以显示的图片（可以显示 GIF、JPEG、BMP、ICO、PNG、TIFF 和 WebP 图片）");
        case QImageReader::InvalidDataError:
            return QStringLiteral("图片数据已损坏，无法显示");
        case QImageReader::UnknownError:
            break;
    }
    return QStringLiteral("无法显示这个图片");
}

void checkSize(const QSize& size, const QString& path) {
    if (qint64(size.width()) * size.height() <= ScanPicture::kMaxPixels) return;
    throw PictureTooLarge(QStringLiteral("图片太大，无法显示"),
                          QStringLiteral("%1 × %2 像素，最多可以显示 %3 万像素（%4）")
                              .arg(size.width())
                              .arg(size.height())
                              .arg(ScanPicture::kMaxPixels / 10000)
                              .arg(path));
}

// A reader over the bytes, deciding the format by content. Pictures are shown as stored:
// a rotation noted in their metadata is not applied, so natural and decoded sizes agree.
struct BytesReader {
    QBuffer buffer;
    QImageReader reader;

    explicit BytesReader(const QByteArray& bytes) {
        raiseAllocationLimit();
        buffer.setData(bytes);
        buffer.open(QIODevice::ReadOnly);
        reader.setDevice(&buffer);
        reader.setAutoTransform(false);
    }
};

}  // namespace

ScanPicture ScanPicture::fromFile(const QString& path) {
    QFile file(path);
    if (!file.exists()) throw AppError(decoderHeadline(QImageReader::FileNotFoundError), path);
    if (!file.open(QIODevice::ReadOnly)) throw AppError(QStringLiteral("无法读取图片文件"), path);

    // The header first: a file that is no picture, or too large a one, is never read whole.
    raiseAllocationLimit();
    QImageReader header(&file);
    header.setAutoTransform(false);
    if (!header.canRead()) throw AppError(decoderHeadline(header.error()), path);
    QSize size = header.size();
    if (!size.isValid()) {
        // A format whose header does not say: the size is known once it is decoded, and
        // Qt's allocation limit guards that decoding.
        const QImage whole = header.read();
        if (whole.isNull()) throw AppError(decoderHeadline(header.error()), path);
        size = whole.size();
    }
    checkSize(size, path);
    if (size.isEmpty()) throw AppError(decoderHeadline(QImageReader::InvalidDataError), path);

    ScanPicture picture;
    if (!file.seek(0)) throw AppError(decoderHeadline(QImageReader::DeviceError), path);
    picture.bytes_ = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw AppError(decoderHeadline(QImageReader::DeviceError), path);
    picture.natural_ = size;
    return picture;
}

QImage ScanPicture::decode(const QSize& size) const {
    if (size.isEmpty() || isNull()) return {};
    BytesReader pixels(bytes_);
    if (size != natural_) pixels.reader.setScaledSize(size);
    QImage image = pixels.reader.read();
    if (image.isNull())
        throw AppError(decoderHeadline(pixels.reader.error()), pixels.reader.errorString());
    return image;
}
