#pragma once

#include "printing/ReportFont.h"

#include <QFontMetricsF>
#include <QHash>
#include <QImage>
#include <QStringList>
#include <memory>
#include <utility>
#include <vector>

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

    // A line as laid out, with its advance: measured while fitting, so never measured again.
    struct Fitted {
        QString text;
        double width = 0;
    };

    const Metrics& metrics(const ReportFont& f);
    double width(const ReportFont& f, const QString& text);
    // The line broken at blanks (inside over-long words where it must) into lines of at most width.
    std::vector<Fitted> wrap(const ReportFont& f, const QString& line, double width);
    // The longest start of the line that fits in width.
    Fitted cut(const ReportFont& f, const QString& line, double width);

private:
    struct Entry {
        std::unique_ptr<QFontMetricsF> fm;
        Metrics m;
        // Advances of whole texts met before: a form printed thousands of times repeats its
        // labels on every page, and shaping a text costs far more than looking it up.
        QHash<QString, double> widths;
        // Texts wrapped before, with the width they were wrapped to.
        QHash<QString, std::pair<double, std::vector<Fitted>>> wrapped;
    };
    Entry& entry(const ReportFont& f);
    std::vector<Fitted> wrapAnew(const ReportFont& f, const QString& line, double width);
    // The parts of a text tried while fitting it are measured without being remembered.
    double uncachedWidth(const ReportFont& f, const QString& text);
    // How many characters from the start of text fit in width, and their advance.
    std::pair<qsizetype, double> fittingLength(const ReportFont& f, QStringView text, double width);

    QImage m_device;
    double m_toPoints;
    QHash<ReportFont, std::shared_ptr<Entry>> m_cache;
};

} // namespace tikkeli
