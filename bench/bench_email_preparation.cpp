// The making of an invoice and a reminder e-mail run's messages, on a club of 100,000 members who
// all take e-mail (the shipped templates), against a plain loop making the same messages through
// the same queries and template fills with nothing else running. Ours runs as the window runs it:
// the event loop turning, a slice of messages at a time; it is timed until the sending would begin
// (the server is left unnamed, so nothing goes out). Beside the ratio, the longest the event loop
// waited for a turn, which is what a user waits at most for the window (and "Keskeytä") to answer.
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

const QDate Today(2027, 3, 17);

// For each row of ours, the longest the event loop waited for a turn (ms).
std::vector<std::pair<std::string, qint64>>& waits()
{
    static std::vector<std::pair<std::string, qint64>> w;
    return w;
}

// What the run does for each row before anything goes out, in a plain loop.
void plainPreparation(Database& db, bool invoices, const QString& templ)
{
    QList<qint64> ids;
    Recordset rs = db.openRecordset(invoices
                                        ? QStringLiteral("SELECT jmID FROM jm WHERE jmEmailed = False ORDER BY jmID")
                                        : QStringLiteral("SELECT jmhID FROM jmhist WHERE jmhTulosta = True ORDER BY jmhID"),
                                    RecordsetType::Snapshot);
    for (; !rs.eof(); rs.moveNext())
        ids << rs.field(0).toInt64();
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

void Preparation(benchmark::State& state)
{
    const bool invoices = state.range(0) == 0;
    ClubFixture& f = club();
    QString templ;
    if (!(invoices ? EmailTemplate::LoadInvoiceTemplate(templ) : EmailTemplate::LoadReminderTemplate(templ)))
        state.SkipWithError("the shipped template could not be read");
    Database db = Database::open(f.database);
    std::unique_ptr<EmailSendLoop> last;
    qint64 longestWait = 0;
    RunPaired(
        state, std::string(invoices ? "invoice" : "reminder") + " e-mail preparation, 100,000 members", 1.5,
        [&] { plainPreparation(db, invoices, templ); },
        [&] {
            last = std::make_unique<EmailSendLoop>(
                db, invoices ? EmailSendLoop::Kind::Invoices : EmailSendLoop::Kind::Reminders, templ);
            last->recordRemindersOn(Today);
            QEventLoop wait;
            QObject::connect(last.get(), &EmailSendLoop::progress, &wait, &QEventLoop::quit);
            QObject::connect(last.get(), &EmailSendLoop::finished, &wait, &QEventLoop::quit);
            QElapsedTimer sinceTurn;
            QTimer turns;
            QObject::connect(&turns, &QTimer::timeout, [&] { longestWait = std::max(longestWait, sinceTurn.restart()); });
            turns.start(0);
            sinceTurn.start();
            last->start();
            wait.exec();
            longestWait = std::max(longestWait, sinceTurn.elapsed());
        },
        [&] {
            // The previous run of ours ends here, untimed: its messages are all left unsent.
            if (last && last->running()) {
                QEventLoop wait;
                QObject::connect(last.get(), &EmailSendLoop::finished, &wait, &QEventLoop::quit);
                wait.exec();
            }
            last.reset();
            // What the ended run leaves to free (its mailer, the messages its worker held) is
            // freed before the next side starts, not during it.
            while (EmailSender::runningSends() > 0)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        });
    state.counters["longest_wait_ms"] = double(longestWait);
    waits().push_back({pairedRows().back().name, longestWait});
    if (last && last->running()) {
        QEventLoop wait;
        QObject::connect(last.get(), &EmailSendLoop::finished, &wait, &QEventLoop::quit);
        wait.exec();
    }
    last.reset();
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
