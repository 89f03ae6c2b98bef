#include "DbTestSupport.h"

#include "db/Transaction.h"
#include "support/OtherInstance.h"

#include <QFile>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

namespace tikkeli {
namespace {

// Another program puts a file in place of the one open here, and a write comes, a single statement
// or a transaction: into a compaction of the file made under its write lock (also one the write
// waited for, one of a compaction, the stick's and the folder backup's one after the other, and the
// next one it waited for on the compaction it went on to) the write goes on without a word; any
// other file is a replaced one, where the write is refused and the windows told, as before.
TEST(CompactedFile, AWriteGoesOnIntoACompactionOfItsFileAndAnyOtherFileIsTold)
{
    const auto rename = [](const QString& from, const QString& to) {
        ASSERT_EQ(std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()), 0);
    };
    const auto writeAsOther = [](const QString& path, const char* sql) {
        sqlite3* other = nullptr;
        sqlite3_open(qPrintable(path), &other);
        EXPECT_EQ(sqlite3_exec(other, sql, nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(other);
    };
    struct Case {
        const char* what;
        bool waits; // the write waits for a compaction under way, after replace when one is given
        std::function<void(const QString&)> replace; // nullptr: one compaction
        const char* rows;                            // what the file holds afterwards; "ennen": told
    };
    const auto compact = [](const QString& path) { test::CompactAsAnotherProgram(path); };
    const Case cases[] = {
        {"a compaction", false, nullptr, "ennen|uusi"},
        {"a compaction it waited for", true, nullptr, "ennen|uusi"},
        {"compacted twice over", false,
         [](const QString& path) {
             test::CompactAsAnotherProgram(path);
             test::CompactAsAnotherProgram(path);
         },
         "ennen|uusi"},
        {"compacted, then a compaction it waited for", true, compact, "ennen|uusi"},
        {"compacted twice over, the other program writing between", false,
         [&](const QString& path) {
             test::CompactAsAnotherProgram(path);
             writeAsOther(path, "INSERT INTO t (x) VALUES ('toisen')");
             test::CompactAsAnotherProgram(path);
         },
         "ennen|toisen|uusi"},
        {"a copy of a compaction, as a backup of it restored", false,
         [&](const QString& path) {
             test::CompactAsAnotherProgram(path, [&] { QFile::copy(path + ".tiivistetty", path + ".kopio"); });
             rename(path + ".kopio", path);
         },
         "ennen"},
        {"compacted, a backup of the compaction restored and compacted again", false,
         [&](const QString& path) {
             test::CompactAsAnotherProgram(path);
             QFile::copy(path, path + ".kopio");
             rename(path + ".kopio", path);
             test::CompactAsAnotherProgram(path);
         },
         "ennen"},
        {"the file left behind written after the copy was made", false,
         [&](const QString& path) {
             test::CompactAsAnotherProgram(path, [&] { ::link(qPrintable(path), qPrintable(path + ".vanha")); });
             writeAsOther(path + ".vanha", "INSERT INTO t (x) VALUES ('vanhaan')");
         },
         "ennen"},
    };
    const std::pair<const char*, std::function<void(Database&)>> writes[] = {
        {"a single statement", [](Database& db) { db.execute(QStringLiteral("INSERT INTO t (x) VALUES (?)"), {"uusi"}); }},
        {"a transaction",
         [](Database& db) {
             Transaction tx(db);
             db.execute(QStringLiteral("INSERT INTO t (x) VALUES (?)"), {"uusi"});
             tx.commit();
         }},
    };
    ScriptedPrompter prompter;
    for (const auto& [how, write] : writes) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(how) + ", " + c.what);
            DbFolder folder;
            Database db = folder.create();
            db.execute(QStringLiteral("CREATE TABLE t (id INTEGER PRIMARY KEY AUTOINCREMENT, x TEXT)"));
            db.execute(QStringLiteral("INSERT INTO t (x) VALUES ('ennen')"));
            const auto tryWrite = [&, &write = write] {
                try {
                    write(db);
                    return true;
                } catch (const DbException&) {
                    return false;
                }
            };
            const bool goesOn = QLatin1String(c.rows) != QLatin1String("ennen");
            if (c.waits && c.replace)
                c.replace(db.path());
            const auto [done, told] = test::CommandBesideCompaction(db.path(), c.waits, prompter, tryWrite,
                                                                    c.waits ? nullptr : c.replace);
            EXPECT_EQ(done, goesOn);
            EXPECT_EQ(told, !goesOn);
            EXPECT_EQ(test::FileRows(db.path(), QStringLiteral("SELECT x FROM t ORDER BY id")), QString::fromLatin1(c.rows));
        }
    }
}

// Another program puts a file in place while nothing here has the path open, and the path is
// opened again: a compaction of the file as this program left it holds the rows it read, quietly;
// any other file (a restored backup, a copy of a compaction, one compacted after further commits)
// is told as a replaced file, so that what was read of the old one (the settings) is read again.
TEST(CompactedFile, AFileOpenedAgainAfterAnotherWasPutInPlaceIsToldUnlessItIsACompactionOfIt)
{
    const auto rename = [](const QString& from, const QString& to) {
        ASSERT_EQ(std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()), 0);
    };
    const struct {
        const char* what;
        std::function<void(const QString&)> put;
        bool told;
    } cases[] = {
        {"nothing", [](const QString&) {}, false},
        {"a compaction", [](const QString& path) { test::CompactAsAnotherProgram(path); }, false},
        {"two compactions, one of the other",
         [](const QString& path) {
             // Held by a second name, the first file's number is not given to the second copy.
             ASSERT_EQ(::link(QFile::encodeName(path).constData(), QFile::encodeName(path + ".pidetty").constData()), 0);
             test::CompactAsAnotherProgram(path);
             test::CompactAsAnotherProgram(path);
         },
         false},
        {"a compaction after the other program's commit",
         [](const QString& path) {
             sqlite3* other = nullptr;
             sqlite3_open(qPrintable(path), &other);
             EXPECT_EQ(sqlite3_exec(other, "INSERT INTO t (x) VALUES ('toinen')", nullptr, nullptr, nullptr), SQLITE_OK);
             sqlite3_close(other);
             test::CompactAsAnotherProgram(path);
         },
         true},
        {"a restored backup", [](const QString& path) { test::RestoreChangedCopy(path, QStringLiteral("DELETE FROM t")); },
         true},
        {"a copy of a compaction",
         [&](const QString& path) {
             test::CompactAsAnotherProgram(path, [&] { QFile::copy(path + ".tiivistetty", path + ".kopio"); });
             rename(path + ".kopio", path);
         },
         true},
    };
    ScriptedPrompter prompter;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DbFolder folder;
        QString path;
        {
            Database db = folder.create();
            db.execute(QStringLiteral("CREATE TABLE t (id INTEGER PRIMARY KEY AUTOINCREMENT, x TEXT)"));
            db.execute(QStringLiteral("INSERT INTO t (x) VALUES ('ennen')"));
            path = db.path();
        }
        ASSERT_FALSE(ConnectionRegistry::isOpen(path));
        c.put(path);
        int told = 0;
        QObject listener;
        QObject::connect(&ClubChanges::instance(), &ClubChanges::fileReplaced, &listener, [&] { ++told; });
        Database again = Database::open(path);
        again.scalar(QStringLiteral("SELECT count(*) FROM t"));
        QCoreApplication::processEvents();
        EXPECT_EQ(told, c.told ? 1 : 0);
    }
}

} // namespace
} // namespace tikkeli
