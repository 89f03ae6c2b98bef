#pragma once

#include <QProxyStyle>

class QFont;

namespace tikkeli {

// Trees, lists and tables draw each row as high as the font's ascent plus descent, but capitals
// with a ring or dots (Å, Ö, É) reach above the ascent in common desktop fonts (DejaVu Sans 9 pt:
// two pixels), so a row clips them and Å reads as Ä, Ö as O. This style, set for the whole program,
// gives every item row room for the full height of those letters; the rest is the desktop's style.
class FullGlyphStyle : public QProxyStyle {
    Q_OBJECT
public:
    // Wraps the style named baseStyle (as QStyleFactory knows it); empty = the desktop's default.
    explicit FullGlyphStyle(const QString& baseStyle = QString());

    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override;
};

// How far the ink of accented capitals and descenders reaches beyond the font's ascent and descent
// (the larger of the two, in pixels, at least 0).
int GlyphOvershoot(const QFont& font);
// The height of an item row that holds a line of text in font with its full glyphs: the text is
// centred, so the overshoot is added above and below, plus a pixel of air on either side.
int FullGlyphRowHeight(const QFont& font);

} // namespace tikkeli
