#include "members/MemberList.h"
#include "members/MemberNavigation.h"
#include "members/MemberRecords.h"
#include "MemberTestDb.h"

#include <QFile>
#include <QLoggingCategory>
#include <functional>
#include <sqlite3.h>

#include <gtest/gtest.h>

using namespace tikkeli;

namespace {

// Members Aho and Cee have the feature, Berg has not.
struct Club {
    test::MemberTestDb t;
    qint64 dog = t.feature(QStringLiteral("Koira"));
    qint64 aho = t.member(QStringLiteral("Aho"), QStringLiteral("Eeva"));
    qint64 berg = t.member(QStringLiteral("Berg"), QStringLiteral("Kalle"));
    qint64 cee = t.member(QStringLiteral("Cee"), QStringLiteral("Liisa"));
    Club()
    {
        t.give(aho, dog);
        t.give(cee, dog);
    }
};

// A commit of another program: its own connection to the file.
void commitElsewhere(const QString& path, const char* sql)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close_v2(db);
}

// Refuses the data_version read, as a locked or failing file would.
int refuseDataVersion(void*, int action, const char* arg1, const char*, const char*, const char*)
{
    return action == SQLITE_PRAGMA && arg1 && QByteArray(arg1).compare("data_version", Qt::CaseInsensitive) == 0
               ? SQLITE_DENY
               : SQLITE_OK;
}

} // namespace

TEST(MemberListCache, AListKeptBetweenMovesFollowsEveryChangeOfTheDatabase)
{
    struct Case {
        const char* change;
        std::function<void(Club&)> apply;
        std::function<std::vector<qint64>(const Club&)> expected;
        bool seenAtRecheck = false; // another program's change: looked for only after recheck()
    };
    const Case cases[] = {
        {"a renamed holder moves in the order",
         [](Club& c) {
             c.t.db.execute(QStringLiteral("UPDATE jr SET jrSukunimi = 'Öhman' WHERE jrID = ?"), {Value(c.aho)});
         },
         [](const Club& c) {
             return std::vector<qint64>{c.cee, c.aho};
         }},
        {"a member given the feature joins", [](Club& c) { c.t.give(c.berg, c.dog); },
         [](const Club& c) {
             return std::vector<qint64>{c.aho, c.berg, c.cee};
         }},
        {"a member's feature removed leaves",
         [](Club& c) { c.t.db.execute(QStringLiteral("DELETE FROM pt WHERE ptjrID = ?"), {Value(c.aho)}); },
         [](const Club& c) { return std::vector<qint64>{c.cee}; }},
        {"another program's commit",
         [](Club& c) { commitElsewhere(c.t.path, "UPDATE jr SET jrSukunimi = 'Aalto' WHERE jrSukunimi = 'Cee'"); },
         [](const Club& c) {
             return std::vector<qint64>{c.cee, c.aho};
         },
         true},
        {"another program's new holder",
         [](Club& c) {
             commitElsewhere(c.t.path, ("INSERT INTO pt (ptjrID, ptpiID) VALUES (" + std::to_string(c.berg) + ", "
                                        + std::to_string(c.dog) + ")")
                                           .c_str());
         },
         [](const Club& c) {
             return std::vector<qint64>{c.aho, c.berg, c.cee};
         },
         true},
    };
    for (const Case& k : cases) {
        Club c;
        MemberListCache cache;
        ASSERT_EQ(cache.ids(c.t.db, c.dog), (std::vector<qint64>{c.aho, c.cee})) << k.change;
        k.apply(c);
        if (k.seenAtRecheck) {
            // A step of the walk asks the file nothing: the list stays until F5, a save, an import
            // or an attach has the window call recheck().
            EXPECT_EQ(cache.ids(c.t.db, c.dog), (std::vector<qint64>{c.aho, c.cee})) << k.change;
            cache.recheck();
        }
        EXPECT_EQ(cache.ids(c.t.db, c.dog), k.expected(c)) << k.change;
        EXPECT_EQ(cache.ids(c.t.db, 0).size(), 3u) << k.change << ": another list is read for itself";
    }
}

TEST(MemberListCache, AWalkWithTheCacheStepsAsOneWithout)
{
    Club c;
    const qint64 ville = c.t.member(QStringLiteral("Virta"), QStringLiteral("Ville"));
    c.t.give(ville, c.dog);
    MemberRecords withCache, without;
    withCache.open(c.t.path);
    without.open(c.t.path);
    MemberListCache cache;
    using Move = MemberNavigation::Move;
    ASSERT_TRUE(MemberNavigation::showFirstListed(withCache, c.dog, &cache));
    ASSERT_TRUE(MemberNavigation::showFirstListed(without, c.dog));
    for (const Move m : {Move::Next, Move::Next, Move::Next, Move::Previous, Move::Last, Move::First, Move::Previous}) {
        EXPECT_EQ(MemberNavigation::go(withCache, m, c.dog, &cache), MemberNavigation::go(without, m, c.dog)) << int(m);
        EXPECT_EQ(withCache.currentId(), without.currentId()) << int(m);
    }
}

TEST(MemberRecords, FindingAnIdTheSetDoesNotHoldKeepsTheCard)
{
    Club c;
    MemberRecords r;
    r.open(c.t.path);
    ASSERT_TRUE(r.findId(c.berg));
    const qint64 added = c.t.member(QStringLiteral("Uusi"));
    for (const qint64 missing : {added, qint64(0), qint64(-5), c.cee + 1000}) {
        EXPECT_FALSE(r.findId(missing)) << missing;
        EXPECT_EQ(r.currentId(), c.berg) << missing;
    }
    ASSERT_TRUE(r.findId(c.cee));
    EXPECT_EQ(r.recordset().field(QStringLiteral("jrSukunimi")).toString(), QStringLiteral("Cee"));
    // A pending edit is left for the member found, as a move always does.
    r.beginEdit();
    r.recordset().setField(QStringLiteral("jrEtunimi"), QStringLiteral("Muutettu"));
    ASSERT_TRUE(r.findId(c.aho));
    EXPECT_EQ(r.editMode(), EditMode::None);
    EXPECT_EQ(r.currentId(), c.aho);
}

TEST(DatabaseStampTest, AFailedReadIsLoggedAndCountsAsAChange)
{
    Club c;
    QStringList logged;
    QLoggingCategory::setFilterRules(QStringLiteral("tikkeli.ignored.info=true"));
    static QStringList* sink = nullptr;
    sink = &logged;
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext& ctx, const QString& text) {
            if (ctx.category && QByteArray(ctx.category) == "tikkeli.ignored")
                *sink << text;
        });
    const DatabaseStamp good = DatabaseStamp::of(c.t.db);
    ASSERT_TRUE(good.valid());
    EXPECT_TRUE(good == DatabaseStamp::of(c.t.db));

    sqlite3_set_authorizer(c.t.db.handle(), refuseDataVersion, nullptr);
    const DatabaseStamp first = DatabaseStamp::of(c.t.db);
    const DatabaseStamp second = DatabaseStamp::of(c.t.db);
    sqlite3_set_authorizer(c.t.db.handle(), nullptr, nullptr);
    qInstallMessageHandler(previous);
    QLoggingCategory::setFilterRules(QString());

    EXPECT_FALSE(first.valid());
    // Two failed looks in a row must not pass for "nothing changed".
    EXPECT_FALSE(first == second);
    EXPECT_FALSE(good == first);
    ASSERT_EQ(logged.size(), 2);
    EXPECT_TRUE(logged[0].startsWith(QStringLiteral("database stamp: read data_version"))) << logged[0].toStdString();
}
