// The member list is sorted outside SQLite: its order must be the one the database gives in the
// Finnish collation, name for name, whatever the names hold.
#include "db/Recordset.h"
#include "members/MemberList.h"
#include "MemberTestDb.h"

#include <gtest/gtest.h>

using namespace tikkeli;

namespace {

std::vector<qint64> sqlOrder(Database& db, qint64 featureId)
{
    const QString filter = featureId ? QStringLiteral(" WHERE jrID IN (SELECT ptjrID FROM pt WHERE ptpiID = ?)") : QString();
    std::vector<qint64> ids;
    Recordset rs = db.openRecordset(QStringLiteral("SELECT jrID FROM jr") + filter
                                        + QStringLiteral(" ORDER BY jrSukunimi, jrEtunimi, jrID"),
                                    RecordsetType::Snapshot, featureId ? Params{Value(featureId)} : Params{});
    for (; !rs.eof(); rs.moveNext())
        ids.push_back(rs.field(0).toInt64());
    return ids;
}

} // namespace

TEST(MemberListOrder, TheListIsInTheDatabasesFinnishOrderWhateverTheNamesHold)
{
    test::MemberTestDb t;
    const qint64 dog = t.feature(QStringLiteral("Koira"));
    const char* const surnames[] = {
        "Virtanen",    "Wirtanen", "virtanen", "VIRTANEN", "Åberg", "Aalto", "äijälä", "ÄIJÄLÄ", "Öhman",    "Ohman",
        "Ørsted",      "Æbeltoft", "Strauß",   "Strauss",  "Émile", "Eero",  "Zorro",  "Łukasz", "van Dijk", "O'Brien",
        "Mäki-Petäjä", "Mäkinen",  "Ma",       "Maa",      "中村",  "Ясный", "123",    "12",     "-",        "  Aho",
        "Aho",         "aho",      "Åke",      "Åker",     "Ä",     "Ö",     "Y",      "Ü",      "Yrjänä",   "Üstün"};
    const char* const firsts[] = {"Matti", "matti", "Äijä", " Matti", nullptr};
    int n = 0;
    for (const char* s : surnames) {
        for (int k = 0; k < 2; ++k) {
            const char* f = firsts[(n + k) % 5];
            const qint64 id = t.member(QString::fromUtf8(s), f ? Value(QString::fromUtf8(f)) : Value());
            if (n % 3 == 0)
                t.give(id, dog);
        }
        ++n;
    }
    t.member(Value(), QStringLiteral("Nimetön"));
    t.member(Value(), Value());
    for (const qint64 feature : {qint64(0), dog})
        EXPECT_EQ(MemberList::ids(t.db, feature), sqlOrder(t.db, feature)) << "feature " << feature;

    // A name that another tool wrote as a blob: the database sorts such a list, in its own order.
    t.db.execute(QStringLiteral("UPDATE jr SET jrSukunimi = X'4142' WHERE jrSukunimi = 'Zorro'"));
    EXPECT_EQ(MemberList::ids(t.db, 0), sqlOrder(t.db, 0));
}
