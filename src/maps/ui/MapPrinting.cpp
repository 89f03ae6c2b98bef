#include "maps/ui/MapPrinting.h"

#include "base/ErrorHandling.h"
#include "base/Prompter.h"
#include "maps/MapUnits.h"
#include "maps/ui/frmKartanTulostus.h"
#include "printing/TextMeasurer.h"
#include "printing/ui/ReportPrinting.h"

#include <QLocale>
#include <QPrinter>
#include <cmath>
#include <limits>

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

namespace {

// The typed scale as a whole number, a half to the even neighbour; nothing unless it is a positive
// number that fits 32 bits.
std::optional<qint64> typedScale(const QString& text)
{
    bool ok = false;
    const double value = QLocale(QLocale::Finnish).toDouble(text.trimmed(), &ok);
    if (!ok)
        return std::nullopt;
    const double n = std::nearbyint(value);
    if (n < 1 || n > double(std::numeric_limits<qint32>::max()))
        return std::nullopt;
    return qint64(n);
}

} // namespace

bool PrintMap(QWidget* owner, const MapPrintSource& source)
{
    const QSizeF pictureTwips = source.picture ? QSizeF(source.picture->size()) * map::TwipsPerPixel : QSizeF();
    if (const auto refusal = MapPrintRefusalFor(source.scale, source.pixelRatio, pictureTwips);
        refusal != MapPrintRefusal::None) {
        ShowInfo(MapPrintRefusalText(refusal));
        return false;
    }
    QPrinter printer(QPrinter::HighResolution);
    ApplyPrinterSetup(printer);
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
        const auto n = typedScale(dialog.MittakaavaTeksti);
        if (!n) {
            ShowInfo(QStringLiteral("Mittakaavan pitää olla numeromuodossa."));
            return false;
        }
        job.title = dialog.KartanOtsake;
        job.N = *n;
        job.wholeMap = dialog.KokoKartta;
    }
    job.picture = source.picture;
    job.scale = source.scale;
    job.pixelRatio = source.pixelRatio;
    job.centreTwips = source.visibleCentreTwips;
    job.boundaries = source.boundaries;
    return ReportingErrors(QStringLiteral("Virhe tulostettaessa karttaa: "), [&] {
        const ReportDocument doc = ComposeMapPrint(job, metrics, measurer);
        PrintDocument(doc, printer);
    });
}

} // namespace tikkeli
