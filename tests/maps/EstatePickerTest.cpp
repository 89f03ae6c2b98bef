#include "maps/EstateInfo.h"
#include "maps/EstatePicker.h"
#include "contracts/ContractTestDb.h"

#include <gtest/gtest.h>

using namespace tikkeli;
using test::ContractTestDb;

namespace {

struct Club {
    ContractTestDb t;
    qint64 drawn = 0, undrawn = 0, orphan = 0, noNumber = 0, bare = 0;

    Club()
    {
        const qint64 vs = t.contract(QStringLiteral("Aho"));
        drawn = t.estate(vs, QStringLiteral("Mäki"), QStringLiteral("940-1-2-3"));
        undrawn = t.estate(vs, QStringLiteral("Nummi"), QStringLiteral("940-1-2-1"));
        noNumber = t.estate(vs, QStringLiteral("Nimetön"));
        t.db.execute(QStringLiteral("INSERT INTO tl (tlvsID, tlRekNo, tlKyla, tlKunta) VALUES (?, '12:3', 'Kylä', 'Kunta')"),
                     {Value(vs)});
        bare = t.db.lastInsertId();
        orphan = t.estate(vs + 100, QStringLiteral("Orpo"), QStringLiteral("940-9-9-9"));
        t.db.execute(QStringLiteral("INSERT INTO rj (rjtlID, rjOrderID, rjX, rjY) VALUES (?, 1, 5, 5)"), {Value(drawn)});
    }
};

std::vector<qint64> ids(const std::vector<EstatePicker::Item>& items)
{
    std::vector<qint64> out;
    for (const auto& i : items)
        out.push_back(i.tlId);
    return out;
}

} // namespace

TEST(EstatePicker, FiltersListEstatesOfExistingContractsWithANumberInNumberOrder)
{
    Club c;
    struct Case {
        EstatePicker::Filter filter;
        std::vector<qint64> expected;
    };
    const Case cases[] = {
        {EstatePicker::Filter::All, {c.bare, c.undrawn, c.drawn}},
        {EstatePicker::Filter::Undrawn, {c.bare, c.undrawn}},
        {EstatePicker::Filter::Drawn, {c.drawn}},
    };
    for (const Case& k : cases)
        EXPECT_EQ(ids(EstatePicker::items(c.t.db, k.filter)), k.expected) << int(k.filter);
}

TEST(EstatePicker, ItemTextsAndTheTypedLookupThatIgnoresCase)
{
    Club c;
    const auto items = EstatePicker::items(c.t.db, EstatePicker::Filter::All);
    EXPECT_EQ(items[0].text, QStringLiteral("12:3 /  / Kylä / Kunta"));
    EXPECT_EQ(items[1].text, QStringLiteral("940-1-2-1 / Nummi /  / "));
    EXPECT_EQ(EstatePicker::lookup(items, QStringLiteral("12:3 /  / KYLÄ / kunta")), c.bare);
    EXPECT_EQ(EstatePicker::lookup(items, QStringLiteral("12:3")), 0);
    EXPECT_EQ(EstatePicker::lookup({}, QString()), 0);
}

TEST(EstateInfo, TextsOfTheEstateAndItsContract)
{
    ContractTestDb t;
    const auto contract = [&t](int voimassa, const char* from, const char* to, int koskee, const char* animals) {
        t.db.execute(QStringLiteral("INSERT INTO vs (vsNimi, vsVoimassa, vsVoimassaAlkaen, vsVoimassaPaattyy, vsKoskee, "
                                    "vsEiKoskeSeuraavia) VALUES ('Aho Ari', ?, ?, ?, ?, ?)"),
                     {Value(voimassa), from ? Value(QDate::fromString(QLatin1String(from), Qt::ISODate)) : Value(),
                      to ? Value(QDate::fromString(QLatin1String(to), Qt::ISODate)) : Value(), Value(koskee),
                      animals ? Value(QString::fromUtf8(animals)) : Value()});
        const qint64 vs = t.db.lastInsertId();
        t.db.execute(QStringLiteral("INSERT INTO tl (tlvsID, tlKunta, tlKyla, tlTilaPalsta, tlRekNo, tlPa) "
                                    "VALUES (?, 'Hirvilahti', 'Pirttimäki', 'Korpela', '940-404-16-6', 12.5)"),
                     {Value(vs)});
        return t.db.lastInsertId();
    };
    struct Case {
        qint64 tlId;
        QString voimassaolo;
        QString koskee;
    };
    const Case cases[] = {
        {contract(1, nullptr, nullptr, 1, nullptr), QStringLiteral("Toistaiseksi"), QStringLiteral("Kaikkea metsästystä")},
        {contract(2, "2020-05-01", "2030-04-30", 2, nullptr), QStringLiteral("1.5.2020 - 30.4.2030"),
         QStringLiteral("Hirvieläinten metsästystä")},
        {contract(2, "2020-05-01", nullptr, 3, "karhu"), QStringLiteral("1.5.2020 - "), QStringLiteral("Ei koske: karhu")},
        {contract(2, nullptr, nullptr, 4, "ilves, susi"), QStringLiteral(" - "), QStringLiteral("Koskee: ilves, susi")},
        {contract(0, nullptr, nullptr, 0, nullptr), QString(), QString()},
    };
    for (const Case& c : cases) {
        const EstateInfoTexts texts = EstateInfo::load(t.db, c.tlId);
        EXPECT_EQ(texts.omistaja, QStringLiteral("Aho Ari"));
        EXPECT_EQ(texts.kunta, QStringLiteral("Hirvilahti"));
        EXPECT_EQ(texts.kyla, QStringLiteral("Pirttimäki"));
        EXPECT_EQ(texts.tilaPalsta, QStringLiteral("Korpela"));
        EXPECT_EQ(texts.rekNo, QStringLiteral("940-404-16-6"));
        EXPECT_EQ(texts.pintaAla, QStringLiteral("12,50"));
        EXPECT_EQ(texts.voimassaolo, c.voimassaolo);
        EXPECT_EQ(texts.koskee, c.koskee);
    }
}

TEST(EstateInfo, NoEstateOrNoContractLeavesNothingOfAnEarlierEstate)
{
    ContractTestDb t;
    const qint64 vs = t.contract(QStringLiteral("Aho"));
    const qint64 orphan = t.estate(vs + 50, QStringLiteral("Orpo"), QStringLiteral("1:1"));
    const qint64 contractless = t.estate(0, QStringLiteral("Irrallinen"), QStringLiteral("1:2"));
    EstateInfoTexts empty;
    empty.pintaAla = QStringLiteral("0,00");
    EXPECT_EQ(EstateInfo::load(t.db, 0), empty);
    EXPECT_EQ(EstateInfo::load(t.db, 999), empty);
    for (const qint64 id : {orphan, contractless}) {
        const EstateInfoTexts texts = EstateInfo::load(t.db, id);
        EXPECT_TRUE(texts.omistaja.isEmpty());
        EXPECT_TRUE(texts.voimassaolo.isEmpty());
        EXPECT_TRUE(texts.koskee.isEmpty());
        EXPECT_FALSE(texts.tilaPalsta.isEmpty());
    }
}
