#include "members/FeatureAttach.h"

#include "base/NullConversions.h"
#include "db/Recordset.h"
#include "db/Transaction.h"
#include "members/FeatureValueText.h"
#include "members/FeatureValues.h"

#include <tuple>

namespace tikkeli {

std::vector<AttachListEntry> FeatureAttach::members(Database& db)
{
    Recordset rs = db.openRecordset(QStringLiteral("SELECT jrID, jrSukunimi, jrEtunimi FROM jr "
                                                   "WHERE jrSukunimi IS NOT NULL ORDER BY jrSukunimi, jrEtunimi"),
                                    RecordsetType::Snapshot);
    std::vector<AttachListEntry> list;
    list.reserve(std::size_t(rs.recordCount()));
    for (; !rs.eof(); rs.moveNext())
        list.push_back({rs.field(QStringLiteral("jrID")).toInt64(),
                        NullToString(rs.field(QStringLiteral("jrSukunimi"))) + QLatin1Char(' ')
                            + NullToString(rs.field(QStringLiteral("jrEtunimi")))});
    return list;
}

std::vector<AttachListEntry> FeatureAttach::features(Database& db, const FeatureTable& t)
{
    std::vector<AttachListEntry> list;
    for (const FeatureValues::Entry& e : FeatureValues::definitions(t, db))
        list.push_back({e.id, e.name});
    return list;
}

std::optional<AttachDefinition> FeatureAttach::definition(Database& db, qint64 piID)
{
    // The card's features tab reads the same row; the attach window wants its defaults as box texts.
    const auto def = FeatureValues::definition(db, qint32(piID));
    if (!def)
        return std::nullopt;
    AttachDefinition d;
    d.kuvaus = def->description;
    d.date = def->enabled.testFlag(FeatureValues::Date);
    d.longValue = def->enabled.testFlag(FeatureValues::Number);
    d.currency = def->enabled.testFlag(FeatureValues::Amount);
    d.memo = def->enabled.testFlag(FeatureValues::Memo);
    d.dateDefault = NullToString(def->date);
    d.longDefault = NullToString(def->number);
    d.currencyDefault = NullToString(def->amount);
    d.memoDefault = NullToString(def->memo);
    return d;
}

AttachResult FeatureAttach::attach(Database& db, const FeatureTable& t, qint64 piID, const std::vector<qint64>& ownerIds,
                                   const AttachValues& values, bool onlyNew)
{
    AttachResult result;
    // The values are the same for every record: read them once. A text that cannot be read stops
    // the whole attach before anything is written; the user corrects the box and tries again.
    std::vector<std::pair<QString, Value>> fields;
    const std::tuple<const std::optional<QString>&, FeatureValueText::Kind, const char*, bool AttachResult::*> boxes[] = {
        {values.date, FeatureValueText::Kind::Date, "ValDate", &AttachResult::dateRejected},
        {values.longValue, FeatureValueText::Kind::Long, "ValLong", &AttachResult::longRejected},
        {values.memo, FeatureValueText::Kind::Memo, "ValMemo", nullptr},
        {values.currency, FeatureValueText::Kind::Currency, "ValCurrency", &AttachResult::currencyRejected},
    };
    for (const auto& [text, kind, field, rejected] : boxes) {
        if (!text)
            continue;
        FeatureValueText::Reading reading = FeatureValueText::read(kind, *text);
        if (!reading.ok()) {
            if (rejected)
                result.*rejected = true;
            result.refusal = reading.refusal;
            return result;
        }
        fields.emplace_back(t.field(field), std::move(reading.value));
    }

    QString columns = t.field("piID") + QStringLiteral(", ") + t.ownerField;
    QString marks = QStringLiteral("?, ?");
    for (const auto& field : fields) {
        columns += QStringLiteral(", ") + field.first;
        marks += QStringLiteral(", ?");
    }
    const QString insert = QStringLiteral("INSERT INTO ") + t.table + QStringLiteral(" (") + columns
                           + QStringLiteral(") VALUES (") + marks + QLatin1Char(')');
    Transaction tx(db);
    const QString existing =
        QStringLiteral("SELECT 1 FROM %1 WHERE %2 = ? AND %3 = ?").arg(t.table, t.ownerField, t.field("piID"));
    for (const qint64 owner : ownerIds) {
        if (onlyNew && !db.scalar(existing, {owner, piID}).isNull())
            continue;
        Params params{piID, owner};
        for (const auto& field : fields)
            params.push_back(field.second);
        db.execute(insert, params);
        ++result.added;
    }
    tx.commit();
    return result;
}

} // namespace tikkeli
