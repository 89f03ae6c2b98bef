#include "maps/MapPrintLayout.h"

#include "base/NumericText.h"
#include "maps/MapScale.h"
#include "maps/MapUnits.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tikkeli {

namespace {

// 100 twips of a printer, in mm.
constexpr double HundredTwipsMm = 100.0 * 25.4 / 1440.0;

bool usable(double v)
{
    return std::isfinite(v) && v > 0;
}

} // namespace

std::optional<MapPrintBase> MapPrintBaseFor(qint32 scale, double pixelRatio)
{
    if (IsPixelScale(scale))
        return MapPrintBase{10000.0, 10.0 * map::TwipsPerPixel / -scale};
    if (scale <= 0 || !usable(pixelRatio))
        return std::nullopt;
    return MapPrintBase{double(scale), pixelRatio};
}

MapPrintRefusal MapPrintRefusalFor(qint32 scale, double pixelRatio, QSizeF pictureTwips)
{
    if (!usable(pictureTwips.width()) || !usable(pictureTwips.height()))
        return MapPrintRefusal::NoPicture;
    if (!IsPixelScale(scale) && scale <= 0)
        return MapPrintRefusal::ScaleUndefined;
    if (!MapPrintBaseFor(scale, pixelRatio))
        return MapPrintRefusal::RatioUndefined;
    return MapPrintRefusal::None;
}

QString MapPrintRefusalText(MapPrintRefusal refusal)
{
    switch (refusal) {
    case MapPrintRefusal::None: return {};
    case MapPrintRefusal::NoPicture: return QStringLiteral("Kartalla ei ole kuvaa.");
    case MapPrintRefusal::RatioUndefined:
        return QStringLiteral("Kartan mittasuhdetta ei ole määrätty. Määrää se ensin kohdasta Skannattu "
                              "karttakuva – Määrää kartan mittasuhteet.");
    case MapPrintRefusal::ScaleTooLarge:
        return QStringLiteral("Karttakuva on liian suuri tulostettavaksi tälle paperille: koko kartta ei mahdu "
                              "paperille millään mittakaavalla. Tarkista kartan mittakaava ja mittasuhteet.");
    case MapPrintRefusal::ScaleUndefined: break;
    }
    return QStringLiteral("Kartan mittakaavaa ei ole määritelty. Aseta mittakaava tai pikselikoko Tiedosto-valikosta.");
}

std::optional<qint32> ReadMapPrintScale(const QString& text, QString* why)
{
    const auto n = WholeNumberText32(text);
    if (n && *n >= 1)
        return n;
    if (why)
        *why = n ? QStringLiteral("Mittakaavan pitää olla suurempi kuin nolla.")
                 : QStringLiteral("Mittakaavan pitää olla numeromuodossa.");
    return std::nullopt;
}

double MapTitleBandMm(double textHeightMm)
{
    return textHeightMm + HundredTwipsMm;
}

std::optional<qint32> MapFitScale(const MapPrintBase& base, QSizeF pictureTwips, QSizeF printableMm, double bandMm)
{
    const double ph = printableMm.height() - bandMm;
    if (!usable(base.B) || !usable(base.R) || !usable(pictureTwips.width()) || !usable(pictureTwips.height())
        || !usable(printableMm.width()) || !usable(ph))
        return std::nullopt;
    const double mw = pictureTwips.width() / base.R;
    const double mh = pictureTwips.height() / base.R;
    // Half to even, as the rest of the program rounds a typed or computed whole number.
    const double n = std::nearbyint(base.B * std::max(mw / printableMm.width(), mh / ph));
    if (!std::isfinite(n) || n < 1 || n > double(std::numeric_limits<qint32>::max()))
        return std::nullopt;
    return qint32(n);
}

QPointF MapPrintLayout::pagePointMm(QPointF pictureTwips) const
{
    return QPointF((pictureTwips.x() - startTwips.x()) * mmPerTwip, (pictureTwips.y() - startTwips.y()) * mmPerTwip + topMm);
}

QRectF MapPrintLayout::pictureRectMm() const
{
    return QRectF(0, topMm, shownTwips.width() * mmPerTwip, shownTwips.height() * mmPerTwip);
}

MapPrintLayout LayoutMapPrint(const MapPrintRequest& request, QSizeF printableMm)
{
    MapPrintLayout layout;
    const double wi = request.pictureTwips.width();
    const double hi = request.pictureTwips.height();
    if (!usable(request.base.B) || !usable(request.base.R) || request.N <= 0 || !usable(wi) || !usable(hi))
        return layout;
    layout.mmPerTwip = request.base.B / (double(request.N) * request.base.R);
    layout.widthMm = wi * layout.mmPerTwip;
    layout.heightMm = hi * layout.mmPerTwip;
    layout.topMm = std::max(0.0, request.bandMm);
    // How many picture twips the printable area holds across and below the band.
    const double spanX = std::max(0.0, printableMm.width()) / layout.mmPerTwip;
    const double spanY = std::max(0.0, printableMm.height() - layout.topMm) / layout.mmPerTwip;
    double sx = 0;
    double sy = 0;
    if (!request.wholeMap) {
        // Centred on what the window shows, pulled back so that the page stays filled up to the
        // picture's right and bottom edges; a picture smaller than the page starts at its edge.
        sx = std::max(0.0, std::min(request.centreTwips.x() - spanX / 2, wi - spanX));
        sy = std::max(0.0, std::min(request.centreTwips.y() - spanY / 2, hi - spanY));
    }
    layout.startTwips = QPointF(sx, sy);
    layout.shownTwips = QSizeF(std::min(wi - sx, spanX), std::min(hi - sy, spanY));
    return layout;
}

} // namespace tikkeli
