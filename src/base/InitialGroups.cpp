#include "base/InitialGroups.h"

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

int InitialGroups::groupOf(const QString& name)
{
    const QStringList& order = letters();
    if (name.isEmpty())
        return int(order.size());
    // Plain ASCII letters, most names, skip the case mapping.
    const char16_t first = name.front().unicode();
    if (first >= u'A' && first <= u'Z')
        return int(first - u'A');
    if (first >= u'a' && first <= u'z')
        return int(first - u'a');
    const qsizetype at = order.indexOf(name.left(1).toUpper());
    return at < 0 ? int(order.size()) : int(at);
}

std::vector<InitialGroups::Group> InitialGroups::group(const QStringList& names)
{
    const QStringList& order = letters();
    std::vector<Group> groups(std::size_t(order.size()) + 1);
    for (qsizetype i = 0; i < order.size(); ++i)
        groups[std::size_t(i)].letter = order[i];
    groups.back().letter = otherCaption();
    for (qsizetype i = 0; i < names.size(); ++i)
        groups[std::size_t(groupOf(names[i]))].indexes.push_back(std::size_t(i));
    std::vector<Group> result;
    for (Group& g : groups)
        if (!g.indexes.empty())
            result.push_back(std::move(g));
    return result;
}

} // namespace tikkeli
