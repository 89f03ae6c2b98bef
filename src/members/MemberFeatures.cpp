#include "members/MemberFeatures.h"

#include "base/NullConversions.h"
#include "db/Recordset.h"

#include <cfenv>
#include <cmath>
#include <limits>

namespace tikkeli {

std::vector<MemberFeatures::Entry> MemberFeatures::definitions(Database& db)
{
    std::vector<Entry> out;
    Recordset rs = db.openRecordset(
        QStringLiteral("SELECT piID, piNimi FROM pi WHERE piType = 1 AND piNimi IS NOT NULL ORDER BY piNimi"),
        RecordsetType::Snapshot);
    for (; !rs.eof(); rs.moveNext())
        out.push_back({NullToLong(rs.field(0)), NullToString(rs.field(1))});
    return out;
}

std::vector<MemberFeatures::Entry> MemberFeatures::ofMember(Database& db, qint32 memberId)
{
    std::vector<Entry> out;
    Recordset rs = db.openRecordset(
        QStringLiteral("SELECT pt.ptID, pi.piNimi FROM pt INNER JOIN pi ON pi.piID = pt.ptpiID "
                       "WHERE pt.ptjrID = ? ORDER BY pt.ptID"),
        RecordsetType::Snapshot, {memberId});
    for (; !rs.eof(); rs.moveNext())
        out.push_back({NullToLong(rs.field(0)), NullToString(rs.field(1))});
    return out;
}

std::optional<MemberFeatures::Definition> MemberFeatures::definition(Database& db, qint32 definitionId)
{
    Recordset rs = db.openRecordset(QStringLiteral("SELECT * FROM pi WHERE piID = ?"), RecordsetType::Snapshot,
                                    {definitionId});
    if (rs.eof())
        return std::nullopt;
    Definition d;
    d.id = definitionId;
    d.name = NullToString(rs[QStringLiteral("piNimi")]);
    d.description = NullToString(rs[QStringLiteral("piKuvaus")]);
    d.enabled.setFlag(Date, NullToBoolean(rs[QStringLiteral("piEnbldDate")]));
    d.enabled.setFlag(Number, NullToBoolean(rs[QStringLiteral("piEnbldLong")]));
    d.enabled.setFlag(Amount, NullToBoolean(rs[QStringLiteral("piEnbldCurrency")]));
    d.enabled.setFlag(Memo, NullToBoolean(rs[QStringLiteral("piEnbldMemo")]));
    d.date = rs[QStringLiteral("piDate")];
    d.number = rs[QStringLiteral("piLong")];
    d.amount = rs[QStringLiteral("piCurrency")];
    d.memo = rs[QStringLiteral("piMemo")];
    return d;
}

std::optional<MemberFeatures::Values> MemberFeatures::values(Database& db, qint32 featureId)
{
    Recordset rs = db.openRecordset(QStringLiteral("SELECT * FROM pt WHERE ptID = ?"), RecordsetType::Snapshot,
                                    {featureId});
    if (rs.eof())
        return std::nullopt;
    Values v;
    v.id = featureId;
    v.definitionId = NullToLong(rs[QStringLiteral("ptpiID")]);
    v.date = rs[QStringLiteral("ptValDate")];
    v.number = rs[QStringLiteral("ptValLong")];
    v.amount = rs[QStringLiteral("ptValCurrency")];
    v.memo = rs[QStringLiteral("ptValMemo")];
    return v;
}

qint32 MemberFeatures::attach(Database& db, qint32 memberId, qint32 definitionId)
{
    Value date, number, amount, memo;
    if (const auto d = definition(db, definitionId)) {
        if (d->enabled.testFlag(Date))
            date = d->date;
        if (d->enabled.testFlag(Number))
            number = d->number;
        if (d->enabled.testFlag(Memo))
            memo = d->memo;
        if (d->enabled.testFlag(Amount))
            amount = d->amount;
    }
    db.execute(QStringLiteral("INSERT INTO pt (ptjrID, ptpiID, ptValDate, ptValLong, ptValMemo, ptValCurrency) "
                              "VALUES (?, ?, ?, ?, ?, ?)"),
               {memberId, definitionId, date, number, memo, amount});
    return qint32(db.lastInsertId());
}

MemberFeatures::SaveOutcome MemberFeatures::save(Database& db, qint32 featureId, Kinds kinds, const Texts& texts)
{
    SaveOutcome out;
    Recordset rs = db.openRecordset(QStringLiteral("SELECT * FROM pt WHERE ptID = ?"), RecordsetType::Dynaset,
                                    {featureId});
    if (rs.eof())
        return out;
    out.found = true;
    rs.edit();
    if (kinds.testFlag(Date)) {
        const auto d = parseDate(texts.date);
        rs.setField(QStringLiteral("ptValDate"), d ? Value(*d) : Value());
        out.emptied.setFlag(Date, !d);
    }
    if (kinds.testFlag(Number)) {
        const auto n = parseNumber(texts.number);
        rs.setField(QStringLiteral("ptValLong"), n ? Value(*n) : Value());
        out.emptied.setFlag(Number, !n);
    }
    if (kinds.testFlag(Memo)) {
        // The field refuses the empty text: an emptied memo is stored as Null.
        rs.setField(QStringLiteral("ptValMemo"), texts.memo.isEmpty() ? Value() : Value(texts.memo));
    }
    if (kinds.testFlag(Amount)) {
        const auto a = ParseLocaleCurrency(texts.amount);
        rs.setField(QStringLiteral("ptValCurrency"), a ? Value(*a) : Value());
        out.emptied.setFlag(Amount, !a);
    }
    rs.update();
    // An empty box stays empty; only a text that was thrown away counts as emptied.
    if (texts.date.isEmpty())
        out.emptied.setFlag(Date, false);
    if (texts.number.isEmpty())
        out.emptied.setFlag(Number, false);
    if (texts.amount.isEmpty())
        out.emptied.setFlag(Amount, false);
    return out;
}

bool MemberFeatures::remove(Database& db, qint32 featureId)
{
    db.execute(QStringLiteral("DELETE FROM pt WHERE ptID = ?"), {featureId});
    return db.rowsAffected() > 0;
}

std::optional<qint32> MemberFeatures::parseNumber(const QString& text)
{
    const auto n = ParseLocaleNumber(text);
    if (!n || !std::isfinite(*n))
        return std::nullopt;
    // Halves go to the even neighbour, the program's one rounding rule for typed numbers.
    const int oldMode = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double r = std::nearbyint(*n);
    std::fesetround(oldMode);
    if (r < double(std::numeric_limits<qint32>::min()) || r > double(std::numeric_limits<qint32>::max()))
        return std::nullopt;
    return qint32(r);
}

std::optional<QDate> MemberFeatures::parseDate(const QString& text)
{
    const auto d = ParseLocaleDate(text);
    if (!d || !d->date().isValid())
        return std::nullopt;
    return d->date();
}

QString MemberFeatures::reformatDate(const QString& text)
{
    const auto d = parseDate(text);
    return d ? NullToString(Value(*d)) : text;
}

} // namespace tikkeli
