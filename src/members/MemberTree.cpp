#include "members/MemberTree.h"

#include "base/NullConversions.h"
#include "db/Recordset.h"
#include "members/InitialGroups.h"
#include "members/MemberList.h"

#include <QStringList>

namespace tikkeli {

QString MemberTree::Member::key() const
{
    return QString::number(id) + QStringLiteral("ID");
}

const QStringList& MemberTree::letters()
{
    return InitialGroups::letters();
}

std::vector<MemberTree::Letter> MemberTree::build(Database& db, qint64 featureId)
{
    // The rows come sorted by the Finnish collation; each keeps that order inside its group.
    std::vector<Member> members;
    QStringList surnames;
    Recordset rs = MemberList::open(db, featureId, QStringLiteral("jr.jrID, jr.jrSukunimi, jr.jrEtunimi"));
    for (; !rs.eof(); rs.moveNext()) {
        const QString surname = NullToString(rs.field(QStringLiteral("jrSukunimi")));
        Member m;
        m.id = rs.field(QStringLiteral("jrID")).toInt64();
        m.text = surname + QLatin1Char(' ') + NullToString(rs.field(QStringLiteral("jrEtunimi")));
        members.push_back(std::move(m));
        surnames.append(surname);
    }
    std::vector<Letter> result;
    for (const InitialGroups::Group& g : InitialGroups::group(surnames)) {
        Letter letter{g.letter, {}};
        for (const std::size_t i : g.indexes)
            letter.members.push_back(members[i]);
        result.push_back(std::move(letter));
    }
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
