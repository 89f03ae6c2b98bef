#include "printing/TextMeasurer.h"

namespace tikkeli {

namespace {
constexpr int MeasureDpi = 1200;
// Tables of texts met before are emptied when they grow this large: a list of unique texts only
// fills them.
constexpr qsizetype MaxKnownTexts = 4096;
} // namespace

TextMeasurer::TextMeasurer() : m_device(1, 1, QImage::Format_ARGB32), m_toPoints(72.0 / MeasureDpi)
{
    const int dpm = int(MeasureDpi / 0.0254 + 0.5);
    m_device.setDotsPerMeterX(dpm);
    m_device.setDotsPerMeterY(dpm);
}

TextMeasurer::~TextMeasurer() = default;

TextMeasurer::Entry& TextMeasurer::entry(const ReportFont& f)
{
    auto it = m_cache.find(f);
    if (it != m_cache.end())
        return **it;
    auto e = std::make_shared<Entry>();
    e->fm = std::make_unique<QFontMetricsF>(f.toQFont(), &m_device);
    e->m.ascent = e->fm->ascent() * m_toPoints;
    e->m.descent = e->fm->descent() * m_toPoints;
    e->m.lineSpacing = e->fm->lineSpacing() * m_toPoints;
    m_cache.insert(f, e);
    return *e;
}

const TextMeasurer::Metrics& TextMeasurer::metrics(const ReportFont& f)
{
    return entry(f).m;
}

double TextMeasurer::width(const ReportFont& f, const QString& text)
{
    if (text.isEmpty())
        return 0;
    Entry& e = entry(f);
    if (auto known = e.widths.constFind(text); known != e.widths.constEnd())
        return *known;
    if (e.widths.size() >= MaxKnownTexts)
        e.widths.clear();
    const double w = e.fm->horizontalAdvance(text) * m_toPoints;
    e.widths.insert(text, w);
    return w;
}

double TextMeasurer::uncachedWidth(const ReportFont& f, const QString& text)
{
    return text.isEmpty() ? 0.0 : entry(f).fm->horizontalAdvance(text) * m_toPoints;
}

std::pair<qsizetype, double> TextMeasurer::fittingLength(const ReportFont& f, QStringView text, double w)
{
    // Gallops up to the first start that is too wide, then halves back: the cost follows the
    // length that fits, not the length of the text, so a long text without blanks wraps in
    // linear time.
    qsizetype fits = 0;
    double fitsWidth = 0;
    qsizetype step = 1;
    auto fitsIn = [&](qsizetype n) {
        if (n > text.size())
            return false;
        const double advance = uncachedWidth(f, text.left(n).toString());
        if (advance > w)
            return false;
        fitsWidth = advance;
        return true;
    };
    while (fitsIn(fits + step)) {
        fits += step;
        if (fits == text.size())
            return {fits, fitsWidth};
        step *= 2;
    }
    while (step > 1) {
        step /= 2;
        if (fitsIn(fits + step))
            fits += step;
    }
    // Never split a surrogate pair.
    if (fits > 0 && fits < text.size() && text.at(fits - 1).isHighSurrogate()) {
        --fits;
        fitsWidth = uncachedWidth(f, text.left(fits).toString());
    }
    return {fits, fitsWidth};
}

TextMeasurer::Fitted TextMeasurer::cut(const ReportFont& f, const QString& line, double w)
{
    const double whole = width(f, line);
    if (whole <= w)
        return {line, whole};
    const auto [n, advance] = fittingLength(f, line, w);
    return {line.left(n), advance};
}

std::vector<TextMeasurer::Fitted> TextMeasurer::wrap(const ReportFont& f, const QString& line, double w)
{
    Entry& e = entry(f);
    if (auto known = e.wrapped.constFind(line); known != e.wrapped.constEnd() && known->first == w)
        return known->second;
    std::vector<Fitted> out = wrapAnew(f, line, w);
    if (e.wrapped.size() >= MaxKnownTexts)
        e.wrapped.clear();
    e.wrapped.insert(line, {w, out});
    return out;
}

std::vector<TextMeasurer::Fitted> TextMeasurer::wrapAnew(const ReportFont& f, const QString& line, double w)
{
    std::vector<Fitted> out;
    const double whole = width(f, line);
    if (whole <= w) {
        out.push_back({line, whole});
        return out;
    }
    const QStringList words = line.split(u' ');
    QString current;
    double currentWidth = 0;
    for (const QString& word : words) {
        const QString candidate = current.isEmpty() ? word : current + u' ' + word;
        const double advance = uncachedWidth(f, candidate);
        if (advance <= w) {
            current = candidate;
            currentWidth = advance;
            continue;
        }
        if (!current.isEmpty())
            out.push_back({current, currentWidth});
        // A word wider than the line is broken where it must be, each piece as long as fits.
        QStringView rest(word);
        for (;;) {
            auto [n, pieceWidth] = fittingLength(f, rest, w);
            if (n == rest.size()) {
                currentWidth = pieceWidth;
                break;
            }
            if (n == 0) {
                n = rest.size() > 1 && rest.at(0).isHighSurrogate() ? 2 : 1;
                pieceWidth = uncachedWidth(f, rest.left(n).toString());
            }
            out.push_back({rest.left(n).toString(), pieceWidth});
            rest = rest.mid(n);
        }
        current = rest.toString();
    }
    if (!current.isEmpty() || out.empty())
        out.push_back({current, current.isEmpty() ? 0.0 : currentWidth});
    return out;
}

} // namespace tikkeli
