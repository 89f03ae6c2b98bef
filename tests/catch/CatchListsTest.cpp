#include "catch/CatchLists.h"
#include "CatchTestDb.h"

#include <gtest/gtest.h>

using namespace tikkeli;
using test::CatchTestDb;

TEST(CatchListsTest, TheTreeGroupsSpeciesWithoutRegardToCaseAndLeavesOutRowsWithoutOne)
{
    CatchTestDb t;
    const qint64 a = t.add(QStringLiteral("Hirvi"), QDate(2006, 11, 5), true, true, QStringLiteral("Suo"),
                           QStringLiteral("Aho Pekka"));
    const qint64 b = t.add(QStringLiteral("Valkohäntäpeura"), QDate(), true, true, QString(), QStringLiteral("Aho Pekka"));
    const qint64 c = t.add(QStringLiteral("hirvi"), QDate(2006, 11, 6), true, true, QStringLiteral("Mäki"));
    t.add(QString(), QDate(2006, 11, 7));
    const std::vector<CatchSpeciesBranch> expected = {
        {QStringLiteral("Hirvi"),
         {{a, QStringLiteral("5.11.2006, Suo, Aho Pekka")}, {c, QStringLiteral("6.11.2006, Mäki, ")}}},
        {QStringLiteral("Valkohäntäpeura"), {{b, QStringLiteral(", , Aho Pekka")}}},
    };
    EXPECT_EQ(CatchLists::tree(t.db), expected);
    EXPECT_EQ(CatchLists::species(t.db, true), (QStringList{"", "Hirvi", "Valkohäntäpeura"}));
    EXPECT_EQ(CatchLists::species(t.db, false), (QStringList{"Hirvi", "Valkohäntäpeura"}));
    t.db.execute(QStringLiteral("DELETE FROM si"));
    EXPECT_TRUE(CatchLists::tree(t.db).empty());
}

TEST(CatchListsTest, ShootersAndPlacesComeFromTheMembersAndTheEstates)
{
    CatchTestDb t;
    for (const auto& [surname, first] : {std::pair{"Mäki", "Aino"}, {"Aho", "Pekka"}, {"Aho", "Pekka"}, {"Öhman", nullptr}})
        t.db.execute(QStringLiteral("INSERT INTO jr (jrSukunimi, jrEtunimi) VALUES (?, ?)"),
                     {Value(surname), first ? Value(first) : Value()});
    EXPECT_EQ(CatchLists::shooters(t.db), (QStringList{"Aho Pekka", "Aho Pekka", "Mäki Aino", "Öhman "}));
    t.db.execute(QStringLiteral("INSERT INTO vs (vsNimi) VALUES ('Aho')"));
    const qint64 vs = t.db.lastInsertId();
    for (const char* estate : {"Kuusisto", "Kuusisto", "Rantala"})
        t.db.execute(QStringLiteral("INSERT INTO tl (tlvsID, tlKunta, tlKyla, tlTilaPalsta, tlRekNo) "
                                    "VALUES (?, 'Kuhmo', 'Lentiira', ?, '3:12')"),
                     {vs, Value(estate)});
    t.db.execute(QStringLiteral("INSERT INTO tl (tlvsID, tlTilaPalsta) VALUES (?, 'Mäntylä')"), {vs});
    EXPECT_EQ(CatchLists::places(t.db, false), (QStringList{", Mäntylä", "Lentiira, Kuusisto", "Lentiira, Rantala"}));
    EXPECT_EQ(CatchLists::places(t.db, true),
              (QStringList{", , Mäntylä, ", "Kuhmo, Lentiira, Kuusisto, 3:12", "Kuhmo, Lentiira, Rantala, 3:12"}));
}
