#include "db/Database.h"
#include "db/DbError.h"
#include "settings/DatabaseSettingsStore.h"
#include "support/TempProgramEnvironment.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace tikkeli;

namespace {

// The template as a database of an older version: its Settings table empty.
Database templateCopy(const test::TempProgramEnvironment& env, const QString& name = QStringLiteral("seura.mdb"))
{
    Database db = Database::open(env.copyOfShipped(QStringLiteral("mallit/malli.mdb"), name));
    db.execute(QStringLiteral("DELETE FROM Settings"));
    return db;
}

} // namespace

TEST(DatabaseSettingsStore, MissingKeyNullAndMissingTableGiveTheDefault)
{
    test::TempProgramEnvironment env;
    Database db = templateCopy(env);
    DatabaseSettingsStore store(db);
    EXPECT_EQ(store.read(QStringLiteral("Laskunro"), QStringLiteral("1")), QStringLiteral("1"));
    db.execute(QStringLiteral("INSERT INTO Settings (setSection, setKey, setString) VALUES ('TIKKELI', 'Fontti', NULL)"));
    EXPECT_EQ(store.read(QStringLiteral("Fontti"), QStringLiteral("Arial")), QStringLiteral("Arial"));

    Database bare = Database::create(env.root() + QStringLiteral("/tyhja.mdb"));
    DatabaseSettingsStore noTable(bare);
    EXPECT_FALSE(noTable.hasSettingsTable());
    EXPECT_EQ(noTable.read(QStringLiteral("AsKannassa"), QStringLiteral("x")), QStringLiteral("x"));
    EXPECT_THROW(noTable.write(QStringLiteral("1"), QStringLiteral("AsKannassa")), DbException);
}

TEST(DatabaseSettingsStore, WriteAddsReplacesAndStoresEmptyAsNull)
{
    test::TempProgramEnvironment env;
    Database db = templateCopy(env);
    DatabaseSettingsStore store(db);
    const QString tricky = QStringLiteral("O'Brien \"Öljy\" ry; DROP TABLE Settings; --");
    store.write(tricky, QStringLiteral("RegName"));
    EXPECT_EQ(store.read(QStringLiteral("RegName")), tricky);
    store.write(QStringLiteral("Erämiehet"), QStringLiteral("RegName"));
    EXPECT_EQ(store.read(QStringLiteral("RegName")), QStringLiteral("Erämiehet"));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT COUNT(*) FROM Settings WHERE setKey = 'RegName'")).toInt64(), 1);
    store.write(QString(), QStringLiteral("RegName"));
    EXPECT_TRUE(db.scalar(QStringLiteral("SELECT setString FROM Settings WHERE setKey = 'RegName'")).isNull());
    EXPECT_EQ(store.read(QStringLiteral("RegName"), QStringLiteral("oletus")), QStringLiteral("oletus"));
}

TEST(DatabaseSettingsStore, SectionsAreKeptApartAndLongValuesRaise)
{
    test::TempProgramEnvironment env;
    Database db = templateCopy(env);
    DatabaseSettingsStore store(db);
    store.write(QStringLiteral("a"), QStringLiteral("Avain"));
    store.setSection(QStringLiteral("MUU"));
    EXPECT_EQ(store.read(QStringLiteral("Avain"), QStringLiteral("-")), QStringLiteral("-"));
    EXPECT_THROW(store.write(QString(256, QLatin1Char('x')), QStringLiteral("Avain")), DbException);
    store.setSection(QStringLiteral("TIKKELI"));
    EXPECT_EQ(store.read(QStringLiteral("Avain")), QStringLiteral("a"));
}

// The section read in one query gives every key what a read of that key alone gives.
TEST(DatabaseSettingsStore, ASectionReadAtOnceAgreesWithReadsKeyByKey)
{
    test::TempProgramEnvironment env;
    Database db = templateCopy(env);
    const char* rows[][3] = {
        {"TIKKELI", "RegName", "Erämiehet ry"},
        {"TIKKELI", "Fontti", nullptr}, // Null: the default
        {"TIKKELI", "Laskunro", "100"}, // a key written twice: its first row counts
        {"TIKKELI", "Laskunro", "200"},
        {"TIKKELI", "Jasennro", nullptr}, // first row Null, a later one with a value
        {"TIKKELI", "Jasennro", "7"},
        {"MUU", "Avain", "toisen osion"},           // another section
        {"TIKKELI", "avain", "toinen kirjainkoko"}, // keys are told apart by letter case, as read() does
        {"TIKKELI", nullptr, "ilman avainta"},
    };
    for (const auto& r : rows)
        db.execute(QStringLiteral("INSERT INTO Settings (setSection, setKey, setString) VALUES (?, ?, ?)"),
                   {r[0] ? Value(QString::fromUtf8(r[0])) : Value(), r[1] ? Value(QString::fromUtf8(r[1])) : Value(),
                    r[2] ? Value(QString::fromUtf8(r[2])) : Value()});
    DatabaseSettingsStore store(db);
    const DatabaseSettingsStore::Section section = store.readSection();
    for (const char* key : {"RegName", "Fontti", "Laskunro", "Jasennro", "Avain", "avain", "Puuttuu", ""}) {
        const QString k = QString::fromUtf8(key);
        EXPECT_EQ(section.read(k, QStringLiteral("oletus")), store.read(k, QStringLiteral("oletus"))) << key;
    }
    EXPECT_EQ(section.read(QStringLiteral("Laskunro")), QStringLiteral("100"));

    Database bare = Database::create(env.root() + QStringLiteral("/tyhja.mdb"));
    DatabaseSettingsStore noTable(bare);
    EXPECT_EQ(noTable.readSection().read(QStringLiteral("AsKannassa"), QStringLiteral("x")), QStringLiteral("x"));
}
