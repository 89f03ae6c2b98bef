#include "FeatureTestDb.h"

#include "db/DbError.h"
#include "members/FeatureCatalogue.h"
#include "support/CatalogueGroupsText.h"

using namespace tikkeli;

namespace {

using Rows = std::vector<std::pair<qint64, Value>>;

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
        {"Null, digit and blank go to the other group, last",
         {{1, Value()}, {2, " tyhjä"}, {3, "1. luokka"}, {4, "Karhu"}},
         {"K:Karhu", "Muut:, tyhjä,1. luokka"}},
        {"underscore: every definition is listed",
         {{1, "Hirvi"}, {2, "_sisäinen"}, {3, "Susi"}},
         {"H:Hirvi", "S:Susi", "Muut:_sisäinen"}},
        {"accented initials do not end the listing",
         {{1, "Aave"}, {2, "Émile"}, {3, "Übel"}, {4, "Wapiti"}, {5, "Öky"}},
         {"A:Aave", "W:Wapiti", "Ö:Öky", "Muut:Émile,Übel"}},
        {"letters after Z", {{1, "Zeta"}, {2, "Åke"}, {3, "Äes"}, {4, "Öky"}}, {"Z:Zeta", "Å:Åke", "Ä:Äes", "Ö:Öky"}},
        {"empty text", {{1, ""}, {2, "Bb"}}, {"B:Bb", "Muut:"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(test::CatalogueGroupsText(FeatureCatalogue::groupByInitial(c.rows)), c.expected) << c.what;
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
    EXPECT_EQ(test::CatalogueGroupsText(catalogue.treeGroups(1)), (QStringList{"A:Aita,ankka", "Ö:Ötökkä"}));
    EXPECT_EQ(test::CatalogueGroupsText(catalogue.treeGroups(2)), (QStringList{"P:Pelto"}));
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
    in.longValue = QStringLiteral("12");
    in.currency = QStringLiteral("12,50");
    in.type = 2;
    in.enabledCurrency = true;
    EXPECT_FALSE(catalogue.write(in));
    Recordset rs = db.openRecordset(QStringLiteral("SELECT * FROM pi"));
    EXPECT_EQ(rs.field("piDate").toDate(), QDate(2024, 3, 5));
    EXPECT_EQ(rs.field("piLong").toInt64(), 12);
    EXPECT_EQ(rs.field("piCurrency").toCurrency(), Currency::fromRaw(125000));
    EXPECT_EQ(rs.field("piType").toInt64(), 2);
    EXPECT_TRUE(rs.field("piEnbldCurrency").toBool());
    EXPECT_FALSE(rs.field("piEnbldDate").toBool());

    // Empty boxes store Null; an empty description clears the field.
    in.date.clear();
    in.longValue.clear();
    in.currency.clear();
    EXPECT_FALSE(catalogue.write(in));
    rs.requery();
    EXPECT_TRUE(rs.field("piDate").isNull());
    EXPECT_TRUE(rs.field("piLong").isNull());
    EXPECT_TRUE(rs.field("piCurrency").isNull());
    EXPECT_TRUE(rs.field("piKuvaus").isNull());
}

TEST_F(FeatureCatalogueTest, ARefusedValueNamesItsFieldAndLeavesTheRowAsItWas)
{
    definition("Hirvi");
    db.execute(QStringLiteral("UPDATE pi SET piLong = 7"));
    FeatureCatalogue catalogue(db);
    const struct {
        const char* field;
        QString text;
        const char* message;
    } cases[] = {
        {"nimi", QString(51, QLatin1Char('N')), "Nimi on liian pitkä: enintään 50 merkkiä."},
        {"kuvaus", QString(65536, QLatin1Char('k')), "Kuvaus on liian pitkä: enintään 65535 merkkiä."},
        {"memo", QString(65536, QLatin1Char('m')), "Muistio on liian pitkä: enintään 65535 merkkiä."},
        {"date", QStringLiteral("31.2.2024"), "Päivämäärä ei kelpaa: \"31.2.2024\""},
        {"long", QStringLiteral("4,5"), "Luku ei kelpaa: \"4,5\""},
        {"long", QStringLiteral("12a"), "Luku ei kelpaa: \"12a\""},
        {"long", QStringLiteral("2147483648"), "Luku ei kelpaa: \"2147483648\""},
        {"currency", QStringLiteral("1e300"), "Arvo ei kelpaa"},
        {"currency", QStringLiteral("12.50"), "Arvo ei kelpaa: \"12.50\""},
    };
    for (const auto& c : cases) {
        FeatureDefinitionInput in;
        in.nimi = QStringLiteral("Hirvi");
        in.longValue = QStringLiteral("7");
        const QString field = QString::fromLatin1(c.field);
        (field == "nimi"     ? in.nimi
         : field == "kuvaus" ? in.kuvaus
         : field == "memo"   ? in.memo
         : field == "date"   ? in.date
         : field == "long"   ? in.longValue
                             : in.currency) = c.text;
        const auto refused = catalogue.write(in);
        ASSERT_TRUE(refused.has_value()) << c.field;
        EXPECT_TRUE(refused->startsWith(QString::fromUtf8(c.message))) << refused->toStdString();
        EXPECT_EQ(count("SELECT COUNT(*) FROM pi WHERE piNimi = 'Hirvi' AND piLong = 7 AND piKuvaus IS NULL "
                        "AND piMemo IS NULL AND piDate IS NULL AND piCurrency IS NULL"),
                  1)
            << c.field;
    }
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
