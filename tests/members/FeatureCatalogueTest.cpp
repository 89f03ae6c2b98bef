#include "FeatureTestDb.h"

#include "db/DbError.h"
#include "members/FeatureCatalogue.h"

using namespace tikkeli;

namespace {

using Rows = std::vector<std::pair<qint64, Value>>;

QStringList describe(const std::vector<FeatureLetterGroup>& groups)
{
    QStringList out;
    for (const auto& g : groups) {
        QStringList names;
        for (const auto& e : g.entries)
            names << e.name;
        out << g.letter + QLatin1Char(':') + names.join(QLatin1Char(','));
    }
    return out;
}

class FeatureCatalogueTest : public test::FeatureTestDb {};

} // namespace

TEST(FeatureTreeWalk, GroupsByInitialAsTheTreeShowsThem)
{
    struct Case {
        const char* what;
        Rows rows;
        QStringList expected;
    };
    const Case cases[] = {
        {"empty", {}, {}},
        {"A, a and Ö", {{1, "Ankka"}, {2, "alue"}, {3, "Öljy"}}, {"A:Ankka,alue", "Ö:Öljy"}},
        {"head rows: Null, digit, blank",
         {{1, Value()}, {2, " tyhjä"}, {3, "1. luokka"}, {4, "Karhu"}},
         {"K:Karhu"}},
        {"underscore stops the walk", {{1, "Hirvi"}, {2, "_sisäinen"}, {3, "Susi"}}, {"H:Hirvi"}},
        {"letters after Z", {{1, "Zeta"}, {2, "Åke"}, {3, "Äes"}, {4, "Öky"}}, {"Z:Zeta", "Å:Åke", "Ä:Äes", "Ö:Öky"}},
        {"empty text at the head", {{1, ""}, {2, "Bb"}}, {"B:Bb"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(describe(FeatureCatalogue::groupByInitial(c.rows)), c.expected) << c.what;
}

TEST(FeatureTreeKeys, IdAndKeyGoBothWays)
{
    EXPECT_EQ(FeatureCatalogue::treeKey(57), QStringLiteral("57ID"));
    EXPECT_EQ(FeatureCatalogue::idFromTreeKey(QStringLiteral("57ID")), 57);
    EXPECT_EQ(FeatureCatalogue::idFromTreeKey(QStringLiteral("57id")), 57);
    EXPECT_FALSE(FeatureCatalogue::idFromTreeKey(QString()));
    EXPECT_FALSE(FeatureCatalogue::idFromTreeKey(QStringLiteral("A")));
}

TEST_F(FeatureCatalogueTest, TreeSeparatesTheTypesInFinnishOrder)
{
    definition("Ötökkä");
    definition("ankka");
    definition("Aita");
    definition("Pelto", 2);
    FeatureCatalogue catalogue(db);
    EXPECT_EQ(catalogue.definitionCount(), 4);
    EXPECT_EQ(describe(catalogue.treeGroups(1)), (QStringList{"A:Aita,ankka", "Ö:Ötökkä"}));
    EXPECT_EQ(describe(catalogue.treeGroups(2)), (QStringList{"P:Pelto"}));
}

TEST_F(FeatureCatalogueTest, DeleteTakesEveryValueOfTheDefinitionAndNothingElse)
{
    const qint64 gone = definition("Ampumakoe");
    const qint64 kept = definition("Jahtipäällikkö");
    for (int i = 0; i < 3; ++i)
        memberValue(member("Virtanen"), gone);
    memberValue(1, kept);
    contractValue(7, gone);
    contractValue(8, kept);
    FeatureCatalogue catalogue(db);
    catalogue.deleteDefinition(gone);
    EXPECT_EQ(count("SELECT COUNT(*) FROM pi WHERE piID = ?", {gone}), 0);
    EXPECT_EQ(count("SELECT COUNT(*) FROM pt WHERE ptpiID = ?", {gone}), 0);
    EXPECT_EQ(count("SELECT COUNT(*) FROM mt WHERE mtpiID = ?", {gone}), 0);
    EXPECT_EQ(count("SELECT COUNT(*) FROM pt"), 1);
    EXPECT_EQ(count("SELECT COUNT(*) FROM mt"), 1);
    EXPECT_EQ(catalogue.currentId(), kept);
}

TEST_F(FeatureCatalogueTest, DeleteIsAllOrNothingWhenAValueTableFails)
{
    const qint64 id = definition("Ampumakoe");
    memberValue(member("Virtanen"), id);
    db.execute(QStringLiteral("CREATE TRIGGER mt_no_delete BEFORE DELETE ON mt BEGIN SELECT RAISE(ABORT, 'lukittu'); END"));
    contractValue(3, id);
    FeatureCatalogue catalogue(db);
    EXPECT_THROW(catalogue.deleteDefinition(id), DbException);
    EXPECT_EQ(count("SELECT COUNT(*) FROM pi"), 1);
    EXPECT_EQ(count("SELECT COUNT(*) FROM pt"), 1);
    EXPECT_EQ(count("SELECT COUNT(*) FROM mt"), 1);
}

TEST_F(FeatureCatalogueTest, CleanUpRemovesOnlyValuesOfMissingDefinitions)
{
    const qint64 kept = definition("Hirvi");
    const qint64 m = member("Virtanen");
    memberValue(m, kept);
    memberValue(m, 9001);
    memberValue(m, 9001);
    contractValue(1, 9002);
    contractValue(1, kept);
    db.execute(QStringLiteral("INSERT INTO pt (ptjrID) VALUES (?)"), {m});
    FeatureCatalogue catalogue(db);
    catalogue.removeOrphanValues();
    EXPECT_EQ(count("SELECT COUNT(*) FROM pt WHERE ptpiID = ?", {kept}), 1);
    EXPECT_EQ(count("SELECT COUNT(*) FROM pt WHERE ptpiID = 9001"), 0);
    EXPECT_EQ(count("SELECT COUNT(*) FROM pt WHERE ptpiID IS NULL"), 1);
    EXPECT_EQ(count("SELECT COUNT(*) FROM mt"), 1);
}

TEST_F(FeatureCatalogueTest, WriteStoresTheCardsValuesByTheFinnishLocale)
{
    definition("Hirvi");
    FeatureCatalogue catalogue(db);
    FeatureDefinitionInput in;
    in.nimi = QStringLiteral("Hirvi");
    in.date = QStringLiteral("5.3.2024");
    in.longValue = QStringLiteral("12,5");
    in.currency = QStringLiteral("12,50");
    in.type = 2;
    in.enabledCurrency = true;
    EXPECT_FALSE(catalogue.write(in));
    Recordset rs = db.openRecordset(QStringLiteral("SELECT * FROM pi"));
    EXPECT_EQ(rs.field("piDate").toDate(), QDate(2024, 3, 5));
    EXPECT_EQ(rs.field("piLong").toInt64(), 12);   // half to even
    EXPECT_EQ(rs.field("piCurrency").toCurrency(), Currency::fromRaw(125000));
    EXPECT_EQ(rs.field("piType").toInt64(), 2);
    EXPECT_TRUE(rs.field("piEnbldCurrency").toBool());
    EXPECT_FALSE(rs.field("piEnbldDate").toBool());

    // Bad values are stored as Null, an empty description clears the field.
    in.date = QStringLiteral("31.2.2024");
    in.longValue = QStringLiteral("12a");
    in.currency.clear();
    EXPECT_FALSE(catalogue.write(in));
    rs.requery();
    EXPECT_TRUE(rs.field("piDate").isNull());
    EXPECT_TRUE(rs.field("piLong").isNull());
    EXPECT_TRUE(rs.field("piCurrency").isNull());
    EXPECT_TRUE(rs.field("piKuvaus").isNull());

    // A whole number too big for the field is refused with a message and the row stays as it was.
    in.nimi = QStringLiteral("Muutettu");
    in.longValue = QStringLiteral("3000000000");
    EXPECT_TRUE(catalogue.write(in));
    rs.requery();
    EXPECT_EQ(rs.field("piNimi").toString(), QStringLiteral("Hirvi"));
}

TEST_F(FeatureCatalogueTest, NewRowIsStoredOnlyWhenSomethingWasTyped)
{
    FeatureCatalogue catalogue(db);
    EXPECT_FALSE(catalogue.hasCurrent());
    catalogue.startNew();
    EXPECT_EQ(catalogue.current().type, 1);
    EXPECT_FALSE(catalogue.write(FeatureDefinitionInput{}));
    EXPECT_EQ(catalogue.definitionCount(), 0);
    EXPECT_FALSE(catalogue.adding());

    catalogue.startNew();
    FeatureDefinitionInput in;
    in.nimi = QStringLiteral("Kokous");
    EXPECT_FALSE(catalogue.write(in));
    EXPECT_EQ(catalogue.definitionCount(), 1);
    ASSERT_TRUE(catalogue.currentId());
    EXPECT_EQ(db.scalar("SELECT piType FROM pi").toInt64(), 1);
    EXPECT_EQ(catalogue.current().nimi, QStringLiteral("Kokous"));
}

TEST_F(FeatureCatalogueTest, MovesStopAtEitherEnd)
{
    FeatureCatalogue empty(db);
    for (auto m : {FeatureCatalogue::Move::First, FeatureCatalogue::Move::Previous, FeatureCatalogue::Move::Next,
                   FeatureCatalogue::Move::Last})
        EXPECT_FALSE(empty.move(m));
    const qint64 a = definition("Aa");
    const qint64 b = definition("Bb");
    FeatureCatalogue catalogue(db);
    EXPECT_EQ(catalogue.currentId(), a);
    EXPECT_FALSE(catalogue.move(FeatureCatalogue::Move::Previous));
    EXPECT_EQ(catalogue.currentId(), a);
    EXPECT_TRUE(catalogue.move(FeatureCatalogue::Move::Next));
    EXPECT_FALSE(catalogue.move(FeatureCatalogue::Move::Next));
    EXPECT_EQ(catalogue.currentId(), b);
    EXPECT_TRUE(catalogue.find(a));
    EXPECT_FALSE(catalogue.find(999));
}
