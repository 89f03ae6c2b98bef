#pragma once

#include "printing/ReportDocument.h"

namespace tikkeli {

// Takes a report's pages one at a time as they are laid out, so that a long print never holds
// them all: the PDF file and the printer paint each page and let it go.
class PageSink {
public:
    virtual ~PageSink() = default;
    // Before the first page: the report's title, page size and orientation (it holds no pages).
    virtual void begin(const ReportDocument& report) = 0;
    // The next finished page; it is let go when this returns.
    virtual void page(const ReportDocument::Page& page) = 0;
    // After the last page.
    virtual void end() = 0;

    // Hands the pages of a document laid out whole to a sink.
    static void feed(const ReportDocument& doc, PageSink& sink)
    {
        sink.begin(doc.header());
        for (const ReportDocument::Page& p : doc.pages)
            sink.page(p);
        sink.end();
    }
};

} // namespace tikkeli
