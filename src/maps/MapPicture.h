#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace tikkeli {

// Reading a map picture (a scan of 10,000 pixels a side or more) into memory once, in a form that
// paints fast; the view then paints from it and never keeps a zoomed copy.
struct MapPicture {
    enum class Status { Ok, Empty, Unreadable, TooLarge };
    Status status = Status::Empty;
    QImage image;
    bool ok() const { return status == Status::Ok; }
};

// The largest picture the program holds in memory, in megabytes of decoded pixels (four bytes a
// pixel): about 16,000 x 16,000 pixels.
constexpr int kMapPictureLimitMb = 1024;

MapPicture DecodeMapPicture(const QByteArray& bytes, int limitMb = kMapPictureLimitMb);
MapPicture DecodeMapPictureFile(const QString& path, int limitMb = kMapPictureLimitMb);

// The file dialog's choices: every picture format this installation reads, then every file.
QString MapPictureFileFilter();

} // namespace tikkeli
