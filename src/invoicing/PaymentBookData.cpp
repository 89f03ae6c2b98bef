#include "invoicing/PaymentBookData.h"

#include "base/NullConversions.h"
#include "db/Recordset.h"
#include "db/Transaction.h"

#include <vector>

namespace tikkeli {

int PaymentBookData::DeleteAllHistory(Database& db)
{
    Transaction transaction(db);
    db.execute(QStringLiteral("DELETE FROM jmhist"));
    const int n = db.rowsAffected();
    transaction.commit();
    return n;
}

int PaymentBookData::DeletePaidHistory(Database& db)
{
    Transaction transaction(db);
    db.execute(QStringLiteral("DELETE FROM jmhist WHERE jmhjmMaksettu = True"));
    const int n = db.rowsAffected();
    transaction.commit();
    return n;
}

int PaymentBookData::TarkistaJmHistOsoitteet(Database& db)
{
    Transaction transaction(db);
    struct Pending {
        qint64 id;
        qint64 member;
    };
    std::vector<Pending> rows;
    {
        Recordset rs = db.openRecordset(
            QStringLiteral("SELECT jmhID, jmhjmjrID FROM jmhist WHERE jmhjmLaskOsoite1 IS NULL AND jmhjmLaskOsoite2 IS NULL"
                           " AND jmhjmLaskOsoite3 IS NULL AND jmhjmLaskOsoite4 IS NULL AND jmhjmLaskOsoite5 IS NULL"
                           " AND jmhjmLaskOsoite6 IS NULL ORDER BY jmhID"),
            RecordsetType::Snapshot);
        for (; !rs.eof(); rs.moveNext())
            rows.push_back({rs.field(0).toInt64(), NullToLong(rs.field(1))});
    }
    const QString update = QStringLiteral(
        "UPDATE jmhist SET jmhjmLaskOsoite1 = ?, jmhjmLaskOsoite2 = ?, jmhjmLaskOsoite3 = ?, jmhjmLaskOsoite4 = ?,"
        " jmhjmLaskOsoite5 = ?, jmhjmLaskOsoite6 = ?, jmhjmLaskPostinumero = ?, jmhjmLaskJasennumero = ? WHERE jmhID = ?");
    // Text fields refuse "": an empty line is stored as Null, as the invoice run stores it. A row
    // whose member is gone therefore stays all Null and is looked at again next time, harmlessly.
    auto text = [](const QString& t) { return t.isEmpty() ? Value() : Value(t); };
    int filled = 0;
    for (const Pending& row : rows) {
        Recordset jr = db.openRecordset(QStringLiteral("SELECT * FROM jr WHERE jrID = ?"), RecordsetType::Snapshot,
                                        {Value(row.member)});
        QString lines[6];
        QString postcode, number;
        if (jr.eof())
            continue;
        {
            auto s = [&jr](const char* f) { return NullToString(jr.field(QString::fromLatin1(f))); };
            lines[1] = (s("jrSukunimi") + QLatin1Char(' ') + s("jrEtunimi")).trimmed().left(100);
            lines[2] = s("jrOsoite").left(100);
            lines[4] = (s("jrPostinumero") + QLatin1Char(' ') + s("jrPostitoimipaikka")).trimmed().left(100);
            postcode = s("jrPostinumero").left(5);
            number = s("jrJasennumero").left(10);
        }
        Params p;
        for (const QString& l : lines)
            p.push_back(text(l));
        p.push_back(text(postcode));
        p.push_back(text(number));
        p.push_back(Value(row.id));
        db.execute(update, p);
        ++filled;
    }
    transaction.commit();
    return filled;
}

} // namespace tikkeli
