#pragma once

#include <QFont>
#include <QString>
#include <optional>

namespace tikkeli {

// A resolved font of a report item. Sizes are in points.
struct ReportFont {
    QString family = QStringLiteral("Times New Roman");
    double size = 10.0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;

    // A partial font: the fields given override those of the font it is applied to. Report,
    // band, item and section fonts are all patches laid over each other in that order.
    struct Patch {
        std::optional<QString> family;
        std::optional<double> size;
        std::optional<bool> bold;
        std::optional<bool> italic;
        std::optional<bool> underline;
        std::optional<bool> strikeOut;
        bool isEmpty() const { return !family && !size && !bold && !italic && !underline && !strikeOut; }
    };

    ReportFont patched(const Patch& p) const;
    // A QFont at the given point size (painting on a device scales the size itself).
    QFont toQFont(double pointSize) const;
    QFont toQFont() const { return toQFont(size); }

    bool operator==(const ReportFont&) const = default;
};

size_t qHash(const ReportFont& f, size_t hashSeed = 0);

} // namespace tikkeli
