#include "catch/CatchList.h"
#include "CatchTestDb.h"

#include <gtest/gtest.h>

using namespace tikkeli;
using test::CatchTestDb;

namespace {

class CatchListTest : public ::testing::Test {
protected:
    Value stored(const char* column, qint64 id)
    {
        return t.field(QStringLiteral("SELECT %1 FROM si WHERE siID = ?").arg(QLatin1String(column)), {id});
    }
    CatchTestDb t;
};

} // namespace

TEST_F(CatchListTest, AnEmptyListHasNoCatchAndNoMove)
{
    CatchList list(t.db);
    EXPECT_EQ(list.catchCount(), 0);
    EXPECT_FALSE(list.hasCurrent());
    EXPECT_EQ(list.current(), CatchEntry{});
    for (auto move : {CatchList::Move::First, CatchList::Move::Previous, CatchList::Move::Next, CatchList::Move::Last})
        EXPECT_FALSE(list.move(move));
    EXPECT_EQ(list.write(CatchEntry{}), std::nullopt) << "nothing to write without a catch";
    EXPECT_EQ(t.catches(), 0);
}

TEST_F(CatchListTest, ANewCatchIsStoredWithItsDefaultsOnlyWhenTypedIn)
{
    const qint64 before = t.add(QStringLiteral("Hirvi"), QDate(2026, 10, 3));
    CatchList list(t.db);
    list.startNew();
    EXPECT_EQ(list.current(), CatchEntry{});
    ASSERT_EQ(list.write(list.current()), std::nullopt);
    EXPECT_EQ(t.catches(), 1) << "an untouched new catch is never stored";
    EXPECT_FALSE(list.adding());
    EXPECT_EQ(list.currentId(), before) << "the catch shown before it is back";
    list.startNew();
    CatchEntry typed;
    typed.kaataja = QStringLiteral("Aho Pekka");
    ASSERT_EQ(list.write(typed), std::nullopt);
    ASSERT_EQ(t.catches(), 2);
    const qint64 id = t.count(QStringLiteral("SELECT MAX(siID) FROM si"));
    EXPECT_EQ(list.currentId(), id) << "the stored catch stays shown";
    EXPECT_EQ(stored("siIka", id).toInt64(), 1);
    EXPECT_EQ(stored("siSukupuoli", id).toInt64(), 1);
    EXPECT_EQ(stored("siPuolitoista", id).toInt64(), 0);
    EXPECT_EQ(stored("siKelvoton", id).toInt64(), 0);
    EXPECT_TRUE(stored("siLaji", id).isNull());
    EXPECT_TRUE(stored("siPvm", id).isNull());
}

TEST_F(CatchListTest, AStoredCatchEditedBackToTheNewCatchDefaultsIsWritten)
{
    const qint64 id = t.add(QStringLiteral("Hirvi"), QDate(2026, 10, 3), false, false, QStringLiteral("Suo"),
                            QStringLiteral("Aho Pekka"));
    t.db.execute(QStringLiteral("UPDATE si SET siPuolitoista = 1, siKelvoton = 1, siSarvipiikkiV = 4 WHERE siID = ?"), {id});
    CatchList list(t.db);
    ASSERT_EQ(list.currentId(), id);
    ASSERT_EQ(list.write(CatchEntry{}), std::nullopt);
    EXPECT_EQ(t.catches(), 1) << "the row stays";
    EXPECT_EQ(list.currentId(), id);
    EXPECT_EQ(list.current(), CatchEntry{});
    for (const char* column : {"siLaji", "siPvm", "siPaikka", "siKaataja", "siSarvipiikkiV"})
        EXPECT_TRUE(stored(column, id).isNull()) << column;
    for (const char* column : {"siIka", "siSukupuoli"})
        EXPECT_EQ(stored(column, id).toInt64(), 1) << column;
    for (const char* column : {"siPuolitoista", "siKelvoton"})
        EXPECT_EQ(stored(column, id).toInt64(), 0) << column;
}

TEST_F(CatchListTest, TypedValuesReadBackAsTheBoxesShowThem)
{
    CatchList list(t.db);
    list.startNew();
    CatchEntry e;
    e.laji = QStringLiteral("Hirvi");
    e.pvm = QStringLiteral("05.11.06");
    e.aikuinen = false;
    e.uros = false;
    e.puolitoista = true;
    e.paikka = QStringLiteral("Rantalan suo");
    e.sarvipiikkiV = QStringLiteral("12");
    e.kaataja = QStringLiteral("Aho Pekka");
    e.kelvoton = true;
    ASSERT_EQ(list.write(e), std::nullopt);
    const qint64 id = *list.currentId();
    EXPECT_EQ(stored("siPvm", id).toDate(), QDate(2006, 11, 5));
    CatchList again(t.db);
    ASSERT_TRUE(again.find(id));
    CatchEntry expected = e;
    expected.pvm = QStringLiteral("5.11.2006");
    EXPECT_EQ(again.current(), expected);
}

TEST_F(CatchListTest, ARefusedCatchLeavesTheRowAndTheNewCatchPending)
{
    const qint64 id = t.add(QStringLiteral("Hirvi"), QDate(2026, 10, 3));
    CatchList list(t.db);
    CatchEntry e = list.current();
    e.laji = QStringLiteral("Valkohäntäpeura");
    for (const char* antlers : {"300", "2,5"}) {
        e.sarvipiikkiV = QString::fromUtf8(antlers);
        EXPECT_TRUE(list.write(e).has_value()) << antlers;
        EXPECT_EQ(stored("siLaji", id), Value("Hirvi")) << antlers;
    }
    list.startNew();
    EXPECT_TRUE(list.write(e).has_value());
    EXPECT_TRUE(list.adding()) << "the new catch is still there to be corrected";
    EXPECT_EQ(t.catches(), 1);
    e.sarvipiikkiV = QStringLiteral("3");
    EXPECT_EQ(list.write(e), std::nullopt);
    EXPECT_EQ(t.catches(), 2);
}

TEST_F(CatchListTest, OnlyChangedValuesAreWrittenBack)
{
    const qint64 id = t.add(QStringLiteral("Hirvi"), QDate(2026, 10, 3));
    t.db.execute(QStringLiteral("UPDATE si SET siPvm = '2026-10-03 14:30:00' WHERE siID = ?"), {id});
    CatchList list(t.db);
    CatchEntry e = list.current();
    EXPECT_EQ(e.pvm, QStringLiteral("3.10.2026"));
    e.kaataja = QStringLiteral("Aho Pekka");
    ASSERT_EQ(list.write(e), std::nullopt);
    EXPECT_EQ(stored("siKaataja", id), Value("Aho Pekka"));
    EXPECT_EQ(stored("siPvm", id).toString(), QStringLiteral("2026-10-03 14:30:00")) << "the time of day stays";
}

TEST_F(CatchListTest, DeletesOfOneAllAndASpecies)
{
    const qint64 a = t.add(QStringLiteral("Hirvi"), QDate(2026, 10, 3));
    t.add(QStringLiteral("hirvi"), QDate(2026, 10, 4));
    t.add(QStringLiteral("Metsä'kauris"), QDate(2026, 10, 5));
    t.add(QStringLiteral("Metsä'kauris"), QDate(2026, 10, 6));
    t.add(QString(), QDate(2026, 10, 7));
    CatchList list(t.db);
    ASSERT_EQ(list.currentId(), a);
    list.deleteCurrent();
    EXPECT_EQ(t.catches(), 4);
    EXPECT_TRUE(list.hasCurrent());
    EXPECT_EQ(CatchList::deleteSpecies(t.db, QStringLiteral("Metsä'kauris")), 2);
    EXPECT_EQ(CatchList::deleteSpecies(t.db, QStringLiteral("Hirvi")), 1) << "the row typed \"hirvi\"";
    EXPECT_EQ(CatchList::deleteSpecies(t.db, QString()), 0) << "a row without a species is not taken";
    EXPECT_EQ(t.catches(), 1);
    list.startNew();
    list.deleteAll();
    EXPECT_FALSE(list.adding());
    EXPECT_FALSE(list.hasCurrent());
    EXPECT_EQ(t.catches(), 0);
}
