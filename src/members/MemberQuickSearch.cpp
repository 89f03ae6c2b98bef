#include "members/MemberQuickSearch.h"

#include "base/NullConversions.h"
#include "db/FinnishCollation.h"
#include "db/Recordset.h"
#include "db/SqlDialect.h"
#include "db/DatabaseStamp.h"

#include <algorithm>
#include <array>
#include <optional>

namespace tikkeli {

QString MemberQuickSearch::fieldName(Field field)
{
    switch (field) {
    case Field::Jasennumero: return QStringLiteral("jrJasennumero");
    case Field::Osoite: return QStringLiteral("jrOsoite");
    case Field::Puhelin: return QStringLiteral("jrPuhelin");
    case Field::Matkapuhelin: return QStringLiteral("jrMatkapuhelin");
    case Field::Email: return QStringLiteral("jrEmail");
    }
    return {};
}

MemberQuickSearch::MemberQuickSearch(Database db) : m_db(std::move(db)) {}

std::vector<MemberSearchEntry> MemberQuickSearch::fieldEntries(Field field)
{
    const QString name = fieldName(field);
    Recordset rs = m_db.openRecordset(QStringLiteral("SELECT jrID, %1 FROM jr ORDER BY %1, jrID").arg(name),
                                      RecordsetType::Snapshot);
    std::vector<MemberSearchEntry> entries;
    for (; !rs.eof(); rs.moveNext()) {
        const Value v = rs.field(name);
        if (!v.isNull())
            entries.push_back({NullToString(v), NullToLong(rs.field(QStringLiteral("jrID")))});
    }
    return entries;
}

std::vector<MemberSearchEntry> MemberQuickSearch::memoBeginnings()
{
    Recordset rs = m_db.openRecordset(QStringLiteral("SELECT ptValMemo, ptjrID FROM pt, jr WHERE pt.ptjrID = jr.jrID"),
                                      RecordsetType::Snapshot);
    std::vector<MemberSearchEntry> entries;
    for (; !rs.eof(); rs.moveNext()) {
        const Value v = rs.field(QStringLiteral("ptValMemo"));
        if (!v.isNull())
            entries.push_back({NullToString(v).left(BeginningLength), NullToLong(rs.field(QStringLiteral("ptjrID")))});
    }
    std::stable_sort(entries.begin(), entries.end(), [](const MemberSearchEntry& a, const MemberSearchEntry& b) {
        return FinnishCollation::compare(a.text, b.text) < 0;
    });
    return entries;
}

namespace {

struct KeptLists {
    QString path;
    DatabaseStamp stamp;
    std::array<std::optional<std::vector<MemberSearchEntry>>, 5> fields;
    std::optional<std::vector<MemberSearchEntry>> memos;
};

// The kept lists, emptied when they are asked for on another file or after a change.
KeptLists& keptFor(Database& db)
{
    static KeptLists kept;
    const DatabaseStamp now = DatabaseStamp::of(db);
    if (kept.path != db.path() || !(kept.stamp == now) || !now.valid()) {
        kept = KeptLists{};
        kept.path = db.path();
        kept.stamp = now;
    }
    return kept;
}

} // namespace

const std::vector<MemberSearchEntry>& MemberQuickSearch::keptFieldEntries(Field field)
{
    std::optional<std::vector<MemberSearchEntry>>& list = keptFor(m_db).fields[std::size_t(field)];
    if (!list)
        list = fieldEntries(field);
    return *list;
}

const std::vector<MemberSearchEntry>& MemberQuickSearch::keptMemoBeginnings()
{
    std::optional<std::vector<MemberSearchEntry>>& list = keptFor(m_db).memos;
    if (!list)
        list = memoBeginnings();
    return *list;
}

std::optional<qint32> MemberQuickSearch::findEqual(Field field, const QString& text)
{
    const Value id = m_db.scalar(
        QStringLiteral("SELECT jrID FROM jr WHERE %1 = ? COLLATE FI ORDER BY jrID").arg(fieldName(field)), {text});
    if (id.isNull())
        return std::nullopt;
    return NullToLong(id);
}

MemberQuickSearch::MemoHits MemberQuickSearch::memoHits(const QString& likePattern)
{
    Recordset rs = m_db.openRecordset(QStringLiteral("SELECT jrID FROM jr, pt WHERE jr.jrID = pt.ptjrID "
                                                     "AND ptValMemo LIKE ? ESCAPE '\\' ORDER BY pt.ptID"),
                                      RecordsetType::Snapshot, {likePattern});
    MemoHits hits;
    hits.count = rs.recordCount();
    if (!rs.eof())
        hits.firstId = NullToLong(rs.field(QStringLiteral("jrID")));
    return hits;
}

MemberQuickSearch::MemoHits MemberQuickSearch::findInMemos(const QString& text)
{
    return memoHits(JetLikePattern(QLatin1Char('*') + text + QLatin1Char('*')));
}

MemberQuickSearch::MemoHits MemberQuickSearch::findMemoBeginning(const QString& text)
{
    return memoHits(JetLikePattern(text + QLatin1Char('*')));
}

} // namespace tikkeli
