#pragma once

#include "db/RecordCatalogue.h"

#include <QStringList>

namespace tikkeli::test {

// A catalogue tree's groups as "letter:name,name,..." lines, in tree order.
inline QStringList CatalogueGroupsText(const std::vector<CatalogueLetterGroup>& groups)
{
    QStringList out;
    for (const CatalogueLetterGroup& g : groups) {
        QString line = g.letter + QLatin1Char(':');
        for (std::size_t i = 0; i < g.entries.size(); ++i)
            line += (i > 0 ? QStringLiteral(",") : QString()) + g.entries[i].name;
        out << line;
    }
    return out;
}

} // namespace tikkeli::test
