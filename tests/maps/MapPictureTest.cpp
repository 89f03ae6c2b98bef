#include "maps/MapPicture.h"
#include "PictureBytes.h"

#include <QBuffer>
#include <QImageReader>
#include <gtest/gtest.h>

namespace tikkeli {
namespace {

QByteArray encoded(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

TEST(MapPicture, DecodesTheFormatsAScanComesIn)
{
    QImage image(300, 200, QImage::Format_RGB32);
    image.fill(QColor(10, 120, 30));
    QList<QByteArray> formats{"PNG", "JPEG", "BMP"};
    if (QImageReader::supportedImageFormats().contains("tiff"))
        formats << "TIFF";
    if (QImageReader::supportedImageFormats().contains("webp"))
        formats << "WEBP";
    for (const QByteArray& format : formats) {
        const MapPicture picture = DecodeMapPicture(encoded(image, format.constData()));
        ASSERT_TRUE(picture.ok()) << format.constData();
        EXPECT_EQ(picture.image.size(), QSize(300, 200));
        // Held in a form the view scales without converting it on every paint.
        EXPECT_TRUE(picture.image.format() == QImage::Format_RGB32
                    || picture.image.format() == QImage::Format_ARGB32_Premultiplied);
    }
    QImage indexed = image.convertToFormat(QImage::Format_Indexed8);
    EXPECT_EQ(DecodeMapPicture(encoded(indexed, "PNG")).image.format(), QImage::Format_RGB32);
}

TEST(MapPicture, RefusesWhatItCannotHold)
{
    EXPECT_EQ(DecodeMapPicture(QByteArray()).status, MapPicture::Status::Empty);
    EXPECT_EQ(DecodeMapPicture(QByteArray("ei kuva")).status, MapPicture::Status::Unreadable);
    EXPECT_EQ(DecodeMapPicture(test::PngHeader(40000, 40000)).status, MapPicture::Status::TooLarge);
    // The limit is the caller's: 2000 x 2000 pixels take 16 MB.
    QImage image(2000, 2000, QImage::Format_RGB32);
    image.fill(Qt::white);
    const QByteArray png = encoded(image, "PNG");
    EXPECT_EQ(DecodeMapPicture(png, 15).status, MapPicture::Status::TooLarge);
    EXPECT_TRUE(DecodeMapPicture(png, 16).ok());
    EXPECT_EQ(DecodeMapPictureFile(QStringLiteral("/nonexistent/kartta.png")).status, MapPicture::Status::Unreadable);
}

TEST(MapPicture, ADamagedOrTruncatedPictureIsUnreadableNotTooLarge)
{
    QImage image(400, 300, QImage::Format_RGB32);
    image.fill(QColor(10, 120, 30));
    const QByteArray png = encoded(image, "PNG");
    QByteArray damaged = png;
    for (qsizetype i = png.size() / 2; i < png.size() / 2 + 16; ++i)
        damaged[i] = char(~damaged[i]);
    for (const QByteArray& bytes : {png.left(png.size() / 2), damaged, png.left(40)}) {
        const MapPicture picture = DecodeMapPicture(bytes);
        EXPECT_EQ(picture.status, MapPicture::Status::Unreadable) << bytes.size();
    }
}

TEST(MapPicture, FileFilterNamesTheReadableFormats)
{
    const QString filter = MapPictureFileFilter();
    EXPECT_TRUE(filter.startsWith(QStringLiteral("Kuvatiedostot (")));
    EXPECT_TRUE(filter.contains(QStringLiteral("*.png")));
    EXPECT_TRUE(filter.contains(QStringLiteral("*.jpg")));
    EXPECT_TRUE(filter.endsWith(QStringLiteral(";;Kaikki tiedostot (*)")));
    if (QImageReader::supportedImageFormats().contains("tiff")) {
        EXPECT_TRUE(filter.contains(QStringLiteral("*.tif")));
    }
}

} // namespace
} // namespace tikkeli
