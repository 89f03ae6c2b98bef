#include "members/MemberFeatures.h"

#include "base/DateInput.h"
#include "base/NullConversions.h"
#include "db/Recordset.h"
#include "members/FeatureValueText.h"

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
    Recordset rs = db.openRecordset(QStringLiteral("SELECT pt.ptID, pi.piNimi FROM pt INNER JOIN pi ON pi.piID = pt.ptpiID "
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
    Recordset rs = db.openRecordset(QStringLiteral("SELECT * FROM pt WHERE ptID = ?"), RecordsetType::Snapshot, {featureId});
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
    Recordset rs = db.openRecordset(QStringLiteral("SELECT * FROM pt WHERE ptID = ?"), RecordsetType::Dynaset, {featureId});
    if (rs.eof())
        return out;
    out.found = true;
    struct Change {
        QString field;
        Value value;
    };
    std::vector<Change> changes;
    // A box still showing the stored value as shown leaves the field alone: showing a feature
    // must not rewrite it (a time of day, memo line ends...).
    const auto consider = [&](Kind kind, const char* field, const QString& text, auto read) {
        if (!kinds.testFlag(kind))
            return;
        const QString name = QLatin1String(field);
        const Value stored = rs.field(name);
        if (text == shownText(kind, stored))
            return;
        if (text.isEmpty()) {
            if (!stored.isNull())
                changes.push_back({name, Value()});
            return;
        }
        const std::optional<Value> value = read(text);
        if (!value) {
            out.refused.setFlag(kind);
            return;
        }
        if (*value != stored)
            changes.push_back({name, *value});
    };
    consider(Date, "ptValDate", texts.date, [](const QString& t) -> std::optional<Value> {
        const auto d = ReadDateTime(t);
        return d ? std::optional<Value>(Value(*d)) : std::nullopt;
    });
    consider(Number, "ptValLong", texts.number, [](const QString& t) -> std::optional<Value> {
        const auto n = parseNumber(t);
        return n ? std::optional<Value>(Value(*n)) : std::nullopt;
    });
    consider(Amount, "ptValCurrency", texts.amount, [](const QString& t) -> std::optional<Value> {
        const auto a = ParseLocaleCurrency(t);
        return a ? std::optional<Value>(Value(*a)) : std::nullopt;
    });
    consider(Memo, "ptValMemo", texts.memo, [](const QString& t) -> std::optional<Value> { return Value(t); });
    // A text that cannot be read writes nothing at all: the stored values stay until it is
    // corrected.
    if (out.refused || changes.empty())
        return out;
    rs.edit();
    for (const Change& c : changes)
        rs.setField(c.field, c.value);
    rs.update();
    out.written = true;
    return out;
}

QString MemberFeatures::shownText(Kind kind, const Value& stored)
{
    QString text = NullToString(stored);
    // A text box shows line ends as LF alone, whichever way they were stored.
    if (kind == Memo)
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

bool MemberFeatures::remove(Database& db, qint32 featureId)
{
    db.execute(QStringLiteral("DELETE FROM pt WHERE ptID = ?"), {featureId});
    return db.rowsAffected() > 0;
}

std::optional<qint32> MemberFeatures::parseNumber(const QString& text)
{
    // A whole-number feature never rounds: "4,5" is no value of it.
    const FeatureValueText::Reading r = FeatureValueText::read(FeatureValueText::Kind::Long, text);
    if (!r.ok() || r.value.isNull())
        return std::nullopt;
    return qint32(r.value.toInt64());
}

} // namespace tikkeli
