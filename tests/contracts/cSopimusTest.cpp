#include "contracts/cSopimus.h"
#include "ContractTestDb.h"

#include <gtest/gtest.h>

using namespace tikkeli;
using test::ContractTestDb;

namespace {

Value vsColumn(ContractTestDb& t, qint64 id, const QString& name)
{
    return t.db.scalar(QStringLiteral("SELECT %1 FROM vs WHERE vsID = ?").arg(name), {Value(id)});
}

} // namespace

TEST(cSopimus, StoredCodesOutsideTheOptionsReadAsOptionOne)
{
    struct Case {
        const char* field;
        int stored;
        int expected;
        quint8 (cSopimus::*read)() const;
    };
    const Case cases[] = {
        {"vsKoskee", 0, 1, &cSopimus::Koskee},     {"vsKoskee", 9, 1, &cSopimus::Koskee},
        {"vsKoskee", 4, 4, &cSopimus::Koskee},     {"vsVoimassa", 3, 1, &cSopimus::Voimassa},
        {"vsVoimassa", 2, 2, &cSopimus::Voimassa}, {"vsVastike", 4, 4, &cSopimus::Vastike},
        {"vsVastike", 5, 1, &cSopimus::Vastike},   {"vsOikeus", 3, 3, &cSopimus::Oikeus},
        {"vsOikeus", 4, 1, &cSopimus::Oikeus},     {"vsKoirat", 3, 3, &cSopimus::Koirat},
        {"vsKoirat", 0, 1, &cSopimus::Koirat},
    };
    ContractTestDb t;
    const qint64 id = t.contract(QStringLiteral("Aho"));
    for (const Case& c : cases) {
        t.db.execute(QStringLiteral("UPDATE vs SET %1 = ? WHERE vsID = ?").arg(QLatin1String(c.field)),
                     {Value(c.stored), Value(id)});
        cSopimus s(t.db);
        ASSERT_TRUE(s.Read(id));
        EXPECT_EQ((s.*c.read)(), c.expected) << c.field << " " << c.stored;
    }
}

TEST(cSopimus, TextsAreKeptToTheirColumnsWidth)
{
    ContractTestDb t;
    cSopimus s(t.db);
    s.setOsoite(QString(80, QLatin1Char('o')));
    s.setPostinumero(QStringLiteral("1234567"));
    s.setYleisetEhdot(QString(5000, QLatin1Char('e')));
    s.setPaikkaJaAika(QString(120, QLatin1Char('p')));
    ASSERT_TRUE(s.Save());
    EXPECT_EQ(vsColumn(t, s.id(), QStringLiteral("vsOsoite")).toString().size(), 50);
    EXPECT_EQ(vsColumn(t, s.id(), QStringLiteral("vsPostinumero")).toString(), QStringLiteral("12345"));
    EXPECT_EQ(vsColumn(t, s.id(), QStringLiteral("vsYleisetEhdot")).toString().size(), 5000);
    EXPECT_EQ(vsColumn(t, s.id(), QStringLiteral("vsPaikkaJaAika")).toString().size(), 100);
}

TEST(cSopimus, MissingDatesAndEmptyTextsAreStoredAsNull)
{
    ContractTestDb t;
    cSopimus s(t.db);
    s.setNimi(QStringLiteral("Aho"));
    s.setVoimassaPaattyy(QDate(2026, 12, 31));
    ASSERT_TRUE(s.Save());
    for (const char* f : {"vsVoimassaAlkaen", "vsVastikeVuosiErapaiva", "vsVastikeKausiErapaiva", "vsOsoite"})
        EXPECT_TRUE(vsColumn(t, s.id(), QLatin1String(f)).isNull()) << f;
    EXPECT_EQ(vsColumn(t, s.id(), QStringLiteral("vsVoimassaPaattyy")).toDate(), QDate(2026, 12, 31));
    s.setVoimassaPaattyy(QDate());
    ASSERT_TRUE(s.Save());
    EXPECT_TRUE(vsColumn(t, s.id(), QStringLiteral("vsVoimassaPaattyy")).isNull());
}

TEST(cSopimus, SaveRewritesTheAnimalLinksReusingRowsInOrder)
{
    struct Case {
        int before;
        int after;
    };
    for (const Case c : {Case{5, 3}, Case{3, 5}, Case{2, 0}}) {
        ContractTestDb t;
        const qint64 id = t.contract(QStringLiteral("Aho"));
        std::vector<qint64> animals;
        for (int i = 0; i < 6; ++i)
            animals.push_back(t.animal(QStringLiteral("Eläin %1").arg(i)));
        for (int i = 0; i < c.before; ++i)
            t.link(id, animals[std::size_t(i)]);
        const qint64 firstRow = t.count(QStringLiteral("SELECT MIN(etID) FROM et"));
        cSopimus s(t.db);
        ASSERT_TRUE(s.Read(id));
        ASSERT_EQ(int(s.GetAnimals().size()), c.before);
        EXPECT_EQ(s.GetAnimals().front().ElainNimi, QStringLiteral("Eläin 0"));
        s.TyhjennaElaimet();
        for (int i = 0; i < c.after; ++i)
            s.LisaaElain(QString(), animals[std::size_t(5 - i)]);
        ASSERT_TRUE(s.Save(true));
        EXPECT_EQ(t.count(QStringLiteral("SELECT COUNT(*) FROM et WHERE etvsID = ?"), {Value(id)}), c.after);
        for (int i = 0; i < c.after; ++i) {
            EXPECT_EQ(t.count(QStringLiteral("SELECT COUNT(*) FROM et WHERE etvsID = ? AND etelID = ?"),
                              {Value(id), Value(animals[std::size_t(5 - i)])}),
                      1);
        }
        if (c.after > 0 && c.before > 0) {
            EXPECT_EQ(t.count(QStringLiteral("SELECT etelID FROM et WHERE etID = ?"), {Value(firstRow)}), animals[5]);
        }
    }
}

TEST(cSopimus, AnAnimalIsAddedOnlyOnce)
{
    cSopimus s;
    s.LisaaElain(QStringLiteral("Hirvi"), 1);
    s.LisaaElain(QStringLiteral("Toinen"), 1);
    ASSERT_EQ(s.GetAnimals().size(), 1u);
    EXPECT_EQ(s.GetAnimals()[0].ElainNimi, QStringLiteral("Hirvi"));
}

TEST(cSopimus, EstatesAddedBeforeTheFirstSaveGetTheNewContractsKey)
{
    ContractTestDb t;
    cSopimus s(t.db);
    EXPECT_TRUE(s.Tilat().empty());
    s.setNimi(QStringLiteral("Aho"));
    cSopimus::Estate e = s.AddNewTila();
    e->setTila(QStringLiteral("Korpela"));
    cSopimus::Feature f = s.AddNewOminaisuus(t.feature(QStringLiteral("Kartta")));
    f->setValMemo(QStringLiteral("kaapissa"));
    EXPECT_EQ(t.count(QStringLiteral("SELECT COUNT(*) FROM tl")), 0);
    EXPECT_EQ(t.count(QStringLiteral("SELECT COUNT(*) FROM mt")), 0);
    ASSERT_TRUE(s.Save());
    ASSERT_GT(s.id(), 0);
    EXPECT_EQ(t.count(QStringLiteral("SELECT tlvsID FROM tl WHERE tlID = ?"), {Value(e->id())}), s.id());
    EXPECT_EQ(t.count(QStringLiteral("SELECT mtvsID FROM mt WHERE mtID = ?"), {Value(f->id())}), s.id());
    EXPECT_EQ(f->Nimi(), QStringLiteral("Kartta"));

    // On a stored contract a new estate has its own key at once.
    cSopimus::Estate second = s.AddNewTila();
    EXPECT_GT(second->id(), 0);
    cSopimus again(t.db);
    ASSERT_TRUE(again.Read(s.id()));
    EXPECT_EQ(again.Tilat().size(), 2u);
    EXPECT_EQ(again.Ominaisuudet().size(), 1u);
}

TEST(cSopimus, ChangesOfHandedOutEstatesAreSavedWithTheContract)
{
    ContractTestDb t;
    const qint64 id = t.contract(QStringLiteral("Aho"));
    const qint64 tl = t.estate(id, QStringLiteral("Korpela"));
    cSopimus s(t.db);
    ASSERT_TRUE(s.Read(id));
    ASSERT_EQ(s.Tilat().size(), 1u);
    s.Tilat()[0]->setPintaAla(4.5);
    EXPECT_FALSE(s.isDirty());
    ASSERT_TRUE(s.Release());
    EXPECT_DOUBLE_EQ(t.db.scalar(QStringLiteral("SELECT tlPa FROM tl WHERE tlID = ?"), {Value(tl)}).toDouble(), 4.5);
}

TEST(cSopimus, AFailedSaveStoresNothingAndKeepsEverythingPending)
{
    ContractTestDb t;
    const qint64 elk = t.animal(QStringLiteral("Hirvi"));
    t.db.execute(QStringLiteral("CREATE TRIGGER refuse_et BEFORE INSERT ON et BEGIN SELECT RAISE(ABORT, 'ei'); END"));
    cSopimus s(t.db);
    s.setNimi(QStringLiteral("Aho"));
    s.LisaaElain(QStringLiteral("Hirvi"), elk);
    cSopimus::Estate e = s.AddNewTila();
    e->setTila(QStringLiteral("Korpela"));
    EXPECT_ANY_THROW(s.Save());
    EXPECT_EQ(t.count(QStringLiteral("SELECT COUNT(*) FROM vs")), 0);
    EXPECT_EQ(t.count(QStringLiteral("SELECT COUNT(*) FROM tl")), 0);
    EXPECT_EQ(s.id(), 0);
    EXPECT_EQ(e->id(), 0);
    EXPECT_TRUE(s.isDirty());
    EXPECT_TRUE(e->isDirty());

    t.db.execute(QStringLiteral("DROP TRIGGER refuse_et"));
    ASSERT_TRUE(s.Save());
    EXPECT_EQ(t.count(QStringLiteral("SELECT COUNT(*) FROM vs")), 1);
    EXPECT_EQ(t.count(QStringLiteral("SELECT COUNT(*) FROM tl WHERE tlvsID = ?"), {Value(s.id())}), 1);
    EXPECT_EQ(t.count(QStringLiteral("SELECT COUNT(*) FROM et WHERE etvsID = ?"), {Value(s.id())}), 1);
}

TEST(cSopimus, DeleteTakesEstatesFeatureValuesAndAnimalLinksAndKeysAreNotReused)
{
    ContractTestDb t;
    const qint64 keep = t.contract(QStringLiteral("Berg"));
    t.estate(keep, QStringLiteral("Muu"));
    const qint64 id = t.contract(QStringLiteral("Aho"));
    for (int i = 0; i < 3; ++i)
        t.estate(id, QStringLiteral("Tila %1").arg(i));
    t.value(id, t.feature(QStringLiteral("Kartta")));
    t.link(id, t.animal(QStringLiteral("Hirvi")));
    cSopimus s(t.db);
    ASSERT_TRUE(s.Read(id));
    s.setNimi(QStringLiteral("muutettu"));
    ASSERT_TRUE(s.Delete());
    EXPECT_TRUE(s.IsEmpty());
    EXPECT_EQ(s.Nimi(), QString());
    EXPECT_FALSE(s.Save(true));
    EXPECT_FALSE(s.Release());
    for (const char* sql : {"SELECT COUNT(*) FROM vs WHERE vsID = ?", "SELECT COUNT(*) FROM tl WHERE tlvsID = ?",
                            "SELECT COUNT(*) FROM mt WHERE mtvsID = ?", "SELECT COUNT(*) FROM et WHERE etvsID = ?"})
        EXPECT_EQ(t.count(QString::fromUtf8(sql), {Value(id)}), 0) << sql;
    EXPECT_EQ(t.count(QStringLiteral("SELECT COUNT(*) FROM tl WHERE tlvsID = ?"), {Value(keep)}), 1);

    const qint64 next = t.contract(QStringLiteral("Uusi"));
    EXPECT_GT(next, id);
}

TEST(cSopimus, ReadOfAMissingContractCannotOverwriteThePreviousOne)
{
    ContractTestDb t;
    const qint64 id = t.contract(QStringLiteral("Aho"));
    cSopimus s(t.db);
    ASSERT_TRUE(s.Read(id));
    EXPECT_FALSE(s.Read(id + 50));
    EXPECT_EQ(s.id(), 0);
    EXPECT_EQ(s.Nimi(), QString());
    s.Save(true);
    EXPECT_EQ(vsColumn(t, id, QStringLiteral("vsNimi")).toString(), QStringLiteral("Aho"));
}

TEST(cSopimus, UndoKeepsIdAndAnimals)
{
    ContractTestDb t;
    const qint64 id = t.contract(QStringLiteral("Aho"));
    cSopimus s(t.db);
    ASSERT_TRUE(s.Read(id));
    s.setNimi(QStringLiteral("Berg"));
    s.setKoskee(4);
    s.LisaaElain(QStringLiteral("Hirvi"), 3);
    s.Undo();
    EXPECT_EQ(s.Nimi(), QStringLiteral("Aho"));
    EXPECT_EQ(s.Koskee(), 1);
    EXPECT_EQ(s.id(), id);
    EXPECT_EQ(s.GetAnimals().size(), 1u);
}

TEST(cSopimus, WhileEmptyEverythingReadsNeutral)
{
    ContractTestDb t;
    const qint64 id = t.contract(QStringLiteral("Aho"));
    t.db.execute(QStringLiteral("UPDATE vs SET vsVastike = 3, vsVoimassaAlkaen = '2020-01-01 00:00:00' WHERE vsID = ?"),
                 {Value(id)});
    cSopimus s(t.db);
    ASSERT_TRUE(s.Read(id));
    s.setIsEmpty(true);
    EXPECT_EQ(s.Nimi(), QString());
    EXPECT_EQ(s.Vastike(), 1);
    EXPECT_FALSE(s.VoimassaAlkaen().isValid());
    EXPECT_EQ(s.id(), id);
    EXPECT_TRUE(s.GetAnimals().empty());
    EXPECT_TRUE(s.Tilat().empty());
    EXPECT_FALSE(s.Read(id));
}
