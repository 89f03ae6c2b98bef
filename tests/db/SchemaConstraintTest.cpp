#include "SchemaExpectation.h"

#include "db/DatabaseFiles.h"
#include "db/DbError.h"
#include "db/Recordset.h"

#include <gtest/gtest.h>

using namespace tikkeli;
using namespace tikkeli::test;

namespace {

class SchemaConstraint : public ::testing::Test {
protected:
    void SetUp() override { db = newCurrentDatabase(dir); }

    // 0 when the value was stored, else the error number.
    int insert(const char* table, const char* field, const Value& v)
    {
        try {
            db.execute(QStringLiteral("INSERT INTO %1 (%2) VALUES (?)").arg(QLatin1String(table), QLatin1String(field)),
                       {v});
            return 0;
        } catch (const DbException& e) {
            return e.number();
        }
    }

    QTemporaryDir dir;
    Database db;
};

constexpr int Stored = 0;

} // namespace

TEST_F(SchemaConstraint, EmptyTextIsRefusedUnlessTheFieldAllowsIt)
{
    const struct {
        const char* table;
        const char* field;
        int expect;
    } cases[] = {
        {"jr", "jrEmail", DbErr::ValidationFailed},
        {"jr", "jrMuistio", DbErr::ValidationFailed},
        {"jm", "jmOtsake", DbErr::ValidationFailed},
        {"jmhist", "jmhjmViitenumero", DbErr::ValidationFailed},
        {"el", "elNimi", DbErr::ValidationFailed},
        {"si", "siLaji", DbErr::ValidationFailed},
        {"si", "siPaikka", DbErr::ValidationFailed},
        {"mvs", "mvsTilat", DbErr::ValidationFailed},
        {"mt", "mtValMemo", DbErr::ValidationFailed},
        {"Settings", "setString", DbErr::ValidationFailed},
        {"rp", "rpDef", DbErr::ValidationFailed},
        {"lt", "ltNimi", DbErr::ValidationFailed},
        {"Rekisteritiedot", "Tiedot", DbErr::ValidationFailed},
        {"vs", "vsSopimusNo", Stored},
        {"Tarra", "Rivi1", Stored},
        {"Tarra", "Rivi6", Stored},
        {"jr", "jrSukunimi", DbErr::ValidationFailed},
        {"jm", "jmTeksti", DbErr::ValidationFailed},
        {"pi", "piKuvaus", DbErr::ValidationFailed},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(insert(c.table, c.field, QString(QLatin1String(""))), c.expect) << c.table << "." << c.field;
        EXPECT_EQ(insert(c.table, c.field, Value::null()), Stored) << c.table << "." << c.field << " Null";
    }
}

TEST_F(SchemaConstraint, TextWiderThanItsFieldIsRefused)
{
    const struct {
        const char* table;
        const char* field;
        int width;
    } cases[] = {
        {"jr", "jrEmail", 50},       {"jr", "jrPostinumero", 5}, {"jm", "jmLaskOsoite3", 100},
        {"Tarra", "Rivi1", 255},     {"lt", "ltNimi", 35},       {"Suoritukset", "Arkistointitunnus", 20},
        {"jr", "jrJasennumero", 10}, {"tl", "tlRekNo", 50},
    };
    for (const auto& c : cases) {
        // Widths count characters, not bytes: a field full of "ä" fits.
        EXPECT_EQ(insert(c.table, c.field, QString(c.width, QChar(0xE4))), Stored) << c.table << "." << c.field;
        EXPECT_EQ(insert(c.table, c.field, QString(c.width + 1, QLatin1Char('x'))), DbErr::FieldTooLong)
            << c.table << "." << c.field;
    }
}

TEST_F(SchemaConstraint, WholeNumbersKeepTheRangesOfTheirTypes)
{
    const struct {
        const char* table;
        const char* field;
        long long value;
        bool ok;
    } cases[] = {
        {"pi", "piType", 0, true},
        {"pi", "piType", 255, true},
        {"pi", "piType", 256, false},
        {"pi", "piType", -1, false},
        {"tl", "tlKuntaNo", 32767, true},
        {"tl", "tlKuntaNo", 32768, false},
        {"tl", "tlKuntaNo", -32768, true},
        {"tl", "tlKuntaNo", -32769, false},
        {"jm", "jmLaskunumero", 2147483647LL, true},
        {"jm", "jmLaskunumero", 2147483648LL, false},
        {"jm", "jmLaskunumero", -2147483648LL, true},
        {"jm", "jmLaskunumero", -2147483649LL, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(insert(c.table, c.field, Value(c.value)) == Stored, c.ok) << c.field << " " << c.value;
}

TEST_F(SchemaConstraint, TypedFieldsRefuseTextThatIsNotTheirKind)
{
    EXPECT_NE(insert("jr", "jrSyntyma", QStringLiteral("1.2.1990")), Stored);
    EXPECT_NE(insert("jm", "jmHinta", QStringLiteral("kymppi")), Stored);
    EXPECT_NE(insert("jm", "jmLaskunumero", QStringLiteral("12a")), Stored);
    EXPECT_NE(insert("jr", "BackupRow", Value::null()), Stored);
    EXPECT_NE(insert("jr", "BackupRow", Value(2)), Stored);
    EXPECT_EQ(insert("jr", "jrSyntyma", QDate(1990, 2, 1)), Stored);
    EXPECT_EQ(insert("jm", "jmHinta", Currency::fromRaw(123456)), Stored);
}

TEST_F(SchemaConstraint, ValuesComeBackAsStored)
{
    db.execute(QStringLiteral("INSERT INTO jr (jrPostinumero, jrMuistio, jrSyntyma) VALUES (?, ?, ?)"),
               {QStringLiteral("00100"), QStringLiteral("0012"), QDateTime(QDate(1961, 7, 4), QTime(0, 0))});
    db.execute(QStringLiteral("INSERT INTO pt (ptValCurrency, ptValMemo) VALUES (?, ?)"),
               {Currency::fromRaw(-15), QStringLiteral("007")});
    Recordset jr = db.openRecordset(QStringLiteral("jr"));
    EXPECT_EQ(jr.field(QStringLiteral("jrPostinumero")), Value(QStringLiteral("00100")));
    EXPECT_EQ(jr.field(QStringLiteral("jrMuistio")), Value(QStringLiteral("0012")));
    EXPECT_EQ(jr.field(QStringLiteral("jrSyntyma")).toDateTime().date(), QDate(1961, 7, 4));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT jrSyntyma FROM jr")).toString().left(19),
              QStringLiteral("1961-07-04 00:00:00"));
    // A new row holds False in every yes/no field it did not set, so it is never a placeholder.
    EXPECT_EQ(jr.field(QStringLiteral("BackupRow")), Value(false));
    EXPECT_EQ(jr.field(QStringLiteral("jrJasenmaksu")), Value(false));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT count(*) FROM jr WHERE BackupRow = False")).toInt64(), 1);
    Recordset pt = db.openRecordset(QStringLiteral("pt"));
    EXPECT_EQ(pt.field(QStringLiteral("ptValCurrency")).toCurrency(), Currency::fromRaw(-15));
    EXPECT_EQ(pt.field(QStringLiteral("ptValMemo")), Value(QStringLiteral("007")));
}

TEST_F(SchemaConstraint, KeysAreNeverHandedOutTwice)
{
    for (int i = 0; i < 3; ++i)
        db.execute(QStringLiteral("INSERT INTO lt (ltNimi) VALUES (?)"), {QStringLiteral("Otsake %1").arg(i)});
    db.execute(QStringLiteral("DELETE FROM lt WHERE ltID >= ?"), {2});
    db.execute(QStringLiteral("INSERT INTO lt (ltNimi) VALUES (?)"), {QStringLiteral("Uusi")});
    EXPECT_EQ(db.lastInsertId(), 4);
    db.execute(QStringLiteral("DELETE FROM lt"));
    const QString compacted = dir.filePath(QStringLiteral("tiivis.mdb"));
    CompactDatabase(db.path(), compacted);
    Database copy = Database::open(compacted);
    copy.execute(QStringLiteral("INSERT INTO lt (ltNimi) VALUES (?)"), {QStringLiteral("Tiivistyksen jälkeen")});
    EXPECT_EQ(copy.lastInsertId(), 5);
}

TEST_F(SchemaConstraint, DeletingAMemberLeavesItsFeatureValuesToTheDeletingCode)
{
    db.execute(QStringLiteral("INSERT INTO jr (jrSukunimi) VALUES (?)"), {QStringLiteral("Öhman")});
    const std::int64_t member = db.lastInsertId();
    db.execute(QStringLiteral("INSERT INTO pt (ptjrID, ptpiID) VALUES (?, ?)"), {member, 1});
    db.execute(QStringLiteral("DELETE FROM jr WHERE jrID = ?"), {member});
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT count(*) FROM pt WHERE ptjrID = ?"), {member}).toInt64(), 1);
}
