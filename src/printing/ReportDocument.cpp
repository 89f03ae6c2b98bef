#include "printing/ReportDocument.h"

#include <QStringList>
#include <algorithm>
#include <cmath>
#include <map>

namespace tikkeli {

namespace {

std::vector<const ReportDocument::Item*> textItemsInReadingOrder(const ReportDocument::Page& page)
{
    std::vector<const ReportDocument::Item*> items;
    for (const auto& it : page.items)
        if (it.kind == ReportDocument::Item::Kind::Text)
            items.push_back(&it);
    std::stable_sort(items.begin(), items.end(), [](auto* a, auto* b) {
        if (std::abs(a->baseline - b->baseline) > 0.5)
            return a->baseline < b->baseline;
        return a->rect.left() < b->rect.left();
    });
    return items;
}

} // namespace

QStringList ReportDocument::pageLines(int page) const
{
    QStringList lines;
    if (page < 0 || page >= int(pages.size()))
        return lines;
    double lastBaseline = -1e9;
    for (auto* it : textItemsInReadingOrder(pages[size_t(page)])) {
        if (lines.isEmpty() || std::abs(it->baseline - lastBaseline) > 0.5) {
            lines << it->text;
            lastBaseline = it->baseline;
        } else {
            lines.last() += QLatin1Char(' ') + it->text;
        }
    }
    return lines;
}

QStringList ReportDocument::sectionTexts(int page, const QString& section) const
{
    QStringList texts;
    if (page < 0 || page >= int(pages.size()))
        return texts;
    for (auto* it : textItemsInReadingOrder(pages[size_t(page)]))
        if (it->section == section)
            texts << it->text;
    return texts;
}

std::vector<std::pair<int, const ReportDocument::Item*>> ReportDocument::find(const QString& t) const
{
    std::vector<std::pair<int, const Item*>> found;
    for (size_t p = 0; p < pages.size(); ++p)
        for (const auto& it : pages[p].items)
            if (it.kind == Item::Kind::Text && it.text == t)
                found.emplace_back(int(p), &it);
    return found;
}

} // namespace tikkeli
