#pragma once

#include "printing/ReportFont.h"

#include <QFontMetricsF>
#include <QHash>
#include <QImage>
#include <QStringList>
#include <memory>

namespace tikkeli {

// Text metrics in points, taken at a fixed high resolution so that the layout does not depend
// on the screen and matches what a printer or a PDF file draws.
class TextMeasurer {
public:
    struct Metrics {
        double ascent = 0;
        double descent = 0;
        double lineSpacing = 0;
    };

    TextMeasurer();
    ~TextMeasurer();

    const Metrics& metrics(const ReportFont& f);
    double width(const ReportFont& f, const QString& text);
    // The line broken at blanks (inside over-long words where it must) into lines of at most width.
    QStringList wrap(const ReportFont& f, const QString& line, double width);
    // The longest start of the line that fits in width.
    QString cut(const ReportFont& f, const QString& line, double width);

private:
    struct Entry {
        std::unique_ptr<QFontMetricsF> fm;
        Metrics m;
    };
    Entry& entry(const ReportFont& f);
    // How many characters from the start of text fit in width.
    qsizetype fittingLength(const ReportFont& f, QStringView text, double width);

    QImage m_device;
    double m_toPoints;
    QHash<ReportFont, std::shared_ptr<Entry>> m_cache;
};

} // namespace tikkeli
