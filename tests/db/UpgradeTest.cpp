#include "SchemaExpectation.h"

#include "db/DatabaseFiles.h"
#include "db/DbError.h"
#include "db/Recordset.h"
#include "db/Schema.h"
#include "db/SchemaDdl.h"
#include "db/UpdateDatabase.h"

#include <QFile>
#include <gtest/gtest.h>
#include <numeric>
#include <sqlite3.h>
#include <string>

using namespace tikkeli;
using namespace tikkeli::test;

namespace {

struct InjectedStop : std::runtime_error {
    InjectedStop() : std::runtime_error("stopped") {}
};

// A table as the step that created it made it in an older version.
TableDef createdShape(const char* name, int step)
{
    return Schema::madeBy(QString::fromLatin1(name), step);
}

void createTable(Database& db, const TableDef& t)
{
    db.execute(SchemaDdl::createTable(t));
    for (const IndexDef& i : t.indexes)
        if (!i.primary)
            db.execute(SchemaDdl::createIndex(t.name, i));
}

void setWidth(TableDef& t, const char* field, int width)
{
    for (FieldDef& f : t.fields)
        if (f.name == QLatin1String(field))
            f.size = width;
}

void removeField(TableDef& t, const char* field)
{
    std::erase_if(t.fields, [&](const FieldDef& f) { return f.name == QLatin1String(field); });
}

// A file of an older version: a catch list with a 50-wide place, a contract summary with a 50-wide
// municipality, an invoice history from before the member link, an animal table without its indexes,
// and rows that the upgrade must treat correctly.
Database olderDatabase(const QTemporaryDir& dir)
{
    Database db = newBaseDatabase(dir);
    TableDef si = createdShape("si", 20);
    setWidth(si, "siPaikka", 50);
    TableDef mvs = createdShape("mvs", 19);
    setWidth(mvs, "mvsKunta", 50);
    TableDef jmhist = createdShape("jmhist", 3);
    removeField(jmhist, "jmhjmjrID");
    for (const TableDef& t : {si, mvs, jmhist, createdShape("et", 5)})
        createTable(db, t);
    db.execute(QStringLiteral("INSERT INTO si (siLaji, siPaikka) VALUES (?, ?)"),
               {QStringLiteral("Hirvi"), QStringLiteral("Kuusikko")});
    db.execute(QStringLiteral("INSERT INTO mvs (mvsKunta, mvsOmistaja) VALUES (?, ?)"),
               {QStringLiteral("Hirvilahti"), QStringLiteral("Mäkelä")});
    for (const char* name : {"Ampumakoe", "Hirviporukka"})
        db.execute(QStringLiteral("INSERT INTO pi (piNimi) VALUES (?)"), {QString::fromUtf8(name)});
    return db;
}

QString fieldNames(const Catalogue& cat, const char* table)
{
    QStringList names;
    for (const FieldDef& f : cat.table(QString::fromLatin1(table))->fields)
        names << f.name;
    return names.join(QLatin1Char(' '));
}

// Answers the upgrade's question about the catch place as told and counts how often it was asked.
struct CatchPlaceAnswers {
    std::vector<bool> answers;
    int asked = 0;

    UpgradeHooks hooks()
    {
        UpgradeHooks h;
        h.widenCatchPlace = [this] {
            const bool yes = asked < int(answers.size()) && answers[asked];
            ++asked;
            return yes;
        };
        return h;
    }
};

} // namespace

TEST(Upgrade, FromTheBaseTablesReachesTheDocumentedCatalogueSilently)
{
    QTemporaryDir dir;
    Database db = newBaseDatabase(dir);
    CatchPlaceAnswers asking;
    const std::vector<int> applied = UpdateDatabase(db, asking.hooks());
    EXPECT_TRUE(catalogueMatches(Catalogue::read(db)));
    std::vector<int> expected(77);
    std::iota(expected.begin(), expected.end(), 1);
    // jmhist gets its member link with the table, mvs and si their full widths.
    std::erase_if(expected, [](int s) { return s == 14 || s == 21 || s == 22; });
    EXPECT_EQ(applied, expected);
    EXPECT_EQ(asking.asked, 0);
}

TEST(Upgrade, SecondRunChangesNothing)
{
    QTemporaryDir dir;
    Database db = newCurrentDatabase(dir);
    const QString before = schemaText(db);
    CatchPlaceAnswers asking;
    EXPECT_TRUE(UpdateDatabase(db, asking.hooks()).empty());
    EXPECT_EQ(schemaText(db), before);
    EXPECT_EQ(asking.asked, 0);
}

TEST(Upgrade, OlderDatabaseWithYesWidensTheCatchPlaceAndEmptiesIt)
{
    QTemporaryDir dir;
    Database db = olderDatabase(dir);
    CatchPlaceAnswers asking{{true}};
    const std::vector<int> applied = UpdateDatabase(db, asking.hooks());
    EXPECT_EQ(asking.asked, 1);

    const Catalogue cat = Catalogue::read(db);
    EXPECT_TRUE(catalogueMatches(cat, FieldOrder::Any));
    // A replaced field stands after the fields the table had; BackupRow came later still.
    EXPECT_TRUE(fieldNames(cat, "si").endsWith(QStringLiteral("siKelvoton siPaikka BackupRow")));
    EXPECT_TRUE(fieldNames(cat, "mvs").endsWith(QStringLiteral("mvsLoppuu mvsKunta BackupRow")));
    for (int step : {2, 14, 15, 18, 21, 22})
        EXPECT_NE(std::find(applied.begin(), applied.end(), step), applied.end()) << step;

    Recordset si = db.openRecordset(QStringLiteral("si"));
    EXPECT_EQ(si.field(QStringLiteral("siLaji")), Value(QStringLiteral("Hirvi")));
    EXPECT_TRUE(si.field(QStringLiteral("siPaikka")).isNull());
    Recordset mvs = db.openRecordset(QStringLiteral("mvs"));
    EXPECT_EQ(mvs.field(QStringLiteral("mvsOmistaja")), Value(QStringLiteral("Mäkelä")));
    EXPECT_TRUE(mvs.field(QStringLiteral("mvsKunta")).isNull());
    // Feature rows older than the type are member features.
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT count(*) FROM pi WHERE piType = 1")).toInt64(), 2);
    // The widened fields take what the old ones could not.
    db.execute(QStringLiteral("UPDATE mvs SET mvsKunta = ?"), {QString(255, QLatin1Char('k'))});
    db.execute(QStringLiteral("UPDATE si SET siPaikka = ?"), {QString(255, QLatin1Char('p'))});
}

TEST(Upgrade, OlderDatabaseWithNoKeepsTheCatchPlaceAndAsksAgainNextTime)
{
    QTemporaryDir dir;
    Database db = olderDatabase(dir);
    CatchPlaceAnswers asking{{false, false, true}};
    UpdateDatabase(db, asking.hooks());
    const Catalogue read = Catalogue::read(db); // the field lives in the catalogue
    const FieldDef* place = read.field(QStringLiteral("si"), QStringLiteral("siPaikka"));
    ASSERT_NE(place, nullptr);
    EXPECT_EQ(place->size, 50);
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT siPaikka FROM si")), Value(QStringLiteral("Kuusikko")));

    const QString before = schemaText(db);
    EXPECT_TRUE(UpdateDatabase(db, asking.hooks()).empty());
    EXPECT_EQ(asking.asked, 2);
    EXPECT_EQ(schemaText(db), before);

    EXPECT_EQ(UpdateDatabase(db, asking.hooks()), std::vector<int>{22});
    EXPECT_EQ(asking.asked, 3);
    EXPECT_TRUE(catalogueMatches(Catalogue::read(db), FieldOrder::Any));
}

TEST(Upgrade, WithoutAnAnswerTheCatchPlaceIsKept)
{
    QTemporaryDir dir;
    Database db = olderDatabase(dir);
    const std::vector<int> applied = UpdateDatabase(db);
    EXPECT_EQ(std::find(applied.begin(), applied.end(), 22), applied.end());
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT siPaikka FROM si")), Value(QStringLiteral("Kuusikko")));
}

TEST(Upgrade, MunicipalityOfAnotherWidthIsLeftAlone)
{
    QTemporaryDir dir;
    Database db = newBaseDatabase(dir);
    TableDef mvs = createdShape("mvs", 19);
    setWidth(mvs, "mvsKunta", 40);
    createTable(db, mvs);
    db.execute(QStringLiteral("INSERT INTO mvs (mvsKunta) VALUES (?)"), {QStringLiteral("Hirvilahti")});
    CatchPlaceAnswers asking;
    UpdateDatabase(db, asking.hooks());
    const Catalogue read = Catalogue::read(db); // the field lives in the catalogue
    const FieldDef* municipality = read.field(QStringLiteral("mvs"), QStringLiteral("mvsKunta"));
    ASSERT_NE(municipality, nullptr);
    EXPECT_EQ(municipality->size, 40);
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT mvsKunta FROM mvs")), Value(QStringLiteral("Hirvilahti")));
    EXPECT_EQ(asking.asked, 0);
}

TEST(Upgrade, MissingMunicipalityIsAdded)
{
    QTemporaryDir dir;
    Database db = newBaseDatabase(dir);
    TableDef mvs = createdShape("mvs", 19);
    removeField(mvs, "mvsKunta");
    createTable(db, mvs);
    UpdateDatabase(db);
    EXPECT_TRUE(catalogueMatches(Catalogue::read(db), FieldOrder::Any));
}

TEST(Upgrade, FeatureTypeIsFilledOnlyInTheRunThatAddsIt)
{
    QTemporaryDir dir;
    Database db = newBaseDatabase(dir);
    for (int i = 0; i < 3; ++i)
        db.execute(QStringLiteral("INSERT INTO pi (piNimi) VALUES (?)"), {QStringLiteral("P%1").arg(i)});
    UpdateDatabase(db);
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT count(*) FROM pi WHERE piType = 1")).toInt64(), 3);
    db.execute(QStringLiteral("UPDATE pi SET piType = 2 WHERE piNimi = ?"), {QStringLiteral("P1")});
    db.execute(QStringLiteral("UPDATE pi SET piType = NULL WHERE piNimi = ?"), {QStringLiteral("P2")});
    db.execute(QStringLiteral("INSERT INTO pi (piNimi) VALUES (?)"), {QStringLiteral("P3")});
    UpdateDatabase(db);
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT count(*) FROM pi WHERE piType = 1")).toInt64(), 1);
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT count(*) FROM pi WHERE piType IS NULL")).toInt64(), 2);
}

TEST(Upgrade, AnimalIndexesDependOnTheIndexCountWhateverTheNames)
{
    {
        QTemporaryDir dir;
        Database db = newBaseDatabase(dir);
        db.execute(SchemaDdl::createTable(createdShape("et", 5)));
        db.execute(QStringLiteral("CREATE INDEX et_omaidx ON et (etvsID)"));
        UpdateDatabase(db);
        const Catalogue cat = Catalogue::read(db);
        EXPECT_EQ(cat.indexCount(QStringLiteral("et")), 2);
        EXPECT_FALSE(cat.hasIndex(QStringLiteral("et"), QStringLiteral("vsidx")));
        EXPECT_FALSE(cat.hasIndex(QStringLiteral("et"), QStringLiteral("elidx")));
    }
    {
        // No key at all, one index of another name: still exactly one index.
        QTemporaryDir dir;
        Database db = newBaseDatabase(dir);
        db.executeScript(QStringLiteral("CREATE TABLE et (etID INTEGER, etelID INTEGER, etvsID INTEGER);\n"
                                        "CREATE INDEX et_jokin ON et (etID);"));
        UpdateDatabase(db);
        const Catalogue cat = Catalogue::read(db);
        EXPECT_EQ(cat.indexCount(QStringLiteral("et")), 3);
        EXPECT_TRUE(cat.hasIndex(QStringLiteral("et"), QStringLiteral("vsidx")));
        EXPECT_TRUE(cat.hasIndex(QStringLiteral("et"), QStringLiteral("elidx")));
    }
}

TEST(Upgrade, GroupIsKnownByItsFirstFieldOnly)
{
    QTemporaryDir dir;
    Database db = newBaseDatabase(dir);
    db.execute(QStringLiteral("ALTER TABLE tl ADD COLUMN tlKuntaNo SMALLINT"));
    UpdateDatabase(db);
    const Catalogue cat = Catalogue::read(db);
    EXPECT_TRUE(cat.hasField(QStringLiteral("tl"), QStringLiteral("tlKuntaNo")));
    for (const char* f : {"tlKylaNo", "tlTaloNo", "tlTilaNo"})
        EXPECT_FALSE(cat.hasField(QStringLiteral("tl"), QString::fromLatin1(f))) << f;
}

TEST(Upgrade, GroupWhoseLaterFieldIsPresentGetsTheRestWithoutStopping)
{
    QTemporaryDir dir;
    Database db = newBaseDatabase(dir);
    db.execute(QStringLiteral("ALTER TABLE tl ADD COLUMN TLTALONO SMALLINT"));
    const std::vector<int> applied = UpdateDatabase(db);
    ASSERT_FALSE(applied.empty());
    EXPECT_EQ(applied.back(), 77);
    EXPECT_EQ(fieldNames(Catalogue::read(db), "tl"),
              QStringLiteral(
                  "tlID tlvsID tlKunta tlKyla tlTilaPalsta tlRekNo tlPa TLTALONO tlKuntaNo tlKylaNo tlTilaNo BackupRow"));
}

TEST(Upgrade, NamesInOtherLetterCaseAreFoundNotDuplicated)
{
    QTemporaryDir dir;
    Database db = newBaseDatabase(dir);
    db.executeScript(QStringLiteral("ALTER TABLE jr ADD COLUMN JREMAIL VARCHAR(50);\n"
                                    "CREATE TABLE EL (ELID INTEGER PRIMARY KEY AUTOINCREMENT, ELNIMI VARCHAR(35));\n"
                                    "CREATE TABLE Rekisteritiedot (Rekisteritieto_ID INTEGER PRIMARY KEY AUTOINCREMENT,"
                                    " jrID INTEGER, Tiedot TEXT);\n"
                                    "CREATE INDEX Rekisteritiedot_JRIDIDX ON Rekisteritiedot (jrID);"));
    const std::vector<int> applied = UpdateDatabase(db);
    for (int step : {4, 6, 69, 70})
        EXPECT_EQ(std::find(applied.begin(), applied.end(), step), applied.end()) << step;
    const Catalogue cat = Catalogue::read(db);
    EXPECT_EQ(fieldNames(cat, "jr").count(QStringLiteral("email"), Qt::CaseInsensitive), 2); // JREMAIL, jrEmailLasku
    EXPECT_EQ(cat.table(QStringLiteral("el"))->name, QStringLiteral("EL"));
    EXPECT_TRUE(cat.hasField(QStringLiteral("el"), QStringLiteral("BackupRow")));
    EXPECT_TRUE(UpdateDatabase(db).empty());
}

TEST(Upgrade, StopInsideAStepLeavesItUndoneAndTheNextRunCompletesIt)
{
    const struct {
        int step;
        int statement;
        const char* table;
        const char* field;
    } cases[] = {
        {23, 2, "tl", "tlKuntaNo"}, // a group of four fields, stopped after two
        {2, 1, "pi", "piType"},     // the field added, its fill not yet run
        {17, 2, "mt", nullptr},     // a table created, its second index not yet
        {52, 5, "jmhist", "jmhjmMuistutusOtsake"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.step);
        QTemporaryDir dir;
        Database db = newBaseDatabase(dir);
        db.execute(QStringLiteral("INSERT INTO pi (piNimi) VALUES (?)"), {QStringLiteral("Ampumakoe")});
        UpgradeHooks hooks;
        hooks.beforeStatement = [&](int step, int statement) {
            if (step == c.step && statement == c.statement)
                throw InjectedStop();
        };
        EXPECT_THROW(UpdateDatabase(db, hooks), InjectedStop);
        const Catalogue stopped = Catalogue::read(db);
        if (c.field)
            EXPECT_FALSE(stopped.hasField(QString::fromLatin1(c.table), QString::fromLatin1(c.field)));
        else
            EXPECT_FALSE(stopped.hasTable(QString::fromLatin1(c.table)));
        EXPECT_EQ(
            db.scalar(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name IN ('mt_vsidx', 'mt_piidx')")).toInt64(),
            c.step <= 17 ? 0 : 2);
        EXPECT_EQ(stopped.hasTable(QStringLiteral("jmhist")), c.step > 3); // earlier steps stay done

        const std::vector<int> resumed = UpdateDatabase(db);
        EXPECT_EQ(resumed.front(), c.step);
        EXPECT_TRUE(catalogueMatches(Catalogue::read(db)));
        EXPECT_EQ(db.scalar(QStringLiteral("SELECT piType FROM pi")).toInt64(), 1);
    }
}

TEST(Upgrade, StopWhileReplacingTheCatchPlaceKeepsTheOldField)
{
    QTemporaryDir dir;
    Database db = olderDatabase(dir);
    CatchPlaceAnswers asking{{true}};
    UpgradeHooks hooks = asking.hooks();
    hooks.beforeStatement = [](int step, int statement) {
        if (step == 22 && statement == 1) // dropped, not yet added again
            throw InjectedStop();
    };
    EXPECT_THROW(UpdateDatabase(db, hooks), InjectedStop);
    const Catalogue read = Catalogue::read(db); // the field lives in the catalogue
    const FieldDef* place = read.field(QStringLiteral("si"), QStringLiteral("siPaikka"));
    ASSERT_NE(place, nullptr);
    EXPECT_EQ(place->size, 50);
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT siPaikka FROM si")), Value(QStringLiteral("Kuusikko")));
}

TEST(Upgrade, MissingBaseTableStopsTheRunBeforeAnyChange)
{
    QTemporaryDir dir;
    Database db = newBaseDatabase(dir);
    db.execute(QStringLiteral("DROP TABLE jm"));
    const QString before = schemaText(db);
    try {
        UpdateDatabase(db);
        ADD_FAILURE() << "the run went on without jm";
    } catch (const DbException& e) {
        EXPECT_EQ(e.number(), DbErr::ItemNotFound);
    }
    EXPECT_EQ(schemaText(db), before);
}

TEST(Upgrade, CatchListWithoutItsPlaceFieldDoesNotStopEveryRun)
{
    QTemporaryDir dir;
    Database db = newBaseDatabase(dir);
    TableDef si = createdShape("si", 20);
    removeField(si, "siPaikka");
    createTable(db, si);
    CatchPlaceAnswers asking{{true}};
    const std::vector<int> applied = UpdateDatabase(db, asking.hooks());
    ASSERT_FALSE(applied.empty());
    EXPECT_EQ(applied.back(), 77);
    EXPECT_EQ(asking.asked, 0);
    EXPECT_FALSE(Catalogue::read(db).hasField(QStringLiteral("si"), QStringLiteral("siPaikka")));
}

// The row-by-row lookups of the program find their rows through an index, both in a file that the
// upgrade brought up to date and under the names the catalogue reports.
TEST(Upgrade, LookupIndexesServeTheProgramsRowByRowQueries)
{
    QTemporaryDir dir;
    Database db = newBaseDatabase(dir);
    UpdateDatabase(db);
    const Catalogue cat = Catalogue::read(db);
    const struct {
        const char* table;
        const char* index;
        const char* query;
    } lookups[] = {
        {"pt", "ptjridx", "SELECT * FROM pt WHERE ptjrID = 5"},
        {"pt", "ptpiidx", "SELECT * FROM pt WHERE ptpiID = 5"},
        {"tl", "tlvsidx", "SELECT * FROM tl WHERE tlvsID = 5"},
        {"jmhist", "jmhviiteidx", "SELECT * FROM jmhist WHERE jmhjmViitenumero = '12344'"},
        {"jmhist", "jmhjmjridx", "SELECT * FROM jmhist WHERE jmhjmjrID = 5"},
        {"jm", "jmviiteidx", "SELECT * FROM jm WHERE jmViitenumero = '12344'"},
        {"jm", "jmjridx", "SELECT * FROM jm WHERE jmjrID = 5"},
        {"jmRivi", "jmidx", "SELECT * FROM jmRivi WHERE jmRjmID = 5"},
        {"mt", "vsidx", "SELECT * FROM mt WHERE mtvsID = 5"},
        {"rj", "rjtlidx", "SELECT * FROM rj WHERE rjtlID = 5"},
        {"Suoritukset", "suorjmhidx", "SELECT Summa FROM Suoritukset WHERE jmhID = 5"},
    };
    for (const auto& l : lookups) {
        const QString table = QString::fromLatin1(l.table), index = QString::fromLatin1(l.index);
        const TableDef* t = cat.table(table);
        ASSERT_NE(t, nullptr) << l.table;
        EXPECT_NE(t->index(index), nullptr) << l.table << "." << l.index;
        sqlite3_stmt* plan = nullptr;
        ASSERT_EQ(
            sqlite3_prepare_v2(db.handle(), (std::string("EXPLAIN QUERY PLAN ") + l.query).c_str(), -1, &plan, nullptr),
            SQLITE_OK);
        QString details;
        while (sqlite3_step(plan) == SQLITE_ROW)
            details += QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(plan, 3))) + u' ';
        sqlite3_finalize(plan);
        EXPECT_TRUE(details.contains(table + u'_' + index)) << l.query << ": " << details.toStdString();
    }
}

// A file written by the version before the payment index: the upgrade adds the index alone, in one
// transaction, and keeps the payment rows; a run stopped inside the step leaves the file as it was.
TEST(Upgrade, FileFromBeforeThePaymentIndexGetsItAndKeepsItsPayments)
{
    for (const bool stopped : {true, false}) {
        SCOPED_TRACE(stopped);
        QTemporaryDir dir;
        Database db = newBaseDatabase(dir);
        UpdateDatabase(db);
        db.execute(QStringLiteral("DROP INDEX \"%1\"")
                       .arg(Catalogue::physicalIndexName(QStringLiteral("Suoritukset"), QStringLiteral("suorjmhidx"))));
        for (int i = 1; i <= 3; ++i)
            db.execute(QStringLiteral("INSERT INTO Suoritukset (jmhID, Summa) VALUES (?, ?)"), {Value(i % 2), Value(i)});
        const auto hasIndex = [&] {
            return Catalogue::read(db).table(QStringLiteral("Suoritukset"))->index(QStringLiteral("suorjmhidx")) != nullptr;
        };
        ASSERT_FALSE(hasIndex());
        if (stopped) {
            UpgradeHooks hooks;
            hooks.beforeStatement = [](int step, int) {
                if (step == 76)
                    throw InjectedStop();
            };
            EXPECT_THROW(UpdateDatabase(db, hooks), InjectedStop);
            EXPECT_FALSE(hasIndex());
        }
        EXPECT_EQ(UpdateDatabase(db), std::vector<int>{76});
        EXPECT_TRUE(hasIndex());
        EXPECT_TRUE(catalogueMatches(Catalogue::read(db)));
        EXPECT_EQ(db.scalar(QStringLiteral("SELECT SUM(Summa) FROM Suoritukset WHERE jmhID = 1")).toInt64(), 4);
    }
}

namespace {

// Work of another program on the file, through its own connection.
void elsewhere(Database& db, const QString& sql)
{
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open_v2(QFile::encodeName(db.path()).constData(), &other, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(other, sql.toUtf8().constData(), nullptr, nullptr, nullptr), SQLITE_OK)
        << sqlite3_errmsg(other) << " " << sql.toStdString();
    sqlite3_close_v2(other);
}

} // namespace

// A run that leaves nothing undone marks the file current, and the next run trusts the mark only
// while the schema is the one it was given for: whatever another program (an older version of
// ours, the sqlite3 shell) does to the schema afterwards makes the upgrade check the file again.
TEST(UpgradeMark, AMarkIsTrustedOnlyForTheSchemaItWasGivenFor)
{
    const QString paymentIndex = Catalogue::physicalIndexName(QStringLiteral("Suoritukset"), QStringLiteral("suorjmhidx"));
    struct Case {
        const char* change;
        QString sql; // run by another program on a file marked current
        bool markKept;
        std::vector<int> redone; // what the next run does
    };
    const Case cases[] = {
        {"rows written", QStringLiteral("INSERT INTO jr (jrSukunimi) VALUES ('Aho'); DELETE FROM pi"), true, {}},
        {"an index dropped", QStringLiteral("DROP INDEX \"%1\"").arg(paymentIndex), false, {76}},
        {"a table dropped", QStringLiteral("DROP TABLE Tarra"), false, {66}},
        {"a field added that no step knows", QStringLiteral("ALTER TABLE jr ADD COLUMN omaKentta TEXT"), false, {}},
        {"a table made and dropped again",
         QStringLiteral("CREATE TABLE kopio AS SELECT * FROM rp; DROP TABLE kopio"),
         true,
         {}},
        // A plain version number in the header, as a program that numbers its schema would write.
        {"the mark written over", QStringLiteral("PRAGMA user_version = 76"), false, {}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.change);
        QTemporaryDir dir;
        Database db = newBaseDatabase(dir);
        EXPECT_FALSE(SchemaMarkedCurrent(db)) << "a new file carries no mark";
        EXPECT_FALSE(UpdateDatabase(db).empty());
        ASSERT_TRUE(SchemaMarkedCurrent(db));
        EXPECT_TRUE(UpdateDatabase(db).empty());

        elsewhere(db, k.sql);
        EXPECT_EQ(SchemaMarkedCurrent(db), k.markKept);
        EXPECT_EQ(UpdateDatabase(db), k.redone);
        EXPECT_TRUE(SchemaMarkedCurrent(db)) << "checked again, the file is marked anew";
    }
}

TEST(UpgradeMark, AFileWithAStepPutOffIsNeverMarkedAndAsksAgain)
{
    QTemporaryDir dir;
    Database db = olderDatabase(dir);
    EXPECT_EQ(db.scalar(QStringLiteral("PRAGMA user_version")).toInt64(), 0) << "an older version's file";
    CatchPlaceAnswers asking{{false, false, true}};
    EXPECT_FALSE(UpdateDatabase(db, asking.hooks()).empty());
    EXPECT_FALSE(SchemaMarkedCurrent(db));
    EXPECT_TRUE(UpdateDatabase(db, asking.hooks()).empty());
    EXPECT_FALSE(SchemaMarkedCurrent(db));
    EXPECT_EQ(UpdateDatabase(db, asking.hooks()), std::vector<int>{22});
    EXPECT_EQ(asking.asked, 3);
    EXPECT_TRUE(SchemaMarkedCurrent(db));
}

TEST(UpgradeMark, ARunStoppedInsideAStepLeavesNoMark)
{
    QTemporaryDir dir;
    Database db = newBaseDatabase(dir);
    UpgradeHooks hooks;
    hooks.beforeStatement = [](int step, int) {
        if (step == 70)
            throw InjectedStop();
    };
    EXPECT_THROW(UpdateDatabase(db, hooks), InjectedStop);
    EXPECT_FALSE(SchemaMarkedCurrent(db));
    EXPECT_FALSE(UpdateDatabase(db).empty());
    EXPECT_TRUE(SchemaMarkedCurrent(db));
}

// The copies the program makes (backup, compaction, repair) hold the same schema and its mark.
TEST(UpgradeMark, TheMarkTravelsWithTheFilesCopies)
{
    QTemporaryDir dir;
    Database db = newBaseDatabase(dir);
    UpdateDatabase(db);
    ASSERT_TRUE(SchemaMarkedCurrent(db));
    db.close();
    ConnectionRegistry::closeAll(dir.filePath(QStringLiteral("t.mdb")));
    const QString backup = dir.filePath(QStringLiteral("kopio.mdb"));
    const QString compacted = dir.filePath(QStringLiteral("tiivis.mdb"));
    BackupDatabase(dir.filePath(QStringLiteral("t.mdb")), backup);
    CompactDatabase(dir.filePath(QStringLiteral("t.mdb")), compacted);
    for (const QString& copy : {backup, compacted}) {
        Database c = Database::open(copy);
        EXPECT_TRUE(SchemaMarkedCurrent(c)) << copy.toStdString();
        c.close();
        ConnectionRegistry::closeAll(copy);
    }
}

// A later version adds a step: a file the earlier list marked current is checked and upgraded
// again, and its mark changes, whether the new step finds work on the file or not.
TEST(UpgradeMark, AStepAddedToTheListVoidsTheMarksOfTheListBefore)
{
    const auto missingTable = [](const char* table) {
        return [name = QString::fromLatin1(table)](const Catalogue& cat) {
            return cat.hasTable(name)
                       ? std::vector<QString>{}
                       : std::vector<QString>{QStringLiteral("CREATE TABLE %1 (id INTEGER PRIMARY KEY)").arg(name)};
        };
    };
    struct Case {
        const char* what;
        UpgradeStep step;
        std::vector<int> applied;
    };
    const Case cases[] = {
        {"a step with work to do", {77, QStringLiteral("taulu uusi"), missingTable("uusi")}, {77}},
        {"a step the file needs nothing of", {77, QStringLiteral("taulu jr"), missingTable("jr")}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir dir;
        Database db = newBaseDatabase(dir);
        UpdateDatabase(db);
        ASSERT_TRUE(SchemaMarkedCurrent(db));
        const qint64 before = db.scalar(QStringLiteral("PRAGMA user_version")).toInt64();

        const UpgradeSteps later = UpgradeSteps::program().with(c.step);
        EXPECT_FALSE(SchemaMarkedCurrent(db, later));
        EXPECT_EQ(UpdateDatabase(db, {}, later), c.applied);
        EXPECT_TRUE(SchemaMarkedCurrent(db, later));
        EXPECT_NE(db.scalar(QStringLiteral("PRAGMA user_version")).toInt64(), before);
        EXPECT_TRUE(UpdateDatabase(db, {}, later).empty());
        EXPECT_EQ(Catalogue::read(db).hasTable(QStringLiteral("uusi")), !c.applied.empty());
    }
}

// A file written before reminders kept the day of their e-mail: the upgrade adds that field alone
// and keeps the history rows with their e-mail marks; the day of an earlier e-mail is unknown.
TEST(Upgrade, FileFromBeforeTheReminderEmailDayGetsTheFieldAndKeepsItsRows)
{
    QTemporaryDir dir;
    Database db = newBaseDatabase(dir);
    UpdateDatabase(db);
    db.execute(QStringLiteral("ALTER TABLE jmhist DROP COLUMN jmhMuistutusEmailedPaiva"));
    db.execute(QStringLiteral("INSERT INTO jmhist (jmhjmLaskunumero, jmhMuistutusEmailed) VALUES (7, True)"));
    EXPECT_EQ(UpdateDatabase(db), std::vector<int>{77});
    EXPECT_TRUE(catalogueMatches(Catalogue::read(db)));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT COUNT(*) FROM jmhist WHERE jmhjmLaskunumero = 7 AND"
                                       " jmhMuistutusEmailed = True AND jmhMuistutusEmailedPaiva IS NULL"))
                  .toInt64(),
              1);
}
