#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

namespace tikkeli {

// The layout of the copies on the stick: <mount folder>/<ProgramTitle>/<YYYYMMDD>/<database file>.
class StickFolders {
public:
    // <mount folder>/<ProgramTitle>
    static QString rootFolder(const QString& mountFolder);
    static QString dayFolderName(const QDate& day); // "20260305"
    static QString dayFolder(const QString& root, qint32 day);
    // "05.03.2026" for 20260305.
    static QString dayText(qint32 day);

    // The day folders under root (names of exactly eight digits), newest first.
    static QList<qint32> days(const QString& root);
    // The copies of one day by name; hidden files (unfinished copies) are left out.
    static QStringList files(const QString& dayFolder);
};

} // namespace tikkeli
