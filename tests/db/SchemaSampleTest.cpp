#include "SchemaExpectation.h"

#include "app/ScriptedPrompter.h"
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
    EXPECT_TRUE(QFile::copy(QStringLiteral(TIKKELI_PROGRAM_DIR) + QLatin1Char('/') + shipped, copy)) << shipped.toStdString();
    return Database::open(copy);
}

std::int64_t count(Database& db, const QString& sql, const Params& params = {})
{
    return db.scalar(sql, params).toInt64();
}

QString setting(Database& db, const char* key)
{
    return db.scalar(QStringLiteral("SELECT setString FROM Settings WHERE setSection = ? AND setKey = ?"),
                     {QStringLiteral("TIKKELI"), QString::fromLatin1(key)}).toString();
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

TEST(SchemaSample, TemplateIsEmptyAndCurrent)
{
    QTemporaryDir dir;
    Database db = openCopy(dir, QStringLiteral("mallit/malli.mdb"));
    expectCurrent(db);
    const Catalogue cat = Catalogue::read(db);
    for (const TableDef& t : cat.tables())
        EXPECT_EQ(count(db, QStringLiteral("SELECT count(*) FROM ") + t.name), 0) << t.name.toStdString();
}

TEST(SchemaSample, SampleIsCurrentAndHoldsABelievableClub)
{
    QTemporaryDir dir;
    Database db = openCopy(dir, QStringLiteral("demo1.mdb"));
    expectCurrent(db);

    EXPECT_EQ(setting(db, "AsKannassa"), QStringLiteral("1"));
    EXPECT_EQ(setting(db, "RegName"), QStringLiteral("Erämiehet ry"));
    EXPECT_GT(setting(db, "Jasennro").toLongLong(), count(db, QStringLiteral("SELECT max(CAST(jrJasennumero AS INTEGER)) FROM jr")));
    EXPECT_GT(setting(db, "Laskunro").toLongLong(), count(db, QStringLiteral("SELECT max(jmhjmLaskunumero) FROM jmhist")));
    EXPECT_GT(setting(db, "Sopimusnro").toLongLong(), count(db, QStringLiteral("SELECT max(CAST(vsSopimusNo AS INTEGER)) FROM vs")));

    const struct { const char* what; const char* sql; std::int64_t low; std::int64_t high; } counts[] = {
        {"members", "SELECT count(*) FROM jr", 55, 65},
        {"members with Finnish letters", "SELECT count(*) FROM jr WHERE jrSukunimi GLOB '*[äöåÄÖÅ]*' OR jrEtunimi GLOB '*[äöåÄÖÅ]*'", 5, 65},
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
        {"placeholder rows", "SELECT (SELECT count(*) FROM jr WHERE BackupRow) + (SELECT count(*) FROM jmhist WHERE BackupRow)", 0, 0},
        {"invoice rows without their invoice", "SELECT count(*) FROM jmRivi WHERE jmRjmID NOT IN (SELECT jmhjmID FROM jmhist)", 0, 0},
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
