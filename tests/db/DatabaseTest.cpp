#include "DbTestSupport.h"
#include "db/DatabaseProbe.h"
#include "db/Recordset.h"
#include "db/Transaction.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <cstdio>
#include <optional>
#include <gtest/gtest.h>
#include <sqlite3.h>

using namespace tikkeli;

namespace {

void writeFile(const QString& path, const QByteArray& content)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(content);
}

class DatabaseTest : public ::testing::Test {
protected:
    void TearDown() override { Database::setWritableProbe({}); }
    DbFolder folder;
};

TEST_F(DatabaseTest, OpenClassifiesEveryKindOfFile)
{
    const QByteArray jet = QByteArray(4, '\0') + QByteArray("Standard Jet DB") + QByteArray(200, '\0');
    const QByteArray ace = QByteArray(4, '\0') + QByteArray("Standard ACE DB") + QByteArray(200, '\0');
    writeFile(folder.path("tyhja.mdb"), {});
    writeFile(folder.path("roska.mdb"), QByteArray("tämä ei ole tietokanta").repeated(20));
    writeFile(folder.path("lyhyt.mdb"), QByteArray("SQLite format 3"));
    writeFile(folder.path("jet.mdb"), jet);
    writeFile(folder.path("ace.accdb"), ace);
    QByteArray damaged = QByteArray("SQLite format 3\0", 16) + QByteArray(4096, 'x');
    writeFile(folder.path("rikki.mdb"), damaged);
    QDir(folder.path({})).mkdir(QStringLiteral("kansio"));

    const struct {
        QString file;
        int number;
    } cases[] = {
        {folder.path("puuttuu.mdb"), DbErr::FileNotFound}, {folder.path("eiole/puuttuu.mdb"), DbErr::PathNotFound},
        {folder.path("tyhja.mdb"), DbErr::NotADatabase},   {folder.path("roska.mdb"), DbErr::NotADatabase},
        {folder.path("lyhyt.mdb"), DbErr::NotADatabase},   {folder.path("jet.mdb"), DbErr::AccessDatabase},
        {folder.path("ace.accdb"), DbErr::AccessDatabase}, {folder.path("rikki.mdb"), DbErr::Damaged},
        {folder.path("kansio"), DbErr::NotADatabase},      {QString(), DbErr::FileNotFound},
    };
    for (const auto& c : cases) {
        try {
            Database::open(c.file);
            ADD_FAILURE() << "opened " << c.file.toStdString();
        } catch (const DbException& e) {
            EXPECT_EQ(e.number(), c.number) << c.file.toStdString() << ": " << e.description().toStdString();
            EXPECT_FALSE(e.description().isEmpty());
        }
    }
    // Nothing was created, renamed or changed on the way.
    EXPECT_FALSE(QFile::exists(folder.path("puuttuu.mdb")));
    EXPECT_EQ(QFileInfo(folder.path("tyhja.mdb")).size(), 0);
    QFile f(folder.path("jet.mdb"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), jet);
    EXPECT_EQ(ProbeDatabaseFile(folder.path("jet.mdb")).kind, DbFileKind::Access);
    EXPECT_TRUE(ProbeDatabaseFile(folder.path("jet.mdb")).error.description.contains(QStringLiteral("Access")));
}

TEST_F(DatabaseTest, OpenRefusesFilesOrFoldersThatCannotBeWritten)
{
    const QString path = folder.path("kanta.mdb");
    Database::create(path).close();
    ASSERT_TRUE(ConnectionRegistry::closeAll(path));
    EXPECT_EQ(ProbeDatabaseFile(path).kind, DbFileKind::SQLite);

    for (const QString& readOnly : {path, QFileInfo(path).absolutePath()}) {
        Database::setWritableProbe([readOnly](const QString& p) { return p != readOnly; });
        try {
            Database::open(path);
            ADD_FAILURE() << "opened with read-only " << readOnly.toStdString();
        } catch (const DbException& e) {
            EXPECT_EQ(e.number(), DbErr::InUseOrReadOnly);
        }
    }
    Database::setWritableProbe({});
    EXPECT_NO_THROW(Database::open(path));
}

TEST_F(DatabaseTest, CreateRefusesExistingFilesAndWritesAHeader)
{
    const QString path = folder.path("uusi.mdb");
    Database db = Database::create(path);
    EXPECT_GE(QFileInfo(path).size(), 512);
    try {
        Database::create(path);
        ADD_FAILURE();
    } catch (const DbException& e) {
        EXPECT_EQ(e.number(), DbErr::FileExists);
    }
    try {
        Database::create(folder.path("ei/ole.mdb"));
        ADD_FAILURE();
    } catch (const DbException& e) {
        EXPECT_EQ(e.number(), DbErr::PathNotFound);
    }
    EXPECT_EQ(db.scalar(QStringLiteral("PRAGMA journal_mode")).toString(), QStringLiteral("delete"));
    EXPECT_EQ(db.scalar(QStringLiteral("PRAGMA synchronous")).toInt64(), 2);
    EXPECT_EQ(db.scalar(QStringLiteral("PRAGMA foreign_keys")).toInt64(), 0);
}

TEST_F(DatabaseTest, HandlesShareOneConnectionThatCloseAllClosesAndUseReopens)
{
    const QString path = folder.path("jaettu.mdb");
    Database a = Database::create(path);
    Database b = Database::open(folder.path("./jaettu.mdb"));
    EXPECT_EQ(a.handle(), b.handle());
    a.execute(QStringLiteral("CREATE TABLE t (id INTEGER PRIMARY KEY, x VARCHAR(10))"));
    b.execute(QStringLiteral("INSERT INTO t (x) VALUES (?)"), {QStringLiteral("a")});
    EXPECT_EQ(a.lastInsertId(), 1);
    EXPECT_EQ(a.rowsAffected(), 1);

    {
        Transaction tr(a);
        a.execute(QStringLiteral("INSERT INTO t (x) VALUES ('b')"));
        EXPECT_TRUE(ConnectionRegistry::inTransaction(path));
        EXPECT_FALSE(ConnectionRegistry::closeAll(path));
        tr.commit();
    }
    EXPECT_TRUE(ConnectionRegistry::closeAll(path));
    EXPECT_FALSE(ConnectionRegistry::isOpen(path));
    // The file can now be handled at file level, and the handles reopen it on their next use.
    EXPECT_EQ(b.scalar(QStringLiteral("SELECT count(*) FROM t")).toInt64(), 2);
    EXPECT_TRUE(ConnectionRegistry::isOpen(path));
    a.close();
    b.close();
    EXPECT_FALSE(ConnectionRegistry::isOpen(path));
}

// Another program put a new file in the open file's place (a restore from a backup), or removed
// it: a write says so in its own words, not as a read-only file, and the connection then reads
// the file that is there now.
TEST_F(DatabaseTest, AFileReplacedOrRemovedUnderTheConnectionIsToldAndReadAgain)
{
    const QString path = folder.path("vaihdettu.mdb");
    const QString other = folder.path("toinen.mdb");
    Database a = Database::create(path);
    a.execute(QStringLiteral("CREATE TABLE t (x INTEGER)"));
    a.execute(QStringLiteral("INSERT INTO t (x) VALUES (1)"));
    ASSERT_TRUE(QFile::copy(path, other));
    {
        Database o = Database::open(other);
        o.execute(QStringLiteral("INSERT INTO t (x) VALUES (2)"));
        o.close();
        ConnectionRegistry::closeAll(other);
    }
    ASSERT_EQ(::rename(QFile::encodeName(other).constData(), QFile::encodeName(path).constData()), 0);
    const auto writeError = [&] {
        try {
            a.execute(QStringLiteral("INSERT INTO t (x) VALUES (3)"));
        } catch (const DbException& e) {
            return e.description();
        }
        return QString();
    };
    const QString replaced = writeError();
    EXPECT_TRUE(replaced.contains(QStringLiteral("vaihdettu toiseen tai poistettu"))) << replaced.toStdString();
    // Once the windows have been told, on the next turn of the event loop, the new file is read.
    QCoreApplication::processEvents();
    EXPECT_EQ(a.scalar(QStringLiteral("SELECT count(*) FROM t")).toInt64(), 2); // the new file
    a.execute(QStringLiteral("INSERT INTO t (x) VALUES (3)"));
    EXPECT_EQ(a.scalar(QStringLiteral("SELECT count(*) FROM t")).toInt64(), 3);

    ASSERT_TRUE(QFile::remove(path));
    EXPECT_TRUE(writeError().contains(QStringLiteral("vaihdettu toiseen tai poistettu")));
    a.close();
}

TEST_F(DatabaseTest, TransactionsRollBackUnlessCommittedAndNestAsSavepoints)
{
    Database db = folder.create();
    db.execute(QStringLiteral("CREATE TABLE t (id INTEGER PRIMARY KEY, x INTEGER)"));
    {
        Transaction outer(db);
        db.execute(QStringLiteral("INSERT INTO t (x) VALUES (1)"));
        {
            Transaction inner(db);
            db.execute(QStringLiteral("INSERT INTO t (x) VALUES (2)"));
        } // inner rolled back
        {
            Transaction inner(db);
            db.execute(QStringLiteral("INSERT INTO t (x) VALUES (3)"));
            inner.commit();
        }
        EXPECT_TRUE(db.inTransaction());
        outer.commit();
    }
    EXPECT_FALSE(db.inTransaction());
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT group_concat(x) FROM t")).toString(), QStringLiteral("1,3"));
    try {
        Transaction tr(db);
        db.execute(QStringLiteral("INSERT INTO t (x) VALUES (4)"));
        throw std::runtime_error("keskeytys");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT count(*) FROM t")).toInt64(), 2);
}

TEST_F(DatabaseTest, CommitOfATransactionTheEngineEndedIsAnError)
{
    Database db = folder.create();
    db.execute(QStringLiteral("CREATE TABLE t (id INTEGER PRIMARY KEY, x INTEGER)"));
    // The engine ends the transaction by itself after some failures (a full disk); the caller
    // caught the error and went on.
    for (const bool nested : {false, true}) {
        Transaction outer(db);
        std::optional<Transaction> inner;
        if (nested)
            inner.emplace(db);
        db.execute(QStringLiteral("INSERT INTO t (x) VALUES (1)"));
        db.execute(QStringLiteral("ROLLBACK"));
        db.execute(QStringLiteral("INSERT INTO t (x) VALUES (2)"));
        try {
            (nested ? *inner : outer).commit();
            ADD_FAILURE() << "a lost transaction was reported as saved";
        } catch (const DbException& e) {
            EXPECT_EQ(e.number(), DbErr::NoTransaction);
        }
    }
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT group_concat(x) FROM t")).toString(), QStringLiteral("2,2"));
    // The next transaction starts afresh.
    {
        Transaction tr(db);
        db.execute(QStringLiteral("INSERT INTO t (x) VALUES (3)"));
        tr.commit();
    }
    EXPECT_FALSE(db.inTransaction());
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT count(*) FROM t")).toInt64(), 3);
}

TEST_F(DatabaseTest, ATransactionTheEngineEndedLeavesTheNextTransactionAlone)
{
    Database db = folder.create();
    db.execute(QStringLiteral("CREATE TABLE t (id INTEGER PRIMARY KEY, x INTEGER)"));
    for (const bool nested : {false, true}) {
        Transaction lost(db);
        std::optional<Transaction> inner;
        if (nested)
            inner.emplace(db);
        db.execute(QStringLiteral("ROLLBACK"));
        // The caller went on and began the next piece of work before the lost one was undone.
        Transaction next(db);
        db.execute(QStringLiteral("INSERT INTO t (x) VALUES (1)"));
        (nested ? *inner : lost).rollback();
        EXPECT_TRUE(db.inTransaction()) << nested;
        if (nested) {
            EXPECT_THROW(lost.commit(), DbException);
        }
        next.commit();
    }
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT count(*) FROM t")).toInt64(), 2);
}

TEST_F(DatabaseTest, ConstraintAndSyntaxFailuresCarryTheirNumbers)
{
    Database db = folder.create();
    db.executeScript(QStringLiteral(
        "CREATE TABLE t (id INTEGER PRIMARY KEY, nimi VARCHAR(5) CHECK (nimi <> '') CHECK (length(nimi) <= 5),"
        " pakko INTEGER NOT NULL, koodi VARCHAR(5) UNIQUE);"));
    const struct {
        const char* sql;
        Params params;
        int number;
    } cases[] = {
        {"INSERT INTO t (nimi, pakko) VALUES (?, 1)", {QString()}, DbErr::ValidationFailed},
        {"INSERT INTO t (nimi, pakko) VALUES (?, 1)", {QStringLiteral("liian pitkä")}, DbErr::FieldTooLong},
        {"INSERT INTO t (nimi) VALUES ('a')", {}, DbErr::NullNotAllowed},
        {"INSERT INTO t (id, pakko) VALUES (1, 1)", {}, DbErr::DuplicateKey},
        {"INSERT INTO t (pakko, koodi) VALUES (1, 'k')", {}, DbErr::DuplicateKey},
        {"SELEC * FROM t", {}, DbErr::SyntaxError},
        {"SELECT * FROM eiole", {}, DbErr::TableNotFound},
    };
    db.execute(QStringLiteral("INSERT INTO t (id, pakko, koodi) VALUES (1, 1, 'k')"));
    for (const auto& c : cases) {
        try {
            db.execute(QString::fromUtf8(c.sql), c.params);
            ADD_FAILURE() << c.sql;
        } catch (const DbException& e) {
            EXPECT_EQ(e.number(), c.number) << c.sql << " " << e.description().toStdString();
        }
    }
}

TEST_F(DatabaseTest, ValuesRoundTripByDeclaredType)
{
    Database db = folder.create();
    db.execute(QStringLiteral("CREATE TABLE t (id INTEGER PRIMARY KEY, b BOOLEAN NOT NULL DEFAULT 0, c DECIMAL(19,4),"
                              " d DATETIME, x DOUBLE, s VARCHAR(10), m TEXT, blob BLOB, n INTEGER)"));
    const QDateTime when(QDate(2024, 3, 5), QTime(14, 30, 15));
    const Currency big = Currency::fromRaw(999999999991234LL); // 99 999 999 999,1234
    db.execute(QStringLiteral("INSERT INTO t (b, c, d, x, s, m, blob, n) VALUES (?,?,?,?,?,?,?,?)"),
               {true, big, when, 0.1, QStringLiteral("00100"), QString::fromUtf8("äö"), QByteArray("\x00\x01", 2), 42});
    Recordset rs = db.openRecordset(QStringLiteral("t"));
    EXPECT_EQ(rs.field("b"), Value(true));
    EXPECT_EQ(rs.field("c"), Value(big));
    EXPECT_EQ(rs.field("d"), Value(when));
    EXPECT_EQ(rs.field("d").toDateTime(), when);
    EXPECT_EQ(rs.field("x"), Value(0.1));
    EXPECT_EQ(rs.field("s"), Value(QStringLiteral("00100")));
    EXPECT_EQ(rs.field("m").toString(), QString::fromUtf8("äö"));
    EXPECT_EQ(rs.field("blob").toBlob(), QByteArray("\x00\x01", 2));
    EXPECT_EQ(rs.field("n"), Value(42));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT d FROM t")), Value(when));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT typeof(d) || length(d) FROM t")).toString(), QStringLiteral("text19"));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT count(*) FROM t WHERE b = True")).toInt64(), 1);
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT count(*) FROM t WHERE d = #3/5/2024 14:30:15#")).toInt64(), 1);
    // An expression has no declared type: it reads by what it holds.
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT 1 + 1")), Value(2));
    EXPECT_TRUE(db.scalar(QStringLiteral("SELECT s FROM t WHERE 0")).isNull());
}

// A list of keys read in one call: the first column of every row in the statement's order, with
// its values bound and the statement in the program's dialect; a Null reads as 0.
TEST_F(DatabaseTest, WholeNumbersAreTheFirstColumnOfEveryRow)
{
    Database db = folder.create();
    db.execute(QStringLiteral("CREATE TABLE t (id INTEGER PRIMARY KEY, b BOOLEAN NOT NULL DEFAULT 0, n INTEGER)"));
    for (const auto& [b, n] : {std::pair{true, Value(7)}, {false, Value(8)}, {true, Value()}, {true, Value(9)}})
        db.execute(QStringLiteral("INSERT INTO t (b, n) VALUES (?, ?)"), {b, n});
    EXPECT_EQ(db.wholeNumbers(QStringLiteral("SELECT id FROM t WHERE b = True ORDER BY id DESC")), (QList<qint64>{4, 3, 1}));
    EXPECT_EQ(db.wholeNumbers(QStringLiteral("SELECT n, id FROM t WHERE id > ? ORDER BY id"), {Value(1)}),
              (QList<qint64>{8, 0, 9}));
    EXPECT_TRUE(db.wholeNumbers(QStringLiteral("SELECT id FROM t WHERE 0")).isEmpty());
}

TEST_F(DatabaseTest, FinnishOrderAndLikeIgnoringCase)
{
    Database db = folder.create();
    db.execute(QStringLiteral("CREATE TABLE n (id INTEGER PRIMARY KEY, nimi VARCHAR(30), luku INTEGER)"));
    const QStringList names = {QString::fromUtf8("Öljy"), QStringLiteral("zeta"),   QString::fromUtf8("äijä"),
                               QStringLiteral("Aalto"),   QString::fromUtf8("Åke"), QStringLiteral("beta"),
                               QStringLiteral("Zorro"),   QStringLiteral("alku")};
    int i = 10;
    for (const QString& n : names)
        db.execute(QStringLiteral("INSERT INTO n (nimi, luku) VALUES (?, ?)"), {n, i--});
    QStringList ordered;
    Recordset rs = db.openRecordset(QStringLiteral("SELECT nimi FROM n ORDER BY nimi"));
    for (; !rs.eof(); rs.moveNext())
        ordered << rs.field("nimi").toString();
    EXPECT_EQ(ordered, (QStringList{QStringLiteral("Aalto"), QStringLiteral("alku"), QStringLiteral("beta"),
                                    QStringLiteral("zeta"), QStringLiteral("Zorro"), QString::fromUtf8("Åke"),
                                    QString::fromUtf8("äijä"), QString::fromUtf8("Öljy")}));
    // Numbers keep their numeric order under the same rewrite.
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT luku FROM n ORDER BY luku DESC")).toInt64(), 10);
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT count(*) FROM n WHERE nimi LIKE ?"), {QString::fromUtf8("ÄIJÄ")}).toInt64(),
              1);
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT count(*) FROM n WHERE nimi LIKE ?"), {QString::fromUtf8("%Ä%")}).toInt64(),
              1);
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT count(*) FROM n WHERE nimi LIKE 'z*'")).toInt64(), 2);
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT count(*) FROM n WHERE nimi LIKE '?eta'")).toInt64(), 2);
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT count(*) FROM n WHERE nimi LIKE 'a_k%'")).toInt64(), 0); // literal _ and %
    EXPECT_EQ(
        db.scalar(QStringLiteral("SELECT count(*) FROM n WHERE nimi = ? COLLATE FI"), {QStringLiteral("ZORRO")}).toInt64(),
        1);
    EXPECT_TRUE(db.scalar(QStringLiteral("SELECT NULL LIKE 'a'")).isNull());
    // A pattern assembled around a bound search text, as the name searches write it.
    EXPECT_EQ(
        db.scalar(QStringLiteral("SELECT count(*) FROM n WHERE nimi LIKE '*' & ? & '*'"), {QStringLiteral("ET")}).toInt64(),
        2);
    EXPECT_EQ(
        db.scalar(QStringLiteral("SELECT count(*) FROM n WHERE (nimi LIKE '*_' & ?)"), {QStringLiteral("a")}).toInt64(), 0);
}

TEST_F(DatabaseTest, TheOlderDialectsFunctionsOfTheProgramsQueriesWork)
{
    Database db = folder.create();
    db.execute(QStringLiteral("CREATE TABLE h (id INTEGER PRIMARY KEY, os VARCHAR(10), pvm DATETIME)"));
    db.execute(QStringLiteral("INSERT INTO h (os, pvm) VALUES (NULL, ?), ('x', ?), (NULL, NULL)"),
               {QDate(1987, 3, 5), QDateTime(QDate(2024, 12, 31), QTime(23, 59))});
    const struct {
        const char* sql;
        const char* expected;
    } cases[] = {
        {"SELECT group_concat(id) FROM h WHERE IsNull(os)", "1,3"},
        {"SELECT group_concat(id) FROM h WHERE NOT ISNULL(os)", "2"},
        {"SELECT group_concat(Year(pvm) || '-' || Month(pvm) || '-' || Day(pvm)) FROM h", "1987-3-5,2024-12-31"},
        {"SELECT count(*) FROM h WHERE YEAR(pvm) LIKE '19*'", "1"},
        {"SELECT count(*) FROM h WHERE Year(pvm) IS NULL", "1"},
        {"SELECT Year(45356) || '/' || Day('ei päivä')", ""},
        {"SELECT Year(45356)", "2024"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(db.scalar(QString::fromUtf8(c.sql)).toString(), QString::fromUtf8(c.expected)) << c.sql;
}

TEST_F(DatabaseTest, FileStaysReadableByThePlainLibrary)
{
    const QString path = folder.path("tavallinen.mdb");
    {
        Database db = Database::create(path);
        db.execute(QStringLiteral("CREATE TABLE n (id INTEGER PRIMARY KEY AUTOINCREMENT, nimi VARCHAR(30))"));
        db.execute(QStringLiteral("CREATE VIEW v AS SELECT nimi FROM n ORDER BY nimi"));
        db.execute(QStringLiteral("CREATE INDEX n_nimi ON n (nimi)"));
        db.execute(QStringLiteral("INSERT INTO n (nimi) VALUES ('b'), ('a')"));
    }
    ConnectionRegistry::closeAll(path);
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open_v2(path.toUtf8().constData(), &raw, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    sqlite3_stmt* st = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(raw, "SELECT group_concat(nimi) FROM v", -1, &st, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_step(st), SQLITE_ROW);
    EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)), "a,b");
    sqlite3_finalize(st);
    ASSERT_EQ(sqlite3_prepare_v2(raw, "PRAGMA integrity_check", -1, &st, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_step(st), SQLITE_ROW);
    EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)), "ok");
    sqlite3_finalize(st);
    sqlite3_close(raw);
}

} // namespace
