#pragma once

#include <QObject>

namespace tikkeli {

// A multi-line box lays its lines at the font's line spacing, so the ring of Å and the dots of Ö
// reach into the line above. When the box repaints only part of itself (typing, moving the
// cursor, scrolling), it repaints the lines inside that part, and the accents of the line just
// below the part are painted over and lost. Installed on the application, this filter has every
// multi-line box repaint its lines a glyph overshoot beyond the part, so accents are redrawn.
class FullGlyphTextBoxes : public QObject {
    Q_OBJECT
public:
    explicit FullGlyphTextBoxes(QObject* parent = nullptr);

    // Installs one filter for the whole application (parented to it).
    static void install();

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool m_repainting = false;
};

} // namespace tikkeli
