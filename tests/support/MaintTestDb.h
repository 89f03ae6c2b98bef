#pragma once

#include "support/TestFiles.h"

#include "db/Database.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace tikkeli::test {

// A club database in a temporary folder with the tables the maintenance commands touch.
class MaintTestDb {
public:
    MaintTestDb();
    ~MaintTestDb();

    QString dir() const { return m_dir.path(); }
    QString path() const { return m_path; }
    Database open() const;
    // Fills every table with a few known rows.
    void fill();
    // Rows in a table, markers included.
    int count(const QString& table) const;
    int markers(const QString& table) const;
    int totalMarkers() const;

private:
    QTemporaryDir m_dir;
    QString m_path;
};

// Every table of a club database, the marked ones and the others.
const QStringList& ClubTables();

} // namespace tikkeli::test
