// The member window on club databases of 10,000 and 100,000 members, each against a plain
// baseline doing the same data work with the raw SQLite C API on its own connection to the file:
// - opening the window (records, tree, first card) vs reading every column of every member;
// - moving to the next member (with and without a filter) vs reading that member's row and feature
//   values through statements prepared once (the card opens on the features tab; the invoice lines
//   are read only when their tab is shown);
// - the name search showing 4/7 of the members vs the same query building the same texts;
// - marking fee invoices paid one by one (a bank statement's payments marked in the payment book)
//   with the window open vs the same marks with the window closed.
// The two sides run interleaved; the ratio is of the medians (PairedRatio.h).
#include "base/ScriptedPrompter.h"
#include "base/SharedState.h"
#include "db/Database.h"
#include "db/FinnishCollation.h"
#include "invoicing/InvoicePayments.h"
#include "members/ui/MemberWindows.h"
#include "members/ui/frmHaku.h"
#include "members/ui/frmJasen.h"
#include "members/ui/frmNimiHaku.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include "ClubFixture.h"
#include "PairedRatio.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <map>
#include <memory>
#include <vector>

namespace {

ClubFixture& fixture(int members)
{
    return SharedClubFixture(members, true);
}

std::string label(const char* what, int members)
{
    return std::string(what) + ", " + std::to_string(members) + " members";
}

template <class T>
T* control(QObject* w, const char* name)
{
    return w->findChild<T*>(QString::fromUtf8(name));
}

// Every column of every row a statement gives, as the baseline reads it.
std::size_t stepAll(sqlite3_stmt* st)
{
    std::size_t bytes = 0;
    const int columns = sqlite3_column_count(st);
    while (sqlite3_step(st) == SQLITE_ROW) {
        for (int c = 0; c < columns; ++c) {
            if (sqlite3_column_type(st, c) == SQLITE_TEXT)
                bytes += std::size_t(sqlite3_column_bytes(st, c));
            else
                bytes += std::size_t(sqlite3_column_int64(st, c) & 1);
        }
    }
    return bytes;
}

void OpenMemberWindow(benchmark::State& state)
{
    const int members = int(state.range(0));
    ClubFixture& f = fixture(members);
    const QByteArray path = QFile::encodeName(f.database);
    tikkeli::ScriptedPrompter quiet;
    RunPaired(
        state, label("open the member window vs raw read of every member", members), 3,
        [&] {
            sqlite3* db = nullptr;
            sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
            sqlite3_stmt* st = nullptr;
            sqlite3_prepare_v2(db, "SELECT * FROM jr", -1, &st, nullptr);
            benchmark::DoNotOptimize(stepAll(st));
            sqlite3_finalize(st);
            sqlite3_close_v2(db);
        },
        [&] {
            auto* w = new tikkeli::frmJasen;
            if (!w->loaded())
                state.SkipWithError("the member window did not load");
            benchmark::DoNotOptimize(w->currentMemberId());
            delete w;
            tikkeli::ConnectionRegistry::closeAll(f.database);
        });
}
BENCHMARK(OpenMemberWindow)->Arg(10000)->Arg(100000)->Iterations(11)->UseManualTime()->Unit(benchmark::kMillisecond);

// The raw side of a move: the member's row and its features with their values.
struct RawMemberReader {
    sqlite3* db = nullptr;
    sqlite3_stmt* row = nullptr;
    sqlite3_stmt* features = nullptr;

    explicit RawMemberReader(const QString& file)
    {
        sqlite3_open_v2(QFile::encodeName(file).constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_prepare_v2(db, "SELECT * FROM jr WHERE jrID = ?", -1, &row, nullptr);
        sqlite3_prepare_v2(db,
                           "SELECT pt.*, pi.piNimi FROM pt INNER JOIN pi ON pi.piID = pt.ptpiID WHERE pt.ptjrID = ? "
                           "ORDER BY pt.ptID",
                           -1, &features, nullptr);
    }
    ~RawMemberReader()
    {
        for (sqlite3_stmt* st : {row, features})
            sqlite3_finalize(st);
        sqlite3_close_v2(db);
    }
    std::size_t read(qint64 id)
    {
        std::size_t bytes = 0;
        for (sqlite3_stmt* st : {row, features}) {
            sqlite3_bind_int64(st, 1, id);
            bytes += stepAll(st);
            sqlite3_reset(st);
        }
        return bytes;
    }
};

// Moves of the card, in steps of this many.
constexpr int kMovesPerRound = 20;

void moveBench(benchmark::State& state, bool filtered)
{
    const int members = int(state.range(0));
    ClubFixture& f = fixture(members);
    tikkeli::ScriptedPrompter quiet;
    auto w = std::make_unique<tikkeli::frmJasen>();
    if (!w->loaded()) {
        state.SkipWithError("the member window did not load");
        return;
    }
    QComboBox* filter = control<QComboBox>(w.get(), "cmbListaEhto");
    QPushButton* next = control<QPushButton>(w.get(), "cSeuraava");
    QPushButton* first = control<QPushButton>(w.get(), "cEnsimmäinen");
    if (!filter || !next || !first) {
        state.SkipWithError("a control of the member window is missing");
        return;
    }
    if (filtered) {
        const int dog = filter->findText(QStringLiteral("Koira"));
        filter->setCurrentIndex(dog);
        emit filter->activated(dog);
    }
    // The members the raw side reads, in the order the card visits them.
    std::vector<qint64> walk;
    {
        tikkeli::Database db = tikkeli::Database::open(f.database);
        tikkeli::Recordset rs = db.openRecordset(
            filtered ? QStringLiteral("SELECT ptjrID FROM pt, pi WHERE ptpiID = piID AND piNimi = 'Koira'")
                     : QStringLiteral("SELECT jrID FROM jr"),
            tikkeli::RecordsetType::Snapshot);
        for (; !rs.eof(); rs.moveNext())
            walk.push_back(rs.field(0).toInt64());
    }
    RawMemberReader raw(f.database);
    std::size_t rawAt = 0, cardMoves = 0;
    RunPaired(
        state,
        label(filtered ? "move to the next member, filter on, vs raw read of its row and features"
                       : "move to the next member vs raw read of its row and features",
              members),
        3,
        [&] {
            std::size_t bytes = 0;
            for (int i = 0; i < kMovesPerRound; ++i)
                bytes += raw.read(walk[rawAt++ % walk.size()]);
            benchmark::DoNotOptimize(bytes);
        },
        [&] {
            for (int i = 0; i < kMovesPerRound; ++i)
                next->click();
            cardMoves += kMovesPerRound;
            benchmark::DoNotOptimize(w->currentMemberId());
        },
        [&] {
            // Back to the start before the end of the list is reached (untimed).
            if (cardMoves + kMovesPerRound >= walk.size()) {
                first->click();
                cardMoves = 0;
            }
        });
    w.reset();
    tikkeli::ConnectionRegistry::closeAll(f.database);
}

void MoveToNextMember(benchmark::State& state)
{
    moveBench(state, false);
}
BENCHMARK(MoveToNextMember)->Arg(10000)->Arg(100000)->Iterations(21)->UseManualTime()->Unit(benchmark::kMillisecond);

void MoveToNextMemberFiltered(benchmark::State& state)
{
    moveBench(state, true);
}
BENCHMARK(MoveToNextMemberFiltered)->Arg(10000)->Arg(100000)->Iterations(21)->UseManualTime()->Unit(benchmark::kMillisecond);

// Fee invoices marked paid in one round, each of another member.
constexpr int kMarksPerRound = 50;

void PaymentMarkWithWindowOpen(benchmark::State& state)
{
    const int members = int(state.range(0));
    ClubFixture& f = fixture(members);
    tikkeli::ScriptedPrompter quiet;
    tikkeli::Database db = tikkeli::Database::open(f.database);
    // Unpaid fee invoices of members spread over the register, after the first (the card shows it).
    constexpr int FirstNumber = 900000;
    std::vector<qint64> invoices;
    db.execute(QStringLiteral("DELETE FROM jmhist WHERE jmhjmLaskunumero >= ?"), {FirstNumber});
    for (int i = 0; i < kMarksPerRound; ++i) {
        const tikkeli::Value member = db.scalar(QStringLiteral("SELECT jrID FROM jr ORDER BY jrID LIMIT 1 OFFSET ?"),
                                                {qint64(i + 1) * (members / (kMarksPerRound + 1))});
        db.execute(QStringLiteral("INSERT INTO jmhist (jmhjmID, jmhjmjrID, jmhjmLaskunumero, jmhjmHinta, jmhjmJasMak,"
                                  " jmhjmMaksettu) VALUES (0, ?, ?, 40, True, False)"),
                   {member, FirstNumber + i});
        invoices.push_back(db.lastInsertId());
    }
    // Written past the hub: no window hears of it.
    const auto unpaid = [&] {
        db.execute(QStringLiteral("UPDATE jmhist SET jmhjmMaksettu = False WHERE jmhjmLaskunumero >= ?"), {FirstNumber});
        db.execute(QStringLiteral("UPDATE jr SET jrJasenmaksu = False WHERE jrID IN"
                                  " (SELECT jmhjmjrID FROM jmhist WHERE jmhjmLaskunumero >= ?)"),
                   {FirstNumber});
    };
    const auto mark = [&] {
        for (const qint64 id : invoices)
            if (!tikkeli::InvoicePayments::MarkReminderPaid(db, id))
                state.SkipWithError("an invoice could not be marked paid");
    };
    std::unique_ptr<tikkeli::frmJasen> window;
    // The line is read under this name, the club size written with its thousands separator.
    RunPairedSides(state,
                   std::string("payment mark with the member window open, ") + (members == 100000 ? "100,000" : "10,000")
                       + " members",
                   1.2,
                   {[&] {
                        window.reset();
                        unpaid();
                    },
                    mark},
                   {[&] {
                        if (!window) {
                            window = std::make_unique<tikkeli::frmJasen>();
                            if (!window->loaded())
                                state.SkipWithError("the member window did not load");
                            // As the user opens it: the card moves to a member (the set's lookup
                            // by member id is made at the first move, not at a mark).
                            window->ShowMember(window->currentMemberId());
                        }
                        unpaid();
                    },
                    mark});
    if (db.scalar(QStringLiteral("SELECT COUNT(*) FROM jr WHERE jrJasenmaksu = True AND jrID IN"
                                 " (SELECT jmhjmjrID FROM jmhist WHERE jmhjmLaskunumero >= ?)"),
                  {FirstNumber})
            .toInt64()
        != kMarksPerRound)
        state.SkipWithError("the marks did not reach the members");
    window.reset();
    db.execute(QStringLiteral("DELETE FROM jmhist WHERE jmhjmLaskunumero >= ?"), {FirstNumber});
    db = tikkeli::Database();
    tikkeli::ConnectionRegistry::closeAll(f.database);
}
BENCHMARK(PaymentMarkWithWindowOpen)
    ->Arg(10000)
    ->Arg(100000)
    ->Iterations(21)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

void NameSearchList(benchmark::State& state)
{
    const int members = int(state.range(0));
    ClubFixture& f = fixture(members);
    tikkeli::ScriptedPrompter quiet;
    tikkeli::frmNimiHaku dialog;
    QLineEdit* firstName = control<QLineEdit>(&dialog, "tEtunimi");
    QPushButton* search = control<QPushButton>(&dialog, "cSearch");
    QListWidget* list = control<QListWidget>(&dialog, "lstFoundJR");
    if (!dialog.isLoaded() || !firstName || !search || !list) {
        state.SkipWithError("the name search did not load");
        return;
    }
    firstName->setText(QStringLiteral("a"));
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(f.database).constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    RunPaired(
        state, label("name search showing 4/7 of the members vs building the same texts", members), 2,
        [&] {
            sqlite3_stmt* st = nullptr;
            sqlite3_prepare_v2(db, "SELECT * FROM jr WHERE jrEtunimi LIKE '%a%'", -1, &st, nullptr);
            std::vector<QString> texts;
            const auto text = [&](int c) {
                return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, c)),
                                         sqlite3_column_bytes(st, c));
            };
            while (sqlite3_step(st) == SQLITE_ROW)
                texts.push_back((text(2) + QLatin1Char(' ') + text(3)).trimmed() + QStringLiteral(" - ") + text(6));
            sqlite3_finalize(st);
            benchmark::DoNotOptimize(texts.size());
        },
        [&] {
            search->click();
            benchmark::DoNotOptimize(list->count());
        });
    sqlite3_close_v2(db);
    if (list->count() * 7 < members * 4 - 7)
        state.SkipWithError("the search found too few members");
}
BENCHMARK(NameSearchList)->Arg(10000)->Arg(100000)->Iterations(11)->UseManualTime()->Unit(benchmark::kMillisecond);

void OpenQuickSearch(benchmark::State& state)
{
    const int members = int(state.range(0));
    ClubFixture& f = fixture(members);
    tikkeli::ScriptedPrompter quiet;
    tikkeli::Database db = tikkeli::Database::open(f.database);
    sqlite3* raw = nullptr;
    sqlite3_open_v2(QFile::encodeName(f.database).constData(), &raw, SQLITE_OPEN_READWRITE, nullptr);
    // The same Finnish order as the program's connections sort in.
    tikkeli::FinnishCollation::install(raw);
    // The lists the dialog offers, each read in its order; the memo beginnings too.
    const char* lists[] = {"SELECT jrID, jrJasennumero FROM jr ORDER BY jrJasennumero COLLATE FI, jrID",
                           "SELECT jrID, jrOsoite FROM jr ORDER BY jrOsoite COLLATE FI, jrID",
                           "SELECT jrID, jrPuhelin FROM jr ORDER BY jrPuhelin COLLATE FI, jrID",
                           "SELECT jrID, jrMatkapuhelin FROM jr ORDER BY jrMatkapuhelin COLLATE FI, jrID",
                           "SELECT jrID, jrEmail FROM jr ORDER BY jrEmail COLLATE FI, jrID",
                           "SELECT ptValMemo, ptjrID FROM pt, jr WHERE pt.ptjrID = jr.jrID AND ptValMemo IS NOT NULL "
                           "ORDER BY ptValMemo COLLATE FI"};
    RunPaired(
        state, label("open the quick search vs raw read of its lists", members), 3,
        [&] {
            std::size_t bytes = 0;
            for (const char* sql : lists) {
                sqlite3_stmt* st = nullptr;
                sqlite3_prepare_v2(raw, sql, -1, &st, nullptr);
                bytes += stepAll(st);
                sqlite3_finalize(st);
            }
            benchmark::DoNotOptimize(bytes);
        },
        [&] {
            tikkeli::frmHaku dialog(db);
            benchmark::DoNotOptimize(dialog.HakuJasenID);
        });
    sqlite3_close_v2(raw);
    db.close();
    tikkeli::ConnectionRegistry::closeAll(f.database);
}
BENCHMARK(OpenQuickSearch)->Arg(10000)->Arg(100000)->Iterations(7)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Finnish, QLocale::Finland));
    tikkeli::RegisterMemberWindows();
    return RunPairedBenchmarks(argc, argv);
}
