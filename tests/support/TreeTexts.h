#pragma once

#include <QStringList>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

namespace tikkeli::test {

// Every node of the tree from the top down, as its text after one "-" per level of depth.
inline QStringList TreeTexts(QTreeWidget* tree)
{
    QStringList out;
    for (QTreeWidgetItemIterator it(tree); *it; ++it) {
        int depth = 0;
        for (auto* p = (*it)->parent(); p; p = p->parent())
            ++depth;
        out << QString(depth, QLatin1Char('-')) + (*it)->text(0);
    }
    return out;
}

} // namespace tikkeli::test
