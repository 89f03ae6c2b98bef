#include "ui/FullGlyphStyle.h"

#include <QFontMetrics>
#include <QStyleOptionViewItem>
#include <algorithm>

namespace tikkeli {

namespace {

// The letters that reach highest and lowest in the fonts Finnish text is set in.
const QString& tallLetters()
{
    static const QString letters = QStringLiteral("ÅÄÖÉÜÕÂÊjgpqy");
    return letters;
}

} // namespace

FullGlyphStyle::FullGlyphStyle(const QString& baseStyle) : QProxyStyle(baseStyle) {}

int GlyphOvershoot(const QFont& font)
{
    const QFontMetrics fm(font);
    const QRect ink = fm.tightBoundingRect(tallLetters());
    const int above = -ink.top() - fm.ascent();
    const int below = ink.bottom() + 1 - fm.descent();
    return std::max({0, above, below});
}

int FullGlyphRowHeight(const QFont& font)
{
    return QFontMetrics(font).height() + 2 * GlyphOvershoot(font) + 2;
}

QSize FullGlyphStyle::sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                                       const QWidget* widget) const
{
    QSize result = QProxyStyle::sizeFromContents(type, option, size, widget);
    if (type != CT_ItemViewItem)
        return result;
    const auto* item = qstyleoption_cast<const QStyleOptionViewItem*>(option);
    if (item && (item->features & QStyleOptionViewItem::HasDisplay) && !item->text.contains(QLatin1Char('\n')))
        result.setHeight(std::max(result.height(), FullGlyphRowHeight(item->font)));
    return result;
}

} // namespace tikkeli
