#include "invoicing/InvoiceHistory.h"

#include "db/ClubChanges.h"
#include "db/Transaction.h"
#include "invoicing/InvoiceNumbering.h"
#include "base/SharedState.h"
#include "settings/DatabaseSettingsStore.h"

#include <algorithm>

namespace tikkeli {

int InvoiceHistory::CountRunInvoices(Database& db)
{
    return int(db.scalar(QStringLiteral("SELECT COUNT(jmID) AS jCount FROM jm")).toInt64());
}

int InvoiceHistory::CountEmailedInvoices(Database& db)
{
    return int(db.scalar(QStringLiteral("SELECT COUNT(jmID) AS Lkm FROM jm WHERE jmEmailed = True")).toInt64());
}

int InvoiceHistory::MoveToHistory(Database& db, const Progress& progress)
{
    Transaction transaction(db);
    const int count = CountRunInvoices(db);
    if (progress)
        progress(0, std::max(count, 1));
    db.execute(QStringLiteral(
        "INSERT INTO jmhist (jmhjmID, jmhjmjrID, jmhjmErapaiva, jmhjmLaskupaiva, jmhjmLaskunumero, jmhjmViitenumero,"
        " jmhjmHinta, jmhjmTeksti, jmhjmMaksettu, jmhjmJasMak, jmhjmmeID, jmhjmOtsake, jmhjmEmailed,"
        " jmhjmLaskOsoite1, jmhjmLaskOsoite2, jmhjmLaskOsoite3, jmhjmLaskOsoite4, jmhjmLaskOsoite5, jmhjmLaskOsoite6,"
        " jmhjmLaskPostinumero, jmhjmLaskJasennumero)"
        " SELECT jmID, jmjrID, jmErapaiva, jmLaskupaiva, jmLaskunumero, jmViitenumero, jmHinta, jmTeksti, jmMaksettu,"
        " jmJasMak, jmmeID, jmOtsake, jmEmailed, jmLaskOsoite1, jmLaskOsoite2, jmLaskOsoite3, jmLaskOsoite4,"
        " jmLaskOsoite5, jmLaskOsoite6, jmLaskPostinumero, jmLaskJasennumero FROM jm ORDER BY jmID"));
    db.execute(QStringLiteral("DELETE FROM jm"));
    transaction.commit();
    if (progress)
        progress(std::max(count, 1), std::max(count, 1));
    return count;
}

namespace {

const QString PrintedKey = QStringLiteral("LaskutTulostettu");

qint64 printedUpTo(Database& db)
{
    return DatabaseSettingsStore(db, QStringLiteral("TIKKELI")).read(PrintedKey).toLongLong();
}

} // namespace

void InvoiceHistory::MarkRunPrinted(Database& db)
{
    const qint64 largest = db.scalar(QStringLiteral("SELECT IFNULL(MAX(jmLaskunumero), 0) FROM jm")).toInt64();
    if (largest > printedUpTo(db))
        DatabaseSettingsStore(db, QStringLiteral("TIKKELI")).write(QString::number(largest), PrintedKey);
}

bool InvoiceHistory::RunReachedMembers(Database& db)
{
    return db.scalar(QStringLiteral("SELECT COUNT(*) FROM jm WHERE jmEmailed = True OR jmLaskunumero <= ?"),
                     {Value(printedUpTo(db))})
               .toInt64()
           > 0;
}

QString InvoiceHistory::DeleteQuestion(Database& db)
{
    const QString question = QStringLiteral("Haluatko varmasti poistaa kaikki lisätyt laskut?");
    if (!RunReachedMembers(db))
        return question;
    return question
           + QStringLiteral("\r\n\r\nLaskuja on jo tulostettu tai lähetetty sähköpostitse, joten niiden numeroita ja "
                            "viitteitä ei anneta uudelleen: seuraava laskuajo jatkaa numerosta ")
           + QString::number(InvoiceNumbering::storedCounter(db)) + QLatin1Char('.');
}

int InvoiceHistory::DeleteAll(Database& db)
{
    Transaction transaction(db);
    const int count = CountRunInvoices(db);
    const bool reached = RunReachedMembers(db);
    db.execute(QStringLiteral("UPDATE jr SET jrJasenmaksu = True WHERE jrID IN"
                              " (SELECT jmjrID FROM jm WHERE jmJasMak = True AND jmjrJasenmaksu = True)"));
    ClubChanges::announce(db, ClubChanges::Kind::Members);
    db.execute(QStringLiteral("DELETE FROM jmRivi WHERE jmRjmID IN (SELECT jmID FROM jm)"));
    db.execute(QStringLiteral("DELETE FROM jm"));
    // An interrupted run of an earlier version can leave the counter short of its invoices: the
    // plain step back would then land on a number the history already holds.
    const qint64 stored = InvoiceNumbering::storedCounter(db);
    const qint64 wound = reached ? stored : stored - count;
    const qint64 firstFree = qint64(InvoiceNumbering::LargestInvoiceNumber(db)) + 1;
    const qint32 counter = qint32(std::max(wound, firstFree));
    InvoiceNumbering::storeCounter(db, counter);
    transaction.commit();
    State().InvoiceNumberCounter = counter;
    return count;
}

} // namespace tikkeli
