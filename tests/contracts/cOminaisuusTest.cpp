#include "contracts/cKunta.h"
#include "contracts/cOminaisuus.h"
#include "ContractTestDb.h"

#include <gtest/gtest.h>

using namespace tikkeli;
using test::ContractTestDb;

TEST(cOminaisuus, AValueWhoseDefinitionIsGoneStillReads)
{
    ContractTestDb t;
    const qint64 vs = t.contract(QStringLiteral("Aho"));
    const qint64 pi = t.feature(QStringLiteral("Kartta"));
    const qint64 id = t.value(vs, pi);
    cOminaisuus v(t.db);
    ASSERT_TRUE(v.Read(id));
    EXPECT_EQ(v.Nimi(), QStringLiteral("Kartta"));
    EXPECT_TRUE(v.EnabledDate());
    EXPECT_TRUE(v.EnabledMemo());
    EXPECT_FALSE(v.EnabledLong());
    t.db.execute(QStringLiteral("DELETE FROM pi WHERE piID = ?"), {Value(pi)});
    ASSERT_TRUE(v.Read(id));
    EXPECT_EQ(v.Nimi(), QString());
    EXPECT_FALSE(v.EnabledDate());
    EXPECT_FALSE(v.EnabledMemo());
}

TEST(cOminaisuus, DefinitionIsReadAlsoWhileEmpty)
{
    ContractTestDb t;
    cOminaisuus v(t.db);
    v.setPiId(t.feature(QStringLiteral("Kartta")));
    v.setIsEmpty(true);
    v.ReadPiData();
    EXPECT_EQ(v.Nimi(), QStringLiteral("Kartta"));
    EXPECT_EQ(v.piId(), 0);
}

TEST(cOminaisuus, SameAmountLeavesItCleanAndNoDateIsStoredAsNull)
{
    ContractTestDb t;
    cOminaisuus v(t.db);
    v.setVsId(t.contract(QStringLiteral("Aho")));
    v.setValCurrency(Currency::fromRaw(125000));
    ASSERT_TRUE(v.Save());
    v.setValCurrency(Currency::fromRaw(125000));
    EXPECT_FALSE(v.isDirty());
    EXPECT_TRUE(t.db.scalar(QStringLiteral("SELECT mtValDate FROM mt WHERE mtID = ?"), {Value(v.id())}).isNull());
    EXPECT_EQ(t.db.scalar(QStringLiteral("SELECT mtValCurrency FROM mt WHERE mtID = ?"), {Value(v.id())}).toCurrency(),
              Currency::fromRaw(125000));
    v.setValDate(QDate(2024, 2, 29));
    v.setValMemo(QString(3000, QLatin1Char('m')));
    ASSERT_TRUE(v.Save());
    cOminaisuus again(t.db);
    ASSERT_TRUE(again.Read(v.id()));
    EXPECT_EQ(again.ValDate(), QDate(2024, 2, 29));
    EXPECT_EQ(again.ValMemo().size(), 3000);
    again.setValLong(5);
    again.Undo();
    EXPECT_EQ(again.ValLong(), 0);
}

TEST(cOminaisuus, DeleteClearsTheDirtyFlagSoTheReleaseStoresNothing)
{
    ContractTestDb t;
    const qint64 id = t.value(t.contract(QStringLiteral("Aho")), t.feature(QStringLiteral("Kartta")));
    cOminaisuus v(t.db);
    ASSERT_TRUE(v.Read(id));
    v.setValLong(7);
    ASSERT_TRUE(v.Delete());
    EXPECT_TRUE(v.Release());
    EXPECT_EQ(t.count(QStringLiteral("SELECT COUNT(*) FROM mt")), 0);
}

TEST(cKunta, VillagesAreKeptUnderTheirNumbers)
{
    cKunta k;
    EXPECT_EQ(k.Numero(), 0);
    k.setNimi(QString(60, QLatin1Char('n')));
    EXPECT_EQ(k.Nimi().size(), 50);
    cKyla a, b, twin;
    a.setNumero(3);
    b.setNumero(14);
    twin.setNumero(3);
    twin.setNimi(QString(60, QLatin1Char('k')));
    EXPECT_EQ(twin.Nimi().size(), 50);
    EXPECT_TRUE(k.LisaaKyla(a));
    EXPECT_TRUE(k.LisaaKyla(b));
    EXPECT_FALSE(k.LisaaKyla(twin));
    EXPECT_EQ(k.Kylat().count(QStringLiteral("I3")), 1u);
    EXPECT_EQ(k.Kylat().count(QStringLiteral("I14")), 1u);
    EXPECT_EQ(k.Kylat().size(), 2u);
}
