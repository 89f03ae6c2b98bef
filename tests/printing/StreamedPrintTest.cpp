#include "PrintingFixture.h"

#include "base/ReferenceNumber.h"
#include "printing/BankBarCode.h"
#include "printing/PagePainter.h"
#include "printing/ReportDefinition.h"
#include "printing/ReportError.h"
#include "printing/ReportLayouter.h"
#include "printing/ReportQuery.h"
#include "printing/TextMeasurer.h"
#include "support/FailingFileSafety.h"
#include "support/TestFiles.h"

#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>

using namespace tikkeli;

namespace {

using Item = ReportDocument::Item;

// One invoice a page, numbered at the foot, with a bank bar code: the pages go out as they are laid out.
const QByteArray InvoicePages = R"({"format": "tikkeli-report/1", "title": "Laskut",
  "page": {"size": "A4", "margins": {"top": 10, "bottom": 10, "left": 10, "right": 10}},
  "data": {"table": "jmhist", "sort": ["+{jmhist.jmhjmLaskunumero}"]},
  "groups": [{"field": "jmhist.jmhID", "newPage": true,
    "header": {"height": 40, "items": [
      {"type": "field", "field": "jmhist.jmhjmLaskunumero", "text": "Lasku ", "width": 80, "height": 8},
      {"type": "line", "x": 0, "y": 10, "x2": 190, "y2": 10},
      {"type": "barcode", "x": 8, "y": 20, "width": 100, "height": 12,
       "bankCode": {"iban": "FI49 5000 9420 0287 30", "amount": "{jmhist.jmhjmHinta}",
                    "reference": "{jmhist.jmhjmViitenumero}", "dueDate": "{jmhist.jmhjmErapaiva}"}}]}}],
  "bands": {"detail": {"height": 0},
    "pageFooter": {"height": 10, "items": [{"type": "text", "text": "Sivu {PageNumber}", "width": 190, "height": 8,
                                            "align": "right"}]}}})";

// The same with the page count, known only at the end.
QByteArray withPageCount()
{
    return QByteArray(InvoicePages).replace("Sivu {PageNumber}", "Sivu {PageNumber} / {TotalPageCount}");
}

QImage rendered(const ReportDocument& doc)
{
    const double scale = 300.0 / 72.0;
    QImage image((doc.pageSize * scale).toSize(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    PagePainter::paint(painter, doc, 0, scale);
    return image;
}

QString pdfText(const QString& path)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

// Rows counted as the layouter reads them.
class CountedRows : public ReportRows {
public:
    explicit CountedRows(ReportRows& rows) : m_rows(rows) {}
    size_t size() const override { return m_rows.size(); }
    const Row& at(size_t i) override
    {
        ++reads;
        return m_rows.at(i);
    }
    size_t reads = 0;

private:
    ReportRows& m_rows;
};

// Keeps what it is given, with how many rows had been read when each page arrived.
class Collected : public PageSink {
public:
    explicit Collected(const CountedRows* rows = nullptr) : m_rows(rows) {}
    void begin(const ReportDocument& report) override
    {
        doc = report;
        EXPECT_TRUE(report.pages.empty());
        ++begun;
    }
    void page(const ReportDocument::Page& page) override
    {
        doc.pages.push_back(page);
        if (m_rows)
            readsAtPage.push_back(m_rows->reads);
    }
    void end() override { ++ended; }
    ReportDocument doc;
    std::vector<size_t> readsAtPage;
    int begun = 0, ended = 0;

private:
    const CountedRows* m_rows;
};

class StreamedPrintTest : public test::PrintingFixture {
protected:
    // References whose check digits hold, so that every invoice gets its bar code.
    void SetUp() override
    {
        PrintingFixture::SetUp();
        Database db = Database::open(m_dbPath);
        for (qint32 number : {1001, 1002, 1003})
            db.execute(QStringLiteral("UPDATE jmhist SET jmhjmViitenumero = ? WHERE jmhjmLaskunumero = ?"),
                       {ReferenceNumber::fromInvoiceNumber(number), number});
    }
    ReportEngine engine(const QByteArray& json) { return engineFor(writeReport(QStringLiteral("laskut.rpt"), json)); }
};

} // namespace

TEST_F(StreamedPrintTest, ABarCodeIsOneItemPaintingTheBarsTheBoxesDid)
{
    const struct {
        const char* payload;
        QRectF rect;
        QColor color;
    } cases[] = {
        {"437159030000007760000122500000000000000000011112161221", QRectF(22.7, 56.69, 283.46, 34.02), Qt::black},
        {"A1", QRectF(10, 10, 60, 20), Qt::darkBlue},
        {"4495000942002873000004550000000000000000200350270215", QRectF(100.3, 400.1, 200.7, 30.3), Qt::black},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.payload);
        const auto bars = BankBarCode::code128(QString::fromLatin1(c.payload));
        ASSERT_GT(bars.size(), 5u);
        ReportDocument compact, boxes;
        compact.pageSize = boxes.pageSize = QSizeF(595, 842);
        compact.pages.emplace_back();
        boxes.pages.emplace_back();
        Item code;
        code.kind = Item::Kind::BarCode;
        code.rect = c.rect;
        code.color = c.color;
        code.bars = bars;
        compact.pages[0].items.push_back(code);
        // What the page held before: a filled box of its own for every bar.
        for (const BankBarCode::Bar& b : bars) {
            Item box;
            box.kind = Item::Kind::Box;
            box.rect = QRectF(c.rect.left() + b.x * c.rect.width(), c.rect.top(), b.width * c.rect.width(), c.rect.height());
            box.penWidth = 0;
            box.color = box.fill = c.color;
            boxes.pages[0].items.push_back(box);
        }
        ASSERT_EQ(compact.pages[0].items.size(), 1u);
        EXPECT_EQ(compact.pages[0].items[0].bars.size(), bars.size());
        const QImage a = rendered(compact), b = rendered(boxes);
        EXPECT_EQ(a, b);
        EXPECT_NE(a, QImage(a.size(), a.format())); // something was painted
    }

    // Laid out from a report: one item per bar code, holding the bars of its payload.
    auto doc = engine(InvoicePages).layoutReport();
    ASSERT_EQ(doc->pages.size(), 3u);
    for (size_t p = 0; p < doc->pages.size(); ++p) {
        std::vector<Item> codes;
        for (const Item& it : doc->pages[p].items)
            if (it.kind == Item::Kind::BarCode)
                codes.push_back(it);
            else
                EXPECT_NE(it.kind, Item::Kind::Box);
        ASSERT_EQ(codes.size(), 1u);
        EXPECT_NEAR(codes[0].rect.width(), 100 * ReportDefinition::PointsPerMm, 1e-6);
        EXPECT_GT(codes[0].bars.size(), 50u);
    }
}

TEST_F(StreamedPrintTest, PagesGoOutAsTheyAreLaidOutAndMatchTheWholeLayout)
{
    const struct {
        const char* name;
        QByteArray json;
        bool streamed;
        const char* lastFooter;
    } cases[] = {
        {"page numbers", InvoicePages, true, "Sivu 3"},
        {"page count", withPageCount(), false, "Sivu 3 / 3"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ReportDefinition def = ReportDefinition::parse(c.json, m_dir.path(), QStringLiteral("laskut.rpt"));
        EXPECT_EQ(def.usesPageCount(), !c.streamed);
        auto whole = engine(c.json).layoutReport();
        ASSERT_EQ(whole->pages.size(), 3u);

        // The same rows through a sink.
        Database db = Database::open(m_dbPath);
        ReportDefinition editable = def;
        ReportQuery query(db, editable);
        query.build({}, {});
        auto source = query.fetchRows();
        CountedRows counted(*source);
        Collected sink(&counted);
        ReportLayouter layouter(editable, {});
        EXPECT_EQ(layouter.layout(counted, sink), 3);
        EXPECT_EQ(sink.begun, 1);
        EXPECT_EQ(sink.ended, 1);
        ASSERT_EQ(sink.doc.pages.size(), 3u);
        for (int p = 0; p < 3; ++p)
            EXPECT_EQ(sink.doc.pageLines(p), whole->pageLines(p)) << p;
        EXPECT_EQ(sink.doc.pageLines(2).last(), QString::fromLatin1(c.lastFooter));
        // Streamed, the first page is out while rows are still being read; with the page count,
        // only when all are laid out.
        EXPECT_EQ(sink.readsAtPage.front() < counted.reads, c.streamed);
    }
}

TEST_F(StreamedPrintTest, AStreamedPdfHoldsEveryPageAsTheWholeLayoutWritesIt)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "pdftotext missing (scripts/setup installs it)";
    for (const QByteArray& json : {InvoicePages, withPageCount()}) {
        ReportEngine e = engine(json);
        e.Destination = ReportEngine::ToFile;
        e.PrintFileName = m_dir.filePath(QStringLiteral("virta.pdf"));
        EXPECT_EQ(e.PrintReport(), 3);
        const QString whole = m_dir.filePath(QStringLiteral("kokonaan.pdf"));
        PagePainter::writePdf(*e.layoutReport(), whole);
        const QString text = pdfText(e.PrintFileName);
        EXPECT_EQ(text.count(QLatin1Char('\f')), 3);
        EXPECT_TRUE(text.contains(QStringLiteral("Lasku 1003")));
        EXPECT_EQ(text, pdfText(whole));
    }
}

TEST_F(StreamedPrintTest, TheEngineKeepsNoPagesAfterAPrint)
{
    ReportEngine e = engine(InvoicePages);
    std::weak_ptr<const ReportDocument> shown;
    int pages = 0;
    e.setOutputHandler([&](std::shared_ptr<const ReportDocument> doc, const ReportEngine&) {
        shown = doc;
        pages = int(doc->pages.size());
    });
    for (int destination : {ReportEngine::ToWindow, ReportEngine::ToPrinter}) {
        SCOPED_TRACE(destination);
        e.Destination = destination;
        EXPECT_EQ(e.PrintReport(), 3);
        EXPECT_EQ(pages, 3);
        EXPECT_TRUE(shown.expired());
    }

    // A page printer takes the pages one by one; the output handler sees none of them.
    struct Counter : PageSink {
        int& pages;
        explicit Counter(int& n) : pages(n) {}
        void begin(const ReportDocument&) override {}
        void page(const ReportDocument::Page&) override { ++pages; }
        void end() override {}
    };
    pages = 0;
    int printed = 0;
    e.setPagePrinter([&](const ReportEngine&) { return std::make_unique<Counter>(printed); });
    e.Destination = ReportEngine::ToPrinter;
    EXPECT_EQ(e.PrintReport(), 3);
    EXPECT_EQ(printed, 3);
    EXPECT_EQ(pages, 0);
    // A new output handler takes the printer's pages again.
    e.setOutputHandler(
        [&](std::shared_ptr<const ReportDocument> doc, const ReportEngine&) { pages = int(doc->pages.size()); });
    EXPECT_EQ(e.PrintReport(), 3);
    EXPECT_EQ(pages, 3);
    EXPECT_EQ(printed, 3);
}

TEST_F(StreamedPrintTest, AStreamedPdfThatFailsLeavesTheOldFile)
{
    const QString path = m_dir.filePath(QStringLiteral("laskut.pdf"));
    const QByteArray old = "%PDF-1.4 vanha tuloste";
    ReportEngine e = engine(InvoicePages);
    e.Destination = ReportEngine::ToFile;
    e.PrintFileName = path;
    int total = 0;
    {
        test::FailingFileSafety count;
        e.PrintReport();
        total = count.steps();
    }
    ASSERT_GE(total, 4); // create, write, flush, rename
    for (int failAt = 1; failAt <= total; ++failAt) {
        test::WriteFileBytes(path, old);
        test::FailingFileSafety files;
        files.failAt = failAt;
        files.error = ENOSPC;
        bool refused = false;
        try {
            e.PrintReport();
        } catch (const ReportException& ex) {
            refused = true;
            // The report file is read through the same checks; a failed read prints nothing.
            if (files.calls.value(failAt - 1).startsWith(QStringLiteral("read"))) {
                EXPECT_EQ(ex.number(), ReportErr::CannotOpenReport);
            } else {
                EXPECT_EQ(ex.number(), ReportErr::PrinterError);
                EXPECT_TRUE(ex.description().contains(QStringLiteral("Levy on täynnä"))) << ex.description().toStdString();
            }
        }
        const QString step = files.calls.value(failAt - 1);
        SCOPED_TRACE(step.toStdString());
        if (!refused) {
            // Only a flush of the folder after the rename comes too late to undo the print.
            EXPECT_TRUE(step.startsWith(QStringLiteral("syncfolder")));
            continue;
        }
        EXPECT_EQ(test::ReadFileBytes(path), old);
        EXPECT_EQ(QDir(m_dir.path()).entryList({QStringLiteral("laskut.pdf*")}, QDir::Files | QDir::Hidden),
                  QStringList{QStringLiteral("laskut.pdf")});
    }

    // A layout that fails half-way leaves the old file too, and no temporary file beside it.
    test::WriteFileBytes(path, old);
    const QStringList before = QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden);
    EXPECT_THROW(PagePainter::writePdf(path,
                                       [&](PageSink& sink) {
                                           ReportDocument header;
                                           header.pageSize = QSizeF(595, 842);
                                           sink.begin(header);
                                           sink.page(ReportDocument::Page{});
                                           throw ReportException(ReportErr::DatabaseError, QStringLiteral("kesken"));
                                       }),
                 ReportException);
    EXPECT_EQ(test::ReadFileBytes(path), old);
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden), before);
}

TEST(TextMeasurerMemory, RememberedWidthsAndWrapsAreThoseMeasuredAfresh)
{
    TextMeasurer reused;
    ReportFont bold;
    bold.bold = true;
    const struct {
        QString text;
        double width;
    } cases[] = {
        {QStringLiteral("Saajan tilinumero Mottagarens kontonummer"), 60},
        {QStringLiteral("Saajan tilinumero Mottagarens kontonummer"), 200}, // the same text, another width
        {QStringLiteral("Saajan tilinumero Mottagarens kontonummer"), 60},
        {QStringLiteral("Äijälä Öhman"), 30},
        {QStringLiteral("Äijälä Öhman"), 30},
    };
    for (int round = 0; round < 2; ++round)
        for (const auto& c : cases)
            for (const ReportFont& font : {ReportFont{}, bold}) {
                SCOPED_TRACE(c.text.toStdString() + " " + std::to_string(c.width));
                TextMeasurer fresh;
                EXPECT_DOUBLE_EQ(reused.width(font, c.text), fresh.width(font, c.text));
                const auto a = reused.wrap(font, c.text, c.width), b = fresh.wrap(font, c.text, c.width);
                ASSERT_EQ(a.size(), b.size());
                for (size_t i = 0; i < a.size(); ++i) {
                    EXPECT_EQ(a[i].text, b[i].text);
                    EXPECT_DOUBLE_EQ(a[i].width, b[i].width);
                }
            }
    // Many unique texts, as a long list has: the tables are emptied as they fill, and what is
    // measured after stays right.
    for (int i = 0; i < 10000; ++i)
        reused.width(ReportFont{}, QStringLiteral("Jäsen %1").arg(i));
    TextMeasurer fresh;
    EXPECT_DOUBLE_EQ(reused.width(ReportFont{}, QStringLiteral("Jäsen 17")),
                     fresh.width(ReportFont{}, QStringLiteral("Jäsen 17")));
}
