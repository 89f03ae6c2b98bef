#include "contracts/AnimalCatalogue.h"
#include "db/DbError.h"
#include "ContractTestDb.h"
#include "support/CatalogueGroupsText.h"

#include <gtest/gtest.h>

using namespace tikkeli;
using test::ContractTestDb;

namespace {

class AnimalCatalogueTest : public ::testing::Test {
protected:
    QString nameOf(qint64 id)
    {
        return t.db.scalar(QStringLiteral("SELECT elNimi FROM el WHERE elID = ?"), {id}).toString();
    }
    qint64 links(qint64 elId) { return t.count(QStringLiteral("SELECT COUNT(*) FROM et WHERE etelID = ?"), {elId}); }
    qint64 nameless()
    {
        t.db.execute(QStringLiteral("INSERT INTO el (elNimi) VALUES (NULL)"));
        return t.db.lastInsertId();
    }
    // A trigger that makes the database refuse one kind of statement.
    void refuse(const char* when)
    {
        t.db.executeScript(
            QStringLiteral("CREATE TRIGGER refuse %1 BEGIN SELECT RAISE(ABORT, 'estetty'); END;").arg(QLatin1String(when)));
    }

    ContractTestDb t;
};

} // namespace

TEST_F(AnimalCatalogueTest, NewAnimalIsStoredAndStaysShown)
{
    t.animal(QStringLiteral("Karhu"));
    AnimalCatalogue c(t.db);
    c.startNew();
    EXPECT_EQ(c.currentName(), QString());
    EXPECT_EQ(c.write(QStringLiteral("Ilves")), std::nullopt);
    EXPECT_FALSE(c.adding());
    ASSERT_TRUE(c.currentId());
    EXPECT_EQ(nameOf(*c.currentId()), QStringLiteral("Ilves"));
    EXPECT_EQ(c.currentName(), QStringLiteral("Ilves"));
    EXPECT_EQ(c.animalCount(), 2);
}

TEST_F(AnimalCatalogueTest, NewAnimalLeftWithoutANameIsDropped)
{
    const qint64 karhu = t.animal(QStringLiteral("Karhu"));
    AnimalCatalogue c(t.db);
    c.startNew();
    EXPECT_EQ(c.write(QString()), std::nullopt);
    EXPECT_EQ(c.animalCount(), 1);
    EXPECT_EQ(c.currentId(), karhu) << "back on the animal shown before";
}

TEST_F(AnimalCatalogueTest, RenameChangesOnlyTheShownAnimal)
{
    const qint64 karhu = t.animal(QStringLiteral("Karhu"));
    const qint64 susi = t.animal(QStringLiteral("Susi"));
    AnimalCatalogue c(t.db);
    ASSERT_EQ(c.currentId(), karhu);
    EXPECT_EQ(c.write(QStringLiteral("Ruskeakarhu")), std::nullopt);
    EXPECT_EQ(nameOf(karhu), QStringLiteral("Ruskeakarhu"));
    EXPECT_EQ(nameOf(susi), QStringLiteral("Susi"));
    EXPECT_EQ(c.currentId(), karhu);
}

TEST_F(AnimalCatalogueTest, NamesThatCannotBeStoredAreRefusedWithTheReason)
{
    const qint64 karhu = t.animal(QStringLiteral("Karhu"));
    const QString tooLong = QStringLiteral("Nimi on liian pitkä: enintään 35 merkkiä.");
    // Each refusal leaves the row as it was; a pending new row stays pending.
    const auto refused = [&](const char* what, bool adding, const QString& name, const QString& reason) {
        AnimalCatalogue c(t.db);
        if (adding)
            c.startNew();
        EXPECT_EQ(c.write(name), reason) << what;
        EXPECT_EQ(c.adding(), adding) << what;
        EXPECT_EQ(nameOf(karhu), QStringLiteral("Karhu")) << what;
        EXPECT_EQ(c.animalCount(), 1) << what;
    };
    refused("36 characters, stored animal", false, QString(36, QLatin1Char('x')), tooLong);
    refused("36 characters, new animal", true, QString(36, QLatin1Char('x')), tooLong);
    refused("emptied name", false, QString(), QStringLiteral("Eläimellä pitää olla nimi."));
    AnimalCatalogue c(t.db);
    EXPECT_EQ(c.write(QString(35, QLatin1Char('y'))), std::nullopt) << "35 characters fit";
    EXPECT_EQ(nameOf(karhu), QString(35, QLatin1Char('y')));
}

TEST_F(AnimalCatalogueTest, DeletingAnAnimalTakesItsContractLinksAlong)
{
    const qint64 vs[] = {t.contract(QStringLiteral("Aho")), t.contract(QStringLiteral("Bäck"))};
    const qint64 karhu = t.animal(QStringLiteral("Karhu"));
    const qint64 susi = t.animal(QStringLiteral("Susi"));
    for (const auto& [contract, animal] : {std::pair{vs[0], karhu}, {vs[1], karhu}, {vs[0], susi}})
        t.link(contract, animal);
    AnimalCatalogue c(t.db);
    c.deleteAnimal(karhu);
    EXPECT_EQ(t.count(QStringLiteral("SELECT COUNT(*) FROM el WHERE elID = ?"), {karhu}), 0);
    EXPECT_EQ(links(karhu), 0);
    EXPECT_EQ(links(susi), 1);
    EXPECT_EQ(c.currentId(), susi);
}

TEST_F(AnimalCatalogueTest, RefusalAtEitherStepKeepsTheAnimalsAndTheirLinks)
{
    const qint64 vs = t.contract(QStringLiteral("Aho"));
    const qint64 karhu = t.animal(QStringLiteral("Karhu"));
    const qint64 unnamed = nameless();
    t.link(vs, karhu);
    t.link(vs, unnamed);
    for (const char* step : {"BEFORE DELETE ON et", "BEFORE DELETE ON el"}) {
        refuse(step);
        AnimalCatalogue c(t.db);
        EXPECT_THROW(c.deleteAnimal(karhu), DbException) << step;
        EXPECT_THROW(c.removeNamelessAnimals(), DbException) << step;
        EXPECT_EQ(nameOf(karhu), QStringLiteral("Karhu")) << step;
        EXPECT_EQ(c.animalCount(), 2) << step;
        EXPECT_EQ(links(karhu) + links(unnamed), 2) << step << ": the links went back with the refused delete";
        t.db.execute(QStringLiteral("DROP TRIGGER refuse"));
    }
}

TEST_F(AnimalCatalogueTest, OnlyNamelessAnimalsAreRemovedWithTheirLinks)
{
    const qint64 vs = t.contract(QStringLiteral("Aho"));
    const qint64 nameless1 = nameless();
    const qint64 nameless2 = nameless();
    t.link(vs, nameless1);
    t.link(vs, nameless2);
    const QStringList kept = {QStringLiteral("1-vuotias"), QStringLiteral(" Välilyönti"), QStringLiteral("(Lintu)"),
                              QStringLiteral("Émeu"),      QStringLiteral("Übel"),        QStringLiteral("susi")};
    for (const QString& name : kept)
        t.link(vs, t.animal(name));
    AnimalCatalogue c(t.db);
    EXPECT_EQ(c.removeNamelessAnimals(), 2);
    EXPECT_EQ(c.animalCount(), kept.size());
    EXPECT_EQ(links(nameless1) + links(nameless2), 0);
    EXPECT_EQ(t.count(QStringLiteral("SELECT COUNT(*) FROM et")), kept.size());
    EXPECT_EQ(c.removeNamelessAnimals(), 0);
    EXPECT_EQ(test::CatalogueGroupsText(c.treeGroups()),
              (QStringList{"S:susi", "Muut: Välilyönti,(Lintu),1-vuotias,Émeu,Übel"}));
}

TEST_F(AnimalCatalogueTest, RemovingNamelessKeepsTheShownAnimal)
{
    t.animal(QStringLiteral("Karhu"));
    const qint64 susi = t.animal(QStringLiteral("Susi"));
    AnimalCatalogue c(t.db);
    ASSERT_TRUE(c.move(RecordCatalogue::Move::Last));
    nameless();
    c.removeNamelessAnimals();
    EXPECT_EQ(c.currentId(), susi);
}

TEST_F(AnimalCatalogueTest, TreeFollowsFinnishOrderWithTheLettersAfterZ)
{
    for (const char* name : {"Ähkä", "Zeeprahevonen", "orava", "Åkerö", "Hirvi", "Öljykala", "hilleri"})
        t.animal(QString::fromUtf8(name));
    AnimalCatalogue c(t.db);
    EXPECT_EQ(test::CatalogueGroupsText(c.treeGroups()),
              (QStringList{"H:hilleri,Hirvi", "O:orava", "Z:Zeeprahevonen", "Å:Åkerö", "Ä:Ähkä", "Ö:Öljykala"}));
}
