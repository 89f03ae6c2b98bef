#include "contracts/ContractSelection.h"

#include "base/NullConversions.h"
#include "db/Recordset.h"
#include "db/Transaction.h"

#include <cmath>

namespace tikkeli {

namespace {

constexpr double Micro = 1000000.0;

// The municipality and village pairs of one summary row; a pair counts once whatever its case.
class PairList {
public:
    bool contains(const QString& pair) const
    {
        const QString folded = pair.toCaseFolded();
        for (const QString& p : m_folded)
            if (p == folded)
                return true;
        return false;
    }
    void add(const QString& pair)
    {
        m_pairs.push_back(pair);
        m_folded.push_back(pair.toCaseFolded());
    }
    QString text() const { return m_pairs.join(QStringLiteral("; ")); }
    bool isEmpty() const { return m_pairs.isEmpty(); }

private:
    QStringList m_pairs;
    QStringList m_folded;
};

struct Accumulation {
    AreaTotal area;
    PairList municipalities;
    QStringList estates;
    QString estateText() const { return estates.join(QStringLiteral("; ")); }
    bool isEmpty() const { return area.isZero() && municipalities.isEmpty() && estates.isEmpty(); }
};

struct ContractRow {
    qint64 id = 0;
    QString lessor;
    Value validity;
    Value from;
    Value to;
};

void addSummaryRow(Database& db, const ContractRow& c, const Accumulation& a)
{
    // A single estate whose own texts pass the limit is cut rather than left out.
    // Program-written text is never "": an empty text is stored as Null.
    const auto cut = [](const QString& s, int limit) { return s.isEmpty() ? Value() : Value(s.left(limit)); };
    const Value validity = c.validity.isNull() ? Value() : Value(int(NullToByte(c.validity)));
    db.execute(QStringLiteral("INSERT INTO mvs (mvsvsID, mvsKunta, mvsOmistaja, mvsTilat, mvsAla, mvsVoimassa, "
                              "mvsAlkaa, mvsLoppuu) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"),
               {Value(c.id), cut(a.municipalities.text(), ContractSelection::TextLimit), cut(c.lessor, 50),
                cut(a.estateText(), ContractSelection::TextLimit), Value(a.area.value()), validity, c.from, c.to});
}

void summariseContract(Database& db, const ContractRow& c)
{
    Recordset estates = db.openRecordset(QStringLiteral("SELECT tlKunta, tlKyla, tlTilaPalsta, tlRekNo, tlPa FROM tl "
                                                        "WHERE tlvsID = ? ORDER BY tlID"),
                                         RecordsetType::Snapshot, {Value(c.id)});
    Accumulation acc;
    for (; !estates.eof(); estates.moveNext()) {
        const QString pair = NullToString(estates.field(QStringLiteral("tlKunta"))) + QStringLiteral(", ")
                             + NullToString(estates.field(QStringLiteral("tlKyla")));
        const QString piece = NullToString(estates.field(QStringLiteral("tlTilaPalsta"))) + QLatin1Char(' ')
                              + NullToString(estates.field(QStringLiteral("tlRekNo")));
        const Value pa = estates.field(QStringLiteral("tlPa"));
        const auto fits = [&](const Accumulation& a) {
            Accumulation next = a;
            if (!next.municipalities.contains(pair))
                next.municipalities.add(pair);
            next.estates.push_back(piece);
            return next.municipalities.text().size() <= ContractSelection::TextLimit
                   && next.estateText().size() <= ContractSelection::TextLimit;
        };
        // An estate that does not fit the row opens the next row of the same contract; on a fresh
        // row it always stays (cut to the limit when it is that long by itself).
        if (!acc.estates.isEmpty() && !fits(acc)) {
            addSummaryRow(db, c, acc);
            acc = Accumulation();
        }
        if (!pa.isNull())
            acc.area.add(NullToDouble(pa));
        if (!acc.municipalities.contains(pair))
            acc.municipalities.add(pair);
        acc.estates.push_back(piece);
    }
    if (!acc.isEmpty())
        addSummaryRow(db, c, acc);
}

} // namespace

void AreaTotal::add(double hectares)
{
    m_micro += qint64(std::llround(hectares * Micro));
}

double AreaTotal::value() const
{
    return double(m_micro) / Micro;
}

void ContractSelection::ResetSelection(Database& db)
{
    Transaction t(db);
    db.execute(QStringLiteral("UPDATE vs SET vsMukaan = 1"));
    db.execute(QStringLiteral("UPDATE vs SET vsMukaan2 = 0"));
    t.commit();
}

void ContractSelection::FilterSelection(Database& db, const ContractQuery& query)
{
    if (query.isEmpty())
        return;
    Transaction t(db);
    db.execute(QStringLiteral("UPDATE vs SET vsMukaan2 = 0"));
    {
        Recordset rs = db.openRecordset(query.sql, RecordsetType::Snapshot, query.params);
        for (; !rs.eof(); rs.moveNext())
            db.execute(QStringLiteral("UPDATE vs SET vsMukaan2 = 1 WHERE vsID = ?"),
                       {Value(rs.field(QStringLiteral("vsID")).toInt64())});
    }
    db.execute(QStringLiteral("UPDATE vs SET vsMukaan = 0 WHERE vsMukaan2 = 0"));
    t.commit();
}

void ContractSelection::RebuildSummaryTable(Database& db, const ContractQuery& query)
{
    Transaction t(db);
    db.execute(QStringLiteral("DELETE FROM mvs"));
    Recordset rs = db.openRecordset(query.sql, RecordsetType::Snapshot, query.params);
    while (!rs.eof()) {
        ContractRow c;
        c.id = rs.field(QStringLiteral("vsID")).toInt64();
        c.lessor = NullToString(rs.field(QStringLiteral("vsNimi")));
        c.validity = rs.field(QStringLiteral("vsVoimassa"));
        c.from = rs.field(QStringLiteral("vsVoimassaAlkaen"));
        c.to = rs.field(QStringLiteral("vsVoimassaPaattyy"));
        summariseContract(db, c);
        // The rows of a join repeat a contract next to each other: its summary is written once.
        while (!rs.eof() && rs.field(QStringLiteral("vsID")).toInt64() == c.id)
            rs.moveNext();
    }
    t.commit();
}

double ContractSelection::SumSelectedArea(Database& db, const ContractQuery& query)
{
    RebuildSummaryTable(db, query);
    AreaTotal total;
    Recordset rs = db.openRecordset(QStringLiteral("SELECT mvsAla FROM mvs"), RecordsetType::Snapshot);
    for (; !rs.eof(); rs.moveNext())
        total.add(NullToDouble(rs.field(0)));
    return total.value();
}

ContractQuery ContractSelection::selected(bool byName)
{
    return {byName ? QStringLiteral("SELECT * FROM vs WHERE vsMukaan = 1 ORDER BY vsNimi")
                   : QStringLiteral("SELECT * FROM vs WHERE vsMukaan = 1"),
            {}};
}

} // namespace tikkeli
