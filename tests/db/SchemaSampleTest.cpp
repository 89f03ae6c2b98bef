#include "SchemaExpectation.h"

#include "base/ScriptedPrompter.h"
#include "db/Recordset.h"
#include "db/UpdateDatabase.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace tikkeli;
using namespace tikkeli::test;

namespace {

// The shipped files are never opened in place: the program folder stays as the build left it.
Database openCopy(const QTemporaryDir& dir, const QString& shipped)
{
    const QString copy = dir.filePath(QStringLiteral("kopio.mdb"));
    EXPECT_TRUE(QFile::copy(QStringLiteral(TIKKELI_PROGRAM_DIR) + QLatin1Char('/') + shipped, copy))
        << shipped.toStdString();
    return Database::open(copy);
}

std::int64_t count(Database& db, const QString& sql, const Params& params = {})
{
    return db.scalar(sql, params).toInt64();
}

QString setting(Database& db, const char* key)
{
    return db
        .scalar(QStringLiteral("SELECT setString FROM Settings WHERE setSection = ? AND setKey = ?"),
                {QStringLiteral("TIKKELI"), QString::fromLatin1(key)})
        .toString();
}

// Finnish payment reference: the check digit brings the base's digits, weighted 7, 3, 1, 7, ... from
// the right, up to the next ten.
bool validReference(const QString& reference)
{
    if (reference.size() < 4 || reference.size() > 20)
        return false;
    static const int weights[] = {7, 3, 1};
    int sum = 0;
    for (int i = int(reference.size()) - 2, w = 0; i >= 0; --i, ++w) {
        if (!reference[i].isDigit())
            return false;
        sum += reference[i].digitValue() * weights[w % 3];
    }
    return reference.back().isDigit() && reference.back().digitValue() == (10 - sum % 10) % 10;
}

bool validIban(QString iban)
{
    iban.remove(QLatin1Char(' '));
    if (iban.size() < 5)
        return false;
    int rest = 0;
    for (const QChar c : iban.mid(4) + iban.left(4)) {
        const int v = c.isDigit() ? c.digitValue() : c.isUpper() ? c.unicode() - 'A' + 10 : -1;
        if (v < 0)
            return false;
        rest = (v < 10 ? rest * 10 + v : rest * 100 + v) % 97;
    }
    return rest == 1;
}

// The upgrade finds nothing to do, asks nothing, and the catalogue is the documented one.
void expectCurrent(Database& db)
{
    ScriptedPrompter prompter;
    const QString before = schemaText(db);
    EXPECT_TRUE(UpdateDatabase(db).empty());
    EXPECT_EQ(schemaText(db), before);
    EXPECT_TRUE(prompter.shown().empty());
    EXPECT_TRUE(catalogueMatches(Catalogue::read(db)));
}

} // namespace

// A new club starts without data but with its default settings, already marked as kept in the
// database, so its first start needs no migration.
TEST(SchemaSample, TemplateIsEmptyButForANewClubsSettingsAndCurrent)
{
    QTemporaryDir dir;
    Database db = openCopy(dir, QStringLiteral("mallit/malli.mdb"));
    expectCurrent(db);
    const Catalogue cat = Catalogue::read(db);
    for (const TableDef& t : cat.tables()) {
        if (t.name.compare(QLatin1String("Settings"), Qt::CaseInsensitive) != 0) {
            EXPECT_EQ(count(db, QStringLiteral("SELECT count(*) FROM ") + t.name), 0) << t.name.toStdString();
        }
    }
    EXPECT_EQ(setting(db, "AsKannassa"), QStringLiteral("1"));
    EXPECT_EQ(setting(db, "Laskunro"), QStringLiteral("100")) << "a new club's references have four digits from the first";
    EXPECT_EQ(setting(db, "RegName"), QString()) << "no club's name or accounts in the template";
    EXPECT_EQ(count(db, QStringLiteral("SELECT count(*) FROM Settings WHERE setKey LIKE 'Reg%'")), 0);
}

TEST(SchemaSample, SampleIsCurrentAndHoldsABelievableClub)
{
    QTemporaryDir dir;
    Database db = openCopy(dir, QStringLiteral("demo1.mdb"));
    expectCurrent(db);

    EXPECT_EQ(setting(db, "AsKannassa"), QStringLiteral("1"));
    EXPECT_EQ(setting(db, "RegName"), QStringLiteral("Erämiehet ry"));
    EXPECT_GT(setting(db, "Jasennro").toLongLong(),
              count(db, QStringLiteral("SELECT max(CAST(jrJasennumero AS INTEGER)) FROM jr")));
    EXPECT_GT(setting(db, "Laskunro").toLongLong(), count(db, QStringLiteral("SELECT max(jmhjmLaskunumero) FROM jmhist")));
    EXPECT_GT(setting(db, "Sopimusnro").toLongLong(),
              count(db, QStringLiteral("SELECT max(CAST(vsSopimusNo AS INTEGER)) FROM vs")));

    const struct {
        const char* what;
        const char* sql;
        std::int64_t low;
        std::int64_t high;
    } counts[] = {
        {"members", "SELECT count(*) FROM jr", 55, 65},
        {"members with Finnish letters",
         "SELECT count(*) FROM jr WHERE jrSukunimi GLOB '*[äöåÄÖÅ]*' OR jrEtunimi GLOB '*[äöåÄÖÅ]*'", 5, 65},
        {"landowners", "SELECT count(*) FROM jr WHERE jrMaanomistaja", 5, 40},
        {"fee payers", "SELECT count(*) FROM jr WHERE jrJasenmaksu", 30, 60},
        {"e-mail addresses", "SELECT count(*) FROM jr WHERE jrEmail IS NOT NULL", 20, 55},
        {"birth dates", "SELECT count(*) FROM jr WHERE jrSyntyma IS NOT NULL", 50, 65},
        {"member features", "SELECT count(*) FROM pi WHERE piType = 1", 3, 20},
        {"contract features", "SELECT count(*) FROM pi WHERE piType = 2", 2, 20},
        {"member feature values", "SELECT count(*) FROM piirteet", 40, 500},
        {"contract feature values", "SELECT count(*) FROM mt", 10, 200},
        {"invoice titles", "SELECT count(*) FROM lt", 3, 20},
        {"paid invoices", "SELECT count(*) FROM jmhist WHERE jmhjmMaksettu", 20, 500},
        {"unpaid invoices", "SELECT count(*) FROM jmhist WHERE NOT jmhjmMaksettu", 3, 100},
        {"invoice rows", "SELECT count(*) FROM jmRivi", 40, 1000},
        {"payments", "SELECT count(*) FROM Suoritukset", 20, 500},
        {"contracts", "SELECT count(*) FROM vs", 18, 25},
        {"estates", "SELECT count(*) FROM tl", 20, 80},
        {"contract animals", "SELECT count(*) FROM et", 20, 200},
        {"game animals", "SELECT count(*) FROM el", 10, 40},
        {"catch", "SELECT count(*) FROM si", 10, 100},
        {"placeholder rows",
         "SELECT (SELECT count(*) FROM jr WHERE BackupRow) + (SELECT count(*) FROM jmhist WHERE BackupRow)", 0, 0},
        {"invoice rows without their invoice",
         "SELECT count(*) FROM jmRivi WHERE jmRjmID NOT IN (SELECT jmhjmID FROM jmhist)", 0, 0},
        {"history invoices whose rows do not add up",
         "SELECT count(*) FROM jmhist WHERE jmhjmHinta <> (SELECT sum(jmRHinta) FROM jmRivi WHERE jmRjmID = jmhjmID)", 0, 0},
        {"values of unknown members", "SELECT count(*) FROM pt WHERE ptjrID NOT IN (SELECT jrID FROM jr)", 0, 0},
        {"estates of unknown contracts", "SELECT count(*) FROM tl WHERE tlvsID NOT IN (SELECT vsID FROM vs)", 0, 0},
        {"contract values on member features", "SELECT count(*) FROM mt JOIN pi ON piID = mtpiID WHERE piType <> 2", 0, 0},
    };
    for (const auto& c : counts) {
        const std::int64_t n = count(db, QString::fromUtf8(c.sql));
        EXPECT_TRUE(n >= c.low && n <= c.high) << c.what << ": " << n;
    }

    // The next invoice of a run gets a number no history row has used.
    db.execute(QStringLiteral("INSERT INTO jm (jmjrID) VALUES (?)"), {1});
    EXPECT_GT(db.lastInsertId(), count(db, QStringLiteral("SELECT max(jmhjmID) FROM jmhist")));
}

TEST(SchemaSample, SampleIdentifiersCarryValidCheckDigits)
{
    QTemporaryDir dir;
    Database db = openCopy(dir, QStringLiteral("demo1.mdb"));
    const struct {
        const char* sql;
        bool (*valid)(QString);
    } cases[] = {
        {"SELECT jrViitenumero FROM jr WHERE jrViitenumero IS NOT NULL", [](QString r) { return validReference(r); }},
        {"SELECT jmhjmViitenumero FROM jmhist", [](QString r) { return validReference(r); }},
        {"SELECT vsVastikePankkiYhteys FROM vs WHERE vsVastikePankkiYhteys IS NOT NULL", validIban},
        {"SELECT setString FROM Settings WHERE setKey IN ('RegIBAN1', 'RegIBAN2') AND setString IS NOT NULL", validIban},
    };
    for (const auto& c : cases) {
        Recordset rs = db.openRecordset(QString::fromUtf8(c.sql), RecordsetType::Snapshot);
        EXPECT_FALSE(rs.eof()) << c.sql;
        for (; !rs.eof(); rs.moveNext())
            EXPECT_TRUE(c.valid(rs.field(0).toString())) << c.sql << ": " << rs.field(0).toString().toStdString();
    }
    EXPECT_TRUE(validReference(QStringLiteral("10016")));
    EXPECT_FALSE(validReference(QStringLiteral("10017")));
    EXPECT_TRUE(validIban(QStringLiteral("FI21 1234 5600 0007 85")));
    EXPECT_FALSE(validIban(QStringLiteral("FI21 1234 5600 0007 86")));

    // Business identity code: weights 7, 9, 10, 5, 8, 4, 2; remainder 1 is never issued.
    const QString businessId = setting(db, "YTunnus");
    ASSERT_EQ(businessId.size(), 9);
    static const int weights[] = {7, 9, 10, 5, 8, 4, 2};
    int sum = 0;
    for (int i = 0; i < 7; ++i)
        sum += businessId[i].digitValue() * weights[i];
    EXPECT_NE(sum % 11, 1);
    EXPECT_EQ(businessId.mid(7), QStringLiteral("-%1").arg(sum % 11 == 0 ? 0 : 11 - sum % 11));
}

TEST(SchemaSample, SampleBooksAndLinksAgree)
{
    QTemporaryDir dir;
    Database db = openCopy(dir, QStringLiteral("demo1.mdb"));
    const char* const paid = "coalesce((SELECT sum(Summa) FROM Suoritukset s WHERE s.jmhID = h.jmhID), 0)";
    const struct {
        const char* what;
        QString sql;
    } mustBeNone[] = {
        {"paid invoices whose payments do not cover them",
         QStringLiteral("SELECT count(*) FROM jmhist h WHERE jmhjmMaksettu AND round(%1 - jmhjmHinta, 2) <> 0")
             .arg(QLatin1String(paid))},
        {"unpaid invoices whose payments cover them",
         QStringLiteral("SELECT count(*) FROM jmhist h WHERE NOT jmhjmMaksettu AND round(%1 - jmhjmHinta, 2) >= 0")
             .arg(QLatin1String(paid))},
        {"open amounts that are not total less payments",
         QStringLiteral("SELECT count(*) FROM jmhist h WHERE jmhjmAvoinSumma IS NOT NULL AND "
                        "round(jmhjmAvoinSumma - CASE WHEN jmhjmMaksettu THEN 0 ELSE jmhjmHinta - %1 END, 2) <> 0")
             .arg(QLatin1String(paid))},
        {"payments before their invoice or of unknown invoices",
         QStringLiteral("SELECT count(*) FROM Suoritukset s LEFT JOIN jmhist h ON h.jmhID = s.jmhID "
                        "WHERE h.jmhID IS NULL OR s.Paiva < h.jmhjmLaskupaiva")},
        {"invoice rows whose member or paid mark differ from their invoice",
         QStringLiteral("SELECT count(*) FROM jmRivi JOIN jmhist ON jmhjmID = jmRjmID "
                        "WHERE jmRjrID <> jmhjmjrID OR jmRMaksettu <> jmhjmMaksettu OR jmRmeId <> jmhjmmeID")},
        {"invoices of unknown members or of members not yet joined",
         QStringLiteral("SELECT count(*) FROM jmhist LEFT JOIN jr ON jrID = jmhjmjrID "
                        "WHERE jrID IS NULL OR jrLiittyma > jmhjmLaskupaiva")},
        {"member values of unknown or contract features",
         QStringLiteral("SELECT count(*) FROM pt WHERE ptpiID NOT IN (SELECT piID FROM pi WHERE piType = 1)")},
        {"contract values of unknown or member features",
         QStringLiteral("SELECT count(*) FROM mt WHERE mtpiID NOT IN (SELECT piID FROM pi WHERE piType = 2) "
                        "OR mtvsID NOT IN (SELECT vsID FROM vs)")},
        {"feature values of a kind the feature does not carry",
         QStringLiteral(
             "SELECT count(*) FROM (SELECT ptValDate d, ptValLong l, ptValCurrency c, ptValMemo m, ptpiID p FROM pt "
             "UNION ALL SELECT mtValDate, mtValLong, mtValCurrency, mtValMemo, mtpiID FROM mt) JOIN pi ON piID = p "
             "WHERE (d IS NOT NULL AND NOT piEnbldDate) OR (l IS NOT NULL AND NOT piEnbldLong) "
             "OR (c IS NOT NULL AND NOT piEnbldCurrency) OR (m IS NOT NULL AND NOT piEnbldMemo)")},
        {"contract animals of unknown animals or contracts",
         QStringLiteral(
             "SELECT count(*) FROM et WHERE etelID NOT IN (SELECT elID FROM el) OR etvsID NOT IN (SELECT vsID FROM vs)")},
        {"register numbers that are not their parts",
         QStringLiteral(
             "SELECT count(*) FROM tl WHERE tlRekNo <> tlKuntaNo || '-' || tlKylaNo || '-' || tlTaloNo || '-' || tlTilaNo")},
        {"municipalities or villages under more than one number",
         QStringLiteral(
             "SELECT (SELECT count(*) FROM (SELECT 1 FROM tl GROUP BY tlKunta HAVING count(DISTINCT tlKuntaNo) > 1))"
             " + (SELECT count(*) FROM (SELECT 1 FROM tl GROUP BY tlKunta, tlKyla HAVING count(DISTINCT tlKylaNo) > 1))")},
        {"declared contract areas other than their estates' total",
         QStringLiteral("SELECT count(*) FROM mt JOIN pi ON piID = mtpiID WHERE piNimi = 'Pinta-ala hehtaareina' "
                        "AND mtValLong <> (SELECT round(sum(tlPa)) FROM tl WHERE tlvsID = mtvsID)")},
        {"meat invoices other than the member's meat fee",
         QStringLiteral(
             "SELECT count(*) FROM jmhist WHERE jmhjmOtsake = 'Hirvenlihamaksu' AND jmhjmHinta IS NOT "
             "(SELECT ptValCurrency FROM pt JOIN pi ON piID = ptpiID WHERE piNimi = 'Lihamaksu' AND ptjrID = jmhjmjrID)")},
        {"family members charged the full membership fee",
         QStringLiteral("SELECT count(*) FROM jmhist f WHERE jmhjmJasMak AND jmhjmjrID IN (SELECT ptjrID FROM pt JOIN pi "
                        "ON piID = ptpiID WHERE piNimi = 'Perhejäsen') AND jmhjmHinta >= "
                        "(SELECT max(jmhjmHinta) FROM jmhist o WHERE o.jmhjmmeID = f.jmhjmmeID)")},
        {"contracts ended before their rent falls due",
         QStringLiteral("SELECT count(*) FROM vs WHERE vsVoimassaPaattyy < vsVastikeVuosiErapaiva")},
        // The contract window's option codes count from 1; each option's own fields go with it.
        {"option codes the contract window has no option for",
         QStringLiteral("SELECT count(*) FROM vs WHERE vsKoskee NOT BETWEEN 1 AND 4 OR vsVoimassa NOT BETWEEN 1 AND 2 "
                        "OR vsVastike NOT BETWEEN 1 AND 4 OR vsOikeus NOT BETWEEN 1 AND 3 OR vsKoirat NOT BETWEEN 1 AND 3 "
                        "OR vsKoskee IS NULL OR vsVoimassa IS NULL OR vsVastike IS NULL OR vsOikeus IS NULL "
                        "OR vsKoirat IS NULL")},
        {"fixed terms without an end or open-ended contracts with one",
         QStringLiteral("SELECT count(*) FROM vs WHERE (vsVoimassa = 2) <> (vsVoimassaPaattyy IS NOT NULL) "
                        "OR vsVoimassaAlkaen IS NULL OR (vsVoimassa = 1 AND vsVoimassaIrtisanomisaika IS NULL)")},
        {"rent amounts and due dates of another kind of rent",
         QStringLiteral("SELECT count(*) FROM vs WHERE (vsVastike = 2) <> (vsVastikeVuosi IS NOT NULL) "
                        "OR (vsVastike = 2) <> (vsVastikeVuosiErapaiva IS NOT NULL) "
                        "OR (vsVastike = 3) <> (vsVastikeKausi IS NOT NULL) "
                        "OR (vsVastike = 3) <> (vsVastikeKausiErapaiva IS NOT NULL) "
                        "OR (vsVastike IN (2, 3)) <> (vsVastikePankkiYhteys IS NOT NULL)")},
        {"animal lists on contracts that cover all hunting or cervids, or missing on the others",
         QStringLiteral("SELECT count(*) FROM vs WHERE (vsKoskee IN (3, 4)) <> (vsEiKoskeSeuraavia IS NOT NULL) "
                        "OR (vsKoskee IN (3, 4)) <> EXISTS (SELECT 1 FROM et WHERE etvsID = vsID)")},
        {"animal names other than the contract's animals",
         QStringLiteral("SELECT count(*) FROM vs WHERE vsEiKoskeSeuraavia IS NOT (SELECT group_concat(elNimi, ', ') "
                        "FROM (SELECT elNimi FROM et JOIN el ON elID = etelID WHERE etvsID = vsID ORDER BY etID))")},
        {"a transfer text without its option or the option without it",
         QStringLiteral("SELECT count(*) FROM vs WHERE (vsOikeus = 3) <> (vsOikeusSiirtaminen IS NOT NULL)")},
        {"options no sample contract shows",
         QStringLiteral("SELECT 16 - (SELECT count(DISTINCT vsKoskee) + count(DISTINCT vsVoimassa) + count(DISTINCT "
                        "vsVastike) + count(DISTINCT vsOikeus) + count(DISTINCT vsKoirat) FROM vs)")},
    };
    for (const auto& c : mustBeNone)
        EXPECT_EQ(count(db, c.sql), 0) << c.what;
}
