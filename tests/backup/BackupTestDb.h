#pragma once

#include "db/Database.h"

#include <QString>
#include <QTemporaryDir>

namespace tikkeli::test {

// A small club database in a temporary folder, made the database in use (State().DatabasePath),
// with the tables that receive marker rows and a few members. The ini file and the documents
// folder point into the same temporary folder, and the shared state is reset afterwards.
class BackupTestDb {
public:
    BackupTestDb();
    ~BackupTestDb();

    QString dir() const { return m_dir.path(); }
    QString path() const { return m_path; }
    QString iniPath() const { return m_dir.filePath(QStringLiteral("Tikkeli.ini")); }
    QString documents() const { return m_dir.filePath(QStringLiteral("Asiakirjat")); }

    // A new club database at path: the tables that receive marker rows, the settings, three members.
    static void createAt(const QString& path);
    // Members in the database at path (markers not counted).
    static int members(const QString& path);
    static int markers(const QString& path);
    static void addMember(const QString& path, const QString& surname);
    static QString iniDatabase(const QString& iniPath);

private:
    QTemporaryDir m_dir;
    QString m_path;
};

} // namespace tikkeli::test
