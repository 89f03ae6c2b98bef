#include "app/EuroConversion.h"

#include "db/Database.h"
#include "db/Recordset.h"
#include "db/Transaction.h"

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

void EuroConversion::convert(Database& db, bool toEuros)
{
    Transaction tx(db);
    for (const MoneyField& f : fields()) {
        // Each amount is converted in fixed point, so the rounding to four decimals is the
        // same half-to-even rounding every other money value of the program gets.
        Recordset rs = db.openRecordset(QStringLiteral("SELECT %1, %2 FROM %3 WHERE %2 IS NOT NULL")
                                            .arg(f.key, f.field, f.table),
                                        RecordsetType::Snapshot);
        for (; !rs.eof(); rs.moveNext()) {
            const Value amount = rs.field(1);
            const Currency c = amount.toCurrency();
            const Currency converted = toEuros ? c.dividedBy(MarksPerEuro) : c.multipliedBy(MarksPerEuro);
            // A rent kept as a Double stays a Double, rounded like the rest.
            const Value stored = amount.kind() == Value::Kind::Double ? Value(converted.toDouble()) : Value(converted);
            db.execute(QStringLiteral("UPDATE %1 SET %2 = ? WHERE %3 = ?").arg(f.table, f.field, f.key),
                       {stored, rs.field(0)});
        }
    }
    tx.commit();
}

} // namespace tikkeli
