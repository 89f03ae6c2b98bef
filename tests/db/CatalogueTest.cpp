#include "SchemaExpectation.h"

#include "db/Catalogue.h"
#include "db/Schema.h"
#include "db/SchemaDdl.h"

#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>
#include <sqlite3.h>

using namespace tikkeli;
using namespace tikkeli::test;

namespace {

QString declaredType(Database& db, const char* table, const char* field)
{
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db.handle(), "SELECT type FROM pragma_table_info(?1) WHERE name = ?2", -1, &st, nullptr);
    sqlite3_bind_text(st, 1, table, -1, SQLITE_STATIC);
    sqlite3_bind_text(st, 2, field, -1, SQLITE_STATIC);
    QString type;
    if (sqlite3_step(st) == SQLITE_ROW)
        type = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
    return type;
}

} // namespace

TEST(Catalogue, NewDatabaseHasTheDocumentedTablesFieldsAndIndexes)
{
    QTemporaryDir dir;
    Database db = newCurrentDatabase(dir);
    EXPECT_TRUE(catalogueMatches(Catalogue::read(db)));
}

TEST(Catalogue, TemplateShapeHoldsOnlyTheBaseTablesOwnFields)
{
    QTemporaryDir dir;
    Database db = newBaseDatabase(dir);
    const Catalogue cat = Catalogue::read(db);
    const std::pair<const char*, int> fieldCounts[] = {{"jr", 11}, {"jm", 10}, {"pi", 11}, {"pt", 7},
                                                       {"me", 2},  {"vs", 26}, {"tl", 7}};
    ASSERT_EQ(cat.tables().size(), std::size(fieldCounts));
    for (const auto& [name, count] : fieldCounts) {
        const TableDef* t = cat.table(QString::fromLatin1(name));
        ASSERT_TRUE(t) << name;
        EXPECT_EQ(int(t->fields.size()), count) << name;
        ASSERT_EQ(t->indexes.size(), 1u) << name;
        EXPECT_EQ(t->indexes[0].name, QStringLiteral("PrimaryKey"));
        EXPECT_TRUE(t->fields.front().autoIncrement) << name;
    }
    EXPECT_TRUE(cat.queries().empty());
}

TEST(Catalogue, StoresTheSchemaTypesUnderSqliteTypeNamesWithoutNumericAffinityForText)
{
    QTemporaryDir dir;
    Database db = newCurrentDatabase(dir);
    const struct {
        const char* table;
        const char* field;
        const char* type;
    } cases[] = {
        {"jr", "jrID", "INTEGER"},          {"jr", "jrEmail", "VARCHAR(50)"}, {"jr", "jrMuistio", "TEXT"},
        {"pi", "piType", "TINYINT"},        {"tl", "tlKuntaNo", "SMALLINT"},  {"jm", "jmLaskunumero", "INTEGER"},
        {"jm", "jmHinta", "DECIMAL(19,4)"}, {"jr", "jrSyntyma", "DATETIME"},  {"jr", "BackupRow", "BOOLEAN"},
        {"map", "mapPicture", "BLOB"},      {"rj", "rjX", "FLOAT"},           {"tl", "tlPa", "DOUBLE"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(declaredType(db, c.table, c.field), QString::fromLatin1(c.type)) << c.table << "." << c.field;
}

TEST(Catalogue, IndexNamesAreStoredPerTableAndReportedLogically)
{
    QTemporaryDir dir;
    Database db = newCurrentDatabase(dir);
    // The same logical name on two tables: only possible because the file holds <table>_<name>.
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'index' AND name IN "
                                       "('et_vsidx', 'mt_vsidx')"))
                  .toInt64(),
              2);
    const Catalogue cat = Catalogue::read(db);
    EXPECT_TRUE(cat.hasIndex(QStringLiteral("et"), QStringLiteral("vsidx")));
    EXPECT_TRUE(cat.hasIndex(QStringLiteral("mt"), QStringLiteral("VSIDX")));
    EXPECT_FALSE(cat.hasIndex(QStringLiteral("et"), QStringLiteral("et_vsidx")));
    EXPECT_EQ(cat.indexCount(QStringLiteral("et")), 3);
    EXPECT_EQ(cat.indexCount(QStringLiteral("si")), 1);
    EXPECT_EQ(cat.indexCount(QStringLiteral("nosuchtable")), 0);
}

TEST(Catalogue, HidesTheEnginesOwnTablesAndReadsForeignSpellings)
{
    QTemporaryDir dir;
    Database db = Database::create(dir.filePath(QStringLiteral("x.mdb")));
    db.executeScript(
        QStringLiteral("CREATE TABLE [Odd Name] (`A b` varchar(20) NOT NULL, c text CHECK (c != ''), d integer, "
                       "e numeric, f, g CHAR, /* note */ PRIMARY KEY (d));\n"
                       "CREATE TABLE seq (id INTEGER PRIMARY KEY AUTOINCREMENT, v REAL);\n"
                       "INSERT INTO seq (v) VALUES (1.5);\n"
                       "CREATE INDEX plainidx ON [Odd Name] (c);\n"
                       "CREATE VIEW v1 (x) AS SELECT d FROM [Odd Name];"));
    const Catalogue cat = Catalogue::read(db);
    ASSERT_EQ(cat.tables().size(), 2u); // sqlite_sequence is not a club table
    const TableDef* t = cat.table(QStringLiteral("odd NAME"));
    ASSERT_TRUE(t);
    ASSERT_EQ(t->fields.size(), 6u);
    const FieldDef* ab = cat.field(QStringLiteral("Odd Name"), QStringLiteral("a B"));
    ASSERT_TRUE(ab);
    EXPECT_EQ(ab->type, FieldType::Text);
    EXPECT_EQ(ab->size, 20);
    EXPECT_TRUE(ab->required);
    EXPECT_TRUE(ab->allowZeroLength);
    EXPECT_EQ(t->fields[1].type, FieldType::Memo);
    EXPECT_FALSE(t->fields[1].allowZeroLength);
    EXPECT_EQ(t->fields[2].type, FieldType::Long);
    EXPECT_FALSE(t->fields[2].autoIncrement);
    EXPECT_EQ(t->fields[3].type, FieldType::Currency);
    EXPECT_EQ(t->fields[4].type, FieldType::LongBinary);
    EXPECT_EQ(t->fields[5].size, 255);
    ASSERT_EQ(t->indexes.size(), 2u);
    EXPECT_EQ(t->indexes[0].name, QStringLiteral("PrimaryKey"));
    EXPECT_EQ(t->indexes[0].field, QStringLiteral("d"));
    EXPECT_EQ(t->indexes[1].name, QStringLiteral("plainidx"));
    EXPECT_EQ(t->indexes[1].field, QStringLiteral("c"));
    EXPECT_TRUE(cat.table(QStringLiteral("seq"))->fields[0].autoIncrement);
    ASSERT_TRUE(cat.query(QStringLiteral("V1")));
    EXPECT_EQ(cat.query(QStringLiteral("v1"))->sql, QStringLiteral("SELECT d FROM [Odd Name]"));
}

TEST(Catalogue, DdlRoundTripsThroughTheCatalogueForEveryTable)
{
    for (const TableDef& t : Schema::tables()) {
        const TableDef back = Catalogue::parseCreateTable(SchemaDdl::createTable(t));
        ASSERT_EQ(back.fields.size(), t.fields.size()) << t.name.toStdString();
        for (size_t i = 0; i < t.fields.size(); ++i) {
            const FieldDef& a = t.fields[i];
            const FieldDef& b = back.fields[i];
            EXPECT_TRUE(a.name == b.name && a.type == b.type && a.size == b.size && a.autoIncrement == b.autoIncrement
                        && a.allowZeroLength == b.allowZeroLength && a.required == b.required)
                << t.name.toStdString() << "." << a.name.toStdString();
        }
    }
}

TEST(Catalogue, FileStaysReadableByTheStockSqliteShell)
{
    const QString shell = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
    if (shell.isEmpty())
        GTEST_SKIP() << "sqlite3 shell not installed";
    QTemporaryDir dir;
    {
        Database db = newCurrentDatabase(dir);
        db.execute(QStringLiteral("INSERT INTO jr (jrSukunimi, jrPostinumero) VALUES (?, ?)"),
                   {QStringLiteral("Öhman"), QStringLiteral("00100")});
        db.close();
    }
    QProcess p;
    p.start(shell, {dir.filePath(QStringLiteral("t.mdb")),
                    QStringLiteral("SELECT jrSukunimi, jrPostinumero FROM jr ORDER BY jrSukunimi; "
                                   "SELECT count(*) FROM piirteet; PRAGMA integrity_check;")});
    ASSERT_TRUE(p.waitForFinished(10000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    EXPECT_EQ(QString::fromUtf8(p.readAllStandardOutput()), QStringLiteral("Öhman|00100\n0\nok\n"));
}
