#pragma once

#include "db/Database.h"

#include <QByteArray>
#include <QString>
#include <functional>

namespace tikkeli {

// The club's one map picture, kept in table map with its scale and pixel ratio so that the map
// travels with the database and its backups. mapScale > 0 is a scanned map at 1:mapScale;
// -1, -2, -4 a pixel map of 1, 2 or 4 metres per pixel; anything else no scale.
//
// Database failures throw DbException (windows show them through ReportingErrors); a picture file
// that cannot be read throws a NumberedError with the file error's number and description.
namespace MapStorage {

// The picture is moved in chunks of this size, one progress step each.
inline constexpr qint64 ChunkSize = 524288;

struct StoredMap {
    bool exists = false;     // a map row is there
    qint32 scale = 0;        // 0 when Null or no row
    double pixelRatio = 0.0; // 0 when Null or no row
    QByteArray picture;      // the bytes as the file held them; empty for none
};

// Scale and ratio are stored in the map row, which is created when there is none.
void SaveMapScale(Database& db, qint32 scale);
void SaveMapPixelRatio(Database& db, double ratio);

// The new map: reads the whole file first, then replaces the row in one transaction, without
// scale or ratio (a new map has none yet). A failure at any step leaves the old map, its scale
// and its ratio as they were.
void SavePicture(Database& db, const QString& filePath);
// The same for bytes already read.
void SavePictureBytes(Database& db, const QByteArray& picture);
// Empties the picture; scale and ratio stay.
void RemovePicture(Database& db);
// Deletes the map row with its scale and ratio.
void DeletePicture(Database& db);

// The row, the picture read chunk by chunk: progress(done, total) after each chunk, total being
// size / ChunkSize + 1.
StoredMap Read(Database& db, const std::function<void(int done, int total)>& progress = {});
// Scale and ratio only, without the picture.
StoredMap ReadScale(Database& db);

} // namespace MapStorage

} // namespace tikkeli
