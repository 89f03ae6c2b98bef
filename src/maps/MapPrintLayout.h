#pragma once

#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QtGlobal>
#include <optional>

namespace tikkeli {

// What a map print needs to know of the paper, in millimetres: the sheet, and where on it the
// printer can put ink. Tests hand in made-up sheets; the window reads them from the printer setup.
struct MapPrinterMetrics {
    QSizeF pageMm;
    QRectF printableMm; // from the sheet's top left corner
};

// A map printed as a map at 1:B whose picture holds R picture twips in each millimetre of that map.
struct MapPrintBase {
    double B = 0;
    double R = 0;
};

// Why a map cannot be printed at all: said before the print dialog opens, since every number the
// dialog offers would come from a division by the missing value.
enum class MapPrintRefusal { None, NoPicture, ScaleUndefined, RatioUndefined, ScaleTooLarge };

// Pixel maps (-1, -2, -4 metres per pixel) print as 1:10000 maps holding 10, 5 or 2.5 pixels a
// millimetre; a scanned map prints at its own scale with its measured ratio.
std::optional<MapPrintBase> MapPrintBaseFor(qint32 scale, double pixelRatio);
MapPrintRefusal MapPrintRefusalFor(qint32 scale, double pixelRatio, QSizeF pictureTwips);
QString MapPrintRefusalText(MapPrintRefusal refusal);

// The print scale 1:N typed into the print dialog, read as every typed whole number is read
// (WholeNumberText32: decimal comma, a half to the even neighbour). Empty, no number, or a number
// below 1 gives nothing, with the reason in *why.
std::optional<qint32> ReadMapPrintScale(const QString& text, QString* why = nullptr);

// Height of the title band of a pixel map, in mm: a line of the title's font and 100 printer
// twips of air. Scanned maps carry their title over the picture and have no band.
double MapTitleBandMm(double textHeightMm);

// The denominator at which the whole picture fits the printable area below the band, rounded half
// to even; nothing when it does not fit a 32-bit number or an input is unusable.
std::optional<qint32> MapFitScale(const MapPrintBase& base, QSizeF pictureTwips, QSizeF printableMm, double bandMm);

struct MapPrintRequest {
    MapPrintBase base;
    qint64 N = 0;         // printed at 1:N
    QSizeF pictureTwips;  // Wi, Hi
    double bandMm = 0;    // title band of a pixel map, 0 for none
    bool wholeMap = true; // false: around centreTwips
    QPointF centreTwips;  // centre of the area the window shows
};

// Where the picture lands on the page, in mm from the printable area's top left corner. The
// picture is always printed at exactly 1:N; the band only moves its top down.
struct MapPrintLayout {
    double widthMm = 0;   // W: the whole picture at 1:N
    double heightMm = 0;  // H
    double topMm = 0;     // where the picture starts below the band
    QPointF startTwips;   // the picture point printed at (0, top)
    QSizeF shownTwips;    // how much of the picture from startTwips fits the printable area
    double mmPerTwip = 0; // B / (N R): one picture twip on the paper

    QPointF pagePointMm(QPointF pictureTwips) const;
    // The printed part of the picture, in mm from the printable area's corner.
    QRectF pictureRectMm() const;
};

MapPrintLayout LayoutMapPrint(const MapPrintRequest& request, QSizeF printableMm);

} // namespace tikkeli
