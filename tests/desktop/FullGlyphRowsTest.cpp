#include "ui/FullGlyphStyle.h"
#include "ui/FullGlyphTextBoxes.h"

#include <QApplication>
#include <QImage>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <memory>

using namespace tikkeli;

namespace {

// The desktop's default font on Debian 12.
QFont desktopFont()
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPointSize(9);
    return f;
}

bool isInk(QRgb pixel, QRgb background)
{
    return std::abs(qGray(pixel) - qGray(background)) > 40;
}

// The first and last pixel rows of [top, bottom) that hold ink between columns left and right.
std::pair<int, int> inkRows(const QImage& img, int top, int bottom, int left, int right, QRgb background)
{
    int first = -1, last = -1;
    for (int y = std::max(0, top); y < std::min(bottom, img.height()); ++y)
        for (int x = std::max(0, left); x < std::min(right, img.width()); ++x)
            if (isInk(img.pixel(x, y), background)) {
                if (first < 0)
                    first = y;
                last = y;
                break;
            }
    return {first, last};
}

// How many pixel rows the ink of text covers when drawn with nothing to clip it.
int freeInkHeight(const QString& text, const QFont& font, qreal scale)
{
    QImage img(QSize(300, 120) * scale, QImage::Format_ARGB32);
    img.setDevicePixelRatio(scale);
    img.fill(Qt::white);
    {
        QPainter p(&img);
        p.setFont(font);
        p.setPen(Qt::black);
        p.drawText(QPointF(10, 60), text);
    }
    const auto [first, last] = inkRows(img, 0, img.height(), 0, img.width(), qRgb(255, 255, 255));
    return last - first + 1;
}

QImage renderAt(QWidget* w, qreal scale)
{
    QImage img(w->size() * scale, QImage::Format_ARGB32);
    img.setDevicePixelRatio(scale);
    img.fill(w->palette().color(QPalette::Base));
    w->render(&img);
    return img;
}

class FullGlyphRows : public ::testing::TestWithParam<qreal> {
protected:
    void SetUp() override
    {
        m_oldStyle = QApplication::style()->name();
        QApplication::setStyle(new FullGlyphStyle);
    }
    void TearDown() override { QApplication::setStyle(m_oldStyle); }

    // Each row of the view: its text's ink lies inside the row, clear of its edges, and is as
    // tall as the same text drawn freely (nothing of the ring or the dots is cut off).
    template <typename View, typename RowRect>
    void expectWholeRows(View* view, const QStringList& texts, RowRect rowRect)
    {
        const qreal scale = GetParam();
        QWidget* viewport = view->viewport();
        const QImage img = renderAt(viewport, scale);
        const QRgb background = viewport->palette().color(QPalette::Base).rgb();
        for (int i = 0; i < texts.size(); ++i) {
            const QRect row = rowRect(i);
            ASSERT_TRUE(row.isValid()) << texts[i].toStdString();
            const int top = qRound(row.top() * scale);
            const int bottom = qRound((row.bottom() + 1) * scale);
            const auto [first, last] = inkRows(img, top, bottom, 0, qRound(row.right() * scale), background);
            ASSERT_GE(first, 0) << texts[i].toStdString() << " drew nothing";
            EXPECT_GT(first, top) << texts[i].toStdString() << " touches the top of its row at scale " << scale;
            EXPECT_LT(last, bottom - 1) << texts[i].toStdString() << " touches the bottom of its row";
            EXPECT_GE(last - first + 1, freeInkHeight(texts[i], view->font(), scale) - 1)
                << texts[i].toStdString() << " lost part of its accents at scale " << scale;
        }
    }

    QString m_oldStyle;
};

const QStringList kNames = {QStringLiteral("Åberg"), QStringLiteral("Öhman"), QStringLiteral("Élise Ärjä")};

} // namespace

TEST_P(FullGlyphRows, TreeRowsHoldTheRingAndTheDots)
{
    QTreeWidget tree;
    tree.setHeaderHidden(true);
    tree.setFont(desktopFont());
    tree.setUniformRowHeights(true);
    auto* top = new QTreeWidgetItem(&tree, QStringList{QStringLiteral("Jäsenet")});
    for (const QString& n : kNames)
        new QTreeWidgetItem(top, QStringList{n});
    tree.expandAll();
    tree.resize(240, 160);
    tree.show();
    expectWholeRows(&tree, kNames, [&](int i) { return tree.visualItemRect(top->child(i)); });
}

TEST_P(FullGlyphRows, ListRowsHoldTheRingAndTheDots)
{
    QListWidget list;
    list.setFont(desktopFont());
    list.addItems(kNames);
    list.setFocusPolicy(Qt::NoFocus);
    list.setCurrentRow(-1);
    list.resize(240, 160);
    list.show();
    expectWholeRows(&list, kNames, [&](int i) { return list.visualItemRect(list.item(i)); });
}

// Repainting one line of a multi-line box must not wipe the accents of the line below it.
TEST_P(FullGlyphRows, MultiLineBoxRepaintingOneLineKeepsTheAccentsBelow)
{
    FullGlyphTextBoxes::install();
    const qreal scale = GetParam();
    QPlainTextEdit box;
    box.setFont(desktopFont());
    box.setPlainText(QStringLiteral("Åberg Öhman\nÖhman Åberg\nÉlise Åkerlund"));
    box.resize(240, 100);
    box.show();
    QWidget* viewport = box.viewport();
    const QImage whole = renderAt(viewport, scale);

    const QRect firstLine = box.cursorRect(QTextCursor(box.document()->begin()));
    QImage partly = whole.copy();
    partly.setDevicePixelRatio(scale);
    const QRect part(0, 0, viewport->width(), firstLine.bottom() + 1);
    viewport->render(&partly, QPoint(), QRegion(part));
    for (int y = 0; y < qRound(part.height() * scale); ++y)
        for (int x = 0; x < partly.width(); ++x)
            ASSERT_EQ(partly.pixel(x, y), whole.pixel(x, y)) << "pixel " << x << "," << y << " at scale " << scale;
}

INSTANTIATE_TEST_SUITE_P(Scales, FullGlyphRows, ::testing::Values(1.0, 1.5));

TEST(FullGlyphRowHeight, CoversTheTallLettersOfTheDesktopFontsAtTheirSizes)
{
    for (const char* family : {"DejaVu Sans", "Liberation Sans", "Liberation Serif"})
        for (int points : {8, 9, 10, 11, 14}) {
            QFont f(QString::fromLatin1(family));
            f.setPointSize(points);
            const QRect ink = QFontMetrics(f).tightBoundingRect(QStringLiteral("ÅÖÉgj"));
            // Centred in the row, the text box leaves (row - height) / 2 above its ascent.
            const int room = (FullGlyphRowHeight(f) - QFontMetrics(f).height()) / 2;
            EXPECT_GE(QFontMetrics(f).ascent() + room, -ink.top() + 1) << family << " " << points;
            EXPECT_GE(QFontMetrics(f).descent() + room, ink.bottom() + 1) << family << " " << points;
        }
}
