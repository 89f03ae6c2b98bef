#include "members/FeatureValues.h"

#include "base/DateInput.h"
#include "base/NullConversions.h"
#include "db/Recordset.h"
#include "db/Transaction.h"
#include "members/FeatureValueText.h"

#include <cfenv>
#include <cmath>
#include <limits>

namespace tikkeli {

namespace {

Recordset openRow(const FeatureTable& t, Database& db, qint32 featureId, RecordsetType type)
{
    return db.openRecordset(QStringLiteral("SELECT * FROM %1 WHERE %2 = ?").arg(t.table, t.field("ID")), type, {featureId});
}

} // namespace

std::vector<FeatureValues::Entry> FeatureValues::definitions(const FeatureTable& t, Database& db)
{
    std::vector<Entry> out;
    Recordset rs = db.openRecordset(
        QStringLiteral("SELECT piID, piNimi FROM pi WHERE piType = ? AND piNimi IS NOT NULL ORDER BY piNimi"),
        RecordsetType::Snapshot, {t.definitionType});
    for (; !rs.eof(); rs.moveNext())
        out.push_back({NullToLong(rs.field(0)), NullToString(rs.field(1))});
    return out;
}

std::vector<FeatureValues::Entry> FeatureValues::ofOwner(const FeatureTable& t, Database& db, qint32 ownerId)
{
    std::vector<Entry> out;
    const QString id = t.table + QLatin1Char('.') + t.field("ID");
    Recordset rs = db.openRecordset(QStringLiteral("SELECT %1, pi.piNimi FROM %2 INNER JOIN pi ON pi.piID = %2.%3 "
                                                   "WHERE %2.%4 = ? ORDER BY %1")
                                        .arg(id, t.table, t.field("piID"), t.ownerField),
                                    RecordsetType::Snapshot, {ownerId});
    for (; !rs.eof(); rs.moveNext())
        out.push_back({NullToLong(rs.field(0)), NullToString(rs.field(1))});
    return out;
}

std::optional<FeatureValues::Definition> FeatureValues::definition(Database& db, qint32 definitionId)
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

std::optional<FeatureValues::Values> FeatureValues::values(const FeatureTable& t, Database& db, qint32 featureId)
{
    Recordset rs = openRow(t, db, featureId, RecordsetType::Snapshot);
    if (rs.eof())
        return std::nullopt;
    Values v;
    v.id = featureId;
    v.definitionId = NullToLong(rs[t.field("piID")]);
    v.date = rs[t.field("ValDate")];
    v.number = rs[t.field("ValLong")];
    v.amount = rs[t.field("ValCurrency")];
    v.memo = rs[t.field("ValMemo")];
    return v;
}

qint32 FeatureValues::attach(const FeatureTable& t, Database& db, qint32 ownerId, qint32 definitionId)
{
    // The definition and the record are looked for inside the write transaction: one that another
    // window deleted since the lists were read gets no row pointing at nothing.
    Transaction tx(db);
    if (db.scalar(QStringLiteral("SELECT COUNT(*) FROM pi WHERE piID = ?"), {definitionId}).toInt64() == 0
        || db.scalar(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE %2 = ?").arg(t.ownerTable, t.ownerKey), {ownerId})
                   .toInt64()
               == 0)
        return 0;
    Value date, number, amount, memo;
    if (const auto d = t.attachCopiesDefaults ? definition(db, definitionId) : std::nullopt) {
        if (d->enabled.testFlag(Date))
            date = d->date;
        if (d->enabled.testFlag(Number))
            number = d->number;
        if (d->enabled.testFlag(Memo))
            memo = d->memo;
        if (d->enabled.testFlag(Amount))
            amount = d->amount;
    }
    db.execute(QStringLiteral("INSERT INTO %1 (%2, %3, %4, %5, %6, %7) VALUES (?, ?, ?, ?, ?, ?)")
                   .arg(t.table, t.ownerField, t.field("piID"), t.field("ValDate"), t.field("ValLong"), t.field("ValMemo"),
                        t.field("ValCurrency")),
               {ownerId, definitionId, date, number, memo, amount});
    const auto id = qint32(db.lastInsertId());
    tx.commit();
    return id;
}

FeatureValues::SaveOutcome FeatureValues::save(const FeatureTable& t, Database& db, qint32 featureId, Kinds kinds,
                                               const Texts& texts)
{
    SaveOutcome out;
    Recordset rs = openRow(t, db, featureId, RecordsetType::Dynaset);
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
        const QString name = t.field(field);
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
    consider(Date, "ValDate", texts.date, [](const QString& t) -> std::optional<Value> {
        const auto d = ReadDateTime(t);
        return d ? std::optional<Value>(Value(*d)) : std::nullopt;
    });
    consider(Number, "ValLong", texts.number, [](const QString& t) -> std::optional<Value> {
        const auto n = parseNumber(t);
        return n ? std::optional<Value>(Value(*n)) : std::nullopt;
    });
    consider(Amount, "ValCurrency", texts.amount, [](const QString& t) -> std::optional<Value> {
        const auto a = ParseLocaleCurrency(t);
        return a ? std::optional<Value>(Value(*a)) : std::nullopt;
    });
    consider(Memo, "ValMemo", texts.memo, [](const QString& t) -> std::optional<Value> { return Value(t); });
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

QString FeatureValues::shownText(Kind kind, const Value& stored)
{
    QString text = NullToString(stored);
    // A text box shows line ends as LF alone, whichever way they were stored.
    if (kind == Memo)
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

bool FeatureValues::remove(const FeatureTable& t, Database& db, qint32 featureId)
{
    db.execute(QStringLiteral("DELETE FROM %1 WHERE %2 = ?").arg(t.table, t.field("ID")), {featureId});
    return db.rowsAffected() > 0;
}

std::optional<qint32> FeatureValues::parseNumber(const QString& text)
{
    // A whole-number feature never rounds: "4,5" is no value of it.
    const FeatureValueText::Reading r = FeatureValueText::read(FeatureValueText::Kind::Long, text);
    if (!r.ok() || r.value.isNull())
        return std::nullopt;
    return qint32(r.value.toInt64());
}

} // namespace tikkeli
