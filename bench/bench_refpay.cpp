// Reading a domestic reference-payment file of 10,000 (100,000) payments and sorting them against a
// history of as many invoices, against the same file read and parsed by hand and plain SQLite
// lookups of its references (prepared once, bound each time). Both sides run alternately in one process; the figure is the ratio of medians.
//
// The second pair is the "Viitemaksut" window as the user works it: the file opened, every arrived
// payment selected and marked paid; against a raw side doing the same work: reading and parsing the
// file, looking up each reference, making each payment's line of text, and marking each matching
// invoice and its rows paid in one transaction through statements prepared once.
#include "base/ScriptedPrompter.h"
#include "base/SharedState.h"
#include "db/Database.h"
#include "db/Schema.h"
#include "db/SchemaDdl.h"
#include "db/Transaction.h"
#include "invoicing/ReferencePaymentMatcher.h"
#include "invoicing/ui/frmViitemaksut.h"
#include "platform/ReferencePaymentReader.h"

#include "PairedRatio.h"
#include "SchemaScript.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>

#include <map>
#include <memory>
#include <sqlite3.h>
#include <string>

using namespace tikkeli;

namespace {

// The raw sides' reading of a domestic-format file: each payment record's reference without its
// leading zeros and its amount in cents, as a bank writes them.
template <class Visit>
void forEachPaymentRecord(const QByteArray& bytes, Visit visit)
{
    for (qsizetype at = 0; at < bytes.size();) {
        qsizetype end = bytes.indexOf('\n', at);
        if (end < 0)
            end = bytes.size();
        const QByteArray line = bytes.mid(at, end - at);
        at = end + 1;
        if (!line.startsWith('3'))
            continue;
        QByteArray reference = line.mid(43, 20);
        while (reference.startsWith('0'))
            reference.remove(0, 1);
        visit(reference, line.mid(77, 10).toLongLong());
    }
}

struct Fixture {
    const int Count;
    QTemporaryDir dir;
    Database db;
    QString file;
    std::vector<QByteArray> references;

    explicit Fixture(int count) : Count(count)
    {
        // Settings and documents of the window stay in the temporary folder.
        qputenv("TIKKELI_DOCUMENTS", (dir.path() + QStringLiteral("/docs")).toUtf8());
        qputenv("TIKKELI_INI", (dir.path() + QStringLiteral("/Tikkeli.ini")).toUtf8());
        db = Database::create(dir.filePath(QStringLiteral("bench.mdb")));
        db.executeScript(SchemaScript());
        Transaction t(db);
        db.execute(QStringLiteral("INSERT INTO jr (jrSukunimi) VALUES ('Virtanen')"));
        const qint64 member = db.lastInsertId();
        QByteArray bytes;
        const auto record = [&](const QByteArray& r) { bytes += r.leftJustified(90, ' ') + "\r\n"; };
        record("0261207103047123456789 1");
        qint64 sum = 0;
        for (int i = 0; i < Count; ++i) {
            const QByteArray reference = QByteArray::number(100000 + i);
            references.push_back(reference);
            db.execute(
                QStringLiteral("INSERT INTO jmhist (jmhjmViitenumero, jmhjmHinta, jmhjmjrID, jmhjmLaskunumero, jmhjmID,"
                               " jmhjmMaksettu) VALUES (?, ?, ?, ?, ?, False)"),
                {Value(QString::fromLatin1(reference)), Value(Currency::fromUnits(20)), Value(member), Value(qint64(i + 1)),
                 Value(qint64(i + 1))});
            db.execute(QStringLiteral("INSERT INTO jmRivi (jmRjmID, jmRMaksettu) VALUES (?, False)"),
                       {Value(qint64(i + 1))});
            const qint64 cents = i % 10 == 0 ? 1999 : 2000;
            sum += cents;
            record("3" + QByteArray("12345600012345261205261204") + QByteArray("2612041234AB5678")
                   + reference.rightJustified(20, '0') + QByteArray("Virtanen").leftJustified(12, ' ') + "1A"
                   + QByteArray::number(cents).rightJustified(10, '0') + "0A ");
        }
        record("9" + QByteArray::number(Count).rightJustified(6, '0') + QByteArray::number(sum).rightJustified(11, '0')
               + QByteArray(34, '0'));
        t.commit();
        file = dir.filePath(QStringLiteral("viitteet.dat"));
        QFile f(file);
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
    }
};

Fixture& fixture(int count);

void BM_ReadAndMatch(benchmark::State& state)
{
    Fixture& f = fixture(int(state.range(0)));
    sqlite3* h = f.db.handle();
    std::size_t found = 0;
    const auto baseline = [&] {
        // The file read and its payment records parsed, as the reader does, then every reference
        // looked up.
        QFile file(f.file);
        file.open(QIODevice::ReadOnly);
        const QByteArray bytes = file.readAll();
        std::vector<std::pair<QByteArray, qint64>> payments;
        forEachPaymentRecord(bytes,
                             [&](const QByteArray& reference, qint64 cents) { payments.emplace_back(reference, cents); });
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(h, "SELECT jmhID, jmhjmjrID, jmhjmHinta, jmhjmMaksettu FROM jmhist WHERE jmhjmViitenumero = ?",
                           -1, &st, nullptr);
        std::size_t n = 0;
        for (const auto& [r, cents] : payments) {
            sqlite3_bind_text(st, 1, r.constData(), int(r.size()), SQLITE_STATIC);
            while (sqlite3_step(st) == SQLITE_ROW)
                n += qRound64(sqlite3_column_double(st, 2) * 100) == cents;
            sqlite3_reset(st);
        }
        sqlite3_finalize(st);
        benchmark::DoNotOptimize(n);
    };
    const auto ours = [&] {
        const auto batches = ReferencePaymentReader().readFile(f.file);
        found = ReferencePaymentMatcher(f.db).match(batches.at(0)).size();
        benchmark::DoNotOptimize(found);
    };
    RunPaired(state, "read and match " + std::to_string(f.Count) + " payments / raw lookups", 2.0, baseline, ours);
    if (found != std::size_t(f.Count))
        state.SkipWithError("not every payment was matched");
}
BENCHMARK(BM_ReadAndMatch)->Arg(10000)->Arg(100000)->Iterations(15)->Unit(benchmark::kMillisecond)->UseManualTime();

Fixture& fixture(int count)
{
    static std::map<int, std::unique_ptr<Fixture>> fixtures;
    auto& slot = fixtures[count];
    if (!slot)
        slot = std::make_unique<Fixture>(count);
    return *slot;
}

// The raw side of the window: the file read and parsed, every reference looked up, a line of text
// made for each payment, and each payment of the right sum marked paid with its invoice rows.
std::size_t RawReadAndMark(Fixture& f)
{
    sqlite3* h = f.db.handle();
    QFile file(f.file);
    file.open(QIODevice::ReadOnly);
    const QByteArray bytes = file.readAll();
    sqlite3_stmt *find = nullptr, *exists = nullptr, *invoice = nullptr, *paid = nullptr, *rows = nullptr;
    sqlite3_prepare_v2(h,
                       "SELECT h.jmhID, h.jmhjmjrID, h.jmhjmHinta, h.jmhjmMaksettu, EXISTS (SELECT 1 FROM jr WHERE"
                       " jr.jrID = h.jmhjmjrID) FROM jmhist h WHERE h.jmhjmViitenumero = ?",
                       -1, &find, nullptr);
    sqlite3_prepare_v2(h, "SELECT COUNT(*) FROM jmhist WHERE jmhID = ?", -1, &exists, nullptr);
    sqlite3_prepare_v2(h, "SELECT jmhjmJasMak, jmhjmjrID, jmhjmID FROM jmhist WHERE jmhID = ?", -1, &invoice, nullptr);
    sqlite3_prepare_v2(h, "UPDATE jmhist SET jmhjmMaksettu = 1 WHERE jmhID = ?", -1, &paid, nullptr);
    sqlite3_prepare_v2(h, "UPDATE jmRivi SET jmRMaksettu = 1 WHERE jmRjmID = ?", -1, &rows, nullptr);
    std::vector<qint64> toMark;
    QStringList texts;
    forEachPaymentRecord(bytes, [&](const QByteArray& reference, qint64 cents) {
        texts.push_back(QString::fromLatin1(reference) + QStringLiteral(" ") + QString::number(cents / 100)
                        + QLatin1Char(',') + QString::number(cents % 100).rightJustified(2, QLatin1Char('0')));
        sqlite3_bind_text(find, 1, reference.constData(), int(reference.size()), SQLITE_TRANSIENT);
        if (sqlite3_step(find) == SQLITE_ROW && sqlite3_column_int(find, 4) && !sqlite3_column_int(find, 3)
            && qRound64(sqlite3_column_double(find, 2) * 100) == cents)
            toMark.push_back(sqlite3_column_int64(find, 0));
        sqlite3_reset(find);
    });
    sqlite3_exec(h, "BEGIN", nullptr, nullptr, nullptr);
    for (const qint64 id : toMark) {
        for (sqlite3_stmt* st : {exists, invoice}) {
            sqlite3_bind_int64(st, 1, id);
            sqlite3_step(st);
        }
        const qint64 invoiceId = sqlite3_column_int64(invoice, 2);
        for (sqlite3_stmt* st : {exists, invoice})
            sqlite3_reset(st);
        sqlite3_bind_int64(paid, 1, id);
        sqlite3_step(paid);
        sqlite3_reset(paid);
        sqlite3_bind_int64(rows, 1, invoiceId);
        sqlite3_step(rows);
        sqlite3_reset(rows);
    }
    sqlite3_exec(h, "COMMIT", nullptr, nullptr, nullptr);
    for (sqlite3_stmt* st : {find, exists, invoice, paid, rows})
        sqlite3_finalize(st);
    return toMark.size() + std::size_t(texts.size());
}

void BM_WindowOpenSelectAndMarkPaid(benchmark::State& state)
{
    Fixture& f = fixture(int(state.range(0)));
    State().DatabasePath = f.db.path();
    ScriptedPrompter prompter;
    auto window = std::make_unique<frmViitemaksut>();
    if (!window->loaded()) {
        state.SkipWithError("the window did not load");
        return;
    }
    QAction* open = window->findChild<QAction*>(QStringLiteral("mAvaa"));
    auto* selectAll = window->findChild<QPushButton*>(QStringLiteral("cValitseKaikki"));
    auto* markPaid = window->findChild<QPushButton*>(QStringLiteral("cMaksetuksi"));
    auto* arrived = window->findChild<QListWidget*>(QStringLiteral("lstSaapuneet"));
    const int expected = f.Count - (f.Count + 9) / 10; // every tenth payment is a cent short
    int shown = 0, left = -1;
    RunPaired(
        state, "open, select all, mark paid " + std::to_string(f.Count) + " payments / raw read and marking", 2.0,
        [&] { benchmark::DoNotOptimize(RawReadAndMark(f)); },
        [&] {
            prompter.answerText(f.file);
            open->trigger();
            shown = arrived->count();
            selectAll->click();
            markPaid->click();
            left = arrived->count();
        },
        [&] {
            // Every invoice unpaid again before each side (untimed).
            f.db.execute(QStringLiteral("UPDATE jmhist SET jmhjmMaksettu = False"));
            f.db.execute(QStringLiteral("UPDATE jmRivi SET jmRMaksettu = False"));
        });
    if (shown != expected || left != 0 || !prompter.messageTexts().isEmpty())
        state.SkipWithError("the window did not list and mark every arrived payment");
    window.reset();
}
BENCHMARK(BM_WindowOpenSelectAndMarkPaid)
    ->Arg(10000)
    ->Arg(100000)
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    return RunPairedBenchmarks(argc, argv);
}
