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
        for (std::size_t i = 0; i < g.rows.size(); ++i)
            groups.m_placeOf.emplace(g.rows[i].id, Groups::Place{index, i});
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
    return place(groups, id, rs.eof() ? std::nullopt : std::optional<Name>(Name{rs.field(0), rs.field(1)}));
}

MemberTree::Groups::Change MemberTree::place(Groups& groups, qint64 id, const std::optional<Name>& name)
{
    std::optional<Groups::Row> now;
    if (name) {
        Groups::Row row;
        row.id = id;
        row.surnameNull = name->surname.isNull();
        row.firstNameNull = name->firstName.isNull();
        if (!row.surnameNull)
            row.surname = name->surname.toString();
        if (!row.firstNameNull)
            row.firstName = name->firstName.toString();
        now = std::move(row);
    }
    return groups.update(id, now);
}

MemberTree::Groups::Change MemberTree::Groups::update(qint64 id, const std::optional<Row>& now)
{
    Change c;
    const auto place = m_placeOf.find(id);
    const bool had = place != m_placeOf.end();
    c.from = had ? place->second.group : -1;
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
        if (had && c.to == c.from && m_letters[std::size_t(c.from)].rows[place->second.row] == *now)
            return c;
    } else if (!had) {
        return c;
    }
    c.changed = true;
    remove(id);
    if (now) {
        std::vector<Row>& rows = m_letters[std::size_t(c.to)].rows;
        rows.push_back(*now);
        m_placeOf.emplace(id, Place{c.to, rows.size() - 1});
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
    const auto it = m_placeOf.find(id);
    return it == m_placeOf.end() ? -1 : it->second.group;
}

void MemberTree::Groups::remove(qint64 id)
{
    const auto place = m_placeOf.find(id);
    if (place == m_placeOf.end())
        return;
    std::vector<Row>& rows = m_letters[std::size_t(place->second.group)].rows;
    const std::size_t at = place->second.row;
    // The group's last row takes the member's place: a group keeps its rows in no order.
    if (at + 1 < rows.size()) {
        rows[at] = std::move(rows.back());
        m_placeOf[rows[at].id].row = at;
    }
    rows.pop_back();
    m_placeOf.erase(place);
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
