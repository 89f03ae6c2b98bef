#include "invoicing/PayeeCheck.h"

#include "base/NullConversions.h"
#include "base/ReferenceNumber.h"
#include "base/SharedState.h"
#include "db/Recordset.h"

namespace tikkeli {

namespace {

QStringList references(Database& db, const QString& sql, const Params& params)
{
    QStringList out;
    Recordset rs = db.openRecordset(sql, RecordsetType::Snapshot, params);
    for (; !rs.eof(); rs.moveNext())
        out << NullToString(rs.field(0));
    return out;
}

} // namespace

QString PayeeCheck::problems(const QStringList& refs)
{
    const SharedState& s = State();
    QStringList found;
    if (s.ClubName.trimmed().isEmpty())
        found << QStringLiteral("- yhdistyksen nimi puuttuu asetuksista");
    if (s.Iban1.trimmed().isEmpty())
        found << QStringLiteral("- tilinumero (IBAN1) puuttuu asetuksista");
    else if (!ReferenceNumber::ibanHolds(s.Iban1))
        found << QStringLiteral("- tilinumero (IBAN1) \"%1\" on virheellinen: sen tarkiste ei täsmää").arg(s.Iban1);
    QStringList wrong;
    int wrongCount = 0;
    for (const QString& r : refs) {
        if (r.trimmed().isEmpty() || ReferenceNumber::holds(r))
            continue;
        if (++wrongCount <= 5)
            wrong << r;
    }
    if (wrongCount > 0) {
        QString line = QStringLiteral("- viitenumeron tarkiste ei täsmää: ") + wrong.join(QStringLiteral(", "));
        if (wrongCount > wrong.size())
            line += QStringLiteral(" ja %1 muuta").arg(wrongCount - wrong.size());
        found << line;
    }
    if (found.isEmpty())
        return {};
    return QStringLiteral("Laskuja ja muistutuksia ei voi tulostaa eikä lähettää, ennen kuin tiedot ovat kunnossa:\r\n")
           + found.join(QStringLiteral("\r\n"))
           + QStringLiteral("\r\n\r\nKorjaa tiedot asetuksiin tai jäsenen viitenumeroon ja yritä uudelleen.");
}

QStringList PayeeCheck::runReferences(Database& db, qint64 memberId)
{
    if (memberId < 1)
        return references(db, QStringLiteral("SELECT jmViitenumero FROM jm WHERE jmViitenumero IS NOT NULL"), {});
    return references(db, QStringLiteral("SELECT jmViitenumero FROM jm WHERE jmViitenumero IS NOT NULL AND jmjrID = ?"),
                      {Value(memberId)});
}

QStringList PayeeCheck::reminderReferences(Database& db, const ReminderRange& range, const QDate& today)
{
    Params params;
    const QString where = Reminders::selection(range, today, params);
    return references(
        db, QStringLiteral("SELECT jmhjmViitenumero FROM jmhist WHERE jmhjmViitenumero IS NOT NULL AND ") + where, params);
}

} // namespace tikkeli
