#include "contracts/cTila.h"
#include "ContractTestDb.h"

#include <gtest/gtest.h>

using namespace tikkeli;
using test::ContractTestDb;

namespace {

Value column(ContractTestDb& t, qint64 id, const char* name)
{
    return t.db.scalar(QStringLiteral("SELECT %1 FROM tl WHERE tlID = ?").arg(QLatin1String(name)), {Value(id)});
}

} // namespace

TEST(cTila, OnlyARealChangeMakesTheRecordDirty)
{
    cTila t;
    t.setKunta(QString());
    t.setTaloNo(0);
    t.setPintaAla(0.0);
    EXPECT_FALSE(t.isDirty());
    t.setKunta(QStringLiteral("Hirvilahti"));
    EXPECT_TRUE(t.isDirty());

    cTila u;
    u.setKunta(QStringLiteral("a"));
    ContractTestDb db;
    u.setDatabase(db.db);
    u.Save();
    u.setKunta(QStringLiteral("a"));
    EXPECT_FALSE(u.isDirty());
    u.setKunta(QStringLiteral("A")); // letter case counts
    EXPECT_TRUE(u.isDirty());
}

TEST(cTila, TextsAreCutToTheirColumnsWidth)
{
    ContractTestDb t;
    cTila e(t.db);
    e.setKunta(QString(60, QLatin1Char('k')));
    e.setKyla(QString(51, QLatin1Char('y')));
    e.setTila(QString(50, QLatin1Char('t')));
    EXPECT_EQ(e.Kunta().size(), 50);
    ASSERT_TRUE(e.Save());
    EXPECT_EQ(column(t, e.id(), "tlKunta").toString(), QString(50, QLatin1Char('k')));
    EXPECT_EQ(column(t, e.id(), "tlKyla").toString().size(), 50);
    EXPECT_EQ(column(t, e.id(), "tlTilaPalsta").toString().size(), 50);
}

TEST(cTila, FirstSaveInsertsSecondUpdatesAndACleanSaveTouchesNothing)
{
    ContractTestDb t;
    const qint64 vs = t.contract(QStringLiteral("Aho"));
    cTila e(t.db);
    e.setVsId(vs);
    e.setTila(QStringLiteral("Korpela"));
    e.setPintaAla(12.5);
    ASSERT_TRUE(e.Save());
    const qint64 id = e.id();
    EXPECT_GT(id, 0);
    EXPECT_FALSE(e.isDirty());
    EXPECT_EQ(t.count(QStringLiteral("SELECT COUNT(*) FROM tl")), 1);

    e.setTila(QStringLiteral("Niemelä"));
    ASSERT_TRUE(e.Save());
    EXPECT_EQ(e.id(), id);
    EXPECT_EQ(t.count(QStringLiteral("SELECT COUNT(*) FROM tl")), 1);
    EXPECT_EQ(column(t, id, "tlTilaPalsta").toString(), QStringLiteral("Niemelä"));

    // Clean, not forced: a change made behind the record's back stays.
    t.db.execute(QStringLiteral("UPDATE tl SET tlTilaPalsta = 'muu' WHERE tlID = ?"), {Value(id)});
    EXPECT_TRUE(e.Save(false));
    EXPECT_EQ(column(t, id, "tlTilaPalsta").toString(), QStringLiteral("muu"));
    EXPECT_TRUE(e.Save(true));
    EXPECT_EQ(column(t, id, "tlTilaPalsta").toString(), QStringLiteral("Niemelä"));

    cTila again(t.db);
    ASSERT_TRUE(again.Read(id));
    EXPECT_EQ(again.vsId(), vs);
    EXPECT_DOUBLE_EQ(again.PintaAla(), 12.5);
    EXPECT_FALSE(again.isDirty());
}

TEST(cTila, UndoReturnsToTheLastReadOrSave)
{
    ContractTestDb t;
    cTila e(t.db);
    e.setKunta(QStringLiteral("Hirvilahti"));
    e.setTaloNo(7);
    e.Save();
    e.setKunta(QStringLiteral("Muu"));
    e.setTaloNo(9);
    e.Undo();
    EXPECT_EQ(e.Kunta(), QStringLiteral("Hirvilahti"));
    EXPECT_EQ(e.TaloNo(), 7);
}

TEST(cTila, ReadOfAMissingRowResetsToDefaults)
{
    ContractTestDb t;
    const qint64 id = t.estate(t.contract(QStringLiteral("Aho")), QStringLiteral("Korpela"));
    cTila e(t.db);
    ASSERT_TRUE(e.Read(id));
    EXPECT_FALSE(e.Read(id + 100));
    EXPECT_EQ(e.id(), 0);
    EXPECT_EQ(e.Tila(), QString());
    EXPECT_EQ(e.vsId(), 0);
}

TEST(cTila, AnEmptyRecordIsInert)
{
    ContractTestDb t;
    const qint64 id = t.estate(t.contract(QStringLiteral("Aho")), QStringLiteral("Korpela"));
    cTila e(t.db);
    ASSERT_TRUE(e.Read(id));
    e.setIsEmpty(true);
    EXPECT_EQ(e.Tila(), QString());
    EXPECT_EQ(e.id(), id);
    e.setTila(QStringLiteral("Muu"));
    EXPECT_FALSE(e.Save(true));
    EXPECT_FALSE(e.Release());
    EXPECT_FALSE(e.Delete());
    EXPECT_FALSE(e.Read(id));
    EXPECT_EQ(column(t, id, "tlTilaPalsta").toString(), QStringLiteral("Korpela"));
}

TEST(cTila, DeleteRemovesTheRowAndTheReleaseStoresNoRowOfDefaults)
{
    ContractTestDb t;
    const qint64 id = t.estate(t.contract(QStringLiteral("Aho")), QStringLiteral("Korpela"));
    cTila e(t.db);
    ASSERT_TRUE(e.Read(id));
    e.setTila(QStringLiteral("Muu"));
    ASSERT_TRUE(e.Delete());
    EXPECT_FALSE(e.isDirty());
    EXPECT_TRUE(e.Release());
    EXPECT_EQ(t.count(QStringLiteral("SELECT COUNT(*) FROM tl")), 0);
}

TEST(cTila, ReleaseStoresPendingChanges)
{
    ContractTestDb t;
    const qint64 id = t.estate(t.contract(QStringLiteral("Aho")), QStringLiteral("Korpela"));
    {
        cTila e(t.db);
        ASSERT_TRUE(e.Read(id));
        e.setPintaAla(3.25);
        EXPECT_TRUE(e.Release());
    }
    EXPECT_DOUBLE_EQ(column(t, id, "tlPa").toDouble(), 3.25);
}

TEST(cTila, RegisterNumberIsComposedOnlyFromChangedNumberParts)
{
    struct Case {
        const char* stored;   // tlRekNo before
        int talo, tila;       // assigned house and estate numbers (-1: not assigned)
        const char* typed;    // assigned register number (nullptr: not assigned)
        const char* expected; // tlRekNo after Save
    };
    const Case cases[] = {
        {"940-404-16-6", -1, -1, nullptr, "940-404-16-6"}, // an edit of something else keeps it
        {"940-404-16-6", 0, 0, nullptr, "940-404-16-6"},   // never "0:0"
        {nullptr, 12, 3, nullptr, "12:3"},
        {"1:1", 7, 89, nullptr, "7:89"},
        {nullptr, 12, 3, "940-1-12-3", "940-1-12-3"}, // a typed number wins
        {nullptr, -1, -1, "5-6", "5-6"},
    };
    for (const Case& c : cases) {
        ContractTestDb t;
        const qint64 vs = t.contract(QStringLiteral("Aho"));
        const qint64 id = t.estate(vs, QStringLiteral("Korpela"), c.stored ? QString::fromUtf8(c.stored) : QString());
        cTila e(t.db);
        ASSERT_TRUE(e.Read(id));
        e.setKunta(QStringLiteral("Hirvilahti"));
        if (c.talo >= 0)
            e.setTaloNo(qint16(c.talo));
        if (c.tila >= 0)
            e.setTilaNo(qint16(c.tila));
        if (c.typed)
            e.setRekNo(QString::fromUtf8(c.typed));
        ASSERT_TRUE(e.Save());
        EXPECT_EQ(column(t, id, "tlRekNo").toString(), QString::fromUtf8(c.expected)) << c.expected;
        EXPECT_EQ(e.RekNo(), QString::fromUtf8(c.expected));
    }
}
