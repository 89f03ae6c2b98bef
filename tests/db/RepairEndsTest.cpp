#include "DbTestSupport.h"
#include "db/DatabaseFiles.h"
#include "db/PageSalvage.h"
#include "db/Transaction.h"
#include "support/TestFiles.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

using namespace tikkeli;

namespace {

// Members with short rows, and invoice rows long enough to run onto overflow pages.
QString makeClub(const QString& path)
{
    Database db = Database::create(path);
    db.executeScript(
        QStringLiteral("CREATE TABLE jr (jrID INTEGER PRIMARY KEY AUTOINCREMENT, jrNimi VARCHAR(100), jrTieto TEXT);"
                       "CREATE INDEX jr_jrNimi ON jr (jrNimi);"
                       "CREATE TABLE jmRivi (jmRID INTEGER PRIMARY KEY AUTOINCREMENT, jmRjmID INTEGER, jmRSelite TEXT);"));
    Transaction tr(db);
    for (int i = 1; i <= 2000; ++i)
        db.execute(QStringLiteral("INSERT INTO jr (jrNimi, jrTieto) VALUES (?, ?)"),
                   {QStringLiteral("Jäsen %1").arg(i), QString(120, QChar(u'a' + i % 26))});
    for (int i = 1; i <= 300; ++i)
        db.execute(QStringLiteral("INSERT INTO jmRivi (jmRjmID, jmRSelite) VALUES (?, ?)"),
                   {Value(qint64(i)), QStringLiteral("Rivi %1 ").arg(i).repeated(900)});
    tr.commit();
    const qint64 root = db.scalar(QStringLiteral("SELECT rootpage FROM sqlite_master WHERE name = 'jr'")).toInt64();
    db.close();
    ConnectionRegistry::closeAll(path);
    return QString::number(root);
}

const TableSalvage* tableOf(const RepairResult& r, const QString& name)
{
    for (const TableSalvage& t : r.tables)
        if (t.table == name)
            return &t;
    return nullptr;
}

TEST(RepairEnds, EveryDamagedFileIsRepairedInSecondsAndEachLossCountedOnce)
{
    struct Case {
        const char* name;
        std::function<void(QByteArray& file, int rootPage)> damage;
        long long jrSaved;  // rows of jr in the repaired file
        long long jrLost;   // jr rows reported lost (exactly, or at most)
        bool jrLostExact;   // every lost jr row was seen and could not be read
        long long jrFound;  // jr rows read from pages no tree reaches
        long long rivitMin; // at least this many jmRivi rows
    };
    const Case cases[] = {
        // The key of member 1000 is found, its contents cannot be read: it is lost once, and the
        // salvage goes on past it.
        {"a flipped bit in a row's contents",
         [](QByteArray& file, int) {
             // The row's header ends with the type of its 120-character text (0x81 0x7d).
             const qsizetype at = file.indexOf(QByteArray("\x81\x7d") + QStringLiteral("Jäsen 1000").toUtf8());
             ASSERT_GT(at, 0);
             file[at] = char(file[at] ^ 0x02); // the text's length grows past the end of the row
         },
         1999, 1, true, 0, 300},
        {"a file cut in the middle of the long rows",
         [](QByteArray& file, int) { file.truncate(file.size() - file.size() / 5); }, 2000, 0, true, 0, 150},
        {"the table's upper page lost",
         [](QByteArray& file, int root) { file.replace(qsizetype(root - 1) * 4096, 4096, QByteArray(4096, '\x5a')); }, 2000,
         0, true, 2000, 300},
    };
    QTemporaryDir dir;
    const QString clean = dir.filePath(QStringLiteral("puhdas.mdb"));
    const int root = makeClub(clean).toInt();
    const QByteArray original = test::ReadFileBytes(clean);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.filePath(QStringLiteral("%1.mdb").arg(&c - cases));
        QByteArray bytes = original;
        c.damage(bytes, root);
        test::WriteFileBytes(path, bytes);

        QElapsedTimer clock;
        clock.start();
        const RepairResult r = RepairDatabase(path);
        EXPECT_LT(clock.elapsed(), 10000);
        ASSERT_TRUE(r.wasDamaged);
        const TableSalvage* jr = tableOf(r, QStringLiteral("jr"));
        const TableSalvage* rivit = tableOf(r, QStringLiteral("jmRivi"));
        ASSERT_TRUE(jr && rivit);
        EXPECT_EQ(jr->saved, c.jrSaved) << r.summary().toStdString();
        EXPECT_EQ(jr->found, c.jrFound);
        EXPECT_EQ(jr->lostRows, c.jrLost) << r.summary().toStdString();
        EXPECT_LE(jr->lost.size(), 2);
        if (c.jrLost > 0) {
            EXPECT_EQ(jr->lostExact, c.jrLostExact);
        }
        EXPECT_GE(rivit->saved, c.rivitMin);
        EXPECT_LE(rivit->lost.size(), 2) << "each loss is one range, however many rows it held";

        // The closing note names every table with what it kept and lost, and never calls a
        // repair with losses complete.
        const QString note = r.summary();
        EXPECT_TRUE(note.contains(QStringLiteral("Taulu jr: %1 riviä talteen").arg(jr->saved)));
        EXPECT_TRUE(note.contains(QStringLiteral("Taulu jmRivi: %1 riviä talteen").arg(rivit->saved)));
        EXPECT_EQ(r.complete(), jr->complete() && rivit->complete());
        EXPECT_EQ(note.contains(QStringLiteral("kaikki rivit saatiin talteen")), r.complete());

        Database db = Database::open(path);
        EXPECT_EQ(db.scalar(QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
        EXPECT_EQ(db.scalar(QStringLiteral("SELECT count(*) FROM jr")).toInt64(), jr->saved);
        // Rows found on loose pages are whole: their own key, name and text.
        EXPECT_EQ(db.scalar(QStringLiteral("SELECT jrNimi FROM jr WHERE jrID = 1500")).toString(),
                  QStringLiteral("Jäsen 1500"));
        EXPECT_EQ(db.scalar(QStringLiteral("SELECT length(jrTieto) FROM jr WHERE jrID = 1500")).toInt64(), 120);
        db.close();
        ConnectionRegistry::closeAll(path);
    }
}

TEST(RepairEnds, TheMessageCountsUnreadableRowsOnceAndNamesTheirKeys)
{
    TableSalvage t;
    t.table = QStringLiteral("jmhist");
    t.saved = 40;
    EXPECT_EQ(t.text(), QStringLiteral("Taulu jmhist: 40 riviä talteen."));
    t.lost = {{7, 7}};
    t.lostRows = 1;
    EXPECT_EQ(t.text(), QStringLiteral("Taulu jmhist: 40 riviä talteen, 1 rivi menetettiin (rivinumero 7)."));
    t.lost = {{7, 9}, {20, std::numeric_limits<long long>::max()}};
    t.lostCountKnown = false;
    EXPECT_EQ(t.text(), QStringLiteral("Taulu jmhist: 40 riviä talteen, rivejä menetettiin (rivinumerot 7–9, "
                                       "rivinumerosta 20 alkaen)."));
}

// Pages decoded by hand come from a damaged file: nothing read from it may lead outside it.
TEST(RepairEnds, PageSalvageReadsOnlyInsideTheFileWhateverItsBytesSay)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("seura.mdb"));
    makeClub(path);
    const QByteArray clean = test::ReadFileBytes(path);
    EXPECT_TRUE(PageSalvage::orphanLeaves(clean, {}).size() > 0) << "without roots every leaf is loose";
    quint32 lcg = 12345;
    for (int round = 0; round < 200; ++round) {
        QByteArray bytes = clean.left(clean.size() - (round % 7) * 1500);
        for (int i = 0; i < 64; ++i) {
            lcg = lcg * 1103515245u + 12345u;
            const qsizetype at = 100 + qsizetype(lcg >> 8) % (bytes.size() - 100);
            bytes[at] = char(lcg >> 3);
        }
        for (const OrphanLeaf& leaf : PageSalvage::orphanLeaves(bytes, {1, 2, 3}))
            for (const PageRow& row : leaf.rows)
                for (const PageField& f : row.fields)
                    ASSERT_LE(f.bytes.size(), bytes.size());
    }
    EXPECT_TRUE(PageSalvage::orphanLeaves(QByteArray("SQLite format 3\0", 16) + QByteArray(200, '\xff'), {}).empty());
}

} // namespace
