// The making of an invoice and a reminder e-mail run's messages, on a club of 100,000 members who
// all take e-mail (the shipped templates), each with an invoice and a history row, against a plain
// loop making the same messages through the same queries and template fills with nothing else
// running. Ours runs as the window runs it: the event loop turning, a slice of messages at a time;
// it is timed until the sending would begin (the server is left unnamed, so nothing goes out).
// A round makes the messages of every tenth member (10,000): its queries search the tables of all
// 100,000, and the whole program runs in minutes rather than half an hour.
// Beside the ratio, the longest the event loop waited for a turn, which is what a user waits at
// most for the window (and "Keskeytä") to answer: over the rounds, and over the opening of a run
// of all 100,000 (reading its rows, then its first slices), where the size of the run tells.
#include "base/NullConversions.h"
#include "base/SharedState.h"
#include "db/Recordset.h"
#include "db/Transaction.h"
#include "invoicing/EmailSendLoop.h"
#include "invoicing/EmailTemplate.h"
#include "invoicing/Reminders.h"
#include "platform/EmailSender.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLocale>
#include <QTimer>
#include "ClubFixture.h"
#include "PairedRatio.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

using namespace tikkeli;

namespace {

constexpr int Members = 100000;
// The rounds make the messages of every this many members.
constexpr int RoundEvery = 10;
// How long the opening of a run of all members is followed before it is cancelled.
constexpr int OpeningMs = 3000;

const QDate Today(2027, 3, 17);

// The rows a run sends: those of every member, or of every tenth (a round).
void markToSend(Database& db, bool all)
{
    const Value every(all ? 1 : RoundEvery);
    db.execute(QStringLiteral("UPDATE jm SET jmEmailed = (jmjrID % ? <> 0)"), {every});
    db.execute(QStringLiteral("UPDATE jmhist SET jmhTulosta = (jmhjmjrID % ? = 0)"), {every});
}

ClubFixture& club()
{
    static bool made = false;
    ClubFixture& f = SharedClubFixture(Members, false);
    if (!made) {
        made = true;
        Database db = Database::open(f.database);
        db.execute(QStringLiteral("BEGIN"));
        db.execute(QStringLiteral("DELETE FROM jm"));
        db.execute(QStringLiteral("DELETE FROM jmhist"));
        db.execute(QStringLiteral("UPDATE jr SET jrEmailLasku = 1"));
        db.execute(QStringLiteral("INSERT INTO jm (jmjrID, jmLaskunumero, jmHinta, jmOtsake, jmLaskOsoite1, jmmeID)"
                                  " SELECT jrID, 10000 + jrID, 45.5, 'Jäsenmaksu 2027', jrSukunimi, 0 FROM jr"));
        db.execute(QStringLiteral(
            "INSERT INTO jmhist (jmhjmID, jmhjmjrID, jmhjmLaskunumero, jmhjmHinta, jmhjmOtsake, jmhjmMuistutusOtsake,"
            " jmhjmErapaiva, jmhTulosta, jmhMuistutusEmailed, jmhjmLaskOsoite1)"
            " SELECT 0, jrID, 10000 + jrID, 45.5, 'Jäsenmaksu 2026', 'Muistutus', '2026-03-02 00:00:00', 1, 0, jrSukunimi"
            " FROM jr"));
        markToSend(db, false);
        db.execute(QStringLiteral("COMMIT"));
        db.close();
        ConnectionRegistry::closeAll(f.database);
        const QString program = qEnvironmentVariable("TIKKELI_PROGRAM_DIR");
        State().InvoiceTemplatePath = program + QStringLiteral("/lasku.txt");
        State().ReminderTemplatePath = program + QStringLiteral("/karhu.txt");
        State().SenderEmail = QStringLiteral("laskut@seura.fi");
        // Unnamed: the first message fails at once and the rest are left unsent.
        State().SmtpServer = QString();
    }
    return f;
}

// For each row of ours, the longest the event loop waited for a turn (ms).
std::vector<std::pair<std::string, qint64>>& waits()
{
    static std::vector<std::pair<std::string, qint64>> w;
    return w;
}

// What the run does for each row before anything goes out, in a plain loop.
void plainPreparation(Database& db, bool invoices, const QString& templ)
{
    const QList<qint64> ids = db.wholeNumbers(
        invoices ? QStringLiteral("SELECT jmID FROM jm WHERE jmEmailed = False ORDER BY jmID")
                 : QStringLiteral("SELECT jmhID FROM jmhist WHERE jmhTulosta = True ORDER BY jmhID"));
    QStringList texts;
    for (const qint64 id : ids) {
        std::optional<Transaction> unrecorded;
        if (!invoices) {
            unrecorded.emplace(db);
            Reminders::CreateReminder(db, id, Today);
        }
        Recordset row = db.openRecordset(
            invoices ? QStringLiteral("SELECT jmjrID AS memberId, jmOtsake AS subject FROM jm WHERE jmID = ?")
                     : QStringLiteral("SELECT jmhjmjrID AS memberId, jmhjmMuistutusOtsake AS subject FROM jmhist"
                                      " WHERE jmhID = ?"),
            RecordsetType::Snapshot, {Value(id)});
        Recordset member = db.openRecordset(
            QStringLiteral("SELECT jrEmailLasku, jrEmail, jrSukunimi, jrEtunimi FROM jr WHERE jrID = ?"),
            RecordsetType::Snapshot, {Value(NullToLong(row.field(0)))});
        benchmark::DoNotOptimize(member.field(1));
        texts << (invoices ? EmailTemplate::FillInvoiceTemplate(templ, id, db)
                           : EmailTemplate::FillReminderTemplate(templ, id, db));
    }
    benchmark::DoNotOptimize(texts.size());
}

// Runs ours as the window does, until the sending would begin or, with cancelAfterMs, until the
// run is cancelled that long after its start; the longest the event loop waited for a turn (ms).
qint64 runOurs(std::unique_ptr<EmailSendLoop>& loop, Database& db, bool invoices, const QString& templ,
               int cancelAfterMs = -1)
{
    loop = std::make_unique<EmailSendLoop>(db, invoices ? EmailSendLoop::Kind::Invoices : EmailSendLoop::Kind::Reminders,
                                           templ);
    loop->recordRemindersOn(Today);
    QEventLoop wait;
    QObject::connect(loop.get(), &EmailSendLoop::progress, &wait, &QEventLoop::quit);
    QObject::connect(loop.get(), &EmailSendLoop::finished, &wait, &QEventLoop::quit);
    if (cancelAfterMs >= 0)
        QTimer::singleShot(cancelAfterMs, loop.get(), &EmailSendLoop::cancel);
    qint64 longest = 0;
    QElapsedTimer sinceTurn;
    QTimer turns;
    QObject::connect(&turns, &QTimer::timeout, [&] { longest = std::max(longest, sinceTurn.restart()); });
    turns.start(0);
    sinceTurn.start();
    loop->start();
    wait.exec();
    return std::max(longest, sinceTurn.elapsed());
}

// The run of ours ends, untimed: its messages are all left unsent.
void endOurs(std::unique_ptr<EmailSendLoop>& loop)
{
    if (loop && loop->running()) {
        QEventLoop wait;
        QObject::connect(loop.get(), &EmailSendLoop::finished, &wait, &QEventLoop::quit);
        wait.exec();
    }
    loop.reset();
    // What the ended run leaves to free (its mailer, the messages its worker held) is freed
    // before the next side starts, not during it.
    while (EmailSender::runningSends() > 0)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void Preparation(benchmark::State& state)
{
    const bool invoices = state.range(0) == 0;
    ClubFixture& f = club();
    QString templ;
    if (!(invoices ? EmailTemplate::LoadInvoiceTemplate(templ) : EmailTemplate::LoadReminderTemplate(templ)))
        state.SkipWithError("the shipped template could not be read");
    Database db = Database::open(f.database);
    std::unique_ptr<EmailSendLoop> last;
    qint64 roundsWait = 0;
    RunPaired(
        state, std::string(invoices ? "invoice" : "reminder") + " e-mail preparation, 100,000 members", 1.5,
        [&] { plainPreparation(db, invoices, templ); },
        [&] { roundsWait = std::max(roundsWait, runOurs(last, db, invoices, templ)); }, [&] { endOurs(last); });
    endOurs(last);
    // The opening of a run of every member: the rows it reads and the first slices it makes.
    markToSend(db, true);
    const qint64 openingWait = runOurs(last, db, invoices, templ, OpeningMs);
    endOurs(last);
    markToSend(db, false);
    state.counters["longest_wait_ms"] = double(roundsWait);
    state.counters["opening_wait_ms"] = double(openingWait);
    waits().push_back({pairedRows().back().name, std::max(roundsWait, openingWait)});
    db = Database();
    ConnectionRegistry::closeAll(f.database);
}
BENCHMARK(Preparation)->Arg(0)->Arg(1)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Finnish, QLocale::Finland));
    const int result = RunPairedBenchmarks(argc, argv);
    std::printf("\n%-60s %12s %8s\n", "event loop during the preparation", "longest ms", "target");
    for (const auto& [name, ms] : waits())
        std::printf("%-60s %12lld %8s %s\n", name.c_str(), static_cast<long long>(ms), "<= 100", ms <= 100 ? "ok" : "OVER");
    return result;
}
