#include "printing/ReportDefinition.h"

#include "base/FileSafety.h"
#include "printing/ReportError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <cmath>
#include <limits>

namespace tikkeli {

namespace {

class Parser {
public:
    Parser(QString baseFolder, QString name) : m_base(std::move(baseFolder)), m_name(std::move(name)) {}

    [[noreturn]] void fail(const QString& what) const
    {
        throw ReportException(ReportErr::InvalidReport,
                              QStringLiteral("Raporttitiedosto %1 on virheellinen: %2").arg(m_name, what));
    }

    // Every number in a definition has bounds that no real report comes near: a value outside
    // them (a label sheet of 65536 x 65536, a font of 1e-300 points, a position of 1e308 mm)
    // would overflow the layout's arithmetic, so the file is refused before any of it is used.
    struct Range {
        double min;
        double max;
    };
    static constexpr Range Position{-2000, 2000}; // millimetres from a band's corner
    static constexpr Range Length{0, 2000};       // sizes and gaps in millimetres
    static constexpr Range Margin{0, 500};
    static constexpr Range FontSize{1, 500}; // points
    static constexpr Range PenWidth{0, 50};
    static constexpr Range Decimals{0, 4};
    static constexpr Range Count{1, 100}; // label columns and rows

    double number(const QJsonValue& v, const QString& where, Range r, double fallback) const
    {
        if (v.isUndefined())
            return fallback;
        const double d = v.toDouble(std::numeric_limits<double>::quiet_NaN());
        if (!v.isDouble() || !std::isfinite(d) || d < r.min || d > r.max)
            fail(QStringLiteral("luku %1 kohdassa %2 ei ole välillä %3...%4")
                     .arg(v.isDouble() ? QString::number(d) : QStringLiteral("\"%1\"").arg(v.toVariant().toString()), where)
                     .arg(r.min)
                     .arg(r.max));
        return d;
    }
    int integer(const QJsonValue& v, const QString& where, Range r, int fallback) const
    {
        const double d = number(v, where, r, fallback);
        if (d != std::floor(d))
            fail(QStringLiteral("luku %1 kohdassa %2 ei ole kokonaisluku").arg(d).arg(where));
        return int(d);
    }
    double mm(const QJsonValue& v, const QString& where, Range r = Position, double fallback = 0) const
    {
        return number(v, where, r, fallback / ReportDefinition::PointsPerMm) * ReportDefinition::PointsPerMm;
    }

    void checkKeys(const QJsonObject& o, const QStringList& allowed, const QString& where) const
    {
        for (auto it = o.begin(); it != o.end(); ++it)
            if (!allowed.contains(it.key()))
                fail(QStringLiteral("tuntematon avain \"%1\" kohdassa %2").arg(it.key(), where));
    }

    static bool isFieldName(const QString& f)
    {
        static const QRegularExpression re(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*\\.[A-Za-z_][A-Za-z0-9_]*$"));
        return re.match(f).hasMatch();
    }

    QString field(const QJsonValue& v, const QString& where) const
    {
        const QString f = v.toString().trimmed();
        if (!isFieldName(f))
            fail(QStringLiteral("kenttä \"%1\" kohdassa %2 ei ole muotoa taulu.kenttä").arg(f, where));
        return f;
    }

    ReportFont::Patch font(const QJsonValue& v, const QString& where) const
    {
        ReportFont::Patch p;
        if (v.isUndefined())
            return p;
        if (!v.isObject())
            fail(QStringLiteral("fontti kohdassa %1").arg(where));
        const QJsonObject o = v.toObject();
        checkKeys(o, {"name", "size", "bold", "italic", "underline", "strikeOut"}, where);
        if (o.contains("name"))
            p.family = o.value("name").toString();
        if (o.contains("size"))
            p.size = number(o.value("size"), QStringLiteral("%1 fontin koko").arg(where), FontSize, 0);
        if (o.contains("bold"))
            p.bold = o.value("bold").toBool();
        if (o.contains("italic"))
            p.italic = o.value("italic").toBool();
        if (o.contains("underline"))
            p.underline = o.value("underline").toBool();
        if (o.contains("strikeOut"))
            p.strikeOut = o.value("strikeOut").toBool();
        return p;
    }

    ReportDefinition::Format format(const QJsonObject& o, const QString& where) const
    {
        using K = ReportDefinition::Format::Kind;
        ReportDefinition::Format f;
        static const std::map<QString, K> kinds = {{"text", K::Text},     {"date", K::Date},     {"datetime", K::DateTime},
                                                   {"amount", K::Amount}, {"number", K::Number}, {"integer", K::Integer},
                                                   {"check", K::Check},   {"yesno", K::YesNo}};
        if (o.contains("format")) {
            auto it = kinds.find(o.value("format").toString());
            if (it == kinds.end())
                fail(QStringLiteral("tuntematon muoto \"%1\" kohdassa %2").arg(o.value("format").toString(), where));
            f.kind = it->second;
        }
        if (o.contains("decimals"))
            f.decimals = integer(o.value("decimals"), where, Decimals, 0);
        const QJsonObject values = o.value("values").toObject();
        for (auto it = values.begin(); it != values.end(); ++it)
            f.values[it.key()] = it.value().toString();
        f.blankWhenZero = o.value("blankWhenZero").toBool();
        return f;
    }

    // Splits "Sivu {PageNumber} / {TotalPageCount}" into segments.
    std::vector<ReportDefinition::Segment> segments(const QString& text, const QString& where, bool& usesPageCount) const
    {
        using S = ReportDefinition::Segment;
        std::vector<S> out;
        QString literal;
        auto flush = [&] {
            if (!literal.isEmpty())
                out.push_back(S{S::Kind::Literal, literal, {}, {}, 0, -1, -1, -1, false, {}, -1});
            literal.clear();
        };
        for (qsizetype i = 0; i < text.size(); ++i) {
            const QChar c = text.at(i);
            if (c == u'{' && i + 1 < text.size() && text.at(i + 1) == u'{') {
                literal += c;
                ++i;
                continue;
            }
            if (c == u'}' && i + 1 < text.size() && text.at(i + 1) == u'}') {
                literal += c;
                ++i;
                continue;
            }
            if (c != u'{') {
                literal += c;
                continue;
            }
            const qsizetype end = text.indexOf(u'}', i);
            if (end < 0)
                fail(QStringLiteral("sulkematon { kohdassa %1").arg(where));
            const QString name = text.mid(i + 1, end - i - 1).trimmed();
            flush();
            S s;
            if (name.compare(QLatin1String("PageNumber"), Qt::CaseInsensitive) == 0) {
                s.kind = S::Kind::PageNumber;
            } else if (name.compare(QLatin1String("TotalPageCount"), Qt::CaseInsensitive) == 0
                       || name.compare(QLatin1String("PageCount"), Qt::CaseInsensitive) == 0) {
                s.kind = S::Kind::PageCount;
                usesPageCount = true;
            } else if (name.compare(QLatin1String("PrintDate"), Qt::CaseInsensitive) == 0) {
                s.kind = S::Kind::PrintDate;
            } else if (name.startsWith(u'@') && name.size() > 1) {
                s.kind = S::Kind::Formula;
                s.text = name.mid(1).trimmed();
            } else if (isFieldName(name)) {
                s.kind = S::Kind::Field;
                s.field = name;
            } else {
                fail(QStringLiteral("tuntematon viittaus {%1} kohdassa %2").arg(name, where));
            }
            out.push_back(s);
            i = end;
        }
        flush();
        return out;
    }

    Qt::Alignment alignment(const QJsonValue& v, const QString& where) const
    {
        const QString a = v.toString(QStringLiteral("left"));
        if (a == QLatin1String("left"))
            return Qt::AlignLeft;
        if (a == QLatin1String("center"))
            return Qt::AlignHCenter;
        if (a == QLatin1String("right"))
            return Qt::AlignRight;
        fail(QStringLiteral("tasaus \"%1\" kohdassa %2").arg(a, where));
    }

    QColor color(const QJsonValue& v, const QColor& fallback, const QString& where) const
    {
        if (v.isUndefined())
            return fallback;
        QColor c = QColor::fromString(v.toString());
        if (!c.isValid())
            fail(QStringLiteral("väri \"%1\" kohdassa %2").arg(v.toString(), where));
        return c;
    }

    std::optional<ReportDefinition::Item::Condition> printCondition(const QJsonObject& o, const QString& where) const
    {
        if (o.contains("printIf") && o.contains("printUnless"))
            fail(QStringLiteral("sekä \"printIf\" että \"printUnless\" kohdassa %1").arg(where));
        const bool negated = o.contains("printUnless");
        if (!negated && !o.contains("printIf"))
            return std::nullopt;
        const QJsonValue v = o.value(negated ? "printUnless" : "printIf");
        const QJsonObject c = v.toObject();
        checkKeys(c, {"field", "equals"}, where);
        const QJsonValue equals = c.value("equals");
        if (!v.isObject() || equals.isUndefined() || equals.isArray() || equals.isObject())
            fail(QStringLiteral("ehto ilman kenttää ja arvoa (\"field\", \"equals\") kohdassa %1").arg(where));
        ReportDefinition::Item::Condition cond;
        cond.field = field(c.value("field"), where);
        cond.value = equals.isDouble() ? QString::number(equals.toDouble(), 'g', 15)
                     : equals.isBool() ? QString::fromLatin1(equals.toBool() ? "true" : "false")
                     : equals.isNull() ? QString()
                                       : equals.toString();
        cond.negated = negated;
        return cond;
    }

    ReportDefinition::Item item(const QJsonObject& o, const QString& where, int bandGroup) const
    {
        using I = ReportDefinition::Item;
        using S = ReportDefinition::Segment;
        checkKeys(o, {"type",   "x",        "y",      "width",         "height",    "x2",    "y2",      "text",
                      "field",  "formula",  "font",   "fixedFont",     "align",     "wrap",  "grow",    "dropEmptyLines",
                      "format", "decimals", "values", "blankWhenZero", "lineWidth", "color", "fill",    "file",
                      "reset",  "onlyIf",   "unless", "bankCode",      "showText",  "once",  "printIf", "printUnless"},
                  where);
        I it;
        const QString type = o.value("type").toString();
        it.rect = QRectF(mm(o.value("x"), where), mm(o.value("y"), where), mm(o.value("width"), where, Length),
                         mm(o.value("height"), where, Length));
        it.font = font(o.value("font"), where);
        it.fixedFont = o.value("fixedFont").toBool();
        it.align = alignment(o.value("align"), where);
        it.wrap = o.value("wrap").toBool();
        it.grow = o.value("grow").toBool(it.wrap);
        it.dropEmptyLines = o.value("dropEmptyLines").toBool();
        it.format = format(o, where);
        it.penWidth = number(o.value("lineWidth"), where, PenWidth, 0.5);
        it.color = color(o.value("color"), Qt::black, where);
        it.fill = color(o.value("fill"), QColor(), where);
        const QString prefix = o.value("text").toString();
        it.printCondition = printCondition(o, where);

        auto withPrefix = [&](S s) {
            bool pc = false;
            it.segments = prefix.isEmpty() ? std::vector<S>{} : segments(prefix, where, pc);
            it.usesPageCount = pc || s.kind == S::Kind::PageCount;
            it.segments.push_back(std::move(s));
        };

        if (type == QLatin1String("text")) {
            it.segments = segments(prefix, where, it.usesPageCount);
        } else if (type == QLatin1String("field")) {
            withPrefix(S{S::Kind::Field, {}, field(o.value("field"), where), {}, 0, -1, -1, -1, false, {}, -1});
        } else if (type == QLatin1String("formula")) {
            const QString name = o.value("formula").toString().trimmed();
            if (name.isEmpty())
                fail(QStringLiteral("kaavan nimi puuttuu kohdassa %1").arg(where));
            withPrefix(S{S::Kind::Formula, name, {}, {}, 0, -1, -1, -1, false, {}, -1});
        } else if (type == QLatin1String("pageNumber")) {
            withPrefix(S{S::Kind::PageNumber, {}, {}, {}, 0, -1, -1, -1, false, {}, -1});
        } else if (type == QLatin1String("pageCount")) {
            withPrefix(S{S::Kind::PageCount, {}, {}, {}, 0, -1, -1, -1, false, {}, -1});
        } else if (type == QLatin1String("printDate")) {
            withPrefix(S{S::Kind::PrintDate, {}, {}, {}, 0, -1, -1, -1, false, {}, -1});
        } else if (type == QLatin1String("sum") || type == QLatin1String("count")) {
            S s;
            s.kind = type == QLatin1String("sum") ? S::Kind::Sum : S::Kind::Count;
            if (s.kind == S::Kind::Sum || o.contains("field"))
                s.field = field(o.value("field"), where);
            if (o.contains("onlyIf") && o.contains("unless"))
                fail(QStringLiteral("sekä \"onlyIf\" että \"unless\" kohdassa %1").arg(where));
            if (o.contains("onlyIf"))
                s.onlyIf = field(o.value("onlyIf"), where);
            if (o.contains("unless")) {
                s.onlyIf = field(o.value("unless"), where);
                s.onlyIfNot = true;
            }
            if (o.contains("once"))
                s.once = field(o.value("once"), where);
            const QString reset = o.value("reset").toString(bandGroup > 0 ? QStringLiteral("group")
                                                                          : QStringLiteral("report"));
            static const QRegularExpression groupN(QStringLiteral("^group([1-9][0-9]*)$"));
            if (reset == QLatin1String("report")) {
                s.scope = 0;
            } else if (reset == QLatin1String("group") && bandGroup > 0) {
                s.scope = bandGroup;
            } else if (auto m = groupN.match(reset); m.hasMatch()) {
                s.scope = m.captured(1).toInt();
            } else {
                fail(QStringLiteral("nollaus \"%1\" kohdassa %2").arg(reset, where));
            }
            withPrefix(s);
        } else if (type == QLatin1String("line")) {
            it.type = I::Type::Line;
            it.line = QLineF(it.rect.x(), it.rect.y(), mm(o.value("x2"), where, Position, it.rect.x()),
                             mm(o.value("y2"), where, Position, it.rect.y()));
        } else if (type == QLatin1String("box")) {
            it.type = I::Type::Box;
        } else if (type == QLatin1String("barcode")) {
            it.type = I::Type::BarCode;
            it.showText = o.value("showText").toBool();
            bool pc = false;
            if (o.contains("bankCode")) {
                const QJsonObject b = o.value("bankCode").toObject();
                checkKeys(b, {"iban", "amount", "reference", "dueDate"}, where);
                it.bankCode = true;
                const char* parts[] = {"iban", "amount", "reference", "dueDate"};
                for (int i = 0; i < 4; ++i) {
                    if (i > 0)
                        it.segments.push_back(S{S::Kind::Literal,
                                                QString(ReportDefinition::BarCodeSeparator),
                                                {},
                                                {},
                                                0,
                                                -1,
                                                -1,
                                                -1,
                                                false,
                                                {},
                                                -1});
                    auto part = segments(b.value(QLatin1String(parts[i])).toString(), where, pc);
                    it.segments.insert(it.segments.end(), part.begin(), part.end());
                }
            } else {
                it.segments = segments(prefix, where, pc);
            }
            if (it.rect.width() <= 0 || it.rect.height() <= 0)
                fail(QStringLiteral("viivakoodin koko puuttuu kohdassa %1").arg(where));
        } else if (type == QLatin1String("image")) {
            it.type = I::Type::Image;
            const QString file = o.value("file").toString();
            const QString path = QFileInfo(file).isAbsolute() ? file : QDir(m_base).filePath(file);
            QImage img(path);
            if (img.isNull())
                throw ReportException(ReportErr::CannotOpenReport,
                                      QStringLiteral("Raportin %1 kuvaa ei voi avata: %2").arg(m_name, path));
            it.image = std::make_shared<const QImage>(std::move(img));
        } else {
            fail(QStringLiteral("tuntematon kohteen tyyppi \"%1\" kohdassa %2").arg(type, where));
        }
        if (it.type == I::Type::Text && it.rect.width() <= 0)
            fail(QStringLiteral("leveys puuttuu kohdassa %1").arg(where));
        return it;
    }

    void band(const QJsonValue& v, ReportDefinition::Band& b, const QString& section, int group) const
    {
        b.section = section;
        if (v.isUndefined() || v.isNull())
            return;
        if (!v.isObject())
            fail(QStringLiteral("osa %1").arg(section));
        const QJsonObject o = v.toObject();
        checkKeys(o, {"height", "items", "font", "canGrow", "newPageBefore", "newPageAfter", "anchor"}, section);
        b.present = true;
        b.height = mm(o.value("height"), section, Length);
        b.font = font(o.value("font"), section);
        b.canGrow = o.value("canGrow").toBool(true);
        b.newPageBefore = o.value("newPageBefore").toBool();
        b.newPageAfter = o.value("newPageAfter").toBool();
        const QString anchor = o.value("anchor").toString(QStringLiteral("flow"));
        if (anchor != QLatin1String("flow") && anchor != QLatin1String("bottom"))
            fail(QStringLiteral("ankkuri \"%1\" osassa %2").arg(anchor, section));
        b.anchorBottom = anchor == QLatin1String("bottom");
        const QJsonArray items = o.value("items").toArray();
        for (int i = 0; i < items.size(); ++i)
            b.items.push_back(item(items.at(i).toObject(), QStringLiteral("%1 kohde %2").arg(section).arg(i + 1), group));
    }

private:
    QString m_base;
    QString m_name;
};

QPageSize parsePageSize(const QJsonValue& v, const Parser& p)
{
    if (v.isObject()) {
        const QJsonObject o = v.toObject();
        const double w = p.number(o.value("width"), QStringLiteral("sivun leveys"), Parser::Length, 0);
        const double h = p.number(o.value("height"), QStringLiteral("sivun korkeus"), Parser::Length, 0);
        if (w <= 0 || h <= 0)
            p.fail(QStringLiteral("sivun koko"));
        return QPageSize(QSizeF(w, h), QPageSize::Millimeter);
    }
    const QString name = v.toString(QStringLiteral("A4"));
    static const std::map<QString, QPageSize::PageSizeId> ids = {{"A3", QPageSize::A3},
                                                                 {"A4", QPageSize::A4},
                                                                 {"A5", QPageSize::A5},
                                                                 {"Letter", QPageSize::Letter},
                                                                 {"Legal", QPageSize::Legal}};
    auto it = ids.find(name);
    if (it == ids.end())
        p.fail(QStringLiteral("tuntematon sivukoko \"%1\"").arg(name));
    return QPageSize(it->second);
}

} // namespace

ReportDefinition ReportDefinition::load(const QString& path)
{
    if (!QFileInfo(path).isFile())
        throw ReportException(ReportErr::CannotOpenReport,
                              QStringLiteral("Raporttitiedostoa ei voi avata: %1").arg(QDir::toNativeSeparators(path)));
    // A file read in part would be reported as a damaged report: a failed read is said as it is.
    QByteArray data;
    if (const auto e = FileSafety::instance().readFile(path, data, MaxFileBytes))
        throw ReportException(
            ReportErr::CannotOpenReport,
            QStringLiteral("Raporttitiedostoa %1 ei voitu lukea: %2.").arg(QDir::toNativeSeparators(path), e->text()));
    ReportDefinition d = parse(data, QFileInfo(path).absolutePath(), QFileInfo(path).fileName());
    d.fileName = path;
    return d;
}

namespace {

void readPage(const QJsonObject& root, const Parser& p, ReportDefinition& d)
{
    const QJsonObject page = root.value("page").toObject();
    p.checkKeys(page, {"size", "orientation", "margins"}, QStringLiteral("page"));
    d.pageSize = parsePageSize(page.value("size"), p);
    const QString orient = page.value("orientation").toString(QStringLiteral("portrait"));
    if (orient != QLatin1String("portrait") && orient != QLatin1String("landscape"))
        p.fail(QStringLiteral("sivun suunta \"%1\"").arg(orient));
    d.orientation = orient == QLatin1String("landscape") ? QPageLayout::Landscape : QPageLayout::Portrait;
    const QJsonObject m = page.value("margins").toObject();
    const QString margins = QStringLiteral("sivun reunukset");
    constexpr double PointsPerMm = ReportDefinition::PointsPerMm;
    d.margins = QMarginsF(p.mm(m.value("left"), margins, Parser::Margin, 20 * PointsPerMm),
                          p.mm(m.value("top"), margins, Parser::Margin, 15 * PointsPerMm),
                          p.mm(m.value("right"), margins, Parser::Margin, 15 * PointsPerMm),
                          p.mm(m.value("bottom"), margins, Parser::Margin, 15 * PointsPerMm));
}

// The main table, the joins (each to a table named before it) and the sort fields.
void readData(const QJsonObject& root, const Parser& p, ReportDefinition& d)
{
    const QJsonObject data = root.value("data").toObject();
    p.checkKeys(data, {"table", "joins", "sort"}, QStringLiteral("data"));
    d.mainTable = data.value("table").toString();
    static const QRegularExpression ident(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    if (!ident.match(d.mainTable).hasMatch())
        p.fail(QStringLiteral("päätaulu \"%1\"").arg(d.mainTable));
    QStringList known{d.mainTable.toLower()};
    for (const auto& jv : data.value("joins").toArray()) {
        const QJsonObject jo = jv.toObject();
        p.checkKeys(jo, {"table", "type", "from", "to"}, QStringLiteral("joins"));
        ReportDefinition::Join j;
        j.table = jo.value("table").toString();
        if (!ident.match(j.table).hasMatch() || known.contains(j.table.toLower()))
            p.fail(QStringLiteral("liitettävä taulu \"%1\"").arg(j.table));
        const QString type = jo.value("type").toString(QStringLiteral("left"));
        if (type != QLatin1String("left") && type != QLatin1String("inner"))
            p.fail(QStringLiteral("liitoksen tyyppi \"%1\"").arg(type));
        j.inner = type == QLatin1String("inner");
        j.from = p.field(jo.value("from"), QStringLiteral("joins"));
        j.to = p.field(jo.value("to"), QStringLiteral("joins"));
        if (!known.contains(j.from.section(u'.', 0, 0).toLower())
            || j.to.section(u'.', 0, 0).compare(j.table, Qt::CaseInsensitive) != 0)
            p.fail(QStringLiteral("liitos %1 = %2").arg(j.from, j.to));
        known << j.table.toLower();
        d.joins.push_back(j);
    }
    for (const auto& sv : data.value("sort").toArray())
        d.sort << sv.toString();
}

void readGroups(const QJsonObject& root, const Parser& p, ReportDefinition& d)
{
    const QJsonArray groups = root.value("groups").toArray();
    for (int g = 0; g < groups.size(); ++g) {
        const QJsonObject go = groups.at(g).toObject();
        const QString where = QStringLiteral("groups %1").arg(g + 1);
        p.checkKeys(go, {"field", "newPage", "repeatHeader", "afterSort", "header", "footer"}, where);
        ReportDefinition::Group grp;
        grp.field = p.field(go.value("field"), where);
        grp.newPage = go.value("newPage").toBool();
        grp.repeatHeader = go.value("repeatHeader").toBool();
        grp.afterSort = go.value("afterSort").toBool();
        p.band(go.value("header"), grp.header, QStringLiteral("GH%1").arg(g + 1), g + 1);
        p.band(go.value("footer"), grp.footer, QStringLiteral("GF%1").arg(g + 1), g + 1);
        d.groups.push_back(std::move(grp));
    }
}

void readBands(const QJsonObject& root, const Parser& p, ReportDefinition& d)
{
    const QJsonObject bands = root.value("bands").toObject();
    p.checkKeys(bands, {"reportHeader", "pageHeader", "detail", "reportFooter", "pageFooter"}, QStringLiteral("bands"));
    p.band(bands.value("reportHeader"), d.reportHeader, QStringLiteral("TITLE"), 0);
    p.band(bands.value("pageHeader"), d.pageHeader, QStringLiteral("HEADER"), 0);
    p.band(bands.value("detail"), d.detail, QStringLiteral("DETAIL"), 0);
    p.band(bands.value("reportFooter"), d.reportFooter, QStringLiteral("SUMMARY"), 0);
    p.band(bands.value("pageFooter"), d.pageFooter, QStringLiteral("FOOTER"), 0);
}

void readLabels(const QJsonObject& root, const Parser& p, ReportDefinition& d)
{
    if (!root.contains("labels"))
        return;
    const QJsonObject lo = root.value("labels").toObject();
    p.checkKeys(lo, {"columns", "rows", "width", "height", "columnGap", "rowGap", "order"}, QStringLiteral("labels"));
    ReportDefinition::Labels& l = d.labels;
    l.enabled = true;
    const QString where = QStringLiteral("labels");
    l.columns = p.integer(lo.value("columns"), where, Parser::Count, 1);
    l.rows = p.integer(lo.value("rows"), where, Parser::Count, 1);
    l.width = p.mm(lo.value("width"), where, Parser::Length);
    l.height = p.mm(lo.value("height"), where, Parser::Length);
    l.columnGap = p.mm(lo.value("columnGap"), where, Parser::Length);
    l.rowGap = p.mm(lo.value("rowGap"), where, Parser::Length);
    const QString order = lo.value("order").toString(QStringLiteral("across"));
    if (order != QLatin1String("across") && order != QLatin1String("down"))
        p.fail(QStringLiteral("tarrojen järjestys \"%1\"").arg(order));
    l.acrossFirst = order == QLatin1String("across");
    if (l.columns < 1 || l.rows < 1 || l.width <= 0 || l.height <= 0)
        p.fail(QStringLiteral("tarra-arkin mitat"));
    if (!d.groups.empty())
        p.fail(QStringLiteral("tarra-arkissa ei voi olla ryhmiä"));
}

// Gives every sum and count its own accumulator number, and checks the group it resets with.
void numberAggregates(const Parser& p, ReportDefinition& d)
{
    int aggregates = 0;
    for (ReportDefinition::Band* b : d.bands())
        for (auto& it : b->items)
            for (auto& s : it.segments)
                if (s.kind == ReportDefinition::Segment::Kind::Sum || s.kind == ReportDefinition::Segment::Kind::Count) {
                    if (s.scope > int(d.groups.size()))
                        p.fail(QStringLiteral("summan ryhmää %1 ei ole").arg(s.scope));
                    s.aggregate = aggregates++;
                }
}

} // namespace

ReportDefinition ReportDefinition::parse(const QByteArray& json, const QString& baseFolder, const QString& name)
{
    Parser p(baseFolder, name);
    QJsonParseError err;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &err);
    if (err.error != QJsonParseError::NoError)
        p.fail(QStringLiteral("JSON-virhe kohdassa %1: %2").arg(err.offset).arg(err.errorString()));
    if (!doc.isObject())
        p.fail(QStringLiteral("määrittely ei ole JSON-olio"));
    const QJsonObject root = doc.object();
    p.checkKeys(root, {"format", "title", "page", "font", "data", "formulas", "groups", "bands", "labels"},
                QStringLiteral("raportti"));
    if (root.value("format").toString() != QLatin1String("tikkeli-report/1"))
        p.fail(QStringLiteral("\"format\" ei ole \"tikkeli-report/1\""));

    ReportDefinition d;
    d.title = root.value("title").toString();
    readPage(root, p, d);
    d.font = ReportFont{}.patched(p.font(root.value("font"), QStringLiteral("font")));
    readData(root, p, d);
    const QJsonObject formulas = root.value("formulas").toObject();
    for (auto it = formulas.begin(); it != formulas.end(); ++it)
        d.formulaDefaults[it.key()] = it.value().toString();
    readGroups(root, p, d);
    readBands(root, p, d);
    readLabels(root, p, d);
    if (!d.detail.present)
        p.fail(QStringLiteral("rivialue \"detail\" puuttuu"));
    numberAggregates(p, d);
    return d;
}

std::vector<ReportDefinition::Band*> ReportDefinition::bands()
{
    std::vector<Band*> out{&reportHeader, &pageHeader, &detail, &reportFooter, &pageFooter};
    for (auto& g : groups) {
        out.push_back(&g.header);
        out.push_back(&g.footer);
    }
    return out;
}

std::vector<const ReportDefinition::Band*> ReportDefinition::bands() const
{
    std::vector<const Band*> out;
    for (Band* b : const_cast<ReportDefinition*>(this)->bands())
        out.push_back(b);
    return out;
}

QStringList ReportDefinition::referencedFields() const
{
    QStringList fields;
    auto add = [&](const QString& f) {
        if (!f.isEmpty() && !fields.contains(f, Qt::CaseInsensitive))
            fields << f;
    };
    for (const auto& g : groups)
        add(g.field);
    for (const Band* b : bands())
        for (const auto& it : b->items) {
            if (it.printCondition)
                add(it.printCondition->field);
            for (const auto& s : it.segments) {
                add(s.field);
                add(s.onlyIf);
                add(s.once);
            }
        }
    return fields;
}

QStringList ReportDefinition::formulaNames() const
{
    QStringList names;
    for (const Band* b : bands())
        for (const auto& it : b->items)
            for (const auto& s : it.segments)
                if (s.kind == Segment::Kind::Formula && !names.contains(s.text, Qt::CaseInsensitive))
                    names << s.text;
    return names;
}

bool ReportDefinition::usesPageCount() const
{
    for (const Band* b : bands())
        for (const auto& it : b->items)
            for (const auto& s : it.segments)
                if (s.kind == Segment::Kind::PageCount)
                    return true;
    return false;
}

} // namespace tikkeli
