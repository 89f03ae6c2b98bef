#include "FeatureTestDb.h"

#include "members/FeatureValues.h"

#include <gtest/gtest.h>

namespace tikkeli {

namespace {

// The same rules run on the members' values (pt) and the contracts' values (mt); each case names
// what must differ.
struct TableCase {
    const FeatureTable* table;
    const char* name;
    int definitionType;
    bool defaultsCopied;
};

class FeatureValuesTest : public test::FeatureTestDb, public ::testing::WithParamInterface<TableCase> {
protected:
    const FeatureTable& t() const { return *GetParam().table; }
    QString stored(qint32 id, const char* expression)
    {
        return db.scalar(QStringLiteral("SELECT %1 FROM %2 WHERE %2ID = ?").arg(QLatin1String(expression), t().table), {id})
            .toString();
    }
};

} // namespace

TEST_P(FeatureValuesTest, DefinitionsOfTheTablesKindOnly)
{
    definition(QStringLiteral("Jäsenen"), 1);
    definition(QStringLiteral("Sopimuksen"), 2);
    definition(Value(), GetParam().definitionType);
    const auto offered = FeatureValues::definitions(t(), db);
    ASSERT_EQ(offered.size(), 1u);
    EXPECT_EQ(offered[0].name, GetParam().definitionType == 1 ? QStringLiteral("Jäsenen") : QStringLiteral("Sopimuksen"));
}

TEST_P(FeatureValuesTest, AttachSaveAndRemoveWorkOnTheTablesRows)
{
    db.execute(QStringLiteral("INSERT INTO pi (piNimi, piType, piEnbldDate, piEnbldLong, piEnbldCurrency, piEnbldMemo, "
                              "piLong, piCurrency) VALUES ('Kaikki', ?, 1, 1, 1, 1, 5, 3)"),
               {GetParam().definitionType});
    const qint32 piID = qint32(db.lastInsertId());
    db.execute(QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(t().ownerTable));
    const auto owner = qint32(db.lastInsertId());
    const qint32 first = FeatureValues::attach(t(), db, owner, piID);
    const qint32 second = FeatureValues::attach(t(), db, owner, piID);
    EXPECT_NE(first, second);
    EXPECT_EQ(stored(first, qPrintable(t().table + QStringLiteral("ValLong"))),
              GetParam().defaultsCopied ? QStringLiteral("5") : QString());
    EXPECT_EQ(FeatureValues::ofOwner(t(), db, owner).size(), 2u);
    EXPECT_TRUE(FeatureValues::ofOwner(t(), db, owner + 1).empty());

    const FeatureValues::SaveOutcome out = FeatureValues::save(
        t(), db, first, FeatureValues::Amount | FeatureValues::Date,
        {QStringLiteral("1.2.2024"), QString(), QStringLiteral("12,50"), QString()});
    EXPECT_TRUE(out.written);
    EXPECT_EQ(stored(first, qPrintable(QStringLiteral("printf('%.4f', %1ValCurrency)").arg(t().table))),
              QStringLiteral("12.5000"));
    EXPECT_EQ(stored(first, qPrintable(t().table + QStringLiteral("ValDate"))), QStringLiteral("2024-02-01 00:00:00"));
    const auto values = FeatureValues::values(t(), db, first);
    ASSERT_TRUE(values.has_value());
    EXPECT_EQ(values->definitionId, piID);

    EXPECT_TRUE(FeatureValues::remove(t(), db, first));
    EXPECT_FALSE(FeatureValues::remove(t(), db, first));
    EXPECT_EQ(FeatureValues::ofOwner(t(), db, owner).size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Tables, FeatureValuesTest,
                         ::testing::Values(TableCase{&FeatureTable::members(), "members", 1, true},
                                           TableCase{&FeatureTable::contracts(), "contracts", 2, false}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace tikkeli
