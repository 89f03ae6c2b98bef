#include "printing/TextMeasurer.h"

namespace tikkeli {

namespace {
constexpr int MeasureDpi = 1200;
}

TextMeasurer::TextMeasurer()
    : m_device(1, 1, QImage::Format_ARGB32), m_toPoints(72.0 / MeasureDpi)
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
    return entry(f).fm->horizontalAdvance(text) * m_toPoints;
}

QString TextMeasurer::cut(const ReportFont& f, const QString& line, double w)
{
    if (width(f, line) <= w)
        return line;
    qsizetype lo = 0, hi = line.size();
    while (lo < hi) {
        const qsizetype mid = (lo + hi + 1) / 2;
        if (width(f, line.left(mid)) <= w)
            lo = mid;
        else
            hi = mid - 1;
    }
    // Never split a surrogate pair.
    if (lo > 0 && line.at(lo - 1).isHighSurrogate())
        --lo;
    return line.left(lo);
}

QStringList TextMeasurer::wrap(const ReportFont& f, const QString& line, double w)
{
    QStringList out;
    if (width(f, line) <= w) {
        out << line;
        return out;
    }
    const QStringList words = line.split(u' ');
    QString current;
    for (const QString& word : words) {
        const QString candidate = current.isEmpty() ? word : current + u' ' + word;
        if (width(f, candidate) <= w) {
            current = candidate;
            continue;
        }
        if (!current.isEmpty())
            out << current;
        current = word;
        while (width(f, current) > w) {
            QString head = cut(f, current, w);
            if (head.isEmpty())
                head = current.left(1);
            out << head;
            current = current.mid(head.size());
        }
    }
    if (!current.isEmpty() || out.isEmpty())
        out << current;
    return out;
}

} // namespace tikkeli
