#include "invoicing/InvoiceNumbering.h"

#include "base/NumericText.h"
#include "settings/DatabaseSettingsStore.h"

#include <algorithm>

namespace tikkeli {

namespace {

qint64 maxOf(Database& db, const QString& sql)
{
    const Value v = db.scalar(sql);
    return v.isNull() ? 0 : v.toInt64();
}

} // namespace

qint32 InvoiceNumbering::LargestInvoiceNumber(Database& db)
{
    const qint64 history = maxOf(db, QStringLiteral("SELECT MAX(jmhjmLaskunumero) AS IsoinLaskunumero FROM jmhist"));
    const qint64 current = maxOf(db, QStringLiteral("SELECT MAX(jmLaskunumero) AS IsoinLaskunumero FROM jm"));
    return qint32(std::max<qint64>({0, history, current}));
}

qint64 InvoiceNumbering::NextInvoiceId(Database& db)
{
    const qint64 sequence = maxOf(db, QStringLiteral("SELECT seq FROM sqlite_sequence WHERE name = 'jm'"));
    const qint64 largest = maxOf(db, QStringLiteral("SELECT MAX(jmID) FROM jm"));
    return std::max(sequence, largest) + 1;
}

void InvoiceNumbering::AdvanceInvoiceIdSeed(Database& db)
{
    const qint64 rows = maxOf(db, QStringLiteral("SELECT MAX(jmRjmID) AS MAXjmRjmID FROM jmRivi"));
    const qint64 history = maxOf(db, QStringLiteral("SELECT MAX(jmhjmID) FROM jmhist"));
    const qint64 floor = std::max(rows, history);
    if (NextInvoiceId(db) > floor)
        return;
    // SQLite hands out max(seq, MAX(jmID)) + 1 for an AUTOINCREMENT key; the row exists once the
    // table has had a row, and is added otherwise.
    if (db.scalar(QStringLiteral("SELECT COUNT(*) FROM sqlite_sequence WHERE name = 'jm'")).toInt64() == 0)
        db.execute(QStringLiteral("INSERT INTO sqlite_sequence (name, seq) VALUES ('jm', ?)"), {Value(floor)});
    else
        db.execute(QStringLiteral("UPDATE sqlite_sequence SET seq = ? WHERE name = 'jm'"), {Value(floor)});
}

qint32 InvoiceNumbering::storedCounter(Database& db)
{
    DatabaseSettingsStore store(db, QStringLiteral("TIKKELI"));
    return WholeNumberText32(store.read(QStringLiteral("Laskunro"))).value_or(1);
}

void InvoiceNumbering::storeCounter(Database& db, qint32 value)
{
    DatabaseSettingsStore store(db, QStringLiteral("TIKKELI"));
    store.write(QString::number(value), QStringLiteral("Laskunro"));
}

} // namespace tikkeli
