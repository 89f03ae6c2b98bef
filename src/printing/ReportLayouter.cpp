#include "printing/ReportLayouter.h"

#include "printing/BankBarCode.h"

#include "printing/FieldFormatter.h"
#include "printing/ReportError.h"
#include "printing/TextMeasurer.h"

#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <unordered_set>

namespace tikkeli {

namespace {

using Band = ReportDefinition::Band;
using Item = ReportDefinition::Item;
using Segment = ReportDefinition::Segment;
using DocItem = ReportDocument::Item;

// Page numbers are known only when the whole report is laid out; texts carry these marks until then.
constexpr QChar PageNumberMark(0xE000);
constexpr QChar PageCountMark(0xE001);
constexpr double Epsilon = 0.01;

QString canonicalSection(const QString& s)
{
    const QString u = s.trimmed().toUpper();
    if (u == QLatin1String("RH") || u == QLatin1String("REPORTHEADER"))
        return QStringLiteral("TITLE");
    if (u == QLatin1String("PH") || u == QLatin1String("PAGEHEADER"))
        return QStringLiteral("HEADER");
    if (u == QLatin1String("D"))
        return QStringLiteral("DETAIL");
    if (u == QLatin1String("PF") || u == QLatin1String("PAGEFOOTER"))
        return QStringLiteral("FOOTER");
    if (u == QLatin1String("RF") || u == QLatin1String("REPORTFOOTER"))
        return QStringLiteral("SUMMARY");
    return u;
}

std::optional<bool> styleFlag(const QString& field, const QString& text)
{
    const QString f = field.trimmed().toUpper();
    if (f == QLatin1String("X"))
        return std::nullopt;
    if (f == QLatin1String("T") || f == QLatin1String("Y") || f == QLatin1String("1") || f == QLatin1String("TRUE"))
        return true;
    if (f == QLatin1String("F") || f == QLatin1String("N") || f == QLatin1String("0") || f == QLatin1String("FALSE"))
        return false;
    throw ReportException(ReportErr::FormulaError, QStringLiteral("Virheellinen osan fontti: \"%1\"").arg(text));
}

} // namespace

std::optional<std::pair<QString, ReportFont::Patch>> ReportLayouter::parseSectionFont(const QString& text)
{
    if (text.isEmpty())
        return std::nullopt;
    const QStringList f = text.split(u';');
    auto bad = [&]() -> ReportException {
        return ReportException(ReportErr::FormulaError, QStringLiteral("Virheellinen osan fontti: \"%1\"").arg(text));
    };
    if (f.size() != 7 || f[0].trimmed().isEmpty())
        throw bad();
    static const QStringList known{"ALL", "TITLE", "HEADER", "DETAIL", "FOOTER", "SUMMARY"};
    const QString section = canonicalSection(f[0]);
    static const QRegularExpression group(QStringLiteral("^G[HF][1-9][0-9]*$"));
    if (!known.contains(section) && !group.match(section).hasMatch())
        throw bad();
    ReportFont::Patch p;
    if (f[1].trimmed().toUpper() != QLatin1String("X"))
        p.family = f[1].trimmed();
    if (f[2].trimmed().toUpper() != QLatin1String("X")) {
        bool ok = false;
        const double size = f[2].trimmed().toDouble(&ok);
        if (!ok || !(size >= 1 && size <= 500))
            throw bad();
        p.size = size;
    }
    p.italic = styleFlag(f[3], text);
    p.underline = styleFlag(f[4], text);
    p.strikeOut = styleFlag(f[5], text);
    if (f[6].trimmed().toUpper() != QLatin1String("X")) {
        bool ok = false;
        const int weight = f[6].trimmed().toInt(&ok);
        if (!ok)
            throw bad();
        p.bold = weight >= 600;
    }
    return std::make_pair(section, p);
}

struct ReportLayouter::Impl {
    static constexpr size_t NoRow = size_t(-1);

    const ReportDefinition& def;
    Options opt;
    TextMeasurer measure;
    std::vector<std::pair<QString, ReportFont::Patch>> sectionFonts;
    QHash<const Item*, ReportFont> fonts;

    struct Aggregate {
        const Segment* seg = nullptr;
        bool anyCurrency = false;
        bool anyDouble = false;
        Currency cur;
        qint64 i = 0;
        double d = 0;
        qint64 count = 0;
        std::unordered_set<QString> seen; // the values of the segment's "once" field met so far
    };
    std::vector<Aggregate> aggregates;
    struct Span {
        bool valid = false;
        size_t first = 0;
        std::vector<Aggregate> totals;
    };
    std::vector<Span> spans;                                 // by scope: the last group instance totalled
    std::vector<const std::vector<Aggregate>*> headerTotals; // by scope, while a header renders
    // Rows are read by number, and a row read stays at hand only until the next is read: the
    // layout holds numbers, and reads a row where it uses it.
    ReportRows* rows = nullptr;
    std::vector<size_t> groupStarts; // first row of each open group

    struct Rendered {
        std::vector<DocItem> items;
        std::vector<std::pair<size_t, std::pair<QRectF, Qt::Alignment>>> numbered; // item, its box
        double height = 0;
    };
    struct Pending {
        int page;
        size_t item;
        double boxLeft;
        double boxWidth;
        Qt::Alignment align;
    };
    std::vector<Pending> pending;

    ReportDocument doc;
    // Set while pages go to a sink as they are finished: the document then holds only the page
    // being laid out.
    PageSink* sink = nullptr;
    int pageCount = 0; // pages started
    size_t lastItems = 0;
    qsizetype lastChars = 0;
    QMarginsF margins;
    double pageWidth = 0, pageHeight = 0;
    double footerHeight = 0;
    double y = 0;
    bool pageHasBody = false;
    bool pendingBreak = false;
    int openGroups = 0;
    size_t pageLastRow = NoRow;

    Impl(const ReportDefinition& d, Options o) : def(d), opt(std::move(o))
    {
        for (const QString& s : opt.sectionFonts)
            if (auto sf = parseSectionFont(s))
                sectionFonts.push_back(*sf);
        for (const Band* b : def.bands())
            for (const Item& it : b->items) {
                ReportFont f = def.font.patched(b->font).patched(it.font);
                if (!it.fixedFont)
                    for (const auto& [section, patch] : sectionFonts)
                        if (section == QLatin1String("ALL") || section == b->section)
                            f = f.patched(patch);
                fonts.insert(&it, f);
                for (const Segment& s : it.segments)
                    if (s.aggregate >= 0) {
                        if (size_t(s.aggregate) >= aggregates.size())
                            aggregates.resize(size_t(s.aggregate) + 1);
                        aggregates[size_t(s.aggregate)].seg = &s;
                    }
            }
    }

    const Row* rowAt(size_t index) const { return index == NoRow ? nullptr : &rows->at(index); }

    double bodyBottom() const { return pageHeight - margins.bottom() - footerHeight; }

    void resetAggregates(int fromScope)
    {
        for (auto& a : aggregates)
            if (a.seg && a.seg->scope >= fromScope)
                a = Aggregate{a.seg, false, false, {}, 0, 0, 0, {}};
    }

    void accumulate(size_t index) { accumulateInto(aggregates, rows->at(index)); }

    static void accumulateInto(std::vector<Aggregate>& into, const Row& row)
    {
        for (auto& a : into) {
            const Segment* s = a.seg;
            if (!s)
                continue;
            if (s->onlyIfColumn >= 0 && FieldFormatter::isTrue(row[size_t(s->onlyIfColumn)]) == s->onlyIfNot)
                continue;
            if (s->onceColumn >= 0) {
                const Value& key = row[size_t(s->onceColumn)];
                if (!key.isNull() && !a.seen.insert(key.toString()).second)
                    continue;
            }
            const Value& v = s->column >= 0 ? row[size_t(s->column)] : Value();
            if (s->kind == Segment::Kind::Count) {
                if (s->column < 0 || !v.isNull())
                    ++a.count;
                continue;
            }
            switch (v.kind()) {
            case Value::Kind::Currency:
                a.cur += v.toCurrency();
                a.anyCurrency = true;
                break;
            case Value::Kind::Int: a.i += v.toInt64(); break;
            case Value::Kind::Bool: a.i += v.toBool() ? 1 : 0; break;
            case Value::Kind::Double:
                a.d += v.toDouble();
                a.anyDouble = true;
                break;
            default: break;
            }
        }
    }

    // Whether two group values are one group. Texts are sorted without regard to case, so they are
    // grouped so too: "Kylä" and "kylä" rows lie mixed and must not break into many groups.
    static bool sameGroupValue(const Value& a, const Value& b)
    {
        const QString* x = a.textPtr();
        const QString* y = b.textPtr();
        if (x && y)
            return x->compare(*y, Qt::CaseInsensitive) == 0;
        return a == b;
    }

    bool sameGroups(const std::vector<Value>& a, const std::vector<Value>& b) const
    {
        for (size_t g = 0; g < a.size() && g < b.size(); ++g)
            if (!sameGroupValue(a[g], b[g]))
                return false;
        return a.size() == b.size();
    }

    // The values of the outer `levels` group fields of a row.
    std::vector<Value> groupKeys(const Row& row, int levels) const
    {
        std::vector<Value> keys;
        keys.reserve(size_t(levels));
        for (int g = 0; g < levels; ++g)
            keys.push_back(row[size_t(def.groups[size_t(g)].column)]);
        return keys;
    }

    // The totals of the whole report (scope 0) or of the instance of group `scope` that starts at
    // row `first`: a header shows what its group adds up to, not the little it has read so far.
    const std::vector<Aggregate>& spanTotals(int scope, size_t first)
    {
        Span& span = spans[size_t(scope)];
        if (span.valid && span.first == first)
            return span.totals;
        span.valid = true;
        span.first = first;
        span.totals = aggregates;
        for (auto& a : span.totals)
            a = Aggregate{a.seg, false, false, {}, 0, 0, 0, {}};
        const std::vector<Value> keys = groupKeys(rows->at(first), scope);
        for (size_t r = first; r < rows->size(); ++r) {
            const Row& row = rows->at(r);
            if (scope > 0 && !sameGroups(groupKeys(row, scope), keys))
                break;
            accumulateInto(span.totals, row);
        }
        return span.totals;
    }

    // Renders a report header (level 0) or the header of group `level`: sums of the report and of
    // the groups the header lies in show their whole totals.
    Rendered renderHeader(const Band& band, size_t row, int level)
    {
        headerTotals.assign(size_t(level) + 1, nullptr);
        if (rows->size() > 0) {
            headerTotals[0] = &spanTotals(0, 0);
            for (int s = 1; s <= level; ++s)
                headerTotals[size_t(s)] = &spanTotals(s, groupStarts[size_t(s - 1)]);
        }
        Rendered r = render(band, row);
        headerTotals.clear();
        return r;
    }

    Value aggregateValue(int index) const
    {
        const Aggregate* shown = &aggregates[size_t(index)];
        const int scope = shown->seg->scope;
        if (size_t(scope) < headerTotals.size() && headerTotals[size_t(scope)])
            shown = &(*headerTotals[size_t(scope)])[size_t(index)];
        return aggregateValue(*shown);
    }

    static Value aggregateValue(const Aggregate& a)
    {
        if (a.seg->kind == Segment::Kind::Count)
            return Value(qint64(a.count));
        if (a.anyCurrency)
            return Value(a.cur + Currency::fromDouble(a.d) + Currency::fromUnits(a.i));
        if (a.anyDouble)
            return Value(a.d + double(a.i));
        return Value(qint64(a.i));
    }

    QString compose(const Item& it, const Row* row) const
    {
        QString text;
        for (const Segment& s : it.segments) {
            switch (s.kind) {
            case Segment::Kind::Literal: text += s.text; break;
            case Segment::Kind::Field:
                if (row && s.column >= 0)
                    text += FieldFormatter::format((*row)[size_t(s.column)], it.format);
                break;
            case Segment::Kind::Formula: {
                auto f = opt.formulas.constFind(s.text.toLower());
                if (f != opt.formulas.constEnd()) {
                    text += *f;
                } else {
                    for (const auto& [name, value] : def.formulaDefaults)
                        if (name.compare(s.text, Qt::CaseInsensitive) == 0)
                            text += value;
                }
                break;
            }
            case Segment::Kind::PageNumber: text += PageNumberMark; break;
            case Segment::Kind::PageCount: text += PageCountMark; break;
            case Segment::Kind::PrintDate: text += FieldFormatter::date(opt.printDate); break;
            case Segment::Kind::Sum:
            case Segment::Kind::Count: text += FieldFormatter::format(aggregateValue(s.aggregate), it.format); break;
            }
        }
        return text;
    }

    static double alignedX(double left, double width, double textWidth, Qt::Alignment a)
    {
        if (a & Qt::AlignRight)
            return left + width - textWidth;
        if (a & Qt::AlignHCenter)
            return left + (width - textWidth) / 2;
        return left;
    }

    // A bar code is one item holding its bars, painted as filled boxes, so every output shows it
    // as the page model holds it.
    void renderBarCode(const Item& it, const Row* row, const QString& section, Rendered& r)
    {
        QString payload = compose(it, row);
        if (it.bankCode) {
            const QStringList p = payload.split(ReportDefinition::BarCodeSeparator);
            payload = BankBarCode::version4FromTexts(p.value(0), p.value(1), p.value(2), p.value(3));
        }
        std::vector<BankBarCode::Bar> bars = BankBarCode::code128(payload);
        if (bars.empty())
            return;
        double barHeight = it.rect.height();
        const ReportFont& font = fonts[&it];
        if (it.showText)
            barHeight -= measure.metrics(font).lineSpacing;
        DocItem code;
        code.kind = DocItem::Kind::BarCode;
        code.rect = QRectF(it.rect.left(), it.rect.top(), it.rect.width(), barHeight);
        code.penWidth = 0;
        code.color = it.color;
        code.section = section;
        code.bars = std::move(bars);
        r.items.push_back(std::move(code));
        if (it.showText) {
            const auto& m = measure.metrics(font);
            DocItem t;
            t.kind = DocItem::Kind::Text;
            t.text = payload;
            t.font = font;
            t.color = it.color;
            t.section = section;
            const double w = measure.width(font, payload);
            t.rect = QRectF(alignedX(it.rect.left(), it.rect.width(), w, Qt::AlignHCenter), it.rect.top() + barHeight, w,
                            m.lineSpacing);
            t.baseline = t.rect.top() + m.ascent;
            r.items.push_back(std::move(t));
        }
    }

    // An item with a print condition is left out where its row does not meet it, and where
    // there is no row at all (a band printed before the first row).
    static bool printedOn(const Item& it, const Row* row)
    {
        if (!it.printCondition)
            return true;
        const auto& c = *it.printCondition;
        if (!row || c.column < 0)
            return false;
        return (FieldFormatter::valueKey((*row)[size_t(c.column)]) == c.value) != c.negated;
    }

    // Renders a band relative to its top left corner. maxHeight > 0 keeps a label's lines inside it.
    Rendered render(const Band& band, size_t rowIndex, double maxHeight = 0)
    {
        const Row* row = rowAt(rowIndex);
        Rendered r;
        r.height = band.height;
        for (const Item& it : band.items) {
            if (!printedOn(it, row))
                continue;
            if (it.type == Item::Type::BarCode) {
                renderBarCode(it, row, band.section, r);
                continue;
            }
            if (it.type != Item::Type::Text) {
                DocItem di;
                di.kind = it.type == Item::Type::Line  ? DocItem::Kind::Line
                          : it.type == Item::Type::Box ? DocItem::Kind::Box
                                                       : DocItem::Kind::Image;
                di.line = it.line;
                di.rect = it.rect;
                di.penWidth = it.penWidth;
                di.color = it.color;
                di.fill = it.fill;
                di.image = it.image;
                di.section = band.section;
                r.items.push_back(std::move(di));
                continue;
            }
            const ReportFont& font = fonts[&it];
            QStringList raw = compose(it, row).split(u'\n');
            if (it.dropEmptyLines)
                raw.removeIf([](const QString& l) { return l.trimmed().isEmpty(); });
            std::vector<TextMeasurer::Fitted> lines;
            for (QString l : raw) {
                // Blanks at the end of a line show nothing; fields left empty leave them behind.
                while (!l.isEmpty() && l.back().isSpace())
                    l.chop(1);
                if (l.isEmpty())
                    lines.push_back({});
                else if (it.wrap)
                    for (TextMeasurer::Fitted& f : measure.wrap(font, l, it.rect.width()))
                        lines.push_back(std::move(f));
                else
                    lines.push_back(measure.cut(font, l, it.rect.width()));
            }
            const auto& m = measure.metrics(font);
            size_t shown = lines.size();
            const bool grows = it.grow && band.canGrow && maxHeight <= 0;
            if (!grows) {
                double room = it.rect.height();
                if (maxHeight > 0)
                    room = std::min(room > 0 ? room : maxHeight, maxHeight - it.rect.top());
                const size_t fit = std::max<size_t>(1, size_t(std::max(0.0, std::floor((room + Epsilon) / m.lineSpacing))));
                shown = std::min(shown, fit);
            }
            for (size_t k = 0; k < shown; ++k) {
                TextMeasurer::Fitted& line = lines[k];
                if (line.text.isEmpty())
                    continue;
                DocItem di;
                di.kind = DocItem::Kind::Text;
                di.font = font;
                di.color = it.color;
                di.section = band.section;
                const double top = it.rect.top() + double(k) * m.lineSpacing;
                di.rect = QRectF(alignedX(it.rect.left(), it.rect.width(), line.width, it.align), top, line.width,
                                 m.lineSpacing);
                di.baseline = top + m.ascent;
                if (line.text.contains(PageNumberMark) || line.text.contains(PageCountMark))
                    r.numbered.push_back({r.items.size(), {it.rect, it.align}});
                di.text = std::move(line.text);
                r.items.push_back(std::move(di));
            }
            if (grows)
                r.height = std::max(r.height, it.rect.top() + double(shown) * m.lineSpacing);
        }
        return r;
    }

    void place(Rendered&& r, double x0, double y0)
    {
        auto& items = doc.pages.back().items;
        const size_t base = items.size();
        for (auto& di : r.items) {
            di.rect.translate(x0, y0);
            di.line.translate(x0, y0);
            di.baseline += y0;
            items.push_back(di);
        }
        for (const auto& [index, box] : r.numbered)
            pending.push_back(Pending{pageCount - 1, base + index, box.first.left() + x0, box.first.width(), box.second});
    }

    void finishPage()
    {
        if (def.pageFooter.present)
            place(render(def.pageFooter, pageLastRow), margins.left(), pageHeight - margins.bottom() - footerHeight);
        ReportDocument::ItemList& items = doc.pages.back().items;
        lastItems = items.size();
        lastChars = qsizetype(items.textLength());
        if (!sink) {
            items.squeeze();
            return;
        }
        // A page handed on as it is finished knows its number; a report that prints the page
        // count is never handed on so (see ReportLayouter::layout).
        numberPages(QString());
        sink->page(doc.pages.back());
        doc.pages.clear();
    }

    ReportDocument::ItemList& itemsOf(int page) { return sink ? doc.pages.back().items : doc.pages[size_t(page)].items; }

    // Puts the page numbers and the page count into the texts that wait for them.
    void numberPages(const QString& total)
    {
        for (size_t k = 0; k < pending.size(); ++k) {
            const Pending& p = pending[k];
            ReportDocument::ItemList& items = itemsOf(p.page);
            QString text = items.text(p.item);
            text.replace(PageNumberMark, QString::number(p.page + 1)).replace(PageCountMark, total);
            const double w = measure.width(items.style(p.item).font, text);
            items.setText(p.item, text, alignedX(p.boxLeft, p.boxWidth, w, p.align), w);
            if (k + 1 == pending.size() || pending[k + 1].page != p.page)
                items.squeeze();
        }
        pending.clear();
    }

    void startPage(size_t row, bool first)
    {
        doc.pages.emplace_back();
        // Pages of a list are much alike: the next one is given the room the last one took, and a
        // little for its page number.
        if (++pageCount > 1)
            doc.pages.back().items.reserve(lastItems + 4, lastChars + 64);
        y = margins.top();
        pageHasBody = false;
        pageLastRow = row;
        if (first && def.reportHeader.present && !def.labels.enabled) {
            Rendered r = renderHeader(def.reportHeader, row, 0);
            const double h = r.height;
            place(std::move(r), margins.left(), y);
            y += h;
            pageHasBody = true;
            pendingBreak = def.reportHeader.newPageAfter;
        }
        if (def.pageHeader.present) {
            Rendered r = render(def.pageHeader, row);
            const double h = r.height;
            place(std::move(r), margins.left(), y);
            y += h;
        }
    }

    void breakPage(size_t row, bool repeatHeaders)
    {
        finishPage();
        startPage(row, false);
        if (!repeatHeaders)
            return;
        for (int g = 0; g < openGroups; ++g) {
            const auto& grp = def.groups[size_t(g)];
            if (!grp.repeatHeader || !grp.header.present)
                continue;
            Rendered r = renderHeader(grp.header, row, g + 1);
            const double h = r.height;
            place(std::move(r), margins.left(), y);
            y += h;
        }
    }

    // headerLevel: the group level of a group header, 0 for any other band.
    void body(const Band& band, size_t row, bool repeatHeaders, int headerLevel = 0)
    {
        if (!band.present)
            return;
        Rendered r = headerLevel > 0 ? renderHeader(band, row, headerLevel) : render(band, row);
        const double h = r.height;
        if ((pendingBreak || band.newPageBefore) && pageHasBody)
            breakPage(row, repeatHeaders);
        pendingBreak = false;
        if (y + h > bodyBottom() + Epsilon && pageHasBody)
            breakPage(row, repeatHeaders);
        // Only now is the row on this page: the footer of a page the band did not fit on shows
        // the last row it holds, not the first of the next.
        pageLastRow = row;
        if (band.anchorBottom) {
            place(std::move(r), margins.left(), std::max(y, bodyBottom() - h));
            y = bodyBottom();
        } else {
            place(std::move(r), margins.left(), y);
            y += h;
        }
        pageHasBody = true;
        if (band.newPageAfter)
            pendingBreak = true;
    }

    void bands()
    {
        const size_t count = rows->size();
        size_t prev = NoRow;
        std::vector<Value> prevKeys;
        startPage(count ? 0 : NoRow, true);
        const int groupCount = int(def.groups.size());
        groupStarts.assign(size_t(groupCount), 0);
        for (size_t index = 0; index < count; ++index) {
            std::vector<Value> keys = groupKeys(rows->at(index), groupCount);
            int changed = 0;
            if (prev != NoRow) {
                changed = groupCount;
                for (int g = 0; g < groupCount; ++g) {
                    if (!sameGroupValue(keys[size_t(g)], prevKeys[size_t(g)])) {
                        changed = g;
                        break;
                    }
                }
                for (int g = openGroups - 1; g >= changed; --g) {
                    body(def.groups[size_t(g)].footer, prev, true);
                    openGroups = g;
                }
            }
            for (int g = changed; g < groupCount; ++g) {
                resetAggregates(g + 1);
                if (def.groups[size_t(g)].newPage && prev != NoRow)
                    pendingBreak = true;
                groupStarts[size_t(g)] = index;
                body(def.groups[size_t(g)].header, index, false, g + 1);
                openGroups = g + 1;
            }
            accumulate(index);
            body(def.detail, index, true);
            prev = index;
            prevKeys = std::move(keys);
        }
        for (int g = openGroups - 1; g >= 0; --g) {
            body(def.groups[size_t(g)].footer, prev, true);
            openGroups = g;
        }
        body(def.reportFooter, prev, false);
        finishPage();
    }

    void labels()
    {
        const auto& l = def.labels;
        const int cells = l.columns * l.rows;
        double top = margins.top();
        const size_t count = rows->size();
        if (count == 0) {
            startPage(NoRow, true);
            finishPage();
            return;
        }
        for (size_t i = 0; i < count; ++i) {
            const int cell = int(i % size_t(cells));
            if (cell == 0) {
                if (i > 0)
                    finishPage();
                startPage(i, i == 0);
                top = y;
            }
            const int col = l.acrossFirst ? cell % l.columns : cell / l.rows;
            const int line = l.acrossFirst ? cell / l.columns : cell % l.rows;
            accumulate(i);
            pageLastRow = i;
            place(render(def.detail, i, l.height), margins.left() + col * (l.width + l.columnGap),
                  top + line * (l.height + l.rowGap));
        }
        finishPage();
    }

    ReportDocument run(ReportRows& source, PageSink* to)
    {
        doc = ReportDocument{};
        sink = to;
        pageCount = 0;
        doc.title = def.title;
        doc.orientation = def.orientation;
        QSizeF size = def.pageSize.size(QPageSize::Millimeter) * ReportDefinition::PointsPerMm;
        if (def.orientation == QPageLayout::Landscape)
            size.transpose();
        doc.pageSize = size;
        doc.rowCount = int(source.size());
        pageWidth = size.width();
        pageHeight = size.height();
        margins = opt.margins.value_or(def.margins);
        footerHeight = def.pageFooter.present ? def.pageFooter.height : 0;
        resetAggregates(0);
        rows = &source;
        // Sized once: headers keep pointers to the totals of several scopes at a time.
        spans.assign(def.groups.size() + 1, Span{});
        pending.clear();
        openGroups = 0;
        pendingBreak = false;
        if (sink)
            sink->begin(doc.header());

        if (def.labels.enabled)
            labels();
        else
            bands();
        rows = nullptr;

        if (sink) {
            sink->end();
            sink = nullptr;
        } else {
            numberPages(QString::number(doc.pages.size()));
        }
        return std::move(doc);
    }
};

ReportLayouter::ReportLayouter(const ReportDefinition& definition, Options options)
    : d(std::make_unique<Impl>(definition, std::move(options)))
{
}

ReportLayouter::~ReportLayouter() = default;

ReportDocument ReportLayouter::layout(const std::vector<Row>& rows)
{
    ReportRowVector source(rows);
    return d->run(source, nullptr);
}

ReportDocument ReportLayouter::layout(ReportRows& rows)
{
    return d->run(rows, nullptr);
}

int ReportLayouter::layout(ReportRows& rows, PageSink& sink)
{
    if (!d->def.usesPageCount()) {
        d->run(rows, &sink);
        return d->pageCount;
    }
    // The page count is known only when the last page is laid out: such a report (a list) is laid
    // out whole, and each page is let go once handed on.
    ReportDocument doc = d->run(rows, nullptr);
    sink.begin(doc.header());
    for (ReportDocument::Page& page : doc.pages) {
        sink.page(page);
        page = ReportDocument::Page{};
    }
    sink.end();
    return int(doc.pages.size());
}

} // namespace tikkeli
