#include "contracts/ContractRecords.h"
#include "contracts/ContractSearch.h"
#include "settings/DatabaseSettingsStore.h"
#include "ContractTestDb.h"

#include <gtest/gtest.h>

using namespace tikkeli;
using test::ContractTestDb;

TEST(ContractSearch, ListsLeaveOutEmptyNumbersAndEstatesWithoutAContract)
{
    ContractTestDb t;
    const qint64 a = t.contract(QStringLiteral("Aho"), QStringLiteral("12"));
    t.contract(QStringLiteral("Berg"), QString());
    t.contract(QStringLiteral("Cee"), QStringLiteral(""));
    const qint64 e = t.estate(a, QStringLiteral("Korpela"), QStringLiteral("940-1"));
    t.estate(a + 100, QStringLiteral("Orpo"), QStringLiteral("940-2"));
    const auto numbers = ContractSearch::contractNumbers(t.db);
    ASSERT_EQ(numbers.size(), 1u);
    EXPECT_EQ(numbers[0].text, QStringLiteral("12"));
    EXPECT_EQ(numbers[0].id, a);
    const auto registers = ContractSearch::registerNumbers(t.db);
    ASSERT_EQ(registers.size(), 1u);
    EXPECT_EQ(registers[0].id, e);
    EXPECT_EQ(ContractSearch::byEstate(t.db, e), a);
}

TEST(ContractSearch, TypedTextsMatchExactlyAndAsBoundValues)
{
    ContractTestDb t;
    const qint64 a = t.contract(QStringLiteral("Aho"), QStringLiteral("A'12"));
    t.estate(a, QStringLiteral("Korpela"), QStringLiteral("940-404-16-6"));
    struct Case {
        const char* text;
        bool byNumber;
        qint64 expected;
    };
    const Case cases[] = {
        {"A'12", true, a},          {"a'12", true, 0},           {" A'12", true, 0},        {"' OR '1'='1", true, 0},
        {"940-404-16-6", false, a}, {"940-404-16-6 ", false, 0}, {"' OR 1=1 --", false, 0},
    };
    for (const Case& c : cases) {
        const QString text = QString::fromUtf8(c.text);
        const qint64 found = c.byNumber ? ContractSearch::byContractNumber(t.db, text)
                                        : ContractSearch::byRegisterNumber(t.db, text);
        EXPECT_EQ(found, c.expected) << c.text;
    }
}

TEST(ContractRecords, OpeningRemovesEstatesWithoutAContract)
{
    ContractTestDb t;
    const qint64 a = t.contract(QStringLiteral("Aho"));
    t.estate(a, QStringLiteral("Korpela"));
    t.estate(a + 7, QStringLiteral("Orpo"));
    ContractRecords r;
    r.open(t.path);
    EXPECT_EQ(t.count(QStringLiteral("SELECT COUNT(*) FROM tl")), 1);
    EXPECT_EQ(r.count(), 1);
    EXPECT_EQ(r.currentId(), a);
}

TEST(ContractRecords, NextContractNumberHandsOutTheCounterAndStoresTheNextOne)
{
    ContractTestDb t;
    State().ContractNumberCounter = 17;
    ContractRecords r;
    r.open(t.path);
    EXPECT_EQ(r.NextContractNumber(), QStringLiteral("17"));
    EXPECT_EQ(State().ContractNumberCounter, 18);
    EXPECT_EQ(DatabaseSettingsStore(t.db).read(QStringLiteral("Sopimusnro")), QStringLiteral("18"));
    State().ContractNumberCounter = std::numeric_limits<qint32>::max();
    EXPECT_THROW(r.NextContractNumber(), DbException);
    EXPECT_EQ(DatabaseSettingsStore(t.db).read(QStringLiteral("Sopimusnro")), QStringLiteral("18"));
}

TEST(ContractRecords, DeleteCurrentTakesAllRowsOfTheContractAndShowsTheFirst)
{
    ContractTestDb t;
    const qint64 a = t.contract(QStringLiteral("Aho"));
    const qint64 b = t.contract(QStringLiteral("Berg"));
    for (int i = 0; i < 3; ++i)
        t.estate(b, QStringLiteral("Tila %1").arg(i));
    t.value(b, t.feature(QStringLiteral("Kartta")));
    t.link(b, t.animal(QStringLiteral("Hirvi")));
    ContractRecords r;
    r.open(t.path);
    ASSERT_TRUE(r.findId(b));
    r.beginEdit();
    r.recordset().setField(QStringLiteral("vsNimi"), Value(QStringLiteral("kesken")));
    r.deleteCurrent();
    EXPECT_EQ(r.currentId(), a);
    EXPECT_EQ(r.editMode(), EditMode::None);
    for (const char* table : {"tl", "mt", "et"})
        EXPECT_EQ(t.count(QStringLiteral("SELECT COUNT(*) FROM %1").arg(QLatin1String(table))), 0) << table;
    EXPECT_EQ(t.count(QStringLiteral("SELECT COUNT(*) FROM vs")), 1);
}
