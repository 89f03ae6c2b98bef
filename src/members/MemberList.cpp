#include "members/MemberList.h"

#include "db/FinnishSort.h"
#include "members/FeatureHolders.h"

namespace tikkeli {

namespace {

const QString Unsorted = QStringLiteral("SELECT jr.jrID, jr.jrSukunimi, jr.jrEtunimi FROM jr");
const QString FeatureFilter = QStringLiteral(" WHERE ") + FeatureHolders::condition();

} // namespace

Recordset MemberList::open(Database& db, qint64 featureId, const QString& columns)
{
    if (featureId == 0) {
        return db.openRecordset(QStringLiteral("SELECT %1 FROM jr ORDER BY jr.jrSukunimi, jr.jrEtunimi").arg(columns),
                                RecordsetType::Snapshot);
    }
    return db.openRecordset(QStringLiteral("SELECT %1 FROM jr").arg(columns) + FeatureFilter
                                + QStringLiteral(" ORDER BY jr.jrSukunimi, jr.jrEtunimi"),
                            RecordsetType::Snapshot, {Value(featureId)});
}

std::vector<qint64> MemberList::ids(Database& db, qint64 featureId)
{
    // Sorted outside SQLite's sorter, which would double the cost of a large club's list; members
    // whose names compare equal keep the order of their ids.
    const Params params = featureId == 0 ? Params{} : Params{Value(featureId)};
    if (auto sorted = FinnishOrderedIds(db, featureId == 0 ? Unsorted : Unsorted + FeatureFilter, params))
        return std::move(*sorted);
    std::vector<qint64> result;
    for (Recordset rs = open(db, featureId, QStringLiteral("jr.jrID")); !rs.eof(); rs.moveNext())
        result.push_back(rs.field(0).toInt64());
    return result;
}

int MemberList::count(Database& db, qint64 featureId)
{
    if (featureId == 0)
        return int(db.scalar(QStringLiteral("SELECT COUNT(*) FROM jr")).toInt64());
    return int(db.scalar(QStringLiteral("SELECT COUNT(DISTINCT ptjrID) FROM pt JOIN jr ON jrID = ptjrID WHERE ptpiID = ?"),
                         {Value(featureId)})
                   .toInt64());
}

void MemberListCache::refresh(Database& db, qint64 featureId)
{
    const bool sameList = m_valid && m_featureId == featureId;
    if (sameList && !m_recheck && m_stamp.noWritesSince(db))
        return;
    const DatabaseStamp now = DatabaseStamp::of(db);
    m_recheck = false;
    if (sameList && m_stamp == now && now.valid())
        return;
    m_valid = false;
    m_ids = MemberList::ids(db, featureId);
    m_index.clear();
    m_index.reserve(m_ids.size());
    for (std::size_t i = 0; i < m_ids.size(); ++i)
        m_index.emplace(m_ids[i], int(i));
    m_featureId = featureId;
    m_stamp = now;
    m_valid = true;
}

const std::vector<qint64>& MemberListCache::ids(Database& db, qint64 featureId)
{
    refresh(db, featureId);
    return m_ids;
}

int MemberListCache::indexOf(qint64 id) const
{
    const auto it = m_index.find(id);
    return it == m_index.end() ? -1 : it->second;
}

void MemberListCache::clear()
{
    m_valid = false;
    m_ids.clear();
    m_index.clear();
}

} // namespace tikkeli
