#include "maps/ui/MapPrinting.h"

#include "base/ErrorHandling.h"
#include "base/Prompter.h"
#include "maps/MapUnits.h"
#include "base/SharedState.h"
#include "maps/ui/frmKartanTulostus.h"
#include "printing/PrintChoices.h"
#include "printing/ReportEngine.h"
#include "printing/ReportServices.h"
#include "printing/TextMeasurer.h"
#include "printing/ui/ReportPrinting.h"
#include "printing/ui/frmTulostus.h"

#include <QPrinter>

namespace tikkeli {

MapPrinterMetrics MapPrinterMetricsOf(const QPrinter& printer)
{
    constexpr double MinimumMarginMm = 5.0;
    const QPageLayout layout = printer.pageLayout();
    MapPrinterMetrics metrics;
    metrics.pageMm = layout.fullRect(QPageLayout::Millimeter).size();
    QRectF printable = layout.paintRect(QPageLayout::Millimeter);
    const QRectF inner(MinimumMarginMm, MinimumMarginMm, metrics.pageMm.width() - 2 * MinimumMarginMm,
                       metrics.pageMm.height() - 2 * MinimumMarginMm);
    metrics.printableMm = printable.intersected(inner);
    return metrics;
}

bool PrintMap(QWidget* owner, const MapPrintSource& source)
{
    const QSizeF pictureTwips = source.picture ? QSizeF(source.picture->size()) * map::TwipsPerPixel : QSizeF();
    if (const auto refusal = MapPrintRefusalFor(source.scale, source.pixelRatio, pictureTwips);
        refusal != MapPrintRefusal::None) {
        ShowInfo(MapPrintRefusalText(refusal));
        return false;
    }
    // Where the sheet goes, as for every other print: the preview window (which also saves a PDF
    // file) or a printer, whose dialog offers a PDF file too. Asked first: the paper chosen there
    // decides the scale at which the whole map fits.
    {
        frmTulostus destination(owner);
        destination.exec();
    }
    if (Printing().PrintCancelled)
        return false;
    QPrinter printer(QPrinter::HighResolution);
    if (!MainReport().PrinterName.isEmpty())
        printer.setPrinterName(MainReport().PrinterName);
    ApplyPrinterSetup(printer);
    if (Printing().PrintDestination == ReportEngine::ToPrinter && PrinterMissing(printer)) {
        ShowInfo(PrinterMissingText());
        return false;
    }
    const MapPrinterMetrics metrics = MapPrinterMetricsOf(printer);
    TextMeasurer measurer;
    const auto maxScale = WholeMapPrintScale(source.scale, source.pixelRatio, pictureTwips, metrics, measurer);
    if (!maxScale) {
        ShowInfo(MapPrintRefusalText(MapPrintRefusal::ScaleTooLarge));
        return false;
    }

    MapPrintJob job;
    {
        frmKartanTulostus dialog(owner);
        dialog.SetMaxScale(*maxScale);
        dialog.exec();
        if (dialog.Peruttu)
            return false;
        job.title = dialog.KartanOtsake;
        job.N = dialog.Mittakaava;
        job.wholeMap = dialog.KokoKartta;
    }
    job.picture = source.picture;
    job.scale = source.scale;
    job.pixelRatio = source.pixelRatio;
    job.centreTwips = source.visibleCentreTwips;
    job.boundaries = source.boundaries;
    return ReportingErrors(QStringLiteral("Virhe tulostettaessa karttaa: "), [&] {
        auto doc = std::make_shared<const ReportDocument>(ComposeMapPrint(job, metrics, measurer));
        ResetReportFormulas();
        ReportEngine& report = MainReport();
        report.Destination = Printing().PrintDestination;
        report.CopiesToPrinter = State().PrintCopies;
        report.output(std::move(doc));
    });
}

} // namespace tikkeli
