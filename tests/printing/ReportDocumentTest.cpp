#include "printing/ReportDocument.h"
#include "printing/ReportError.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace tikkeli;

namespace {

using Item = ReportDocument::Item;

Item text(const QString& t, QRectF rect, double baseline, const char* section = "DETAIL")
{
    Item it;
    it.text = t;
    it.rect = rect;
    it.baseline = baseline;
    it.section = QLatin1String(section);
    return it;
}

} // namespace

TEST(ReportDocumentItems, EveryKindOfItemReadsBackAsItWasPut)
{
    Item bold = text(QStringLiteral("Yhteensä 1 234,50 €"), QRectF(56.5, 700.25, 98.75, 11.5), 709.5, "SUMMARY");
    bold.font.family = QStringLiteral("Arial");
    bold.font.size = 12;
    bold.font.bold = true;
    bold.color = QColor(200, 0, 0);
    Item line;
    line.kind = Item::Kind::Line;
    line.line = QLineF(10, 20, 300, 20);
    line.penWidth = 0.8;
    line.section = QStringLiteral("HEADER");
    Item box;
    box.kind = Item::Kind::Box;
    box.rect = QRectF(40, 500, 0.75, 36);
    box.penWidth = 0;
    box.fill = Qt::black;
    box.section = QStringLiteral("GF1");
    Item image;
    image.kind = Item::Kind::Image;
    image.rect = QRectF(400, 30, 120, 60);
    image.image = std::make_shared<const QImage>(4, 2, QImage::Format_RGB32);
    Item code;
    code.kind = Item::Kind::BarCode;
    code.rect = QRectF(22.7, 56.69, 283.46, 34.02);
    code.bars = {{0, 0.02}, {0.03, 0.01}, {0.5, 0.04}, {0.98, 0.02}};
    code.color = Qt::darkBlue;
    code.section = QStringLiteral("GF2");
    const Item plain = text(QStringLiteral("Öhman Örjan"), QRectF(28.35, 100, 60.1, 11.5), 109.2);
    const Item empty = text(QString(), QRectF(28.35, 111.5, 0, 11.5), 120.7);

    Item dashed = line; // lines are kept in a compact form of their own
    dashed.line = QLineF(12.25, 700.5, 12.25, 800.75);
    dashed.penWidth = 0.35;
    dashed.color = Qt::gray;
    const ReportDocument::ItemList list{bold, line, box, plain, image, code, dashed, empty};
    const std::vector<Item> put{bold, line, box, plain, image, code, dashed, empty};
    ASSERT_EQ(list.size(), put.size());
    for (size_t i = 0; i < put.size(); ++i) {
        SCOPED_TRACE(i);
        const Item got = list[i];
        const Item& want = put[i];
        EXPECT_EQ(got.kind, want.kind);
        EXPECT_EQ(got.text, want.text);
        EXPECT_EQ(got.section, want.section);
        EXPECT_EQ(got.color, want.color);
        EXPECT_NEAR(got.rect.left(), want.rect.left(), 1e-4);
        EXPECT_NEAR(got.rect.top(), want.rect.top(), 1e-4);
        EXPECT_NEAR(got.rect.width(), want.rect.width(), 1e-4);
        EXPECT_NEAR(got.rect.height(), want.rect.height(), 1e-4);
        if (want.kind == Item::Kind::Text) {
            EXPECT_EQ(got.font, want.font);
            EXPECT_NEAR(got.baseline, want.baseline, 1e-4);
        } else {
            EXPECT_EQ(got.line, want.line);
            EXPECT_EQ(got.penWidth, want.penWidth);
            EXPECT_EQ(got.fill, want.fill);
            EXPECT_EQ(got.image, want.image);
            ASSERT_EQ(got.bars.size(), want.bars.size());
            for (size_t b = 0; b < want.bars.size(); ++b) {
                EXPECT_EQ(got.bars[b].x, want.bars[b].x);
                EXPECT_EQ(got.bars[b].width, want.bars[b].width);
            }
        }
    }
    // Read in order through the iterators as well.
    const auto boxAt = std::find_if(list.begin(), list.end(), [](const Item& it) { return it.kind == Item::Kind::Box; });
    ASSERT_NE(boxAt, list.end());
    EXPECT_EQ(boxAt - list.begin(), 2);
    EXPECT_EQ(boxAt->section, QStringLiteral("GF1"));
}

TEST(ReportDocumentItems, NewTextReplacesOneLineAndLeavesTheOthers)
{
    struct Case {
        QString before;
        QString after;
    } cases[] = {
        {QStringLiteral("Sivu \uE000 / \uE001"), QStringLiteral("Sivu 12 / 11112")},
        {QStringLiteral("Sivu \uE000 / \uE001"), QStringLiteral("1")},
        {QString(70000, u'x'), QStringLiteral("lyhyt")}, // a line longer than a small record counts
        {QStringLiteral("lyhyt"), QString(70000, u'y')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.after.left(20).toStdString());
        ReportDocument::ItemList list;
        list.push_back(text(QStringLiteral("ennen"), QRectF(10, 10, 30, 12), 20));
        list.push_back(text(c.before, QRectF(10, 30, 80, 12), 40, "FOOTER"));
        list.push_back(text(QStringLiteral("jälkeen"), QRectF(10, 50, 30, 12), 60));
        EXPECT_EQ(list[1].text, c.before);
        list.setText(1, c.after, 120.5, 44.25);
        list.squeeze();
        EXPECT_EQ(list[0].text, QStringLiteral("ennen"));
        EXPECT_EQ(list[1].text, c.after);
        EXPECT_EQ(list.text(1), c.after);
        EXPECT_EQ(list[1].section, QStringLiteral("FOOTER"));
        EXPECT_NEAR(list[1].rect.left(), 120.5, 1e-4);
        EXPECT_NEAR(list[1].rect.width(), 44.25, 1e-4);
        EXPECT_NEAR(list[1].rect.top(), 30, 1e-4);
        EXPECT_NEAR(list[1].baseline, 40, 1e-4);
        EXPECT_EQ(list[2].text, QStringLiteral("jälkeen"));
    }
}

TEST(ReportDocumentItems, APageOfManyColoursKeepsEachItemsOwn)
{
    ReportDocument::ItemList list;
    for (int i = 0; i < 1000; ++i) {
        Item it = text(QString::number(i), QRectF(10, i, 20, 12), i + 9);
        it.color = QColor::fromRgb(QRgb(0x010203 * (i % 300)));
        it.font.size = 6 + i % 7;
        list.push_back(it);
    }
    for (int i = 0; i < 1000; ++i) {
        SCOPED_TRACE(i);
        const Item got = list[size_t(i)];
        EXPECT_EQ(got.text, QString::number(i));
        EXPECT_EQ(got.color, QColor::fromRgb(QRgb(0x010203 * (i % 300))));
        EXPECT_EQ(got.font.size, 6 + i % 7);
    }
}

TEST(ReportDocumentItems, APageOfMoreStylesThanARecordCanNameIsRefusedNotCrashed)
{
    ReportDocument::ItemList list;
    Item it = text(QStringLiteral("x"), QRectF(0, 0, 5, 12), 9);
    for (int i = 0; i < 65536; ++i) {
        it.color = QColor::fromRgb(QRgb(i));
        list.push_back(it);
    }
    it.color = QColor::fromRgb(QRgb(65536));
    try {
        list.push_back(it);
        ADD_FAILURE() << "no error";
    } catch (const ReportException& e) {
        EXPECT_EQ(e.number(), 20525);
    }
    EXPECT_EQ(list.size(), 65536u);
    EXPECT_EQ(list[65535].color, QColor::fromRgb(QRgb(65535)));
}

TEST(ReportDocumentItems, FindAndPageLinesReadTheTextsBack)
{
    ReportDocument doc;
    doc.pages.push_back({{text(QStringLiteral("Aho"), QRectF(10, 10, 20, 12), 20),
                          text(QStringLiteral("Antti"), QRectF(40, 10, 20, 12), 20.2),
                          text(QStringLiteral("Björk"), QRectF(10, 30, 20, 12), 40)}});
    doc.pages.push_back({{text(QStringLiteral("Aho"), QRectF(10, 50, 20, 12), 60, "FOOTER")}});
    EXPECT_EQ(doc.pageLines(0), (QStringList{"Aho Antti", "Björk"}));
    const auto found = doc.find(QStringLiteral("Aho"));
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[1].first, 1);
    EXPECT_EQ(found[1].second.section, QStringLiteral("FOOTER"));
    EXPECT_EQ(doc.sectionTexts(1, QStringLiteral("FOOTER")), QStringList{QStringLiteral("Aho")});
}
