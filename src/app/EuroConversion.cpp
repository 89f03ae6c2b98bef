#include "app/EuroConversion.h"

#include "db/Database.h"
#include "db/DbError.h"
#include "db/Recordset.h"
#include "db/Transaction.h"

#include <iterator>
#include <map>
#include <optional>
#include <stdexcept>
#include <vector>

namespace tikkeli {

const std::vector<EuroConversion::MoneyField>& EuroConversion::fields()
{
    static const std::vector<MoneyField> list = {
        {QStringLiteral("vs"), QStringLiteral("vsID"), QStringLiteral("vsVastikeVuosi")},
        {QStringLiteral("vs"), QStringLiteral("vsID"), QStringLiteral("vsVastikeKausi")},
        {QStringLiteral("pi"), QStringLiteral("piID"), QStringLiteral("piCurrency")},
        {QStringLiteral("pt"), QStringLiteral("ptID"), QStringLiteral("ptValCurrency")},
        {QStringLiteral("mt"), QStringLiteral("mtID"), QStringLiteral("mtValCurrency")},
        {QStringLiteral("jmhist"), QStringLiteral("jmhID"), QStringLiteral("jmhjmHinta")},
        {QStringLiteral("jm"), QStringLiteral("jmID"), QStringLiteral("jmHinta")},
        {QStringLiteral("jmRivi"), QStringLiteral("jmRID"), QStringLiteral("jmRHinta")},
    };
    return list;
}

void EuroConversion::toEuros(Database& db)
{
    convert(db, true);
}

void EuroConversion::toMarks(Database& db)
{
    convert(db, false);
}

namespace {

// Sums of the invoice rows by invoice number (jmRjmID names a jm.jmID, or the jmhjmID of the
// history row once the invoice has moved there).
std::map<std::int64_t, Currency> rowSums(Database& db)
{
    std::map<std::int64_t, Currency> sums;
    Recordset rs = db.openRecordset(QStringLiteral("SELECT jmRjmID, jmRHinta FROM jmRivi "
                                                   "WHERE jmRjmID IS NOT NULL AND jmRHinta IS NOT NULL"),
                                    RecordsetType::Snapshot);
    for (; !rs.eof(); rs.moveNext())
        sums[rs.field(0).toInt64()] += rs.field(1).toCurrency();
    return sums;
}

struct InvoiceTotals {
    QString table;
    QString key;
    QString invoiceNumber;
    QString total;
};

const InvoiceTotals Invoices[] = {
    {QStringLiteral("jm"), QStringLiteral("jmID"), QStringLiteral("jmID"), QStringLiteral("jmHinta")},
    {QStringLiteral("jmhist"), QStringLiteral("jmhID"), QStringLiteral("jmhjmID"), QStringLiteral("jmhjmHinta")},
};

// The invoices whose total is exactly the sum of their rows: key → invoice number.
std::map<std::int64_t, std::int64_t> totalsMatchingRows(Database& db, const InvoiceTotals& inv,
                                                        const std::map<std::int64_t, Currency>& sums)
{
    std::map<std::int64_t, std::int64_t> keys;
    Recordset rs = db.openRecordset(QStringLiteral("SELECT %1, %2, %3 FROM %4 WHERE %3 IS NOT NULL")
                                        .arg(inv.key, inv.invoiceNumber, inv.total, inv.table),
                                    RecordsetType::Snapshot);
    for (; !rs.eof(); rs.moveNext()) {
        const auto sum = sums.find(rs.field(1).toInt64());
        if (sum != sums.end() && sum->second == rs.field(2).toCurrency())
            keys[rs.field(0).toInt64()] = sum->first;
    }
    return keys;
}

// The amount as stored. Anything that is not an amount of money (text typed in with the SQL
// runner, a rent too large for a money value) stops the conversion: written back it would become
// zero.
Currency storedAmount(const Value& amount, const EuroConversion::MoneyField& f, const Value& key)
{
    std::optional<Currency> c;
    switch (amount.kind()) {
    case Value::Kind::Currency: c = amount.toCurrency(); break;
    case Value::Kind::Int:
    case Value::Kind::Double: c = Currency::tryFromDouble(amount.toDouble()); break;
    case Value::Kind::Text: c = Currency::parse(amount.toString()); break;
    default: break;
    }
    if (!c)
        throw DbException(DbErr::TypeMismatch, QStringLiteral("Taulun %1 kentän %2 arvoa \"%3\" (%4 = %5) ei voi muuntaa.")
                                                   .arg(f.table, f.field, amount.toString(), f.key, key.toString()));
    return *c;
}

Currency converted(Currency amount, bool toEuros, const EuroConversion::MoneyField& f, const Value& key)
{
    try {
        return toEuros ? amount.dividedBy(EuroConversion::MarksPerEuro) : amount.multipliedBy(EuroConversion::MarksPerEuro);
    } catch (const std::out_of_range&) {
        throw DbException(DbErr::Overflow,
                          QStringLiteral("Taulun %1 kentän %2 arvo (%3 = %4) on liian suuri muunnettavaksi.")
                              .arg(f.table, f.field, f.key, key.toString()));
    }
}

} // namespace

void EuroConversion::convert(Database& db, bool toEuros)
{
    Transaction tx(db);
    // Each amount rounds on its own, so rows that added up to their invoice's total could miss it
    // by a ten-thousandth afterwards; such totals are set to the sum of their converted rows.
    const std::map<std::int64_t, Currency> sumsBefore = rowSums(db);
    std::vector<std::map<std::int64_t, std::int64_t>> matching;
    for (const InvoiceTotals& inv : Invoices)
        matching.push_back(totalsMatchingRows(db, inv, sumsBefore));

    for (const MoneyField& f : fields()) {
        // Each amount is converted in fixed point, so the rounding to four decimals is the
        // same half-to-even rounding every other money value of the program gets.
        Recordset rs = db.openRecordset(
            QStringLiteral("SELECT %1, %2 FROM %3 WHERE %2 IS NOT NULL").arg(f.key, f.field, f.table),
            RecordsetType::Snapshot);
        for (; !rs.eof(); rs.moveNext()) {
            const Value amount = rs.field(1);
            const Currency c = converted(storedAmount(amount, f, rs.field(0)), toEuros, f, rs.field(0));
            // A rent kept as a Double stays a Double, rounded like the rest.
            const Value stored = amount.kind() == Value::Kind::Double ? Value(c.toDouble()) : Value(c);
            db.execute(QStringLiteral("UPDATE %1 SET %2 = ? WHERE %3 = ?").arg(f.table, f.field, f.key),
                       {stored, rs.field(0)});
        }
    }

    const std::map<std::int64_t, Currency> sumsAfter = rowSums(db);
    for (size_t i = 0; i < std::size(Invoices); ++i) {
        const InvoiceTotals& inv = Invoices[i];
        for (const auto& [key, number] : matching[i])
            db.execute(QStringLiteral("UPDATE %1 SET %2 = ? WHERE %3 = ?").arg(inv.table, inv.total, inv.key),
                       {Value(sumsAfter.at(number)), Value(key)});
    }
    tx.commit();
}

} // namespace tikkeli
