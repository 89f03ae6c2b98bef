#include "db/ClubChanges.h"
#include "db/Transaction.h"
#include "DbTestSupport.h"

#include "base/ScriptedPrompter.h"
#include "support/OtherProgramRestore.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <sqlite3.h>

namespace tikkeli {
namespace {

using Kind = ClubChanges::Kind;

// Counts what the hub tells, by signal.
struct Heard : QObject {
    QStringList told;
    Heard()
    {
        ClubChanges& c = ClubChanges::instance();
        connect(&c, &ClubChanges::membersChanged, this, [this] { told << "members"; });
        connect(&c, &ClubChanges::featureDefinitionsChanged, this, [this] { told << "definitions"; });
        connect(&c, &ClubChanges::featureValuesChanged, this, [this] { told << "values"; });
        connect(&c, &ClubChanges::contractsChanged, this, [this] { told << "contracts"; });
        connect(&c, &ClubChanges::boundariesChanged, this, [this] { told << "boundaries"; });
        connect(&c, &ClubChanges::catchesChanged, this, [this] { told << "catches"; });
        connect(&c, &ClubChanges::reportTemplatesChanged, this, [this] { told << "templates"; });
    }
};

class ClubChangesTest : public ::testing::Test {
protected:
    DbFolder folder;
    Database db = folder.create();
    Heard heard;
};

TEST_F(ClubChangesTest, AChangeIsToldWhenItReachesTheFileAndNeverWhenItIsUndone)
{
    ClubChanges::announce(db, Kind::Catches);
    EXPECT_EQ(heard.told, QStringList{"catches"}) << "outside a transaction the change is in the file already";
    heard.told.clear();

    {
        Transaction outer(db);
        ClubChanges::announce(db, Kind::Members);
        {
            Transaction inner(db);
            ClubChanges::announce(db, Kind::FeatureValues);
            ClubChanges::announce(db, Kind::Members);
            inner.commit();
        }
        EXPECT_TRUE(heard.told.isEmpty()) << "a savepoint's release is no commit";
        outer.commit();
    }
    EXPECT_EQ(heard.told, (QStringList{"members", "values"})) << "each kind once, at the commit";
    heard.told.clear();

    {
        Transaction undone(db);
        ClubChanges::announce(db, Kind::Contracts);
    }
    {
        Transaction next(db);
        next.commit();
    }
    EXPECT_TRUE(heard.told.isEmpty()) << "a rolled-back change is never told, nor left for the next commit";
}

// What SQLite does after some failures (a full disk, an I/O error): the whole transaction ends.
void endedBySqlite(Database& db)
{
    db.execute(QStringLiteral("ROLLBACK"));
}

TEST_F(ClubChangesTest, AChangeIsToldOnlyWhenTheTransactionThatMadeItReachesTheFile)
{
    struct Case {
        const char* what;
        std::function<void(Database&)> run;
        QStringList told;
    };
    const auto announce = [](Database& d, Kind kind) { ClubChanges::announce(d, kind); };
    // A savepoint released into a middle one, which is released too or rolled back.
    const auto threeLevels = [&](bool releaseMiddle) {
        return [=](Database& d) {
            Transaction outer(d);
            announce(d, Kind::Members);
            {
                Transaction middle(d);
                announce(d, Kind::Boundaries);
                {
                    Transaction inner(d);
                    announce(d, Kind::Catches);
                    inner.commit();
                }
                if (releaseMiddle)
                    middle.commit();
            }
            outer.commit();
        };
    };
    const Case cases[] = {
        {"a savepoint rolled back inside a committed transaction",
         [&](Database& d) {
             Transaction outer(d);
             announce(d, Kind::Members);
             {
                 Transaction inner(d);
                 announce(d, Kind::Catches);
                 inner.rollback();
             }
             outer.commit();
         },
         {"members"}},
        {"a savepoint released into one rolled back", threeLevels(false), {"members"}},
        {"a savepoint released into one released", threeLevels(true), {"members", "boundaries", "catches"}},
        {"a transaction SQLite ended, then the next one commits",
         [&](Database& d) {
             Transaction lost(d);
             announce(d, Kind::Members);
             endedBySqlite(d);
             Transaction next(d);
             announce(d, Kind::Catches);
             next.commit();
         },
         {"catches"}},
        {"a transaction SQLite ended inside a savepoint, then the next one commits",
         [&](Database& d) {
             Transaction lost(d);
             {
                 Transaction inner(d);
                 announce(d, Kind::Members);
                 endedBySqlite(d);
             }
             Transaction next(d);
             next.commit();
         },
         {}},
        {"a transaction SQLite ended, rolled back on the closed connection, then the next one commits",
         [&](Database& d) {
             Transaction lost(d);
             announce(d, Kind::Members);
             endedBySqlite(d);
             ASSERT_TRUE(ConnectionRegistry::closeAll(d.path()));
             lost.rollback();
             Transaction next(d);
             next.commit();
         },
         {}},
    };
    for (const Case& c : cases) {
        heard.told.clear();
        c.run(db);
        EXPECT_EQ(heard.told, c.told) << c.what;
        EXPECT_FALSE(db.inTransaction()) << c.what;
    }
}

// A change of members that names them is told with their ids, held with the kinds until the
// commit and dropped with what is undone; a change of any member in the same transaction makes
// the whole of it one of any member. Every change of members is told to the plain followers too.
TEST_F(ClubChangesTest, TheMembersNamedAreToldAtTheCommitAndDroppedWithWhatIsUndone)
{
    QStringList named;
    QObject window;
    ClubChanges::followMembers(&window, [&](const ChangedMembers& which) {
        QList<qint64> ids(which.ids().begin(), which.ids().end());
        std::sort(ids.begin(), ids.end());
        QStringList text;
        for (const qint64 id : ids)
            text << QString::number(id);
        named << (which.isAny() ? QStringLiteral("any") : text.join(u','));
    });
    struct Case {
        const char* what;
        std::function<void(Database&)> run;
        QStringList named;
    };
    const auto member = [](Database& d, qint64 id) { ClubChanges::announceMember(d, id); };
    const auto savepoint = [&](bool released) {
        return [=](Database& d) {
            Transaction outer(d);
            member(d, 9);
            member(d, 3);
            {
                Transaction inner(d);
                member(d, 5);
                if (released)
                    inner.commit();
            }
            outer.commit();
        };
    };
    const Case cases[] = {
        {"outside a transaction", [&](Database& d) { member(d, 7); }, {"7"}},
        {"a savepoint released", savepoint(true), {"3,5,9"}},
        {"a savepoint rolled back", savepoint(false), {"3,9"}},
        {"a change of any member beside them",
         [&](Database& d) {
             Transaction outer(d);
             member(d, 3);
             {
                 Transaction inner(d);
                 ClubChanges::announce(d, Kind::Members);
                 inner.commit();
             }
             member(d, 4);
             outer.commit();
         },
         {"any"}},
        {"a transaction SQLite ended, then the next one commits",
         [&](Database& d) {
             Transaction lost(d);
             member(d, 3);
             endedBySqlite(d);
             Transaction next(d);
             member(d, 4);
             next.commit();
         },
         {"4"}},
        {"a transaction rolled back",
         [&](Database& d) {
             Transaction undone(d);
             member(d, 3);
         },
         {}},
    };
    for (const Case& c : cases) {
        named.clear();
        heard.told.clear();
        c.run(db);
        EXPECT_EQ(named, c.named) << c.what;
        EXPECT_EQ(heard.told, c.named.isEmpty() ? QStringList() : QStringList{"members"}) << c.what;
    }
}

// Another program reads the file all the while, so the commit is refused as busy: nothing of the
// transaction is told, nothing of it reached the file, and the transaction is over at once (holding
// no lock that would keep the other programs waiting, and taking in no later statement); the next
// transaction tells its own change only.
TEST_F(ClubChangesTest, ACommitRefusedAsBusyEndsTheTransactionAndTellsNothing)
{
    db.execute(QStringLiteral("CREATE TABLE t (x INTEGER)"));
    sqlite3_busy_timeout(db.handle(), 50);
    sqlite3* reader = nullptr;
    ASSERT_EQ(sqlite3_open_v2(QFile::encodeName(db.path()).constData(), &reader, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(reader, "BEGIN; SELECT count(*) FROM t;", nullptr, nullptr, nullptr), SQLITE_OK);
    {
        Transaction tx(db);
        db.execute(QStringLiteral("INSERT INTO t (x) VALUES (1)"));
        ClubChanges::announce(db, Kind::Members);
        try {
            tx.commit();
            ADD_FAILURE() << "committed beside the reader";
        } catch (const DbException& e) {
            EXPECT_EQ(e.number(), DbErr::Locked) << e.description().toStdString();
        }
        EXPECT_FALSE(db.inTransaction());
        EXPECT_TRUE(heard.told.isEmpty());
        sqlite3_exec(reader, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_close(reader);
        db.execute(QStringLiteral("INSERT INTO t (x) VALUES (2)"));
    }
    EXPECT_TRUE(heard.told.isEmpty());
    {
        Transaction next(db);
        db.execute(QStringLiteral("INSERT INTO t (x) VALUES (3)"));
        ClubChanges::announce(db, Kind::Catches);
        next.commit();
    }
    EXPECT_EQ(heard.told, QStringList{"catches"});
    EXPECT_EQ(test::FileRows(db.path(), QStringLiteral("SELECT x FROM t ORDER BY x")).toStdString(), "2|3");
}

TEST_F(ClubChangesTest, AFailingListenerIsReportedOnceAndSilencesNoOtherListenerNorKind)
{
    ScriptedPrompter prompter;
    std::optional<QObject> window(std::in_place);
    QStringList told;
    ClubChanges::follow(&*window, Kind::Members,
                        [] { throw DbException(DbErr::ItemNotFound, QStringLiteral("Taulua 'pi' ei löydy.")); });
    ClubChanges::follow(&*window, Kind::Members, [&] { told << "members"; });
    ClubChanges::follow(&*window, Kind::Catches, [&] { told << "catches"; });
    ClubChanges::follow(&*window, Kind::Boundaries, [] { throw 42; });
    {
        Transaction tx(db);
        ClubChanges::announce(db, Kind::Members);
        ClubChanges::announce(db, Kind::Catches);
        EXPECT_NO_THROW(tx.commit()) << "the writer's work reached the file";
    }
    EXPECT_EQ(told, (QStringList{"members", "catches"}));
    EXPECT_EQ(heard.told, (QStringList{"members", "catches"}));
    ASSERT_EQ(prompter.messageTexts().size(), 1);
    EXPECT_TRUE(prompter.messageTexts()[0].contains(QStringLiteral("Taulua 'pi' ei löydy.")))
        << prompter.messageTexts()[0].toStdString();

    prompter.clear();
    EXPECT_NO_THROW(ClubChanges::announce(db, Kind::Boundaries)) << "a failure that is no std::exception";
    EXPECT_EQ(prompter.messageTexts().size(), 1);

    // A window that is gone follows no more.
    window.reset();
    told.clear();
    prompter.clear();
    ClubChanges::announce(db, Kind::Members);
    EXPECT_TRUE(told.isEmpty());
    EXPECT_TRUE(prompter.messageTexts().isEmpty());
}

// Writes meet a file that another program put in place of the open one (a restore): the windows
// are told once, on the next turn of the event loop (the command that met it has shown its message
// by then), and before any change announced meanwhile, which would have them write what they hold
// typed into the new file.
TEST_F(ClubChangesTest, AReplacedFileIsToldOnceAfterTheCommandAndBeforeAnyLaterChange)
{
    QObject::connect(&ClubChanges::instance(), &ClubChanges::fileReplaced, &heard, [this](const QString& path) {
        heard.told << QStringLiteral("replaced ") + QFileInfo(path).fileName();
    });
    db.execute(QStringLiteral("CREATE TABLE t (x INTEGER)"));
    const auto restore = [this] {
        const QString copy = folder.path(QStringLiteral("palautus.mdb"));
        ASSERT_TRUE(QFile::copy(db.path(), copy));
        ASSERT_EQ(std::rename(QFile::encodeName(copy).constData(), QFile::encodeName(db.path()).constData()), 0);
    };
    const auto write = [this] { db.execute(QStringLiteral("INSERT INTO t (x) VALUES (1)")); };

    for (int i = 0; i < 2; ++i) {
        restore();
        EXPECT_THROW(write(), DbException);
        // Nothing more of the command that met it: not a read of the file now at the path either.
        EXPECT_THROW(db.scalar(QStringLiteral("SELECT count(*) FROM t")), DbException);
    }
    EXPECT_TRUE(heard.told.isEmpty()) << "not inside the command that met it";
    ClubChanges::announce(db, Kind::Members);
    EXPECT_EQ(heard.told, (QStringList{"replaced testi.mdb", "members"}));
    QCoreApplication::processEvents();
    EXPECT_EQ(heard.told.size(), 2) << "told once";
    heard.told.clear();

    restore();
    EXPECT_THROW(write(), DbException);
    QCoreApplication::processEvents();
    EXPECT_EQ(heard.told, QStringList{"replaced testi.mdb"});
    write();
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT count(*) FROM t")).toInt64(), 1) << "the restored file is written";
}

} // namespace
} // namespace tikkeli
