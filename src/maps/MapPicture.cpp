#include "maps/MapPicture.h"

#include <QBuffer>
#include <QImageReader>
#include <QStringList>

#include <algorithm>

namespace tikkeli {

namespace {

MapPicture Decode(QImageReader& reader, int limitMb)
{
    MapPicture result;
    // The size comes from the header: an oversized picture is refused without trying to decode it.
    const QSize size = reader.size();
    if (size.isValid() && qint64(size.width()) * size.height() * 4 > qint64(limitMb) * 1024 * 1024) {
        result.status = MapPicture::Status::TooLarge;
        return result;
    }
    if (!reader.canRead()) {
        result.status = MapPicture::Status::Unreadable;
        return result;
    }
    const int previousLimit = QImageReader::allocationLimit();
    QImageReader::setAllocationLimit(std::max(previousLimit, limitMb));
    QImage image;
    const bool read = reader.read(&image);
    QImageReader::setAllocationLimit(previousLimit);
    if (!read || image.isNull()) {
        // A damaged or truncated file fails here with the same error as a picture refused by the
        // allocation limit, which the header check above already passed at four bytes a pixel: only
        // a deeper pixel format (16 bits a channel, eight bytes a pixel) can still have met it.
        const bool deepTooLarge = size.isValid() && qint64(size.width()) * size.height() * 8 > qint64(limitMb) * 1024 * 1024;
        result.status = deepTooLarge ? MapPicture::Status::TooLarge : MapPicture::Status::Unreadable;
        return result;
    }
    // The raster engine scales these two formats without converting the source on every paint.
    if (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32_Premultiplied)
        image.convertTo(image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    result.image = std::move(image);
    result.status = MapPicture::Status::Ok;
    return result;
}

} // namespace

MapPicture DecodeMapPicture(const QByteArray& bytes, int limitMb)
{
    if (bytes.isEmpty())
        return {};
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    return Decode(reader, limitMb);
}

MapPicture DecodeMapPictureFile(const QString& path, int limitMb)
{
    QImageReader reader(path);
    return Decode(reader, limitMb);
}

QString MapPictureFileFilter()
{
    QStringList patterns;
    for (const QByteArray& format : QImageReader::supportedImageFormats())
        patterns << QStringLiteral("*.") + QString::fromLatin1(format).toLower();
    patterns.removeDuplicates();
    return QStringLiteral("Kuvatiedostot (%1);;Kaikki tiedostot (*)").arg(patterns.join(QLatin1Char(' ')));
}

} // namespace tikkeli
