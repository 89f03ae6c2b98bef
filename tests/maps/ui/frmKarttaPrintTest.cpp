#include "MapWindowFixture.h"

#include "maps/ui/frmKartanTulostus.h"
#include "printing/PrintChoices.h"
#include "printing/ReportEngine.h"
#include "printing/ui/ReportPreview.h"
#include "printing/ui/ReportPrinting.h"
#include "printing/ui/frmTulostus.h"
#include "support/PrintSettingsAnswer.h"
#include "support/WhenModalShown.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPrintDialog>
#include <QPrinterInfo>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>

using namespace tikkeli;
using namespace tikkeli::test;

namespace {

struct MapWindowPrint : MapWindowFixture {
    QTemporaryDir dir;
    PrinterSetupChoice saved;

    void SetUp() override
    {
        MapWindowFixture::SetUp();
        for (const char* tool : {"pdftotext", "pdftoppm"})
            if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
                GTEST_SKIP() << tool << " missing (scripts/setup installs it)";
        saved = PrinterSetup();
        PrinterSetup() = PrinterSetupChoice{};
        PrinterSetup().outputFile = pdf();
        PrinterSetup().paper = QPageSize(QPageSize::A4);
    }
    void TearDown() override
    {
        PrinterSetup() = saved;
        Printing() = PrintChoices{};
        MainReport().PrinterName.clear();
        MapWindowFixture::TearDown();
    }
    QString pdf() const { return dir.filePath(QStringLiteral("kartta.pdf")); }

    // The print settings sent to the window (0) or the printer (1); before that, the printer
    // dialog is answered with "print to file" and this PDF file when one is given.
    void destination(int where, const QString& pdfThroughDialog = {})
    {
        WhenModalShown<frmTulostus>([where, pdfThroughDialog](frmTulostus& d) {
            if (!pdfThroughDialog.isEmpty()) {
                WhenModalShown<QPrintDialog>([pdfThroughDialog](QPrintDialog& p) {
                    auto* printers = Control<QComboBox>(p, "printers");
                    printers->setCurrentIndex(printers->findText(QStringLiteral("PDF"), Qt::MatchContains));
                    Control<QLineEdit>(p, "filename")->setText(pdfThroughDialog);
                    p.accept();
                });
                QTest::mouseClick(Control<QPushButton>(d, "cTulostin"), Qt::LeftButton);
            }
            Control<QComboBox>(d, "cmbTulostusLaite")->setCurrentIndex(where);
            QTest::mouseClick(Control<QPushButton>(d, "cTulosta"), Qt::LeftButton);
        });
    }

    // F7 (or the button), the destination chosen, and the print dialog answered with a title and
    // Enter.
    void print(frmKartta* w, const QString& title, bool byKey, int where = 1, const QString& pdfThroughDialog = {})
    {
        destination(where, pdfThroughDialog);
        WhenModalShown<frmKartanTulostus>([title](frmKartanTulostus& d) {
            Control<QLineEdit>(d, "tKartanOtsake")->setText(title);
            QTest::keyClick(Control<QLineEdit>(d, "tMittakaava"), Qt::Key_Return);
        });
        if (!byKey)
            return Control<QPushButton>(*w, "cTulosta")->click();
        w->activateWindow();
        QTest::keyClick(w, Qt::Key_F7);
    }

    // Black pixels of the printed sheet: the boundary lines and the title (the picture is white
    // with blue corner dots).
    int blackPixels()
    {
        QProcess render;
        render.start(QStringLiteral("pdftoppm"),
                     {QStringLiteral("-r"), QStringLiteral("100"), QStringLiteral("-png"), QStringLiteral("-singlefile"),
                      pdf(), dir.filePath(QStringLiteral("sivu"))});
        EXPECT_TRUE(render.waitForFinished(60000));
        const QImage page(dir.filePath(QStringLiteral("sivu.png")));
        int black = 0;
        for (int y = 0; y < page.height(); ++y)
            for (int x = 0; x < page.width(); ++x) {
                const QColor c = page.pixelColor(x, y);
                black += c.red() < 80 && c.green() < 80 && c.blue() < 80;
            }
        return black;
    }
};

} // namespace

TEST_F(MapWindowPrint, F7PrintsThePictureWithTheEstatesShownAndTheTitle)
{
    frmKartta* w = open();
    ASSERT_NE(w, nullptr);
    print(w, QString(), true);
    ASSERT_TRUE(QFile::exists(pdf())) << prompter.messageTexts().join('|').toStdString();
    EXPECT_EQ(blackPixels(), 0) << "no estate is shown, so no boundary is printed";

    frmKartta::ChooseEstates = [](QWidget*) { return std::optional<frmKartta::EstatesChoice>({true, {}}); };
    Control<QCheckBox>(*w, "cNaytaTilat")->click();
    ASSERT_TRUE(Control<QCheckBox>(*w, "cNaytaTilat")->isChecked());
    QFile::remove(pdf());
    print(w, QStringLiteral("Koealue"), false);
    ASSERT_TRUE(QFile::exists(pdf())) << prompter.messageTexts().join('|').toStdString();
    EXPECT_GT(blackPixels(), 100);
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {pdf(), QStringLiteral("-")});
    ASSERT_TRUE(text.waitForFinished(60000));
    EXPECT_TRUE(QString::fromUtf8(text.readAllStandardOutput()).contains(QStringLiteral("Koealue")));
}

TEST_F(MapWindowPrint, AMapWithoutAScaleIsRefusedBeforeTheDialog)
{
    MapStorage::SaveMapScale(t.db, 0);
    frmKartta* w = open();
    ASSERT_NE(w, nullptr);
    w->activateWindow();
    QTest::keyClick(w, Qt::Key_F7);
    ASSERT_FALSE(prompter.messageTexts().isEmpty());
    EXPECT_TRUE(prompter.messageTexts().last().startsWith(QStringLiteral("Kartan mittakaavaa ei ole määritelty.")));
    EXPECT_FALSE(QFile::exists(pdf()));
}

// F7 offers what every print offers: the preview window, or a printer whose dialog also prints to a
// PDF file; with neither a printer nor a file it says what to do.
TEST_F(MapWindowPrint, F7OffersTheWindowAPrinterAndAPdfFile)
{
    frmKartta* w = open();
    ASSERT_NE(w, nullptr);
    frmKartta::ChooseEstates = [](QWidget*) { return std::optional<frmKartta::EstatesChoice>({true, {}}); };
    Control<QCheckBox>(*w, "cNaytaTilat")->click();
    print(w, QStringLiteral("Koealue"), true, 0);
    ReportPreview* preview = nullptr;
    for (QWidget* top : QApplication::topLevelWidgets())
        if (auto* p = qobject_cast<ReportPreview*>(top))
            preview = p;
    ASSERT_NE(preview, nullptr) << prompter.messageTexts().join('|').toStdString();
    EXPECT_EQ(preview->windowTitle(), QStringLiteral("Tikkeli - Koealue"));
    preview->close();

    PrinterSetup() = PrinterSetupChoice{};
    const QString chosen = dir.filePath(QStringLiteral("valittu.pdf"));
    print(w, QStringLiteral("Koealue"), false, 1, chosen);
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {chosen, QStringLiteral("-")});
    ASSERT_TRUE(text.waitForFinished(60000)) << prompter.messageTexts().join('|').toStdString();
    EXPECT_TRUE(QString::fromUtf8(text.readAllStandardOutput()).contains(QStringLiteral("Koealue")));

    if (!QPrinterInfo::availablePrinters().isEmpty())
        GTEST_SKIP() << "a printer is installed";
    PrinterSetup() = PrinterSetupChoice{};
    MainReport().PrinterName.clear();
    prompter.clear();
    destination(1);
    Control<QPushButton>(*w, "cTulosta")->click();
    EXPECT_EQ(prompter.messageTexts(), QStringList{PrinterMissingText()});
}

// F7 printed with "Tulostin" into a PDF file chosen there, and printed so again.
TEST_F(MapWindowPrint, F7IntoAFileChosenWithTulostinSaysWhereAndReplacesItOnlyWhenTheUserSaysSo)
{
    frmKartta* w = open();
    ASSERT_NE(w, nullptr);
    PrinterSetup() = PrinterSetupChoice{};
    const QString chosen = dir.filePath(QStringLiteral("valittu.pdf"));
    for (const PdfPrintRound& round : PdfPrintRounds) {
        SCOPED_TRACE(round.name);
        const QString title = QString::fromUtf8(round.name);
        const auto seen = ScriptPdfPrintRound(prompter, round, chosen);
        if (round.prints())
            WhenModalShown<frmKartanTulostus>([title](frmKartanTulostus& d) {
                Control<QLineEdit>(d, "tKartanOtsake")->setText(title);
                QTest::keyClick(Control<QLineEdit>(d, "tMittakaava"), Qt::Key_Return);
            });
        w->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(w));
        QTest::keyClick(w, Qt::Key_F7);
        CheckPdfPrintRound(prompter, round, *seen, chosen, title);
    }
}
