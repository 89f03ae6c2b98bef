#include "../PrintingFixture.h"

#include "base/ScriptedPrompter.h"
#include "ui/FormRegistry.h"
#include "printing/PrintChoices.h"
#include "printing/ReportError.h"
#include "printing/ReportServices.h"
#include "printing/ui/ReportPreview.h"
#include "printing/ui/ReportPrinting.h"
#include "printing/ui/frmTulostus.h"
#include "printing/ui/frmTulostusmuodonValinta.h"
#include "printing/ui/frmTulostusrajoitukset.h"
#include "support/Controls.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QScrollArea>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace tikkeli;
using tikkeli::test::Control;

namespace {

class PrintDialogsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        State() = SharedState{};
        Printing() = PrintChoices{};
    }
    void TearDown() override
    {
        State() = SharedState{};
        Printing() = PrintChoices{};
    }
};

// Runs f on the modal dialog once it is up.
void whenModal(std::function<void(QWidget*)> f)
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, f] {
        if (QWidget* w = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            f(w);
        }
    });
    timer->start();
}

} // namespace

TEST_F(PrintDialogsTest, CopiesAreRoundedHalfToEvenAndKeptWithin1To999)
{
    struct Case {
        const char* text;
        int destination;    // list index: 0 Ikkuna, 1 Tulostin
        const char* answer; // question answer, "" = no question expected
        int copies;         // -1: the dialog stays open
    } cases[] = {
        {"2,5", 0, "", 2}, {"3,5", 0, "", 4},   {"7", 1, "", 7},       {"999", 1, "", 999}, {"abc", 0, "", 1},
        {"0", 0, "", 1},   {"-3", 1, "yes", 1}, {"1000", 1, "yes", 1}, {"", 1, "no", -1},   {"0,4", 1, "no", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        ScriptedPrompter prompter;
        if (QString::fromUtf8(c.answer) == QLatin1String("yes"))
            prompter.answerYes();
        else if (QString::fromUtf8(c.answer) == QLatin1String("no"))
            prompter.answerNo();
        State().PrintCopies = 5;
        Printing().PrintCancelled = true;
        frmTulostus dialog;
        dialog.show();
        Control<QComboBox>(dialog, "cmbTulostusLaite")->setCurrentIndex(c.destination);
        Control<QLineEdit>(dialog, "tKopioita")->setText(QString::fromUtf8(c.text));
        QTest::mouseClick(Control<QPushButton>(dialog, "cTulosta"), Qt::LeftButton);
        EXPECT_FALSE(Printing().PrintCancelled);
        EXPECT_EQ(Printing().PrintDestination, c.destination);
        if (c.copies < 0) {
            EXPECT_TRUE(dialog.isVisible());
            EXPECT_EQ(State().PrintCopies, 5);
            EXPECT_EQ(dialog.focusWidget(), Control<QLineEdit>(dialog, "tKopioita"));
        } else {
            EXPECT_FALSE(dialog.isVisible());
            EXPECT_EQ(dialog.result(), QDialog::Accepted);
            EXPECT_EQ(State().PrintCopies, c.copies);
        }
        EXPECT_EQ(prompter.messageTexts().size(), *c.answer ? 1 : 0);
        if (*c.answer) {
            EXPECT_EQ(prompter.messageTexts().first(),
                      QStringLiteral("Antamasi kopiomäärä on virheellinen. Haluatko tulostaa yhden kopion?"));
        }
        EXPECT_EQ(prompter.unexpected(), 0);
    }
}

TEST_F(PrintDialogsTest, LoadShowsLastCopiesAndPreviewFirst)
{
    State().PrintCopies = 3;
    Printing().PrintDestination = 0;
    frmTulostus dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Tikkeli - Tulostusasetukset"));
    EXPECT_EQ(Control<QLineEdit>(dialog, "tKopioita")->text(), QStringLiteral("3"));
    EXPECT_EQ(Printing().PrintDestination, 1);
    ASSERT_EQ(Control<QComboBox>(dialog, "cmbTulostusLaite")->count(), 2);
    EXPECT_EQ(Control<QComboBox>(dialog, "cmbTulostusLaite")->currentText(), QStringLiteral("Ikkuna"));
    EXPECT_EQ(Control<QComboBox>(dialog, "cmbTulostusLaite")->itemData(1).toInt(), 1);

    dialog.SetDestinations(1);
    ASSERT_EQ(Control<QComboBox>(dialog, "cmbTulostusLaite")->count(), 1);
    EXPECT_EQ(Control<QComboBox>(dialog, "cmbTulostusLaite")->currentText(), QStringLiteral("Tulostin"));
    dialog.show();
    QTest::mouseClick(Control<QPushButton>(dialog, "cTulosta"), Qt::LeftButton);
    EXPECT_EQ(Printing().PrintDestination, 1);
}

TEST_F(PrintDialogsTest, CloseBoxAndCancelCountAsCancel)
{
    for (int way = 0; way < 3; ++way) {
        Printing().PrintCancelled = false;
        frmTulostus dialog;
        dialog.show();
        if (way == 0)
            dialog.close();
        else if (way == 1)
            QTest::mouseClick(Control<QPushButton>(dialog, "cPeruTulostus"), Qt::LeftButton);
        else
            QTest::keyClick(&dialog, Qt::Key_Escape);
        EXPECT_TRUE(Printing().PrintCancelled) << way;
        EXPECT_FALSE(dialog.isVisible());
    }
}

TEST_F(PrintDialogsTest, PrinterSetupCancelledLeavesTheDialogOpen)
{
    MainReport().PrinterName = QStringLiteral("Toimisto");
    frmTulostus dialog;
    dialog.show();
    whenModal([](QWidget* w) { w->close(); });
    QTest::mouseClick(Control<QPushButton>(dialog, "cTulostin"), Qt::LeftButton);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(MainReport().PrinterName, QStringLiteral("Toimisto"));
    MainReport() = ReportEngine{};
}

TEST_F(PrintDialogsTest, PrintFormChoiceDialog)
{
    Printing().TulostusMuoto = 4;
    Printing().TulostusJarjestys = 1;
    {
        frmTulostusmuodonValinta dialog;
        auto* alphabetical = dialog.findChild<QRadioButton*>(QStringLiteral("optTulJarj_0"));
        auto* list = dialog.findChild<QRadioButton*>(QStringLiteral("optPrintType_0"));
        ASSERT_TRUE(alphabetical && list);
        EXPECT_TRUE(alphabetical->isChecked());
        EXPECT_TRUE(list->isChecked());
        dialog.show();
        dialog.close();
        EXPECT_EQ(Printing().TulostusMuoto, 4);
        EXPECT_EQ(Printing().TulostusJarjestys, 1);
    }
    frmTulostusmuodonValinta dialog;
    dialog.show();
    auto* wide = dialog.findChild<QRadioButton*>(QStringLiteral("optPrintType_2"));
    auto* birthday = dialog.findChild<QRadioButton*>(QStringLiteral("optTulJarj_2"));
    auto* next = dialog.findChild<QPushButton*>(QStringLiteral("cSeuraava"));
    ASSERT_TRUE(wide && birthday && next);
    QTest::mouseClick(wide, Qt::LeftButton);
    QTest::mouseClick(birthday, Qt::LeftButton);
    QTest::mouseClick(next, Qt::LeftButton);
    EXPECT_EQ(Printing().TulostusMuoto, 2);
    EXPECT_EQ(Printing().TulostusJarjestys, 2);
    EXPECT_EQ(wide->text(), QStringLiteral("Laaja luettelo"));
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(PrintDialogsTest, RentLimitDialogStaysLoadedAndTheCloseBoxMeansNoChoice)
{
    frmTulostusrajoitukset* d = frmTulostusrajoitukset::Instance();
    ASSERT_TRUE(d);
    EXPECT_EQ(d->VastikeRajaus, -1);
    auto* without = d->findChild<QRadioButton*>(QStringLiteral("optVastike_0"));
    auto* annual = d->findChild<QRadioButton*>(QStringLiteral("optVastike_1"));
    auto* season = d->findChild<QRadioButton*>(QStringLiteral("optVastike_2"));
    auto* from = d->findChild<QLineEdit*>(QStringLiteral("tErapaivasta"));
    auto* to = d->findChild<QLineEdit*>(QStringLiteral("tErapaivaan"));
    auto* toLabel = d->findChild<QLabel*>(QStringLiteral("lblErapaivaan"));
    auto* next = d->findChild<QPushButton*>(QStringLiteral("cSeuraava"));
    ASSERT_TRUE(without && annual && season && from && to && toLabel && next);
    d->show();
    QTest::mouseClick(annual, Qt::LeftButton);
    EXPECT_TRUE(from->isEnabled());
    from->setText(QStringLiteral("1.3.2024"));
    QTest::mouseClick(without, Qt::LeftButton);
    EXPECT_FALSE(from->isEnabled());
    EXPECT_FALSE(toLabel->isEnabled());
    // Disabled, the box keeps the date for a dated option; the choice gives none.
    EXPECT_EQ(from->text(), QStringLiteral("1.3.2024"));
    from->clear();
    QTest::mouseClick(next, Qt::LeftButton);
    EXPECT_EQ(d->VastikeRajaus, 1);
    EXPECT_FALSE(d->ErapaivaAlku.isValid());
    EXPECT_FALSE(d->ErapaivaLoppu.isValid());
    EXPECT_FALSE(d->isVisible());
    EXPECT_TRUE(IsFormLoaded(QStringLiteral("frmTulostusrajoitukset")));

    // The second showing opens with the previous choice.
    ASSERT_EQ(frmTulostusrajoitukset::Instance(), d);
    d->show();
    EXPECT_TRUE(without->isChecked());
    QTest::mouseClick(season, Qt::LeftButton);
    d->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(d));
    from->setFocus();
    from->setText(QStringLiteral("1.3.2024"));
    to->setFocus();
    to->setText(QStringLiteral("31.2.2024"));
    from->setFocus();
    EXPECT_EQ(to->text(), QString());
    EXPECT_EQ(from->text(), QStringLiteral("1.3.2024"));
    QTest::mouseClick(next, Qt::LeftButton);
    EXPECT_EQ(d->VastikeRajaus, 3);
    EXPECT_EQ(d->ErapaivaAlku, QDate(2024, 3, 1));
    EXPECT_FALSE(d->ErapaivaLoppu.isValid());

    d->show();
    d->close();
    EXPECT_EQ(d->VastikeRajaus, -1);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(IsFormLoaded(QStringLiteral("frmTulostusrajoitukset")));
    frmTulostusrajoitukset* fresh = frmTulostusrajoitukset::Instance();
    ASSERT_TRUE(fresh);
    EXPECT_EQ(fresh->VastikeRajaus, -1);
    auto* freshWithout = fresh->findChild<QRadioButton*>(QStringLiteral("optVastike_0"));
    ASSERT_TRUE(freshWithout);
    EXPECT_TRUE(freshWithout->isChecked());
    delete fresh;
}

// Each arrow chooses the next option: browsing them by keys, through the options that take no due
// dates, loses nothing typed, and "Seuraava >>" gives the dates with a dated option only.
TEST_F(PrintDialogsTest, BrowsingTheRentOptionsByArrowsKeepsTheTypedDueDates)
{
    std::unique_ptr<frmTulostusrajoitukset> d(frmTulostusrajoitukset::Instance());
    auto* annual = Control<QRadioButton>(*d, "optVastike_1");
    auto* from = Control<QLineEdit>(*d, "tErapaivasta");
    auto* to = Control<QLineEdit>(*d, "tErapaivaan");
    const auto showDialog = [&] {
        d->show();
        d->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(d.get()));
    };
    showDialog();
    QTest::mouseClick(annual, Qt::LeftButton);
    from->setFocus();
    QTest::keyClicks(from, QStringLiteral("1.3.2024"));
    QTest::keyClick(from, Qt::Key_Tab);
    QTest::keyClicks(to, QStringLiteral("30.4.2024"));
    for (const Qt::Key key : {Qt::Key_Down, Qt::Key_Up, Qt::Key_Right, Qt::Key_Left}) {
        SCOPED_TRACE(int(key));
        annual->setFocus();
        // Round the four options and back.
        for (int i = 0; i < 4; ++i) {
            QTest::keyClick(QApplication::focusWidget(), key);
            const QString at = QApplication::focusWidget()->objectName();
            EXPECT_EQ(from->text(), QStringLiteral("1.3.2024")) << at.toStdString();
            EXPECT_EQ(to->text(), QStringLiteral("30.4.2024")) << at.toStdString();
            EXPECT_EQ(to->isEnabled(), at == QLatin1String("optVastike_1") || at == QLatin1String("optVastike_2"));
        }
        EXPECT_TRUE(annual->isChecked());
    }
    const struct {
        Qt::Key key; // from "Vuosivastikkeella"
        qint16 chosen;
        QDate from, to;
    } choices[] = {{Qt::Key_Up, 1, {}, {}}, {Qt::Key_Down, 3, QDate(2024, 3, 1), QDate(2024, 4, 30)}};
    for (const auto& c : choices) {
        SCOPED_TRACE(c.chosen);
        showDialog();
        annual->click();
        annual->setFocus();
        QTest::keyClick(annual, c.key);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        EXPECT_FALSE(d->isVisible());
        EXPECT_EQ(d->VastikeRajaus, c.chosen);
        EXPECT_EQ(d->ErapaivaAlku, c.from);
        EXPECT_EQ(d->ErapaivaLoppu, c.to);
    }
}

// A due date that is no date is told, whichever way "Seuraava >>" is pressed, and the dialog stays
// with the typed text for it to be corrected: the print would otherwise run without that end of
// the range.
TEST_F(PrintDialogsTest, ADueDateThatIsNoDateIsToldAndTheDialogStays)
{
    std::unique_ptr<frmTulostusrajoitukset> d(frmTulostusrajoitukset::Instance());
    auto* season = Control<QRadioButton>(*d, "optVastike_2");
    auto* from = Control<QLineEdit>(*d, "tErapaivasta");
    auto* to = Control<QLineEdit>(*d, "tErapaivaan");
    auto* next = Control<QPushButton>(*d, "cSeuraava");
    const std::function<void()> presses[] = {
        [&] { QTest::keyClick(to, Qt::Key_Return); },
        [&] { QTest::keyClick(to, Qt::Key_S, Qt::AltModifier); },
        [&] { QTest::mouseClick(next, Qt::LeftButton); },
    };
    for (const auto& press : presses) {
        SCOPED_TRACE(&press - presses);
        ScriptedPrompter prompter;
        d->show();
        d->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(d.get()));
        season->click();
        from->setText(QStringLiteral("1.3.2024"));
        to->setFocus();
        to->setText(QStringLiteral("31.2.2024"));
        press();
        // A button's letter presses it as a click seen on the screen: a moment later.
        ASSERT_TRUE(QTest::qWaitFor([&] { return !prompter.messageTexts().isEmpty(); }));
        EXPECT_TRUE(d->isVisible());
        EXPECT_EQ(prompter.messageTexts(),
                  QStringList{QStringLiteral("Eräpäivään: \"31.2.2024\" ei ole päivämäärä. Kirjoita päivämäärä "
                                             "muodossa p.k.vvvv tai jätä kenttä tyhjäksi.")});
        EXPECT_EQ(to->text(), QStringLiteral("31.2.2024"));
        EXPECT_EQ(d->focusWidget(), to);
        to->setText(QStringLiteral("30.4.2024"));
        press();
        EXPECT_TRUE(QTest::qWaitFor([&] { return !d->isVisible(); }));
        EXPECT_EQ(d->VastikeRajaus, 3);
        EXPECT_EQ(d->ErapaivaAlku, QDate(2024, 3, 1));
        EXPECT_EQ(d->ErapaivaLoppu, QDate(2024, 4, 30));
        EXPECT_EQ(prompter.unexpected(), 0);
    }
}

class PrintRaportTest : public test::PrintingFixture {
protected:
    // A document of A4 pages with one line each: the text with its page number.
    static ReportDocument onePerPage(int pages, const QString& text)
    {
        ReportDocument doc;
        doc.pageSize = QSizeF(595, 842);
        for (int p = 0; p < pages; ++p) {
            ReportDocument::Item it;
            it.text = text.arg(p + 1);
            it.rect = QRectF(72, 72, 200, 14);
            it.baseline = 83;
            doc.pages.push_back({{it}});
        }
        return doc;
    }

    void TearDown() override
    {
        MainReport() = ReportEngine{};
        Printing() = PrintChoices{};
        PrinterSetup() = PrinterSetupChoice{};
        PrintingFixture::TearDown();
    }
};

TEST_F(PrintRaportTest, OneCallPrintGoesThroughTheDialogToTheOutput)
{
    std::vector<std::shared_ptr<const ReportDocument>> shown;
    int destination = -1;
    int copies = 0;
    MainReport().setOutputHandler([&](std::shared_ptr<const ReportDocument> doc, const ReportEngine& e) {
        shown.push_back(doc);
        destination = e.Destination;
        copies = e.CopiesToPrinter;
    });
    State().ClubName = QStringLiteral("Erä ry");
    MainReport().setSortFields(0, QStringLiteral("+{jr.jrSukunimi}"));

    whenModal([](QWidget* w) {
        auto* d = qobject_cast<frmTulostus*>(w);
        ASSERT_NE(d, nullptr);
        Control<QComboBox>(*d, "cmbTulostusLaite")->setCurrentIndex(1);
        Control<QLineEdit>(*d, "tKopioita")->setText(QStringLiteral("2"));
        QTest::mouseClick(Control<QPushButton>(*d, "cTulosta"), Qt::LeftButton);
    });
    PrintRaport(QStringLiteral("mvluetlo.rpt"), QStringLiteral("{vs.vsMukaan} = true"));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(destination, 1);
    EXPECT_EQ(copies, 2);
    EXPECT_EQ(shown[0]->rowCount, 2);
    EXPECT_TRUE(shown[0]->pageLines(0).first().startsWith(QStringLiteral("Erä ry")));
    EXPECT_EQ(MainReport().Formulas(0), QStringLiteral("Seurannimi= 'Erä ry'"));

    // Cancelled: nothing printed, the control untouched.
    MainReport().SelectionFormula = QStringLiteral("jätetty");
    whenModal([](QWidget* w) { w->close(); });
    PrintRaport(QStringLiteral("mvosoite.rpt"), {});
    EXPECT_EQ(shown.size(), 1u);
    EXPECT_EQ(MainReport().SelectionFormula, QStringLiteral("jätetty"));

    // A missing report file reaches the caller with its number.
    whenModal([](QWidget* w) { QTest::mouseClick(Control<QPushButton>(*w, "cTulosta"), Qt::LeftButton); });
    try {
        PrintRaport(QStringLiteral("eiole.rpt"), {});
        ADD_FAILURE();
    } catch (const ReportException& e) {
        EXPECT_EQ(e.number(), 20504);
    }
}

TEST_F(PrintRaportTest, PreviewPagesZoomsAndSavesPdf)
{
    ReportDocument doc = onePerPage(3, QStringLiteral("Sivun %1 teksti"));
    doc.title = QStringLiteral("Koe");
    auto* preview = new ReportPreview(std::make_shared<const ReportDocument>(doc));
    ReportEngine options;
    options.WindowState = 0;
    preview->showFor(options);
    EXPECT_EQ(Control<QLabel>(*preview, "lblPage")->text(), QStringLiteral("Sivu 1 / 3"));
    EXPECT_FALSE(Control<QPushButton>(*preview, "cPrevious")->isEnabled());
    QTest::mouseClick(Control<QPushButton>(*preview, "cNext"), Qt::LeftButton);
    EXPECT_EQ(Control<QLabel>(*preview, "lblPage")->text(), QStringLiteral("Sivu 2 / 3"));
    QTest::mouseClick(Control<QPushButton>(*preview, "cLast"), Qt::LeftButton);
    EXPECT_EQ(preview->currentPage(), 2);
    EXPECT_FALSE(Control<QPushButton>(*preview, "cNext")->isEnabled());
    preview->setZoom(200);
    EXPECT_NEAR(preview->scale(), 2.0 * preview->logicalDpiX() / 72.0, 1e-9);

    ScriptedPrompter prompter;
    const QString pdf = m_dir.filePath(QStringLiteral("esikatselu"));
    prompter.answerText(pdf);
    QTest::mouseClick(Control<QPushButton>(*preview, "cSavePdf"), Qt::LeftButton);
    ASSERT_TRUE(QFile::exists(pdf + QStringLiteral(".pdf")));
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {pdf + QStringLiteral(".pdf"), QStringLiteral("-")});
    ASSERT_TRUE(p.waitForFinished(30000));
    const QString text = QString::fromUtf8(p.readAllStandardOutput());
    EXPECT_TRUE(text.contains(QLatin1String("Sivun 1 teksti")));
    EXPECT_TRUE(text.contains(QLatin1String("Sivun 3 teksti")));
    preview->close();
}

TEST_F(PrintRaportTest, PageWidthZoomFillsThePageAreaAfterTheWindowIsResized)
{
    ReportDocument doc = onePerPage(1, QStringLiteral("Sivun %1 teksti"));
    auto* preview = new ReportPreview(std::make_shared<const ReportDocument>(doc));
    ReportEngine options;
    options.WindowState = 0;
    preview->showFor(options);
    preview->setZoom(-1);
    for (const QSize size : {QSize(900, 700), QSize(600, 500)}) {
        preview->resize(size);
        QApplication::processEvents();
        QApplication::processEvents();
        const QScrollArea* scroll = preview->findChild<QScrollArea*>();
        ASSERT_NE(scroll, nullptr);
        // The page drawn is as wide as the page area allows, not fitted to an earlier size.
        const auto* page = qobject_cast<const QLabel*>(scroll->widget());
        ASSERT_NE(page, nullptr);
        const double drawn = page->pixmap().width() / page->pixmap().devicePixelRatio();
        EXPECT_NEAR(drawn, scroll->viewport()->width() - 24, 2.0) << size.width();
    }
    preview->close();
}

TEST_F(PrintRaportTest, PrinterOutputPaintsEveryPageOfEveryCopy)
{
    ReportEngine e = engineFor(shippedReport(QStringLiteral("mvosoite.rpt")));
    auto doc = e.layoutReport();
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(m_dir.filePath(QStringLiteral("tulostin.pdf")));
    printer.setCopyCount(2);
    PrintDocument(*doc, printer);
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {m_dir.filePath(QStringLiteral("tulostin.pdf")), QStringLiteral("-")});
    ASSERT_TRUE(p.waitForFinished(30000));
    const QString text = QString::fromUtf8(p.readAllStandardOutput());
    // The PDF printer makes no copies itself, so the pages come twice.
    EXPECT_EQ(text.count(QStringLiteral("Björk Bea")), printer.supportsMultipleCopies() ? 1 : 2);
}

TEST_F(PrintRaportTest, ThePrinterTakesThePagesAsTheyAreLaidOutOrEveryCopyOfThemKept)
{
    for (int copies : {1, 2}) {
        SCOPED_TRACE(copies);
        PrinterSetup() = PrinterSetupChoice{};
        PrinterSetup().outputFile = m_dir.filePath(QStringLiteral("kopiot%1.pdf").arg(copies));
        MainReport() = engineFor(shippedReport(QStringLiteral("mvosoite.rpt")));
        InstallReportOutput();
        MainReport().Destination = ReportEngine::ToPrinter;
        MainReport().CopiesToPrinter = qint16(copies);
        const int pages = MainReport().PrintReport();
        ASSERT_GT(pages, 0);
        QProcess p;
        p.start(QStringLiteral("pdftotext"), {PrinterSetup().outputFile, QStringLiteral("-")});
        ASSERT_TRUE(p.waitForFinished(30000));
        const QString text = QString::fromUtf8(p.readAllStandardOutput());
        // A printer that makes no copies itself (as the PDF printer) gets the pages kept and
        // sent as many times.
        QPrinter probe(QPrinter::HighResolution);
        probe.setOutputFormat(QPrinter::PdfFormat);
        const int sent = probe.supportsMultipleCopies() ? 1 : copies;
        EXPECT_EQ(text.count(QLatin1Char('\f')), pages * sent);
        EXPECT_EQ(text.count(QStringLiteral("Björk Bea")), sent);
    }
}

TEST_F(PrintRaportTest, PrinterOutputKeepsToTheChosenPageRange)
{
    const ReportDocument doc = onePerPage(4, QStringLiteral("Sivu numero %1"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(m_dir.filePath(QStringLiteral("sivut.pdf")));
    printer.setPrintRange(QPrinter::PageRange);
    printer.setFromTo(2, 3);
    PrintDocument(doc, printer);
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {m_dir.filePath(QStringLiteral("sivut.pdf")), QStringLiteral("-")});
    ASSERT_TRUE(p.waitForFinished(30000));
    const QString text = QString::fromUtf8(p.readAllStandardOutput());
    EXPECT_FALSE(text.contains(QLatin1String("Sivu numero 1")));
    EXPECT_TRUE(text.contains(QLatin1String("Sivu numero 2")));
    EXPECT_TRUE(text.contains(QLatin1String("Sivu numero 3")));
    EXPECT_FALSE(text.contains(QLatin1String("Sivu numero 4")));
}

namespace {

// The first page's size in points as pdfinfo reports it.
QSizeF pdfPageSize(const QString& path)
{
    QProcess p;
    p.start(QStringLiteral("pdfinfo"), {path});
    if (!p.waitForFinished(30000))
        return {};
    for (const QString& line : QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'))) {
        if (!line.startsWith(QLatin1String("Page size:")))
            continue;
        const QStringList parts = line.mid(10).simplified().split(QLatin1Char(' '));
        if (parts.size() >= 3)
            return QSizeF(parts[0].toDouble(), parts[2].toDouble());
    }
    return {};
}

} // namespace

// The printer setup's "print to file", paper and orientation reach every print to a printer,
// through the same output the main window's reports take; untouched paper and orientation leave
// the report's own.
TEST_F(PrintRaportTest, PrinterSetupChoicesReachEveryPrint)
{
    struct Case {
        const char* name;
        std::optional<QPageSize::PageSizeId> paper;
        std::optional<QPageLayout::Orientation> orientation;
        QSizeF points; // the first page, width x height
    };
    const Case cases[] = {
        {"A5 landscape", QPageSize::A5, QPageLayout::Landscape, QSizeF(595.3, 419.5)},
        {"only landscape", std::nullopt, QPageLayout::Landscape, QSizeF(841.9, 595.3)},
        {"nothing changed", std::nullopt, std::nullopt, QSizeF(595.3, 841.9)},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PrinterSetup() = PrinterSetupChoice{};
        const QString file = m_dir.filePath(QStringLiteral("tiedostoon%1.pdf").arg(++n));
        // The dialog showed the report's A4 portrait; the user chose a PDF file and maybe more.
        QPrinter dialogPrinter(QPrinter::HighResolution);
        dialogPrinter.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
        const QPageLayout shown = dialogPrinter.pageLayout();
        dialogPrinter.setOutputFormat(QPrinter::PdfFormat);
        dialogPrinter.setOutputFileName(file);
        if (c.paper)
            dialogPrinter.setPageSize(QPageSize(*c.paper));
        if (c.orientation)
            dialogPrinter.setPageOrientation(*c.orientation);
        RememberPrinterSetup(dialogPrinter, shown);
        EXPECT_EQ(PrinterSetup().outputFile, file);
        EXPECT_EQ(PrinterSetup().paper.has_value(), c.paper.has_value());
        EXPECT_EQ(PrinterSetup().orientation.has_value(), c.orientation.has_value());

        MainReport() = engineFor(shippedReport(QStringLiteral("mvosoite.rpt")));
        InstallReportOutput();
        MainReport().Destination = ReportEngine::ToPrinter;
        ASSERT_NO_THROW(MainReport().PrintReport());
        ASSERT_TRUE(QFile::exists(file)) << "print to file writes the chosen PDF file";
        const QSizeF size = pdfPageSize(file);
        EXPECT_NEAR(size.width(), c.points.width(), 1.0);
        EXPECT_NEAR(size.height(), c.points.height(), 1.0);
        QProcess text;
        text.start(QStringLiteral("pdftotext"), {file, QStringLiteral("-")});
        ASSERT_TRUE(text.waitForFinished(30000));
        EXPECT_TRUE(QString::fromUtf8(text.readAllStandardOutput()).contains(QStringLiteral("Björk Bea")));
    }
    PrinterSetup() = PrinterSetupChoice{};
}
