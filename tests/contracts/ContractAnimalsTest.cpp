#include "contracts/ContractAnimals.h"
#include "contracts/ContractCriteriaLists.h"
#include "db/DbError.h"
#include "ContractTestDb.h"

#include <gtest/gtest.h>

using namespace tikkeli;
using test::ContractTestDb;

namespace {

QStringList names(const std::vector<cElain>& animals)
{
    QStringList out;
    for (const cElain& a : animals)
        out << a.Nimi;
    return out;
}

class ContractAnimalsTest : public ::testing::Test {
protected:
    test::AnimalTestDb t;
};

} // namespace

TEST_F(ContractAnimalsTest, CatalogueInNameOrderContractInLinkOrder)
{
    t.link(t.aho, t.susi);
    t.link(t.aho, t.ilves);
    t.link(t.aho, 999); // an animal that is gone
    t.link(t.berg, t.karhu);
    EXPECT_EQ(names(ContractAnimals::LoadAllAnimals(t.db)), (QStringList{"Ilves", "Karhu", "Susi"}));
    const auto chosen = ContractAnimals::LoadContractAnimals(t.db, t.aho);
    EXPECT_EQ(names(chosen), (QStringList{"Susi", "Ilves"}));
    ASSERT_EQ(chosen.size(), 2u);
    EXPECT_EQ(chosen[0].id, t.susi);
    EXPECT_TRUE(ContractAnimals::LoadContractAnimals(t.db, 12345).empty());
}

TEST_F(ContractAnimalsTest, SaveRewritesTheLinksAndTheNamesTextOfThatContractOnly)
{
    t.link(t.aho, t.susi);
    t.link(t.aho, 999);
    t.link(t.berg, t.karhu);
    const std::vector<cElain> chosen = {{t.karhu, QStringLiteral("Karhu")}, {t.ilves, QStringLiteral("Ilves")}};
    EXPECT_EQ(ContractAnimals::SaveContractAnimals(t.db, t.aho, chosen), std::nullopt);
    EXPECT_EQ(t.animalLinks(t.aho), (std::vector<qint64>{t.karhu, t.ilves}));
    EXPECT_EQ(t.animalNamesText(t.aho), Value(QStringLiteral("Karhu, Ilves")));
    EXPECT_EQ(t.animalLinks(t.berg), std::vector<qint64>{t.karhu});
    EXPECT_TRUE(t.animalNamesText(t.berg).isNull());

    EXPECT_EQ(ContractAnimals::SaveContractAnimals(t.db, t.aho, {}), std::nullopt);
    EXPECT_TRUE(t.animalLinks(t.aho).empty());
    EXPECT_TRUE(t.animalNamesText(t.aho).isNull()) << "no animals: the text is cleared, not left \"\"";
}

TEST_F(ContractAnimalsTest, NamesBeyondTheTextFieldAreRefusedAndNothingChanges)
{
    t.link(t.aho, t.susi);
    t.db.execute(QStringLiteral("UPDATE vs SET vsEiKoskeSeuraavia = 'Susi' WHERE vsID = ?"), {t.aho});
    // 16 names of 15 characters and 15 separators: 270 characters.
    std::vector<cElain> many;
    for (int i = 0; i < 16; ++i)
        many.push_back({t.animal(QStringLiteral("Eläin %1xxxxxxx").arg(i, 2, 10, QLatin1Char('0'))), {}});
    for (cElain& a : many)
        a.Nimi = t.db.scalar(QStringLiteral("SELECT elNimi FROM el WHERE elID = ?"), {a.id}).toString();
    const auto refused = ContractAnimals::SaveContractAnimals(t.db, t.aho, many);
    ASSERT_TRUE(refused);
    EXPECT_TRUE(refused->contains(QStringLiteral("255"))) << refused->toStdString();
    EXPECT_EQ(t.animalLinks(t.aho), std::vector<qint64>{t.susi});
    EXPECT_EQ(t.animalNamesText(t.aho), Value(QStringLiteral("Susi")));

    many.pop_back(); // 15 names: 15 * 15 + 14 * 2 = 253 characters
    EXPECT_EQ(ContractAnimals::SaveContractAnimals(t.db, t.aho, many), std::nullopt);
    EXPECT_EQ(t.animalNamesText(t.aho).toString().size(), 253);
}

TEST_F(ContractAnimalsTest, RefusalAtAnyStepKeepsTheOldLinksAndText)
{
    t.link(t.aho, t.susi);
    t.db.execute(QStringLiteral("UPDATE vs SET vsEiKoskeSeuraavia = 'Susi' WHERE vsID = ?"), {t.aho});
    // The delete, the second insert, the names text.
    const QStringList steps = {QStringLiteral("BEFORE DELETE ON et"),
                               QStringLiteral("BEFORE INSERT ON et WHEN NEW.etelID = ") + QString::number(t.ilves),
                               QStringLiteral("BEFORE UPDATE ON vs")};
    for (const QString& step : steps) {
        t.db.executeScript(QStringLiteral("CREATE TRIGGER refuse %1 BEGIN SELECT RAISE(ABORT, 'estetty'); END;").arg(step));
        EXPECT_THROW(ContractAnimals::SaveContractAnimals(
                         t.db, t.aho, {{t.karhu, QStringLiteral("Karhu")}, {t.ilves, QStringLiteral("Ilves")}}),
                     DbException)
            << step.toStdString();
        EXPECT_EQ(t.animalLinks(t.aho), std::vector<qint64>{t.susi}) << step.toStdString();
        EXPECT_EQ(t.animalNamesText(t.aho), Value(QStringLiteral("Susi"))) << step.toStdString();
        t.db.execute(QStringLiteral("DROP TRIGGER refuse"));
    }
}

TEST_F(ContractAnimalsTest, NamelessAnimalIsNotOfferedAndTheCriteriaListTakesItsLinksAlong)
{
    t.db.execute(QStringLiteral("INSERT INTO el (elNimi) VALUES (NULL)"));
    const qint64 nameless = t.db.lastInsertId();
    t.link(t.aho, nameless);
    t.link(t.aho, t.susi);
    EXPECT_EQ(names(ContractAnimals::LoadAllAnimals(t.db)), (QStringList{"Ilves", "Karhu", "Susi"}));
    EXPECT_EQ(ContractCriteriaLists::animals(t.db).size(), 3u);
    EXPECT_EQ(t.animalLinks(t.aho), std::vector<qint64>{t.susi});
}
