#include "DbTestSupport.h"
#include "db/DbError.h"
#include "db/FinnishSort.h"
#include "db/Recordset.h"

#include <gtest/gtest.h>
#include <random>

using namespace tikkeli;

namespace {

std::vector<qint64> sqlOrder(Database& db, const QString& sql)
{
    std::vector<qint64> ids;
    for (Recordset rs = db.openRecordset(sql, RecordsetType::Snapshot); !rs.eof(); rs.moveNext())
        ids.push_back(rs.field(0).toInt64());
    return ids;
}

} // namespace

// Three sort columns with Nulls, equal texts in other cases and letters from outside Latin-1: the
// sort gives the database's own order in the collation, ties by id, also with a condition bound.
TEST(FinnishSort, GivesTheDatabasesOrderColumnByColumnWithNullsFirst)
{
    DbFolder dir;
    Database db = dir.create();
    db.executeScript(
        QStringLiteral("CREATE TABLE t (id INTEGER PRIMARY KEY, a VARCHAR(20), b VARCHAR(20), c VARCHAR(20));"));
    const QStringList words = {QStringLiteral("Åke"),    QStringLiteral("åke"),    QStringLiteral("Ähtäri"),
                               QStringLiteral("Öljy"),   QStringLiteral("Vesa"),   QStringLiteral("Wesa"),
                               QStringLiteral("Émile"),  QStringLiteral("eemeli"), QStringLiteral("Łódź"),
                               QStringLiteral("Strauß"), QStringLiteral("中"),     QStringLiteral("z")};
    std::mt19937 rng(11);
    for (int i = 0; i < 600; ++i) {
        Params row;
        for (int c = 0; c < 3; ++c)
            row.push_back(rng() % 7 == 0 ? Value() : Value(words[int(rng() % words.size())]));
        db.execute(QStringLiteral("INSERT INTO t (a, b, c) VALUES (?, ?, ?)"), row);
    }
    const auto sorted = FinnishOrderedIds(db, QStringLiteral("SELECT id, a, b, c FROM t"));
    ASSERT_TRUE(sorted);
    EXPECT_EQ(*sorted, sqlOrder(db, QStringLiteral("SELECT id FROM t ORDER BY a, b, c, id")));
    const auto some = FinnishOrderedIds(db, QStringLiteral("SELECT id, c FROM t WHERE a = ?"),
                                        {Value(QStringLiteral("Åke"))});
    ASSERT_TRUE(some);
    EXPECT_EQ(*some, sqlOrder(db, QStringLiteral("SELECT id FROM t WHERE a = 'Åke' ORDER BY c, id")));
    EXPECT_FALSE(some->empty());
}

// A number or a blob in a sort column leaves the order to the database; a query it refuses is
// the database's error, as for any query.
TEST(FinnishSort, OtherThanTextIsTheDatabasesToOrderAndErrorsAreThrown)
{
    DbFolder dir;
    Database db = dir.create();
    db.executeScript(QStringLiteral("CREATE TABLE t (id INTEGER PRIMARY KEY, a);"
                                    "INSERT INTO t (a) VALUES ('b'), ('a'), (NULL);"));
    EXPECT_EQ(FinnishOrderedIds(db, QStringLiteral("SELECT id, a FROM t")), (std::vector<qint64>{3, 2, 1}));
    for (const char* other : {"INSERT INTO t (a) VALUES (12)", "UPDATE t SET a = X'41' WHERE id = 1"}) {
        db.execute(QString::fromLatin1(other));
        EXPECT_FALSE(FinnishOrderedIds(db, QStringLiteral("SELECT id, a FROM t"))) << other;
    }
    EXPECT_THROW(FinnishOrderedIds(db, QStringLiteral("SELECT id, puuttuu FROM t")), DbException);
}
