#include "members/MemberTree.h"

#include "db/FinnishCollation.h"
#include "db/Recordset.h"
#include "base/InitialGroups.h"
#include "members/FeatureHolders.h"

#include <QStringList>
#include <algorithm>

namespace tikkeli {

namespace {

// Null sorts before every text, as in the database's own ordering.
int compareNames(const QString& a, bool aNull, const QString& b, bool bNull)
{
    if (aNull || bNull)
        return int(bNull) - int(aNull);
    return FinnishCollation::compare(a, b);
}

} // namespace

QString MemberTree::Member::key() const
{
    return QString::number(id) + QStringLiteral("ID");
}

const QStringList& MemberTree::letters()
{
    return InitialGroups::letters();
}

MemberTree::Groups MemberTree::read(Database& db, qint64 featureId)
{
    // No ORDER BY: the order inside a group is made when the group is listed, and most groups of
    // a large register are never opened.
    Recordset rs = featureId == 0 ? db.openRecordset(QStringLiteral("SELECT jrID, jrSukunimi, jrEtunimi FROM jr"),
                                                     RecordsetType::Snapshot)
                                  : db.openRecordset(QStringLiteral("SELECT jrID, jrSukunimi, jrEtunimi FROM jr WHERE ")
                                                         + FeatureHolders::condition(),
                                                     RecordsetType::Snapshot, {Value(featureId)});
    const int other = int(InitialGroups::letters().size());
    std::vector<Groups::Group> all(std::size_t(other) + 1);
    for (int i = 0; i < other; ++i)
        all[std::size_t(i)].caption = InitialGroups::letters()[i];
    all.back().caption = InitialGroups::otherCaption();
    for (; !rs.eof(); rs.moveNext()) {
        Groups::Row row;
        row.id = rs.field(0).toInt64();
        const Value surname = rs.field(1), firstName = rs.field(2);
        row.surnameNull = surname.isNull();
        row.firstNameNull = firstName.isNull();
        if (!row.surnameNull)
            row.surname = surname.toString();
        if (!row.firstNameNull)
            row.firstName = firstName.toString();
        all[std::size_t(InitialGroups::groupOf(row.surname))].rows.push_back(std::move(row));
    }
    Groups groups;
    for (Groups::Group& g : all) {
        if (g.rows.empty())
            continue;
        const int index = int(groups.m_letters.size());
        for (const Groups::Row& r : g.rows)
            groups.m_letterOf.emplace(r.id, index);
        groups.m_letters.push_back(std::move(g));
    }
    return groups;
}

MemberTree::Groups::Change MemberTree::reread(Database& db, qint64 featureId, Groups& groups, qint64 id)
{
    Recordset rs = featureId == 0
                       ? db.openRecordset(QStringLiteral("SELECT jrSukunimi, jrEtunimi FROM jr WHERE jrID = ?"),
                                          RecordsetType::Snapshot, {Value(id)})
                       : db.openRecordset(QStringLiteral("SELECT jrSukunimi, jrEtunimi FROM jr WHERE jrID = ? AND ")
                                              + FeatureHolders::condition(),
                                          RecordsetType::Snapshot, {Value(id), Value(featureId)});
    std::optional<Groups::Row> now;
    if (!rs.eof()) {
        Groups::Row row;
        row.id = id;
        const Value surname = rs.field(0), firstName = rs.field(1);
        row.surnameNull = surname.isNull();
        row.firstNameNull = firstName.isNull();
        if (!row.surnameNull)
            row.surname = surname.toString();
        if (!row.firstNameNull)
            row.firstName = firstName.toString();
        now = std::move(row);
    }
    return groups.update(id, now);
}

MemberTree::Groups::Change MemberTree::Groups::update(qint64 id, const std::optional<Row>& now)
{
    Change c;
    c.from = letterOf(id);
    std::vector<Row>* fromRows = c.from >= 0 ? &m_letters[std::size_t(c.from)].rows : nullptr;
    const auto old = fromRows ? std::find_if(fromRows->begin(), fromRows->end(), [id](const Row& r) { return r.id == id; })
                              : std::vector<Row>::iterator();
    const bool had = fromRows && old != fromRows->end();
    if (now) {
        const int group = InitialGroups::groupOf(now->surname);
        const QString caption = group < int(InitialGroups::letters().size()) ? InitialGroups::letters()[group]
                                                                             : InitialGroups::otherCaption();
        const auto at = std::find_if(m_letters.begin(), m_letters.end(),
                                     [&](const Group& g) { return g.caption == caption; });
        if (at == m_letters.end()) {
            c.newGroup = true;
            return c;
        }
        c.to = int(at - m_letters.begin());
        if (had && c.to == c.from && *old == *now)
            return c;
    } else if (!had) {
        return c;
    }
    c.changed = true;
    if (had)
        fromRows->erase(old);
    m_letterOf.erase(id);
    if (now) {
        m_letters[std::size_t(c.to)].rows.push_back(*now);
        m_letterOf.emplace(id, c.to);
    }
    return c;
}

std::vector<MemberTree::Member> MemberTree::Groups::members(int index) const
{
    const std::vector<Row>& rows = m_letters[std::size_t(index)].rows;
    std::vector<const Row*> order;
    order.reserve(rows.size());
    for (const Row& r : rows)
        order.push_back(&r);
    std::sort(order.begin(), order.end(), [](const Row* a, const Row* b) {
        if (const int c = compareNames(a->surname, a->surnameNull, b->surname, b->surnameNull))
            return c < 0;
        if (const int c = compareNames(a->firstName, a->firstNameNull, b->firstName, b->firstNameNull))
            return c < 0;
        return a->id < b->id;
    });
    std::vector<Member> out;
    out.reserve(order.size());
    for (const Row* r : order)
        out.push_back({r->id, r->surname + QLatin1Char(' ') + r->firstName});
    return out;
}

int MemberTree::Groups::letterOf(qint64 id) const
{
    const auto it = m_letterOf.find(id);
    return it == m_letterOf.end() ? -1 : it->second;
}

void MemberTree::Groups::remove(qint64 id)
{
    const int index = letterOf(id);
    if (index < 0)
        return;
    std::vector<Row>& rows = m_letters[std::size_t(index)].rows;
    rows.erase(std::remove_if(rows.begin(), rows.end(), [id](const Row& r) { return r.id == id; }), rows.end());
    m_letterOf.erase(id);
}

std::vector<MemberTree::Letter> MemberTree::build(Database& db, qint64 featureId)
{
    const Groups groups = read(db, featureId);
    std::vector<Letter> result;
    for (int i = 0; i < groups.letterCount(); ++i)
        result.push_back({groups.letter(i), groups.members(i)});
    return result;
}

qint64 MemberTree::idFromKey(const QString& key)
{
    const int at = key.indexOf(QStringLiteral("ID"), 0, Qt::CaseInsensitive);
    if (at < 0)
        return 0;
    return key.left(at).toLongLong();
}

} // namespace tikkeli
