#pragma once

#include "printing/ReportDocument.h"

#include <QMarginsF>

#include <memory>

namespace tikkeli {

// The pages a template print lays its table onto: A4 with the report margins of the settings.
// Prepare starts a new, empty document; Surface is where DataPrinter lays its pages.
class DataPrinterLayout {
public:
    // orientation: DataPrinterSettings' 1 portrait, 2 landscape.
    void Prepare(int orientation);
    // The paper's width in millimetres in that orientation.
    static double PaperWidthMm(int orientation);
    ReportDocument& Surface() { return *m_doc; }
    const QMarginsF& margins() const { return m_margins; }
    // The finished pages; the layout holds nothing afterwards.
    std::shared_ptr<const ReportDocument> take();

private:
    std::shared_ptr<ReportDocument> m_doc = std::make_shared<ReportDocument>();
    QMarginsF m_margins;
};

} // namespace tikkeli
