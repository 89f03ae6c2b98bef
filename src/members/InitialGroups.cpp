#include "members/InitialGroups.h"

namespace tikkeli {

QString InitialGroups::otherCaption()
{
    return QStringLiteral("Muut");
}

const QStringList& InitialGroups::letters()
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

std::vector<InitialGroups::Group> InitialGroups::group(const QStringList& names)
{
    const QStringList& order = letters();
    std::vector<Group> groups(std::size_t(order.size()) + 1);
    for (qsizetype i = 0; i < order.size(); ++i)
        groups[std::size_t(i)].letter = order[i];
    groups.back().letter = otherCaption();
    for (qsizetype i = 0; i < names.size(); ++i) {
        const qsizetype at = names[i].isEmpty() ? -1 : order.indexOf(names[i].left(1).toUpper());
        groups[at < 0 ? groups.size() - 1 : std::size_t(at)].indexes.push_back(std::size_t(i));
    }
    std::vector<Group> result;
    for (Group& g : groups)
        if (!g.indexes.empty())
            result.push_back(std::move(g));
    return result;
}

} // namespace tikkeli
