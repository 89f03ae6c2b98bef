#include "lists/DataPrinterLayout.h"

#include "base/SharedState.h"
#include "lists/DataPrinterSettings.h"
#include "printing/ReportDefinition.h"

namespace tikkeli {

namespace {

// A margin of the settings (in units of 48 twips, i.e. 2.4 points); 15 mm where none is set.
double marginPoints(qint16 setting)
{
    return setting > 0 ? setting * 2.4 : 15 * ReportDefinition::PointsPerMm;
}

} // namespace

void DataPrinterLayout::Prepare(int orientation)
{
    m_doc = std::make_shared<ReportDocument>();
    QSizeF size = QPageSize(QPageSize::A4).size(QPageSize::Millimeter) * ReportDefinition::PointsPerMm;
    m_doc->orientation = QPageLayout::Portrait;
    if (orientation == DataPrinterSettings::Landscape) {
        size.transpose();
        m_doc->orientation = QPageLayout::Landscape;
    }
    m_doc->pageSize = size;
    const SharedState& s = State();
    m_margins = QMarginsF(marginPoints(s.MarginLeft), marginPoints(s.MarginTop), marginPoints(s.MarginRight),
                          marginPoints(s.MarginBottom));
}

double DataPrinterLayout::PaperWidthMm(int orientation)
{
    const QSizeF size = QPageSize(QPageSize::A4).size(QPageSize::Millimeter);
    return orientation == DataPrinterSettings::Landscape ? size.height() : size.width();
}

std::shared_ptr<const ReportDocument> DataPrinterLayout::take()
{
    auto doc = std::move(m_doc);
    m_doc = std::make_shared<ReportDocument>();
    return doc;
}

} // namespace tikkeli
