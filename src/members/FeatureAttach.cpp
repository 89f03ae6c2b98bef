#include "members/FeatureAttach.h"

#include "base/NullConversions.h"
#include "db/ClubChanges.h"
#include "db/Recordset.h"
#include "db/Transaction.h"
#include "members/FeatureValueText.h"
#include "members/FeatureValues.h"

#include <tuple>
#include <unordered_set>

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

    // One statement for the whole selection: the record ids travel as one bound JSON array, and
    // with onlyNew the owner index answers "has it already" inside SQLite instead of a query per
    // record. json_each walks the array in order, so the rows go in as the records were chosen.
    QString columns = t.field("piID") + QStringLiteral(", ") + t.ownerField;
    QString selected = QStringLiteral("?1, ids.value");
    int mark = 2;
    for (const auto& field : fields) {
        columns += QStringLiteral(", ") + field.first;
        selected += QStringLiteral(", ?") + QString::number(++mark);
    }
    QString insert = QStringLiteral("INSERT INTO ") + t.table + QStringLiteral(" (") + columns + QStringLiteral(") SELECT ")
                     + selected + QStringLiteral(" FROM json_each(?2) AS ids");
    // The list was read when the window opened: a record or a definition deleted since in another
    // window gets nothing, as its values would belong to nothing.
    insert += QStringLiteral(" WHERE ids.value IN (SELECT %1 FROM %2) AND EXISTS (SELECT 1 FROM pi WHERE piID = ?1)")
                  .arg(t.ownerKey, t.ownerTable);
    // The unary + keeps SQLite off the definition index: a feature held by half the club would make
    // every check walk half of the table, where the record's own few rows are all there is to see.
    if (onlyNew)
        insert += QStringLiteral(" AND NOT EXISTS (SELECT 1 FROM %1 WHERE %2 = ids.value AND +%3 = ?1)")
                      .arg(t.table, t.ownerField, t.field("piID"));

    // A record chosen twice gets the feature once when only new ones are wanted: the check above
    // sees the table as it was before the statement.
    QByteArray ids;
    ids.reserve(qsizetype(ownerIds.size()) * 8 + 2);
    ids += '[';
    std::unordered_set<qint64> seen;
    for (const qint64 owner : ownerIds) {
        if (onlyNew && !seen.insert(owner).second)
            continue;
        if (ids.size() > 1)
            ids += ',';
        ids += QByteArray::number(owner);
    }
    ids += ']';
    if (ids.size() == 2)
        return result;

    Params params{piID, QString::fromLatin1(ids)};
    for (const auto& field : fields)
        params.push_back(field.second);
    Transaction tx(db);
    db.execute(insert, params);
    result.added = db.rowsAffected();
    if (result.added > 0)
        ClubChanges::announce(db, &t == &FeatureTable::members() ? ClubChanges::Kind::FeatureValues
                                                                 : ClubChanges::Kind::ContractFeatureValues);
    tx.commit();
    return result;
}

} // namespace tikkeli
