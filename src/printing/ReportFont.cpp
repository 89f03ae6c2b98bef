#include "printing/ReportFont.h"

#include <QHash>

namespace tikkeli {

ReportFont ReportFont::patched(const Patch& p) const
{
    ReportFont f = *this;
    if (p.family)
        f.family = *p.family;
    if (p.size)
        f.size = *p.size;
    if (p.bold)
        f.bold = *p.bold;
    if (p.italic)
        f.italic = *p.italic;
    if (p.underline)
        f.underline = *p.underline;
    if (p.strikeOut)
        f.strikeOut = *p.strikeOut;
    return f;
}

QFont ReportFont::toQFont(double pointSize) const
{
    QFont f(family);
    f.setPointSizeF(pointSize > 0 ? pointSize : 1.0);
    f.setBold(bold);
    f.setItalic(italic);
    f.setUnderline(underline);
    f.setStrikeOut(strikeOut);
    // Layout measures once and paints on devices of any resolution: hinting would make the
    // widths depend on the device.
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setKerning(true);
    return f;
}

size_t qHash(const ReportFont& f, size_t hashSeed)
{
    return qHashMulti(hashSeed, f.family, f.size, f.bold, f.italic, f.underline, f.strikeOut);
}

} // namespace tikkeli
