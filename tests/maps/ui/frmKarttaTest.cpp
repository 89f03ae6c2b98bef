#include "../PictureBytes.h"
#include "MapWindowFixture.h"

#include "base/Folders.h"
#include "contracts/cTila.h"
#include "maps/MapScale.h"
#include "maps/ui/frmMittakaava.h"
#include "maps/ui/frmTilaInfo.h"
#include "support/WhenModalShown.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QToolButton>

using namespace tikkeli;
using namespace tikkeli::test;

namespace {

using MapWindow = MapWindowFixture;

struct StoredPoint {
    qint32 order;
    double x, y;
};

std::vector<StoredPoint> storedPoints(Database& db, qint64 estate)
{
    std::vector<StoredPoint> points;
    Recordset rs = db.openRecordset(QStringLiteral("SELECT rjOrderID, rjX, rjY FROM rj "
                                                   "WHERE rjtlID = ?1 ORDER BY rjOrderID"),
                                    RecordsetType::Snapshot, {Value(estate)});
    for (; !rs.eof(); rs.moveNext())
        points.push_back({qint32(rs.field(0).toInt64()), rs.field(1).toDouble(), rs.field(2).toDouble()});
    return points;
}

// A point inside the square, its centre, in map twips.
const QPointF kInSquare(3000, 3000);
const QPointF kNowhere(9000, 1500);

} // namespace

TEST_F(MapWindow, OpensWithThePictureItsScaleAndTheDefaultZoom)
{
    frmKartta* w = open();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Tikkeli - Kartta"));
    EXPECT_EQ(w->picture().size(), QSize(1200, 900));
    EXPECT_EQ(w->currentScale(), 20000);
    EXPECT_DOUBLE_EQ(w->currentPixelRatio(), 144.0);
    EXPECT_EQ(label(*w, "lblMittakaava"), QStringLiteral("1:20000"));
    EXPECT_TRUE(Control<QToolButton>(*w, "zoom_5")->isChecked());
    EXPECT_TRUE(Control<QPushButton>(*w, "cTulosta")->isEnabled());
    EXPECT_FALSE(Control<QWidget>(*w, "pBar")->isVisible());
    EXPECT_EQ(w->viewState().mapSize(), QSizeF(18000, 13500));
    EXPECT_EQ(Control<QScrollBar>(*w, "HScrl")->minimum(), 1);
    EXPECT_EQ(Control<QScrollBar>(*w, "HScrl")->maximum(), w->viewState().hRange().maximum);
    // One window: a second opening brings the same one forward.
    EXPECT_EQ(frmKartta::Load(), w);
    EXPECT_TRUE(prompter.shown().empty());
}

TEST_F(MapWindow, WithoutADatabaseItDoesNotOpen)
{
    State().DatabasePath.clear();
    EXPECT_EQ(frmKartta::Load(), nullptr);
    EXPECT_EQ(prompter.messageTexts(), QStringList{QStringLiteral("Tarkista tietokanta asetukset asetusikkunasta!")});
}

TEST_F(MapWindow, ZoomKeepsTheViewCentreAndScrollsRepaintTheBoundariesFromMemory)
{
    frmKartta* w = open();
    frmKartta::ChooseEstates = [](QWidget*) { return std::optional<frmKartta::EstatesChoice>({true, {}}); };
    Control<QCheckBox>(*w, "cNaytaTilat")->click();
    ASSERT_EQ(view(*w)->estates().size(), 2u);
    auto* h = Control<QScrollBar>(*w, "HScrl");
    h->setValue(100);
    ASSERT_EQ(w->viewState().hScroll(), 100);
    const QPointF middle(view(*w)->width() / 2.0, view(*w)->height() / 2.0);
    const QPointF centre = view(*w)->mapPointAt(middle);
    w->chooseZoom(6);
    // The map point in the middle stays in the middle, within a scroll step.
    EXPECT_NEAR(view(*w)->widgetPosOf(centre).x(), middle.x(), 2);
    EXPECT_EQ(h->value(), w->viewState().hScroll());
    EXPECT_EQ(h->maximum(), w->viewState().hRange().maximum);
    EXPECT_TRUE(Control<QToolButton>(*w, "zoom_7")->isChecked());
    EXPECT_FALSE(Control<QToolButton>(*w, "zoom_5")->isChecked());
    // Scrolling asks nothing and keeps both boundaries.
    int asked = 0;
    frmKartta::ChooseEstates = [&](QWidget*) {
        ++asked;
        return std::optional<frmKartta::EstatesChoice>();
    };
    h->setValue(200);
    Control<QScrollBar>(*w, "VScrl")->setValue(50);
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(view(*w)->estates().size(), 2u);
}

TEST_F(MapWindow, PaintFailureFallsBackToAZoomThatFits)
{
    frmKartta* w = open();
    const std::pair<int, int> cases[] = {{5, 4}, {3, 0}};
    for (const auto& [from, to] : cases) {
        w->chooseZoom(from);
        emit view(*w)->paintFailed();
        QApplication::processEvents();
        EXPECT_EQ(w->viewState().zoomIndex(), to) << from;
    }
    EXPECT_EQ(prompter.messageTexts().count(QStringLiteral("Karttaa ei pystytä näyttämään valitulla "
                                                           "zoomauksella. (Muisti loppu.)")),
              2);
}

TEST_F(MapWindow, ViewDrawsEachBoundaryCornerOnItsMarkOfThePictureAtTwoZooms)
{
    frmKartta* w = open();
    frmKartta::ChooseEstates = [](QWidget*) { return std::optional<frmKartta::EstatesChoice>({true, {}}); };
    for (int zoom : {4, 6}) {
        w->chooseZoom(zoom);
        Control<QScrollBar>(*w, "HScrl")->setValue(30);
        Control<QScrollBar>(*w, "VScrl")->setValue(30);
        auto* box = Control<QCheckBox>(*w, "cNaytaTilat");
        box->setChecked(false);
        w->cNaytaTilat_Click();
        const QImage bare = view(*w)->grab().toImage();
        box->setChecked(true);
        w->cNaytaTilat_Click();
        const QImage drawn = view(*w)->grab().toImage();
        int seen = 0;
        for (const auto* corners : {&kSquarePixels, &kTrianglePixels}) {
            for (const QPoint& p : *corners) {
                const QPointF pos = view(*w)->widgetPosOf(twips(p));
                if (!QRectF(view(*w)->rect()).adjusted(2, 2, -2, -2).contains(pos))
                    continue;
                ++seen;
                SCOPED_TRACE(testing::Message() << "zoom " << zoom << " corner " << p.x() << "," << p.y());
                EXPECT_EQ(bare.pixelColor(pos.toPoint()), markColor());
                EXPECT_TRUE(colourNear(drawn, pos, MapView::boundaryColor()));
            }
        }
        EXPECT_GE(seen, 4);
    }
}

TEST_F(MapWindow, AClickAtHalfZoomStoresThePointTheConversionGives)
{
    frmKartta* w = open();
    frmKartta::PickEstate = [](QWidget*, frmKartta::EstateFilter filter) {
        EXPECT_EQ(filter, frmKartta::EstateFilter::WithoutBoundary);
        return kUndrawn;
    };
    w->chooseZoom(2);
    ASSERT_EQ(w->viewState().hScroll(), 1);
    ASSERT_EQ(w->viewState().vScroll(), 1);
    w->cPiirra_Click();
    ASSERT_FALSE(w->tool().idle());
    EXPECT_FALSE(Control<QCheckBox>(*w, "cNaytaTilat")->isEnabled());
    click(*w, QPoint(100, 60));
    click(*w, QPoint(200, 60));
    click(*w, QPoint(200, 160));
    prompter.answerYes();
    click(*w, QPoint(200, 160), Qt::RightButton);
    const auto points = storedPoints(t.db, kUndrawn);
    ASSERT_EQ(points.size(), 3u);
    // (1 x 20 + 100 x 15) / 0.5 and (1 x 20 + 60 x 15) / 0.5
    EXPECT_DOUBLE_EQ(points[0].x, 3040);
    EXPECT_DOUBLE_EQ(points[0].y, 1840);
}

TEST_F(MapWindow, DrawingEndsByTheRightClickWithTheAnswer)
{
    struct Case {
        const char* what;
        int clicks;
        std::optional<MsgResult> answer;
        int kept;
        QStringList messages;
    } const cases[] = {
        {"three and Yes", 3, MsgResult::Yes, 3, {}},
        {"three and No", 3, MsgResult::No, 0, {}},
        {"one",
         1,
         std::nullopt,
         0,
         {QStringLiteral("Tilan rajaan tarvitaan vähintään kolme pistettä. "
                         "Pisteitä ei tallennettu.")}},
        {"two",
         2,
         std::nullopt,
         0,
         {QStringLiteral("Tilan rajaan tarvitaan vähintään kolme pistettä. "
                         "Pisteitä ei tallennettu.")}},
        {"none", 0, std::nullopt, 0, {}},
    };
    frmKartta* w = open();
    frmKartta::PickEstate = [](QWidget*, frmKartta::EstateFilter) { return kUndrawn; };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        prompter.clear();
        w->cPiirra_Click();
        for (int i = 0; i < c.clicks; ++i)
            click(*w, QPoint(200 + 40 * i, 100 + 30 * (i % 2)));
        EXPECT_EQ(view(*w)->drawing().size(), std::size_t(c.clicks));
        if (c.answer)
            prompter.answer(*c.answer);
        click(*w, QPoint(300, 300), Qt::RightButton);
        EXPECT_TRUE(w->tool().idle());
        // The click that ended the drawing opens no popup.
        EXPECT_FALSE(w->popupMenu()->isVisible());
        EXPECT_TRUE(view(*w)->drawing().empty());
        EXPECT_TRUE(Control<QCheckBox>(*w, "cNaytaTilat")->isEnabled());
        const auto points = storedPoints(t.db, kUndrawn);
        ASSERT_EQ(int(points.size()), c.kept);
        for (int i = 0; i < c.kept; ++i)
            EXPECT_EQ(points[std::size_t(i)].order, i + 1);
        QStringList messages;
        for (const auto& s : prompter.shown())
            if (s.buttons == MsgButtons::Ok)
                messages << s.text;
        EXPECT_EQ(messages, c.messages);
        if (c.answer) {
            ASSERT_EQ(prompter.shown().front().text, QStringLiteral("Tallennetaanko tilan rajat?"));
            EXPECT_EQ(prompter.shown().front().icon, MsgIcon::None);
        }
        t.db.execute(QStringLiteral("DELETE FROM rj WHERE rjtlID = ?1"), {Value(kUndrawn)});
    }
    EXPECT_EQ(prompter.unexpected(), 0);
}

TEST_F(MapWindow, ScrollingWhileDrawingKeepsTheLinesAndAFailedSaveStoresNothing)
{
    frmKartta* w = open();
    frmKartta::PickEstate = [](QWidget*, frmKartta::EstateFilter) { return kUndrawn; };
    w->chooseZoom(6);
    w->cPiirra_Click();
    click(*w, QPoint(100, 100));
    click(*w, QPoint(200, 100));
    Control<QScrollBar>(*w, "HScrl")->setValue(40);
    EXPECT_EQ(view(*w)->drawing().size(), 2u);
    click(*w, QPoint(200, 200));
    EXPECT_EQ(view(*w)->drawing().size(), 3u);

    click(*w, QPoint(100, 200));
    EXPECT_EQ(storedPoints(t.db, kUndrawn).size(), 0u);

    // The fourth corner cannot be stored: none of them is.
    t.db.execute(QStringLiteral("CREATE TRIGGER full BEFORE INSERT ON rj WHEN NEW.rjOrderID = 4 "
                                "BEGIN SELECT RAISE(ABORT, 'full'); END"));
    prompter.answerYes();
    click(*w, QPoint(100, 200), Qt::RightButton);
    ASSERT_EQ(prompter.shown().size(), 2u);
    EXPECT_TRUE(prompter.shown()[1].text.startsWith(QStringLiteral("Virhe kartan tietokantatoiminnossa: ")));
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(storedPoints(t.db, kUndrawn).size(), 0u);
}

TEST_F(MapWindow, HoverNamesTheEstateAfterTheTimerAndShowsTheCoordinates)
{
    frmKartta* w = open();
    QTest::mouseMove(view(*w), at(*w, kInSquare));
    QApplication::processEvents();
    EXPECT_EQ(label(*w, "lblTila"), QString());
    QTest::qWait(450);
    EXPECT_EQ(label(*w, "lblTila"), QStringLiteral("Hirvilahti : Pirttimäki : Korpela : 940-404-16-6"));
    EXPECT_FALSE(label(*w, "lblX").isEmpty());
    EXPECT_FALSE(label(*w, "lblX").contains(QLatin1Char('.')));
    QTest::mouseMove(view(*w), at(*w, kNowhere));
    QTest::qWait(450);
    EXPECT_EQ(label(*w, "lblTila"), QString());
}

TEST_F(MapWindow, CoordinatesAreShownInTheFinnishForm)
{
    frmKartta* w = open();
    w->ShowCoordinates(QPointF(2666.6667, 1400));
    EXPECT_EQ(label(*w, "lblX"), QStringLiteral("2666,667"));
    EXPECT_EQ(label(*w, "lblY"), QStringLiteral("1400"));
}

TEST_F(MapWindow, DoubleClickOpensTheEstateInformation)
{
    frmKartta* w = open();
    QTest::mouseDClick(view(*w), Qt::LeftButton, {}, at(*w, kInSquare));
    QApplication::processEvents();
    auto* info = qobject_cast<frmTilaInfo*>(FormRegistry::find(QStringLiteral("frmTilaInfo")));
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->shownTexts().rekNo, QStringLiteral("940-404-16-6"));
}

TEST_F(MapWindow, PopupRemovesTheBoundaryUnderThePointerAfterAskingByName)
{
    frmKartta* w = open();
    click(*w, at(*w, kNowhere), Qt::RightButton);
    ASSERT_TRUE(w->popupMenu()->isVisible());
    w->popupMenu()->hide();
    w->mPoistaTilanRajat_Click();
    EXPECT_EQ(prompter.messageTexts(), QStringList{QStringLiteral("Kohdassa ei ole tilaa.")});

    prompter.clear();
    click(*w, at(*w, kInSquare), Qt::RightButton);
    w->popupMenu()->hide();
    prompter.answerNo();
    w->mPoistaTilanRajat_Click();
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(prompter.shown()[0].text, QStringLiteral("Haluatko varmasti poistaa valitun tilan rajat kartalta?\r\n\r\n"
                                                       "Hirvilahti : Pirttimäki : Korpela : 940-404-16-6"));
    EXPECT_EQ(rows(QStringLiteral(" WHERE rjtlID = 1")), 4);

    prompter.answerYes();
    w->mPoistaTilanRajat_Click();
    EXPECT_EQ(rows(QStringLiteral(" WHERE rjtlID = 1")), 0);
    EXPECT_EQ(rows(QStringLiteral(" WHERE rjtlID = 2")), 3);
}

TEST_F(MapWindow, RemovalByRegisterNumberAsksAndTakesTheWholeBoundary)
{
    frmKartta* w = open();
    frmKartta::PickEstate = [](QWidget*, frmKartta::EstateFilter filter) {
        EXPECT_EQ(filter, frmKartta::EstateFilter::WithBoundary);
        return kTriangle;
    };
    frmKartta::ChooseEstates = [](QWidget*) { return std::optional<frmKartta::EstatesChoice>({true, {}}); };
    Control<QCheckBox>(*w, "cNaytaTilat")->click();
    ASSERT_EQ(view(*w)->estates().size(), 2u);
    prompter.answerYes();
    w->mPoistaTila_Click();
    EXPECT_EQ(rows(QStringLiteral(" WHERE rjtlID = 2")), 0);
    EXPECT_EQ(view(*w)->estates().size(), 1u);
}

TEST_F(MapWindow, SearchCentresOnTheEstateAndItsBoundaryStaysThroughScrolling)
{
    frmKartta* w = open();
    frmKartta::PickEstate = [](QWidget*, frmKartta::EstateFilter filter) {
        EXPECT_EQ(filter, frmKartta::EstateFilter::All);
        return kTriangle;
    };
    w->chooseZoom(6);
    w->cHaku_Click();
    EXPECT_EQ(view(*w)->foundEstate().size(), 3u);
    // The triangle's box centre (550, 350) pixels lies in the middle of the view.
    const QPointF middle = view(*w)->widgetPosOf(twips(QPoint(550, 350)));
    EXPECT_NEAR(middle.x(), view(*w)->width() / 2.0, 2);
    EXPECT_NEAR(middle.y(), view(*w)->height() / 2.0, 2);
    Control<QScrollBar>(*w, "HScrl")->setValue(Control<QScrollBar>(*w, "HScrl")->value() + 30);
    EXPECT_EQ(view(*w)->foundEstate().size(), 3u);
    EXPECT_EQ(w->drawnEstates().size(), 1u);

    frmKartta::PickEstate = [](QWidget*, frmKartta::EstateFilter) { return kUndrawn; };
    w->cHaku_Click();
    EXPECT_EQ(prompter.messageTexts(), QStringList{QStringLiteral("Tilaa ei ole merkitty kartalle.")});
}

TEST_F(MapWindow, ShowingTheChosenContractsMarksThemOnceAndACancelShowsNothing)
{
    frmKartta* w = open();
    auto* box = Control<QCheckBox>(*w, "cNaytaTilat");
    int asked = 0;
    frmKartta::ChooseEstates = [&](QWidget*) {
        ++asked;
        return std::optional<frmKartta::EstatesChoice>({false, {kTriangle}});
    };
    box->click();
    ASSERT_EQ(view(*w)->estates().size(), 1u);
    EXPECT_EQ(view(*w)->estates().front().size(), 3u);
    w->chooseZoom(3);
    Control<QScrollBar>(*w, "VScrl")->setValue(5);
    EXPECT_EQ(asked, 1);

    box->click(); // off
    EXPECT_TRUE(view(*w)->estates().empty());
    frmKartta::ChooseEstates = [](QWidget*) { return std::optional<frmKartta::EstatesChoice>(); };
    box->click(); // on, and the dialog cancelled
    EXPECT_FALSE(box->isChecked());
    EXPECT_TRUE(view(*w)->estates().empty());
}

TEST_F(MapWindow, AnEstateRemovedInTheContractWindowVanishesFromTheMap)
{
    frmKartta* w = open();
    frmKartta::ChooseEstates = [](QWidget*) { return std::optional<frmKartta::EstatesChoice>({true, {}}); };
    Control<QCheckBox>(*w, "cNaytaTilat")->click();
    ASSERT_EQ(view(*w)->estates().size(), 2u);
    ASSERT_EQ(w->FindEstateAt(kInSquare), kSquare);

    cTila estate(t.db);
    ASSERT_TRUE(estate.Read(kSquare));
    ASSERT_TRUE(estate.Delete());

    w->MoveMap();
    EXPECT_EQ(view(*w)->estates().size(), 1u);
    EXPECT_EQ(w->FindEstateAt(kInSquare), 0);
    EXPECT_EQ(label(*w, "lblTila"), QString());
}

TEST_F(MapWindow, PixelModesKeepTheMeasuredProportion)
{
    frmKartta* w = open();
    const std::pair<const char*, qint32> modes[] = {{"mYksiMetriPerPikseli", -1},
                                                    {"mKaksiMetriaPerPikseli", -2},
                                                    {"mNeljaMetriaPerPikseli", -4}};
    for (const auto& [action, scale] : modes) {
        Control<QAction>(*w, action)->trigger();
        const auto stored = MapStorage::ReadScale(t.db);
        EXPECT_EQ(stored.scale, scale);
        EXPECT_DOUBLE_EQ(stored.pixelRatio, 144.0);
        EXPECT_EQ(w->currentScale(), scale);
        EXPECT_EQ(label(*w, "lblMittakaava"), ScaleCaption(scale));
    }
}

TEST_F(MapWindow, MeasuringTwoPointsStoresTheProportionAtOnce)
{
    struct Case {
        const char* answer;
        double stored;
        QString message;
    } const cases[] = {
        {"100", 144.0, QStringLiteral("Kartan mittasuhde asetettu.")},
        {"0", 144.0, QStringLiteral("Etäisyys pitää syöttää millimetreinä - asetusta ei tehty.")},
        {"-5", 144.0, QStringLiteral("Etäisyys pitää syöttää millimetreinä - asetusta ei tehty.")},
        {"sata", 144.0, QStringLiteral("Etäisyys pitää syöttää millimetreinä - asetusta ei tehty.")},
        {"50", 288.0, QStringLiteral("Kartan mittasuhde asetettu.")},
    };
    MapStorage::SaveMapPixelRatio(t.db, 1.0);
    frmKartta* w = open();
    w->chooseZoom(2); // 50 %: 14400 map twips are 480 pixels
    double expected = 1.0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        prompter.clear();
        w->mMaaraaMittasuhteet_Click();
        ASSERT_FALSE(w->tool().idle());
        click(*w, QPoint(20, 100));
        QTest::mouseMove(view(*w), QPoint(300, 100));
        ASSERT_TRUE(view(*w)->measureLine());
        prompter.answerText(QString::fromLatin1(c.answer));
        click(*w, QPoint(500, 100));
        EXPECT_TRUE(w->tool().idle());
        EXPECT_FALSE(view(*w)->measureLine());
        if (c.message.startsWith(QStringLiteral("Kartan")))
            expected = c.stored;
        EXPECT_DOUBLE_EQ(MapStorage::ReadScale(t.db).pixelRatio, expected);
        // What the print reads now, without opening the window again.
        EXPECT_DOUBLE_EQ(w->currentPixelRatio(), expected);
        EXPECT_EQ(prompter.messageTexts(), QStringList{c.message});
        ASSERT_EQ(prompter.shown().front().kind, ScriptedPrompter::Kind::Input);
        EXPECT_EQ(prompter.shown().front().text, QStringLiteral("Matka alkuperäisellä kartalla millimetreinä"));
    }
}

TEST_F(MapWindow, RightClickEndsAMeasurementWithoutThePopup)
{
    frmKartta* w = open();
    w->mMaaraaMittasuhteet_Click();
    click(*w, QPoint(20, 100));
    click(*w, QPoint(40, 100), Qt::RightButton);
    EXPECT_TRUE(w->tool().idle());
    EXPECT_FALSE(w->popupMenu()->isVisible());
    EXPECT_TRUE(prompter.shown().empty());
}

TEST_F(MapWindow, ScaleDialogTakesOnlyAPositiveWholeNumber)
{
    frmKartta* w = open();
    WhenModalShown<frmMittakaava>([this](frmMittakaava& d) {
        auto* box = Control<QLineEdit>(d, "tScale");
        EXPECT_EQ(box->text(), QStringLiteral("20000"));
        box->clear();
        QTest::keyClicks(box, QStringLiteral("2x5a0"));
        EXPECT_EQ(box->text(), QStringLiteral("250"));
        box->setText(QStringLiteral("0"));
        Control<QPushButton>(d, "cOK")->click();
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(prompter.messageTexts(), QStringList{QStringLiteral("Mittakaavan pitää olla positiivinen kokonaisluku.")});
        box->setText(QStringLiteral("25000"));
        Control<QPushButton>(d, "cOK")->click();
    });
    w->mAsetaMittakaava_Click();
    EXPECT_EQ(MapStorage::ReadScale(t.db).scale, 25000);
    EXPECT_EQ(label(*w, "lblMittakaava"), QStringLiteral("1:25000"));

    // The close box is a cancel.
    WhenModalShown<frmMittakaava>([](frmMittakaava& d) {
        Control<QLineEdit>(d, "tScale")->setText(QStringLiteral("5000"));
        d.close();
    });
    w->mAsetaMittakaava_Click();
    EXPECT_EQ(MapStorage::ReadScale(t.db).scale, 25000);
    EXPECT_EQ(w->currentScale(), 25000);
}

TEST_F(MapWindow, ANewPictureAsksFirstWhenBoundariesExistAndShowsAtOnce)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("uusi.png"));
    QImage(600, 400, QImage::Format_RGB32).save(file);
    frmKartta* w = open();

    prompter.answerNo();
    w->mLataaKartta_Click();
    EXPECT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(prompter.shown()[0].text, QStringLiteral("Kartalle on piirretty tilojen rajoja, jotka eivät siirry uuden "
                                                       "kuvan mukana. Ladataanko uusi kartta?"));
    EXPECT_EQ(w->picture().width(), 1200);

    prompter.clear();
    prompter.answerYes();
    prompter.answerText(file);
    w->mLataaKartta_Click();
    ASSERT_EQ(prompter.shown().size(), 2u);
    const FileDialogRequest& request = prompter.shown()[1].request;
    EXPECT_EQ(request.title, QStringLiteral("Karttakuva"));
    EXPECT_EQ(request.folder, DocumentsFolder());
    EXPECT_TRUE(request.filter.contains(QStringLiteral("*.png")));
    EXPECT_TRUE(request.filter.contains(QStringLiteral("*.jpg")));
    EXPECT_EQ(w->picture().size(), QSize(600, 400));
    EXPECT_EQ(w->currentScale(), 0);
    EXPECT_DOUBLE_EQ(w->currentPixelRatio(), 0.0);
    EXPECT_EQ(label(*w, "lblMittakaava"), QStringLiteral("Ei määritelty"));
    EXPECT_EQ(w->viewState().mapSize(), QSizeF(9000, 6000));
    EXPECT_EQ(MapStorage::Read(t.db).picture.size(), QFile(file).size());
}

TEST_F(MapWindow, AnUnusablePictureFileStoresNothing)
{
    QTemporaryDir dir;
    const QString garbage = dir.filePath(QStringLiteral("kartta.png"));
    {
        QFile f(garbage);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("ei kuva");
    }
    // A picture whose header claims 40000 x 40000 pixels: refused before it is
    // decoded.
    const QString huge = dir.filePath(QStringLiteral("iso.png"));
    {
        QFile f(huge);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(PngHeader(40000, 40000));
    }
    // Half of a good picture: damaged, not too large.
    const QString truncated = dir.filePath(QStringLiteral("puolikas.png"));
    {
        QFile f(truncated);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(pictureBytes().left(pictureBytes().size() / 2));
    }
    t.db.execute(QStringLiteral("DELETE FROM rj"));
    const QByteArray before = MapStorage::Read(t.db).picture;
    frmKartta* w = open();
    const std::pair<QString, QString> cases[] = {
        {garbage, QStringLiteral("Valittua kuvatiedostoa ei voida käyttää.")},
        {truncated, QStringLiteral("Valittua kuvatiedostoa ei voida käyttää.")},
        {huge, QStringLiteral("Valittu karttakuva on liian suuri näytettäväksi. "
                              "Kuvaa ei tallennettu.")},
    };
    for (const auto& [file, message] : cases) {
        prompter.clear();
        prompter.answerText(file);
        w->mLataaKartta_Click();
        EXPECT_EQ(prompter.messageTexts(), QStringList{message});
        EXPECT_EQ(MapStorage::Read(t.db).picture, before);
        EXPECT_EQ(w->currentScale(), 20000);
    }
}

TEST_F(MapWindow, AStoredPictureThatCannotBeShownLeavesTheRowAsItIs)
{
    // Bytes that are no picture, and half of a good one.
    for (const QByteArray& stored : {QByteArray("rikki"), pictureBytes().left(pictureBytes().size() / 2)}) {
        prompter.clear();
        MapStorage::SavePictureBytes(t.db, stored);
        MapStorage::SaveMapScale(t.db, 20000);
        frmKartta* w = open();
        EXPECT_EQ(prompter.messageTexts(),
                  QStringList{QStringLiteral("Tietokantaan tallennettua karttakuvaa ei voida näyttää.")});
        EXPECT_TRUE(w->picture().isNull());
        EXPECT_EQ(label(*w, "lblMittakaava"), QStringLiteral("1:20000"));
        EXPECT_EQ(MapStorage::Read(t.db).picture, stored);
        FormRegistry::CloseAllForms();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(MapWindow, DeletingTheMapEmptiesTheViewAtOnce)
{
    frmKartta* w = open();
    prompter.answerNo();
    w->mPoistaKartta_Click();
    EXPECT_EQ(prompter.messageTexts(), (QStringList{QStringLiteral("Oletko varma, että haluat poistaa kartan?"),
                                                    QStringLiteral("Toiminto keskeytetty.")}));
    EXPECT_TRUE(MapStorage::Read(t.db).exists);

    prompter.clear();
    prompter.answerYes();
    w->mPoistaKartta_Click();
    EXPECT_EQ(prompter.messageTexts().last(), QStringLiteral("Kartta poistettu."));
    EXPECT_FALSE(MapStorage::Read(t.db).exists);
    EXPECT_TRUE(w->picture().isNull());
    EXPECT_EQ(w->currentScale(), 0);
    EXPECT_EQ(label(*w, "lblMittakaava"), QStringLiteral("Ei määritelty"));
    EXPECT_EQ(Control<QScrollBar>(*w, "HScrl")->maximum(), 1);
}

TEST_F(MapWindow, KeysRunTheCommands)
{
    frmKartta* w = open();
    std::vector<frmKartta::EstateFilter> picked;
    frmKartta::PickEstate = [&](QWidget*, frmKartta::EstateFilter filter) {
        picked.push_back(filter);
        return qint64(0);
    };
    int chosen = 0;
    frmKartta::ChooseEstates = [&](QWidget*) {
        ++chosen;
        return std::optional<frmKartta::EstatesChoice>({true, {}});
    };
    w->activateWindow();
    QTest::keyClick(w, Qt::Key_F2);
    QTest::keyClick(w, Qt::Key_F6);
    QTest::keyClick(w, Qt::Key_F3);
    EXPECT_EQ(picked, (std::vector{frmKartta::EstateFilter::WithoutBoundary, frmKartta::EstateFilter::All}));
    EXPECT_EQ(chosen, 1);
    EXPECT_TRUE(Control<QCheckBox>(*w, "cNaytaTilat")->isChecked());
    EXPECT_EQ(view(*w)->estates().size(), 2u);
    QTest::keyClick(w, Qt::Key_F3);
    EXPECT_FALSE(Control<QCheckBox>(*w, "cNaytaTilat")->isChecked());
    EXPECT_TRUE(view(*w)->estates().empty());
    EXPECT_EQ(Control<QAction>(*w, "mTulosta")->shortcut(), QKeySequence(Qt::Key_F7));
    EXPECT_TRUE(Control<QAction>(*w, "mTulosta")->isEnabled());

    // The file menu by keyboard alone: Alt+T, then Enter on its first entry, which loads a map
    // (and first asks about the boundaries drawn on the present one).
    auto* menu = Control<QMenu>(*w, "mTiedosto");
    QTest::keyClick(w, Qt::Key_T, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return menu->isVisible(); }));
    QTest::keyClick(menu, Qt::Key_Return);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !menu->isVisible(); }));
    ASSERT_FALSE(prompter.shown().empty());
    EXPECT_TRUE(prompter.shown().back().text.startsWith(QStringLiteral("Kartalle on piirretty tilojen rajoja")));
}
