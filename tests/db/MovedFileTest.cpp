#include "DbTestSupport.h"

#include "db/ClubChanges.h"
#include "db/SqliteError.h"
#include "db/Transaction.h"
#include "support/OtherInstance.h"
#include "support/OtherProgramRestore.h"

#include <QCoreApplication>
#include <QFile>
#include <cstdio>
#include <functional>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

namespace tikkeli {
namespace {

void renameOver(const QString& from, const QString& to)
{
    ASSERT_EQ(std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()), 0);
}

// Something outside the program (a file manager, another tool's compaction or restore) puts
// another file at the path while this program has the old one open, and a save of another program
// into the new file is under way. The first statement here after the move, whether it reads or
// writes, lets the old file go before anything is read of it: the other program's journal beside
// the path is never taken for a crashed one of its own, and its save ends well. The command is
// refused, the windows are told once, and then the new file is read and written.
TEST(MovedFile, TheFirstStatementAfterAMoveLetsTheOldFileGoBeforeItReadsAnything)
{
    const std::pair<const char*, std::function<void(Database&)>> statements[] = {
        {"a read", [](Database& db) { db.scalar(QStringLiteral("SELECT count(*) FROM t")); }},
        {"a write", [](Database& db) { db.execute(QStringLiteral("INSERT INTO t (x) VALUES ('tämän')")); }},
        {"a transaction",
         [](Database& db) {
             Transaction tx(db);
             db.execute(QStringLiteral("INSERT INTO t (x) VALUES ('tämän')"));
             tx.commit();
         }},
    };
    const std::pair<const char*, std::function<void(const QString&)>> moves[] = {
        {"a copy put in place",
         [](const QString& path) {
             ASSERT_TRUE(QFile::copy(path, path + QStringLiteral(".kopio")));
             renameOver(path + QStringLiteral(".kopio"), path);
         }},
        {"a compaction by another tool",
         [](const QString& path) {
             sqlite3* other = nullptr;
             sqlite3_open(QFile::encodeName(path).constData(), &other);
             const QByteArray sql = "VACUUM INTO '" + QFile::encodeName(path) + ".tiivis'";
             EXPECT_EQ(sqlite3_exec(other, sql.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
             sqlite3_close(other);
             renameOver(path + QStringLiteral(".tiivis"), path);
         }},
    };
    for (const auto& [move, moveFile] : moves) {
        for (const auto& [what, statement] : statements) {
            SCOPED_TRACE(std::string(move) + ", " + what);
            DbFolder folder;
            Database db = folder.create();
            db.execute(QStringLiteral("CREATE TABLE t (id INTEGER PRIMARY KEY AUTOINCREMENT, x TEXT)"));
            db.execute(QStringLiteral("INSERT INTO t (x) VALUES ('ennen')"));
            int told = 0;
            QObject listener;
            QObject::connect(&ClubChanges::instance(), &ClubChanges::fileReplaced, &listener,
                             [&, path = db.path()](const QString& replaced) { told += replaced == path ? 1 : 0; });

            moveFile(db.path());
            test::SaveUnderWay other(db.path(), QStringLiteral("BEGIN IMMEDIATE; INSERT INTO t (x) VALUES ('toisen');"));
            EXPECT_FALSE(other.journal().isEmpty()) << "the other program's save is under way";
            EXPECT_THROW(statement(db), DbException);
            EXPECT_THROW(statement(db), DbException) << "nothing more until the windows are told";
            EXPECT_TRUE(other.journalUntouched());
            EXPECT_TRUE(other.commit());
            QCoreApplication::processEvents();
            EXPECT_EQ(told, 1);

            db.execute(QStringLiteral("INSERT INTO t (x) VALUES ('jälkeen')"));
            EXPECT_EQ(test::FileRows(db.path(), QStringLiteral("SELECT x FROM t ORDER BY id")),
                      QStringLiteral("ennen|toisen|jälkeen"));
            EXPECT_EQ(test::FileRows(db.path(), QStringLiteral("PRAGMA integrity_check")), QStringLiteral("ok"));
        }
    }
}

// The file this program has open is damaged, and something outside the program puts a sound copy
// at the path. A read that meets the damage of the file that has left the path lets it go: after
// the windows are told, the sound file is read and written, not refused as damaged until a restart.
TEST(MovedFile, ADamagedFileThatHasLeftThePathIsLetGo)
{
    DbFolder folder;
    Database db = folder.create();
    db.execute(QStringLiteral("CREATE TABLE t (id INTEGER PRIMARY KEY, x TEXT)"));
    {
        Transaction tx(db);
        for (int i = 0; i < 200; ++i)
            db.execute(QStringLiteral("INSERT INTO t (x) VALUES (?)"), {Value(QString(300, QChar(u'a' + i % 26)))});
        tx.commit();
    }
    const QString path = db.path();
    ASSERT_TRUE(QFile::copy(path, path + QStringLiteral(".ehja")));
    // The old file keeps a second name, where its pages are overwritten after it has left the path.
    ASSERT_EQ(::link(QFile::encodeName(path).constData(), QFile::encodeName(path + QStringLiteral(".vanha")).constData()),
              0);
    renameOver(path + QStringLiteral(".ehja"), path);
    {
        QFile old(path + QStringLiteral(".vanha"));
        ASSERT_TRUE(old.open(QIODevice::ReadWrite));
        old.seek(4096);
        old.write(QByteArray(4096 * 8, '\xff'));
        // A new change counter: what the engine keeps read of the file is no longer its content.
        old.seek(24);
        old.write(QByteArray::fromHex("7fffffff"));
    }
    // Straight at the engine, as no statement of the layer gets to do: the move is found by the
    // damage it meets.
    const int rc = sqlite3_exec(db.handle(), "SELECT sum(length(x)) FROM t", nullptr, nullptr, nullptr);
    ASSERT_NE(rc, SQLITE_OK);
    EXPECT_THROW(SqliteError::raise(db.handle(), rc), DbException);
    QCoreApplication::processEvents();
    db.execute(QStringLiteral("INSERT INTO t (x) VALUES ('uusi')"));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT count(*) FROM t")).toInt64(), 201);
}

// Between two commands of its windows the program has no connection to its file but keeps holding
// it. A file something else put at the path meanwhile is told to the windows before the first
// statement on it, so no command writes what a window read of the old file into the new one.
TEST(MovedFile, AFilePutInPlaceWhileNoConnectionWasOpenIsToldBeforeAWriteGoesIntoIt)
{
    DbFolder folder;
    QString path;
    {
        Database db = folder.create();
        db.execute(QStringLiteral("CREATE TABLE t (id INTEGER PRIMARY KEY AUTOINCREMENT, x TEXT)"));
        db.execute(QStringLiteral("INSERT INTO t (x) VALUES ('ennen')"));
        path = db.path();
    }
    ASSERT_TRUE(ConnectionRegistry::closeAll(path));
    test::RestoreChangedCopy(path, QStringLiteral("INSERT INTO t (x) VALUES ('palautettu')"));
    int told = 0;
    QObject listener;
    QObject::connect(&ClubChanges::instance(), &ClubChanges::fileReplaced, &listener,
                     [&](const QString& replaced) { told += replaced == path ? 1 : 0; });

    const auto write = [&] { Database::open(path).execute(QStringLiteral("INSERT INTO t (x) VALUES ('tämän')")); };
    EXPECT_THROW(write(), DbException);
    EXPECT_EQ(test::FileRows(path, QStringLiteral("SELECT x FROM t ORDER BY id")), QStringLiteral("ennen|palautettu"));
    QCoreApplication::processEvents();
    EXPECT_EQ(told, 1);
    write();
    EXPECT_EQ(test::FileRows(path, QStringLiteral("SELECT x FROM t ORDER BY id")), QStringLiteral("ennen|palautettu|tämän"));
}

} // namespace
} // namespace tikkeli
