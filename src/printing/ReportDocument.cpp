#include "printing/ReportDocument.h"

#include "printing/ReportError.h"

#include <QHash>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <limits>

namespace tikkeli {

using ItemList = ReportDocument::ItemList;

ItemList::ItemList(std::initializer_list<Item> items)
{
    for (const Item& it : items)
        push_back(it);
}

size_t ItemList::StyleHash::operator()(const Style& s) const
{
    return qHashMulti(0, int(s.kind), s.font, s.color.rgba(), s.section, s.height, s.ascent);
}

std::uint16_t ItemList::styleOf(const Style& s)
{
    constexpr size_t FewStyles = 8;
    // The style of the item before is nearly always the one wanted; a page has a handful.
    if (m_lastStyle < m_styles.size() && m_styles[m_lastStyle] == s)
        return m_lastStyle;
    if (m_styles.size() <= FewStyles) {
        for (size_t i = 0; i < m_styles.size(); ++i)
            if (m_styles[i] == s)
                return m_lastStyle = std::uint16_t(i);
    } else if (auto found = m_styleIndex.find(s); found != m_styleIndex.end()) {
        return m_lastStyle = found->second;
    }
    // Only a report file made to break the program has that many fonts and colours on one page.
    if (m_styles.size() > std::numeric_limits<std::uint16_t>::max())
        throw ReportException(ReportErr::InvalidReport,
                              QStringLiteral("Raportin sivulla on liian monta eri fonttia ja väriä."));
    m_styles.push_back(s);
    if (m_styles.size() == FewStyles + 1)
        for (size_t i = 0; i < m_styles.size(); ++i)
            m_styleIndex.emplace(m_styles[i], std::uint16_t(i));
    else if (m_styles.size() > FewStyles + 1)
        m_styleIndex.emplace(s, std::uint16_t(m_styles.size() - 1));
    return m_lastStyle = std::uint16_t(m_styles.size() - 1);
}

void ItemList::setTextRecord(Record& r, size_t index, const QString& text)
{
    r.offset = std::uint32_t(m_text.size());
    m_text += text;
    if (text.size() < LongText) {
        r.length = std::uint16_t(text.size());
        m_longLengths.erase(index);
    } else {
        r.length = LongText;
        m_longLengths[index] = text.size();
    }
}

void ItemList::push_back(const Item& item)
{
    Style s;
    s.kind = item.kind;
    s.color = item.color;
    s.section = item.section;
    Record r;
    if (item.kind == Item::Kind::Text) {
        s.font = item.font;
        s.height = float(item.rect.height());
        s.ascent = float(item.baseline - item.rect.top());
        r.left = float(item.rect.left());
        r.top = float(item.rect.top());
        r.width = float(item.rect.width());
        setTextRecord(r, m_records.size(), item.text);
    } else if (item.kind == Item::Kind::Line) {
        r.offset = std::uint32_t(m_lines.size());
        m_lines.push_back({item.line, item.penWidth});
    } else {
        r.offset = std::uint32_t(m_shapes.size());
        m_shapes.push_back(item);
    }
    r.style = styleOf(s);
    m_records.push_back(r);
}

qsizetype ItemList::length(size_t i) const
{
    const Record& r = m_records[i];
    return r.length == LongText ? m_longLengths.at(i) : qsizetype(r.length);
}

QString ItemList::text(size_t i) const
{
    if (style(i).kind != Item::Kind::Text)
        return QString();
    return QString::fromRawData(m_text.constData() + m_records[i].offset, length(i));
}

QPointF ItemList::textOrigin(size_t i) const
{
    const Record& r = m_records[i];
    return QPointF(r.left, double(r.top) + style(i).ascent);
}

ReportDocument::Item ItemList::shape(size_t i) const
{
    const Style& s = style(i);
    if (s.kind != Item::Kind::Line)
        return m_shapes[m_records[i].offset];
    const LineRecord& l = m_lines[m_records[i].offset];
    Item it;
    it.kind = Item::Kind::Line;
    it.line = l.line;
    it.penWidth = l.penWidth;
    it.color = s.color;
    it.section = s.section;
    return it;
}

ReportDocument::Item ItemList::operator[](size_t i) const
{
    const Style& s = style(i);
    if (s.kind != Item::Kind::Text)
        return shape(i);
    const Record& r = m_records[i];
    Item it;
    it.kind = s.kind;
    it.rect = QRectF(r.left, r.top, r.width, s.height);
    it.baseline = double(r.top) + s.ascent;
    it.text = QString(m_text.constData() + r.offset, length(i));
    it.font = s.font;
    it.color = s.color;
    it.section = s.section;
    return it;
}

void ItemList::setText(size_t i, const QString& text, double left, double width)
{
    Record& r = m_records[i];
    r.left = float(left);
    r.width = float(width);
    // The old text stays in the buffer unused: this happens once or twice a page.
    setTextRecord(r, i, text);
}

void ItemList::reserve(size_t items, qsizetype chars)
{
    m_records.reserve(items);
    m_text.reserve(chars);
}

void ItemList::squeeze()
{
    // A little room is left as it is: moving the page would cost more than it frees.
    if (m_records.capacity() > m_records.size() + m_records.size() / 8)
        m_records.shrink_to_fit();
    if (m_text.capacity() > m_text.size() + m_text.size() / 8 + 64)
        m_text.squeeze();
    m_styles.shrink_to_fit();
    m_shapes.shrink_to_fit();
    m_lines.shrink_to_fit();
}

namespace {

struct Line {
    double baseline;
    double left;
    QString text;
    QString section;
};

std::vector<Line> textItemsInReadingOrder(const ReportDocument::Page& page)
{
    std::vector<Line> items;
    const ItemList& list = page.items;
    for (size_t i = 0; i < list.size(); ++i)
        if (list.style(i).kind == ReportDocument::Item::Kind::Text) {
            const QPointF origin = list.textOrigin(i);
            items.push_back({origin.y(), origin.x(), list.text(i), list.style(i).section});
        }
    std::stable_sort(items.begin(), items.end(), [](const Line& a, const Line& b) {
        if (std::abs(a.baseline - b.baseline) > 0.5)
            return a.baseline < b.baseline;
        return a.left < b.left;
    });
    return items;
}

} // namespace

ReportDocument ReportDocument::header() const
{
    ReportDocument h;
    h.title = title;
    h.pageSize = pageSize;
    h.orientation = orientation;
    h.rowCount = rowCount;
    return h;
}

QStringList ReportDocument::pageLines(int page) const
{
    QStringList lines;
    if (page < 0 || page >= int(pages.size()))
        return lines;
    double lastBaseline = -1e9;
    for (const Line& it : textItemsInReadingOrder(pages[size_t(page)])) {
        if (lines.isEmpty() || std::abs(it.baseline - lastBaseline) > 0.5) {
            lines << QString(it.text.constData(), it.text.size());
            lastBaseline = it.baseline;
        } else {
            lines.last() += QLatin1Char(' ') + it.text;
        }
    }
    return lines;
}

QStringList ReportDocument::sectionTexts(int page, const QString& section) const
{
    QStringList texts;
    if (page < 0 || page >= int(pages.size()))
        return texts;
    for (const Line& it : textItemsInReadingOrder(pages[size_t(page)]))
        if (it.section == section)
            texts << QString(it.text.constData(), it.text.size());
    return texts;
}

std::vector<std::pair<int, ReportDocument::Item>> ReportDocument::find(const QString& t) const
{
    std::vector<std::pair<int, Item>> found;
    for (size_t p = 0; p < pages.size(); ++p) {
        const ItemList& list = pages[p].items;
        for (size_t i = 0; i < list.size(); ++i)
            if (list.style(i).kind == Item::Kind::Text && list.text(i) == t)
                found.emplace_back(int(p), list[i]);
    }
    return found;
}

} // namespace tikkeli
