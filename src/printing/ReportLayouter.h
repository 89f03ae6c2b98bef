#pragma once

#include "base/Clock.h"
#include "base/Value.h"
#include "printing/ReportDefinition.h"
#include "printing/PageSink.h"
#include "printing/ReportDocument.h"
#include "printing/ReportRows.h"

#include <QDate>
#include <QHash>
#include <QMarginsF>
#include <QStringList>
#include <optional>
#include <vector>

namespace tikkeli {

// Lays a report's rows out into pages: bands one after another down the page body, a new page
// when a band does not fit, page header and footer on every page, group headers and footers at
// group changes with their sums and counts, page numbers with the page count, or a label grid.
class ReportLayouter {
public:
    using Row = std::vector<Value>;

    struct Options {
        std::optional<QMarginsF> margins; // points; the definition's own margins when unset
        QStringList sectionFonts;         // "SECTION;font;size;italic;underline;strike;weight"
        QHash<QString, QString> formulas; // lower-case name → value
        QDate printDate = Today();
    };

    // Throws ReportException 20515 for a section-font text that breaks the syntax.
    ReportLayouter(const ReportDefinition& definition, Options options);
    ~ReportLayouter();

    ReportDocument layout(const std::vector<Row>& rows);
    ReportDocument layout(ReportRows& rows);
    // Hands each page to the sink as it is finished (begin, the pages, end), so that the pages
    // are never all held at once, and returns how many there were. A report that prints the page
    // count is laid out whole first, and each page let go once handed on.
    int layout(ReportRows& rows, PageSink& sink);

    // The section and font patch of one section-font text; nullopt for "".
    static std::optional<std::pair<QString, ReportFont::Patch>> parseSectionFont(const QString& text);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace tikkeli
