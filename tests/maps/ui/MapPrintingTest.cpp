#include "base/ScriptedPrompter.h"
#include "maps/ui/MapPrinting.h"
#include "maps/ui/frmKartanTulostus.h"
#include "printing/PrintChoices.h"
#include "printing/ui/frmTulostus.h"
#include "support/Controls.h"
#include "support/WhenModalShown.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace tikkeli;
using tikkeli::test::Control;
using tikkeli::test::WhenModalShown;

namespace {

const QString Finer = QStringLiteral(
    "Annettu mittakaava on tarkempi kuin mittakaava jolla koko kartta tulostuu yhdelle paperille.Tulostus keskittyy "
    "näytöllä olevaan alueeseen valitulla mittakaavalla.\r\n\r\nHaluatko jatkaa?");

struct Answer {
    QString title;
    QString scale; // null: leave the offered scale
    bool visibleArea = false;
};

// Sends the print to the printer (the PDF file of the printer setup) in the print settings.
void toPrinter()
{
    WhenModalShown<frmTulostus>([](frmTulostus& d) {
        Control<QComboBox>(d, "cmbTulostusLaite")->setCurrentIndex(1);
        QTest::mouseClick(Control<QPushButton>(d, "cTulosta"), Qt::LeftButton);
    });
}

// Fills the dialog as a user would and presses Enter in the scale box.
void answerWith(const Answer& a)
{
    toPrinter();
    WhenModalShown<frmKartanTulostus>([a](frmKartanTulostus& d) {
        auto* title = Control<QLineEdit>(d, "tKartanOtsake");
        title->setFocus();
        title->setText(a.title); // QTest types ASCII only
        auto* scale = Control<QLineEdit>(d, "tMittakaava");
        if (!a.scale.isNull()) {
            scale->clear();
            QTest::keyClicks(scale, a.scale);
        }
        if (a.visibleArea)
            Control<QRadioButton>(d, "optKoko_1")->setChecked(true);
        QTest::keyClick(scale, Qt::Key_Return);
    });
}

class MapPrintDialogTest : public ::testing::Test {
protected:
    ScriptedPrompter prompter;
};

} // namespace

TEST_F(MapPrintDialogTest, EnterAtOncePrintsTheWholeMapAtTheOfferedScale)
{
    frmKartanTulostus d;
    d.SetMaxScale(40000);
    EXPECT_EQ(Control<QLabel>(d, "lblMaxScale")->text(), QStringLiteral("1 : 40000"));
    d.show();
    QTest::keyClick(Control<QLineEdit>(d, "tKartanOtsake"), Qt::Key_Return);
    EXPECT_FALSE(d.Peruttu);
    EXPECT_TRUE(d.KokoKartta);
    EXPECT_EQ(d.Mittakaava, 40000);
    EXPECT_TRUE(d.KartanOtsake.isEmpty());
    EXPECT_TRUE(prompter.shown().empty());
}

TEST_F(MapPrintDialogTest, AFinerScaleAsksAndNoKeepsTheDialogAndItsEntries)
{
    struct Case {
        const char* what;
        QString scale;
        bool visibleArea;
        std::optional<MsgResult> answer; // nothing: no question
        bool closes;
        bool whole;
    };
    const Case cases[] = {
        {"equal scale", QStringLiteral("40000"), false, {}, true, true},
        {"coarser scale", QStringLiteral("50000"), false, {}, true, true},
        {"finer, yes", QStringLiteral("20000"), false, MsgResult::Yes, true, false},
        {"finer, no", QStringLiteral("20000"), false, MsgResult::No, false, true},
        {"finer, visible area", QStringLiteral("20000"), true, {}, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        prompter.clear();
        if (c.answer)
            prompter.answer(*c.answer);
        frmKartanTulostus d;
        d.SetMaxScale(40000);
        d.show();
        auto* title = Control<QLineEdit>(d, "tKartanOtsake");
        title->setText(QStringLiteral("Itäranta"));
        auto* scale = Control<QLineEdit>(d, "tMittakaava");
        scale->clear();
        QTest::keyClicks(scale, c.scale);
        if (c.visibleArea)
            Control<QRadioButton>(d, "optKoko_1")->setChecked(true);
        QTest::mouseClick(Control<QPushButton>(d, "cTulostaKartta"), Qt::LeftButton);
        ASSERT_EQ(prompter.messageTexts().size(), c.answer ? 1 : 0);
        if (c.answer) {
            EXPECT_EQ(prompter.messageTexts().first(), Finer);
        }
        EXPECT_EQ(d.isVisible(), !c.closes);
        EXPECT_EQ(d.Peruttu, !c.closes);
        if (c.closes) {
            EXPECT_EQ(d.KokoKartta, c.whole);
            EXPECT_EQ(d.Mittakaava, c.scale.toInt());
            EXPECT_EQ(d.KartanOtsake, QStringLiteral("Itäranta"));
        } else {
            EXPECT_EQ(title->text(), QStringLiteral("Itäranta"));
            EXPECT_EQ(scale->text(), c.scale);
        }
    }
}

TEST_F(MapPrintDialogTest, LettersVanishAndCloseBoxOrEscIsACancel)
{
    frmKartanTulostus d;
    d.SetMaxScale(40000);
    d.show();
    auto* scale = Control<QLineEdit>(d, "tMittakaava");
    scale->clear();
    QTest::keyClicks(scale, QStringLiteral("2a0b0x00"));
    EXPECT_EQ(scale->text(), QStringLiteral("20000"));
    QTest::keyClick(scale, Qt::Key_Escape);
    EXPECT_TRUE(d.Peruttu);
    frmKartanTulostus closed;
    closed.show();
    closed.close();
    EXPECT_TRUE(closed.Peruttu);
}

namespace {

class MapPrintToPdfTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* tool : {"pdftotext", "pdftoppm"})
            if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
                GTEST_SKIP() << tool << " missing (scripts/setup installs it)";
        ASSERT_TRUE(dir.isValid());
        saved = PrinterSetup();
        PrinterSetup() = PrinterSetupChoice{};
        PrinterSetup().outputFile = pdf();
        PrinterSetup().paper = QPageSize(QPageSize::A4);
    }
    void TearDown() override { PrinterSetup() = saved; }
    QString pdf() const { return dir.filePath(QStringLiteral("kartta.pdf")); }

    // The longest dark horizontal run on the rendered page, in mm.
    double longestDarkRunMm()
    {
        constexpr int Dpi = 400; // a larger page exceeds what QImage reads by default
        QProcess render;
        render.start(QStringLiteral("pdftoppm"),
                     {QStringLiteral("-r"), QString::number(Dpi), QStringLiteral("-gray"), QStringLiteral("-png"),
                      QStringLiteral("-singlefile"), pdf(), dir.filePath(QStringLiteral("sivu"))});
        EXPECT_TRUE(render.waitForFinished(60000));
        EXPECT_EQ(render.exitCode(), 0) << render.readAllStandardError().toStdString();
        QImage page(dir.filePath(QStringLiteral("sivu.png")));
        EXPECT_FALSE(page.isNull());
        int best = 0;
        for (int y = page.height() / 3; y < page.height(); ++y) {
            int run = 0;
            for (int x = 0; x < page.width(); ++x) {
                run = qGray(page.pixel(x, y)) < 128 ? run + 1 : 0;
                best = std::max(best, run);
            }
        }
        return best * 25.4 / Dpi;
    }

    ScriptedPrompter prompter;
    QTemporaryDir dir;
    PrinterSetupChoice saved;
};

std::shared_ptr<const QImage> whitePicture(int w, int h)
{
    auto image = std::make_shared<QImage>(w, h, QImage::Format_RGB32);
    image->fill(Qt::white);
    return image;
}

} // namespace

TEST_F(MapPrintToPdfTest, AKnownDistancePrintsAtTheChosenScale)
{
    struct Case {
        const char* what;
        qint32 scale;
        double ratio;
        Answer answer;
        double expectedMm;
    };
    // Each map carries a 1000-pixel boundary segment; R 100 picture twips are 100 mm of the map.
    const Case cases[] = {
        // 1:20000 scanned, 150 twips a mm: 15000 twips = 100 mm of map, printed at 1:40000.
        {"scanned map", 20000, 150, {QString(), QStringLiteral("40000"), false}, 50},
        // 1 m/px prints as 1:10000 with 150 twips a mm; with a title band, at 1:20000.
        {"pixel map with a title", -1, 0, {QStringLiteral("Kotimetsä"), QStringLiteral("20000"), false}, 50},
        // Around the visible area at the map's own scale: 100 mm.
        {"visible area", 20000, 150, {QString(), QStringLiteral("20000"), true}, 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(pdf());
        MapPrintSource source;
        source.picture = whitePicture(3000, 3000);
        source.scale = c.scale;
        source.pixelRatio = c.ratio;
        source.visibleCentreTwips = QPointF(22500, 22500);
        source.boundaries = {QPolygonF({QPointF(15000, 30000), QPointF(30000, 30000)})};
        answerWith(c.answer);
        ASSERT_TRUE(PrintMap(nullptr, source)) << prompter.messageTexts().join('|').toStdString();
        const double penMm = 0.5 * 25.4 / 72;
        EXPECT_NEAR(longestDarkRunMm() - penMm, c.expectedMm, 0.3);
    }
}

TEST_F(MapPrintToPdfTest, TheTitleIsOnThePage)
{
    MapPrintSource source;
    source.picture = whitePicture(1500, 1000);
    source.scale = 20000;
    source.pixelRatio = 150;
    answerWith({QStringLiteral("Ylä-Kärppälän alueet"), QString(), false});
    ASSERT_TRUE(PrintMap(nullptr, source));
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf(), QStringLiteral("-")});
    ASSERT_TRUE(text.waitForFinished(60000));
    const QString out = QString::fromUtf8(text.readAllStandardOutput());
    EXPECT_TRUE(out.contains(QStringLiteral(">Ylä-Kärppälän</word>"))) << out.toStdString();
}

TEST_F(MapPrintToPdfTest, MapsThatCannotBePrintedAreRefusedBeforeTheDialog)
{
    struct Case {
        qint32 scale;
        double ratio;
        bool picture;
        QString message;
    };
    const Case cases[] = {
        {20000, 150, false, QStringLiteral("Kartalla ei ole kuvaa.")},
        {0, 150, true, QStringLiteral("Kartan mittakaavaa ei ole määritelty.")},
        {-3, 150, true, QStringLiteral("Kartan mittakaavaa ei ole määritelty.")},
        {20000, 0, true, QStringLiteral("Kartan mittasuhdetta ei ole määrätty.")},
    };
    for (const Case& c : cases) {
        prompter.clear();
        MapPrintSource source;
        if (c.picture)
            source.picture = whitePicture(100, 100);
        source.scale = c.scale;
        source.pixelRatio = c.ratio;
        EXPECT_FALSE(PrintMap(nullptr, source));
        ASSERT_EQ(prompter.messageTexts().size(), 1);
        EXPECT_TRUE(prompter.messageTexts().first().startsWith(c.message));
        EXPECT_FALSE(QFile::exists(pdf()));
    }
}

// The box is read once, by the one reader of whole numbers: empty and 0 are refused before the
// question of a finer scale, and the dialog stays open with what was typed.
TEST_F(MapPrintToPdfTest, AnEmptyOrZeroScaleIsRefusedFirstAndNothingIsPrinted)
{
    MapPrintSource source;
    source.picture = whitePicture(100, 100);
    source.scale = 20000;
    source.pixelRatio = 150;
    const std::pair<QString, QString> cases[] = {
        {QString(), QStringLiteral("Mittakaavan pitää olla numeromuodossa.")},
        {QStringLiteral("0"), QStringLiteral("Mittakaavan pitää olla suurempi kuin nolla.")}};
    for (const auto& [typed, refusal] : cases) {
        prompter.clear();
        toPrinter();
        WhenModalShown<frmKartanTulostus>([this, typed](frmKartanTulostus& d) {
            auto* scale = Control<QLineEdit>(d, "tMittakaava");
            scale->clear();
            QTest::keyClicks(scale, typed);
            QTest::keyClick(scale, Qt::Key_Return);
            EXPECT_TRUE(d.isVisible());
            EXPECT_EQ(scale->text(), typed);
            QTest::keyClick(scale, Qt::Key_Escape);
        });
        EXPECT_FALSE(PrintMap(nullptr, source));
        EXPECT_EQ(prompter.messageTexts(), QStringList{refusal});
        EXPECT_FALSE(QFile::exists(pdf()));
    }
}

TEST_F(MapPrintToPdfTest, AWholeMapScaleBeyond32BitsSaysThePictureIsTooLargeForThePaper)
{
    MapPrintSource source;
    source.picture = whitePicture(3000, 3000);
    source.scale = 2000000000;
    source.pixelRatio = 1;
    toPrinter();
    EXPECT_FALSE(PrintMap(nullptr, source));
    ASSERT_EQ(prompter.messageTexts().size(), 1);
    EXPECT_TRUE(prompter.messageTexts().first().startsWith(
        QStringLiteral("Karttakuva on liian suuri tulostettavaksi tälle paperille")));
}
