#include "members/MemberTree.h"

#include "base/NullConversions.h"
#include "db/Recordset.h"
#include "members/MemberList.h"

#include <QStringList>

namespace tikkeli {

QString MemberTree::Member::key() const
{
    return QString::number(id) + QStringLiteral("ID");
}

const QStringList& MemberTree::letters()
{
    static const QStringList all = [] {
        QStringList l;
        for (char16_t c = u'A'; c <= u'Z'; ++c)
            l << QString(QChar(c));
        l << QStringLiteral("Å") << QStringLiteral("Ä") << QStringLiteral("Ö");
        return l;
    }();
    return all;
}

std::vector<MemberTree::Letter> MemberTree::build(Database& db, qint64 featureId)
{
    // The rows come sorted by the Finnish collation. A surname whose initial is none of the
    // tree's letters (a digit, a blank, É, Ü...) is left out on its own; it must not end the
    // listing of the members that sort after it.
    const QStringList& order = letters();
    std::vector<Letter> groups(std::size_t(order.size()));
    for (int i = 0; i < order.size(); ++i)
        groups[std::size_t(i)].letter = order[i];

    Recordset rs = MemberList::open(db, featureId, QStringLiteral("jr.jrID, jr.jrSukunimi, jr.jrEtunimi"));
    while (!rs.eof()) {
        const QString surname = NullToString(rs.field(QStringLiteral("jrSukunimi")));
        if (!surname.isEmpty()) {
            const int at = order.indexOf(surname.left(1).toUpper());
            if (at >= 0) {
                Member m;
                m.id = rs.field(QStringLiteral("jrID")).toInt64();
                m.text = surname + QLatin1Char(' ') + NullToString(rs.field(QStringLiteral("jrEtunimi")));
                groups[std::size_t(at)].members.push_back(std::move(m));
            }
        }
        rs.moveNext();
    }

    std::vector<Letter> result;
    for (Letter& g : groups) {
        if (!g.members.empty())
            result.push_back(std::move(g));
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
