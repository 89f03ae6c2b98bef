#include "maps/ui/frmKartta.h"

#include "base/ErrorHandling.h"
#include "base/Folders.h"
#include "base/Prompter.h"
#include "base/SharedState.h"
#include "ui/FormRegistry.h"
#include "db/ReplacedFile.h"
#include "ui/Twips.h"
#include "ui/cMouseCursor.h"
#include "maps/BoundaryCache.h"
#include "maps/DrawingTool.h"
#include "maps/EstateCaption.h"
#include "maps/MapBoundaries.h"
#include "maps/MapPicture.h"
#include "maps/MapScale.h"
#include "maps/MapStorage.h"
#include "maps/MapUnits.h"
#include "maps/MeasuringTool.h"
#include "maps/cTilojenRajat.h"
#include "maps/ui/MapPrinting.h"
#include "maps/ui/MapView.h"
#include "maps/ui/frmMittakaava.h"
#include "maps/ui/frmPiirrettavatTilat.h"
#include "maps/ui/frmTilaInfo.h"
#include "maps/ui/frmValitseTila.h"
#include "ui/FormPlacement.h"

#include "ui_frmKartta.h"
#include "db/ConfiguredDatabase.h"

#include <QApplication>
#include <algorithm>
#include <QCloseEvent>
#include <QLabel>
#include <QStatusBar>
#include <QMenu>
#include <QScopedValueRollback>
#include <QTimer>
#include <QToolButton>

namespace tikkeli {

namespace {

const QString kWindowName = QStringLiteral("frmKartta");
const QString kDatabaseError = QStringLiteral("Virhe kartan tietokantatoiminnossa: ");
constexpr int kHoverMs = 300;
constexpr int kMinimumWidthTwips = 11775;
constexpr int kMinimumHeightTwips = 8550;
constexpr int kScanScaleOffered = 10000;

} // namespace

frmKartta* frmKartta::Instance()
{
    return qobject_cast<frmKartta*>(FormRegistry::find(kWindowName));
}

frmKartta* frmKartta::Load()
{
    const bool wasLoaded = FormRegistry::IsFormLoaded(kWindowName);
    auto* w = static_cast<frmKartta*>(FormRegistry::open(kWindowName, []() -> QWidget* {
        auto* w = new frmKartta;
        if (!w->loaded()) {
            delete w;
            return nullptr;
        }
        return w;
    }));
    // The picture is read once the window is on the screen, so that its progress
    // shows.
    if (w && !wasLoaded)
        w->LoadMap();
    return w;
}

frmKartta::frmKartta(QWidget* parent) : QMainWindow(parent, Qt::Window), ui(std::make_unique<Ui::frmKartta>())
{
    ui->setupUi(this);
    setObjectName(kWindowName);
    m_mapView = ui->Picture1;
    m_mapView->setViewState(&m_view);
    m_zoomButtons = {ui->zoom_1, ui->zoom_2, ui->zoom_3, ui->zoom_4, ui->zoom_5, ui->zoom_6, ui->zoom_7};
    ui->pBar->setVisible(false);

    m_popup = new QMenu(this);
    m_popup->setObjectName(QStringLiteral("mPopup"));
    m_popup->setTitle(QStringLiteral("My Popup"));
    m_popup->addAction(ui->mPoistaTilanRajat);

    m_hoverTimer = new QTimer(this);
    m_hoverTimer->setObjectName(QStringLiteral("Timer1"));
    m_hoverTimer->setInterval(kHoverMs);
    m_hoverTimer->setSingleShot(true);
    connect(m_hoverTimer, &QTimer::timeout, this, &frmKartta::hoverTick);

    m_hint = new QLabel(this);
    m_hint->setObjectName(QStringLiteral("lblOhje"));
    statusBar()->addWidget(m_hint, 1);
    setTool(std::make_unique<BrowsingTool>());
    connectCommands();
    m_mapView->setFocus();
    setMinimumSize(TwipsToPixels(kMinimumWidthTwips, this), TwipsToPixels(kMinimumHeightTwips, this));
    resize(TwipsToPixels(kMinimumWidthTwips, this) + 120, TwipsToPixels(kMinimumHeightTwips, this) + 80);
    RestoreFormPlacement(this);
    m_loaded = load();
    FollowReplacedFile(
        this, [this] { return m_db.path(); }, [this] { ReadReplacedFile(); });
}

frmKartta::~frmKartta() = default;

Database frmKartta::openDatabase() const
{
    // The window keeps its handle (see m_db); another file chosen meanwhile is opened instead.
    if (!m_db.isOpen() || m_dbSetting != State().DatabasePath) {
        m_db = Database::open(State().DatabasePath);
        m_dbSetting = State().DatabasePath;
    }
    return m_db;
}

bool frmKartta::load()
{
    const QString path = State().DatabasePath;
    if (path.isEmpty() || path.compare(QStringLiteral("unknown"), Qt::CaseInsensitive) == 0) {
        ShowInfo(CheckDatabaseSettingsMessage());
        return false;
    }
    // No drawing stores anything before it is finished: fewer than three points are what an earlier
    // version left when stopped midway, no boundary, and they keep the estate from being drawn. They
    // go when the map, where boundaries are drawn, opens (a file that cannot be written keeps them).
    IgnoringErrors("unfinished boundaries", [&] {
        Database db = openDatabase();
        RemoveUnfinishedBoundaries(db);
    });
    m_view.setViewSize(m_mapView->sizeInTwips());
    syncScrollBars();
    ShowScaleCaption();
    return true;
}

void frmKartta::ReadReplacedFile()
{
    ++m_fileReads;
    // Corners drawn or a distance measured on the old file's map are let go unstored (a tool whose
    // question is open ends unstored as soon as it is answered), and the estates chosen there are
    // no longer shown.
    if (m_asking == 0)
        setTool(std::make_unique<BrowsingTool>());
    ui->cNaytaTilat->setChecked(false);
    m_shown.choose(false, {});
    m_finder.clear();
    ui->lblTila->clear();
    refreshEstates();
    if (!m_readingPicture)
        LoadMap();
}

void frmKartta::connectCommands()
{
    const auto both = [this](QAbstractButton* button, QAction* action, auto handler) {
        if (button)
            connect(button, &QAbstractButton::clicked, this, handler);
        if (action) {
            action->setShortcutContext(Qt::WindowShortcut);
            connect(action, &QAction::triggered, this, handler);
        }
    };
    both(ui->cHaku, ui->mHaku, [this] { cHaku_Click(); });
    both(ui->cPiirra, ui->mPiirraTila, [this] { cPiirra_Click(); });
    both(ui->cSulje, ui->mSulje, [this] { cSulje_Click(); });
    both(ui->cTulosta, ui->mTulosta, [this] { cTulosta_Click(); });
    both(ui->cNaytaTilat, nullptr, [this] { cNaytaTilat_Click(); });
    // The menu entry is a click on the box: it turns the box over, then shows or hides.
    both(nullptr, ui->mNaytaTilat, [this] {
        if (!ui->cNaytaTilat->isEnabled())
            return;
        ui->cNaytaTilat->setChecked(!ui->cNaytaTilat->isChecked());
        cNaytaTilat_Click();
    });
    both(nullptr, ui->mLataaKartta, [this] { mLataaKartta_Click(); });
    both(nullptr, ui->mPoistaKartta, [this] { mPoistaKartta_Click(); });
    both(nullptr, ui->mYksiMetriPerPikseli, [this] { mPixelMode_Click(kOneMetrePerPixel); });
    both(nullptr, ui->mKaksiMetriaPerPikseli, [this] { mPixelMode_Click(kTwoMetresPerPixel); });
    both(nullptr, ui->mNeljaMetriaPerPikseli, [this] { mPixelMode_Click(kFourMetresPerPixel); });
    both(nullptr, ui->mAsetaMittakaava, [this] { mAsetaMittakaava_Click(); });
    both(nullptr, ui->mMaaraaMittasuhteet, [this] { mMaaraaMittasuhteet_Click(); });
    both(nullptr, ui->mPoistaTila, [this] { mPoistaTila_Click(); });
    connect(ui->mPoistaTilanRajat, &QAction::triggered, this, &frmKartta::mPoistaTilanRajat_Click);
    for (int i = 0; i < int(m_zoomButtons.size()); ++i)
        connect(m_zoomButtons[std::size_t(i)], &QToolButton::clicked, this, [this, i] { chooseZoom(i); });

    const auto scrolled = [this] {
        if (m_syncing)
            return;
        m_view.setScroll(ui->HScrl->value(), ui->VScrl->value());
        MoveMap();
    };
    connect(ui->HScrl, &QScrollBar::valueChanged, this, scrolled);
    connect(ui->VScrl, &QScrollBar::valueChanged, this, scrolled);

    connect(m_mapView, &MapView::viewResized, this, [this] {
        m_view.setViewSize(m_mapView->sizeInTwips());
        syncScrollBars();
    });
    // The running tool decides what each event on the map means.
    connect(m_mapView, &MapView::mapPressed, this,
            [this](Qt::MouseButton button, QPointF map) { apply(m_tool->press(button, map)); });
    connect(m_mapView, &MapView::mapReleased, this, [this](Qt::MouseButton button, QPointF map, QPoint globalPos) {
        m_releasedAt = globalPos;
        apply(m_tool->release(button, map));
    });
    connect(m_mapView, &MapView::mapDoubleClicked, this, [this](QPointF map) { apply(m_tool->doubleClick(map)); });
    connect(m_mapView, &MapView::mapKey, this, [this](int key) {
        if (const auto outcome = m_tool->key(key))
            apply(*outcome);
    });
    connect(m_mapView, &MapView::mapMoved, this, &frmKartta::mapMoved);
    connect(m_mapView, &MapView::paintFailed, this, &frmKartta::paintFailed);
    connect(m_mapView, &MapView::panRequested, this, [this](Qt::Orientation o, QAbstractSlider::SliderAction action) {
        (o == Qt::Horizontal ? ui->HScrl : ui->VScrl)->triggerAction(action);
    });
    connect(m_mapView, &MapView::zoomStepRequested, this,
            [this](int step) { chooseZoom(std::clamp(m_view.zoomIndex() + step, 0, int(m_zoomButtons.size()) - 1)); });
}

void frmKartta::ShowScaleCaption()
{
    ui->lblMittakaava->setText(ScaleCaption(m_currentScale));
}

void frmKartta::showPicture(QImage picture)
{
    const QSizeF extent = map::pictureSizeInTwips(picture.size());
    m_mapView->setPicture(std::move(picture));
    m_view.setMapSize(extent);
    m_view.setScroll(kScrollMinimum, kScrollMinimum);
    syncScrollBars();
    MoveMap();
}

void frmKartta::syncScrollBars()
{
    m_syncing = true;
    const auto apply = [](QScrollBar* bar, const ScrollRange& r, int value) {
        bar->setRange(r.minimum, r.maximum);
        bar->setSingleStep(r.smallChange);
        bar->setPageStep(r.largeChange);
        bar->setValue(value);
    };
    apply(ui->HScrl, m_view.hRange(), m_view.hScroll());
    apply(ui->VScrl, m_view.vRange(), m_view.vScroll());
    m_syncing = false;
    m_mapView->update();
}

void frmKartta::MoveMap()
{
    // Scrolling and zooming repaint from memory: the boundaries are read again only when the
    // database may have changed since.
    IgnoringErrors("the database stamp", [&] {
        Database db = openDatabase();
        if (m_shown.stale(db))
            refreshEstates();
    });
    m_mapView->update();
}

void frmKartta::chooseZoom(int zoomIndex)
{
    m_view.setZoomIndex(zoomIndex);
    for (int i = 0; i < int(m_zoomButtons.size()); ++i)
        m_zoomButtons[std::size_t(i)]->setChecked(i == m_view.zoomIndex());
    syncScrollBars();
    MoveMap();
}

void frmKartta::paintFailed()
{
    ShowInfo(QStringLiteral("Karttaa ei pystytä näyttämään valitulla zoomauksella. (Muisti loppu.)"));
    const int fallback = FallbackZoomIndex(m_view.zoomIndex());
    if (fallback != m_view.zoomIndex())
        chooseZoom(fallback);
}

void frmKartta::cTulosta_Click()
{
    MapPrintSource source;
    if (!picture().isNull())
        source.picture = std::make_shared<const QImage>(picture());
    source.scale = m_currentScale;
    source.pixelRatio = m_currentPixelRatio;
    source.visibleCentreTwips = m_view.visibleMapRect().center();
    for (const DrawnEstate& estate : drawnEstates())
        source.boundaries.emplace_back(QList<QPointF>(estate.boundary.begin(), estate.boundary.end()));
    PrintMap(this, source);
}

void frmKartta::closeEvent(QCloseEvent* event)
{
    // The picture is still being read (its progress lets events through).
    if (m_readingPicture) {
        event->ignore();
        return;
    }
    // A drawing asks first what becomes of its corners; the user may go on drawing instead.
    if (!m_tool->idle()) {
        const MapTool::Outcome outcome = m_tool->cancel();
        apply(outcome);
        if (!outcome.ended) {
            event->ignore();
            return;
        }
    }
    m_hoverTimer->stop();
    SaveFormPlacement(this);
    event->accept();
}

void frmKartta::changeEvent(QEvent* event)
{
    // Back from another window (a contract window may have removed an estate): look again.
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && m_loaded && !m_readingPicture)
        MoveMap();
    QMainWindow::changeEvent(event);
}

void frmKartta::ShowCoordinates(QPointF map)
{
    ui->lblX->setText(CoordinateText(map.x()));
    ui->lblY->setText(CoordinateText(map.y()));
}

void frmKartta::mapMoved(QPointF map)
{
    ShowCoordinates(map);
    m_hover = map;
    m_hoverPending = true;
    if (!m_hoverTimer->isActive())
        m_hoverTimer->start();
    apply(m_tool->move(map));
}

void frmKartta::hoverTick()
{
    if (!m_hoverPending)
        return;
    m_hoverPending = false;
    IgnoringErrors("the estate under the mouse", [&] { FindEstateAt(m_hover); });
}

void frmKartta::setTool(std::unique_ptr<MapTool> tool)
{
    m_tool = std::move(tool);
    showTool();
}

void frmKartta::showToolAsking()
{
    // The question shows over what the tool has drawn so far (the window in front, when another
    // window's close asks); how to go on no longer applies.
    showTool();
    m_hint->clear();
    raise();
    activateWindow();
    m_mapView->repaint();
}

bool frmKartta::askForTool(const std::function<bool()>& question)
{
    showToolAsking();
    const int reads = m_fileReads;
    bool answer = false;
    {
        const QScopedValueRollback asking(m_asking, m_asking + 1);
        answer = question();
    }
    return reads == m_fileReads && answer;
}

DrawingTool::Questions frmKartta::drawingQuestions()
{
    using Keep = DrawingTool::Questions::Keep;
    DrawingTool::Questions q;
    // A file read again while a question is open ends the drawing unstored, whatever the answer.
    q.keepBoundary = [this](bool interrupted) {
        MsgResult answer = MsgResult::No;
        const bool asked = askForTool([&] {
            // Only "Ei" drops the corners: Escape or the close goes back to the drawing.
            answer = Prompter::instance().message(QStringLiteral("Tallennetaanko tilan rajat?"), MsgIcon::None,
                                                  interrupted ? MsgButtons::YesNoCancelDefaultCancel
                                                              : MsgButtons::YesNoCloseCancels);
            return true;
        });
        if (!asked)
            return Keep::Drop;
        switch (answer) {
        case MsgResult::Yes: return Keep::Store;
        case MsgResult::No: return Keep::Drop;
        default: return Keep::GoOn;
        }
    };
    const auto askDefaultNo = [this](const QString& question) {
        return askForTool([&] {
            return Prompter::instance().message(question, MsgIcon::Question, MsgButtons::YesNoDefaultNo) == MsgResult::Yes;
        });
    };
    q.stopDrawing = [this, askDefaultNo] {
        const int reads = m_fileReads;
        return askDefaultNo(QStringLiteral("Tilan rajaan tarvitaan vähintään kolme pistettä, joten rajoja ei voi "
                                           "tallentaa. Lopetetaanko piirtäminen?"))
               || reads != m_fileReads;
    };
    q.replaceOthers = [askDefaultNo] {
        return askDefaultNo(QStringLiteral("Tilalle on tallennettu rajat toisaalla sen jälkeen, kun aloitit "
                                           "piirtämisen. Korvataanko ne nyt piirretyillä rajoilla?"));
    };
    return q;
}

void frmKartta::showTool()
{
    m_mapView->setDrawing(m_tool->chain());
    m_mapView->setMeasureLine(m_tool->line());
    m_hint->setText(m_tool->hint());
    updateCommands();
}

void frmKartta::apply(const MapTool::Outcome& outcome)
{
    if (outcome.pixelRatio)
        m_currentPixelRatio = *outcome.pixelRatio;
    if (outcome.estateStored)
        m_shown.addStored(outcome.estateStored);
    if (outcome.ended)
        setTool(std::make_unique<BrowsingTool>());
    else
        showTool();
    if (outcome.estateStored)
        refreshEstates();
    if (outcome.failure)
        ReportingErrors(kDatabaseError, [&] { std::rethrow_exception(outcome.failure); });
    if (!outcome.message.isEmpty())
        ShowInfo(outcome.message);
    switch (outcome.open) {
    case MapTool::Outcome::Open::Nothing: break;
    case MapTool::Outcome::Open::Popup:
        m_popupAt = outcome.at;
        m_popup->popup(m_releasedAt);
        break;
    case MapTool::Outcome::Open::EstateInfo: showEstateInfoAt(outcome.at); break;
    }
}

void frmKartta::showEstateInfoAt(QPointF map)
{
    qint64 id = 0;
    if (!ReportingErrors(kDatabaseError, [&] { id = FindEstateAt(map); }))
        return;
    if (ShowEstateInfo)
        ShowEstateInfo(this, id);
    else
        ReportingErrors(kDatabaseError, [&] { frmTilaInfo::showEstate(openDatabase(), id); });
}

void frmKartta::mMaaraaMittasuhteet_Click()
{
    if (!m_tool->idle())
        return;
    ReportingErrors(kDatabaseError, [&] {
        auto tool = std::make_unique<MeasuringTool>(openDatabase(), [this] {
            std::optional<QString> distance;
            // A file read again meanwhile: the points were measured on the old file's map.
            if (!askForTool([&] {
                    distance = Prompter::instance().input(QStringLiteral("Matka alkuperäisellä kartalla millimetreinä"), {},
                                                          QStringLiteral("0"));
                    return true;
                }))
                distance.reset();
            return distance;
        });
        tool->start();
        setTool(std::move(tool));
    });
}

void frmKartta::mPixelMode_Click(qint32 metresPerPixelScale)
{
    // The measured proportion stays: a pixel map's print works out its own from
    // the metres.
    saveScale(metresPerPixelScale);
}

void frmKartta::mAsetaMittakaava_Click()
{
    frmMittakaava dialog(this);
    dialog.SetScaleValue(IsScanScale(m_currentScale) ? m_currentScale : kScanScaleOffered);
    dialog.exec();
    if (!dialog.GetOkPressed())
        return;
    saveScale(dialog.GetScaleValue());
}

void frmKartta::saveScale(qint32 scale)
{
    if (ReportingErrors(kDatabaseError, [&] {
            Database db = openDatabase();
            MapStorage::SaveMapScale(db, scale);
        }))
        m_currentScale = scale;
    ShowScaleCaption();
}

void frmKartta::updateCommands()
{
    const bool busy = !m_tool->idle();
    ui->cNaytaTilat->setEnabled(m_tool->letsEstatesChange());
    ui->mNaytaTilat->setEnabled(m_tool->letsEstatesChange());
    for (QAction* a :
         {ui->mPiirraTila, ui->mPoistaTila, ui->mMaaraaMittasuhteet, ui->mLataaKartta, ui->mPoistaKartta, ui->mHaku})
        a->setEnabled(!busy);
    ui->cPiirra->setEnabled(!busy);
    ui->cHaku->setEnabled(!busy);
}

qint64 frmKartta::pickEstate(EstateFilter filter)
{
    if (PickEstate)
        return PickEstate(this, filter);
    return frmValitseTila::pick(openDatabase(), EstatePicker::Filter(filter), this);
}

std::optional<frmKartta::EstatesChoice> frmKartta::chooseEstates()
{
    if (ChooseEstates)
        return ChooseEstates(this);
    Database db = openDatabase();
    const auto answer = frmPiirrettavatTilat::ask(db, this);
    if (!answer)
        return std::nullopt;
    EstatesChoice choice;
    choice.all = answer->KaikkiTilat;
    if (!choice.all) {
        // The chosen contracts are marked once, here; scrolling and zooming repaint
        // from memory.
        answer->markContracts(db);
        for (const cRajat& estate : cTilojenRajat(db).ReadMarked())
            choice.estates.insert(estate.TlId());
    }
    return choice;
}

void frmKartta::LoadMap()
{
    cMouseCursor busy;
    busy.SetCursor(this, BusyPointer);
    MapStorage::StoredMap stored;
    ui->pBar->setValue(0);
    ui->pBar->setVisible(true);
    // The progress lets events through: nothing else reads the database meanwhile, nor closes the
    // window.
    m_readingPicture = true;
    const bool read = ReportingErrors(kDatabaseError, [&] {
        Database db = openDatabase();
        stored = MapStorage::Read(db, [this](int done, int total) {
            ui->pBar->setMaximum(total);
            ui->pBar->setValue(std::min(done, total));
            QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        });
    });
    m_readingPicture = false;
    ui->pBar->setVisible(false);
    m_currentScale = stored.scale;
    m_currentPixelRatio = stored.pixelRatio;
    ShowScaleCaption();
    QImage image;
    if (read && !stored.picture.isEmpty()) {
        MapPicture picture = DecodeMapPicture(stored.picture);
        if (picture.ok())
            image = std::move(picture.image);
        else
            ShowInfo(picture.status == MapPicture::Status::TooLarge
                         ? QStringLiteral("Tietokantaan tallennettu karttakuva on liian "
                                          "suuri näytettäväksi.")
                         : QStringLiteral("Tietokantaan tallennettua karttakuvaa ei voida näyttää."));
    }
    showPicture(std::move(image));
}

void frmKartta::mLataaKartta_Click()
{
    // Boundaries are stored in twips of the picture: they keep their numbers, not
    // their places.
    bool drawn = false;
    if (!ReportingErrors(kDatabaseError, [&] {
            Database db = openDatabase();
            drawn = AnyBoundaryStored(db);
        }))
        return;
    if (drawn
        && !AskYesNo(QStringLiteral("Kartalle on piirretty tilojen rajoja, "
                                    "jotka eivät siirry uuden kuvan "
                                    "mukana. Ladataanko uusi kartta?")))
        return;
    FileDialogRequest request;
    request.title = QStringLiteral("Karttakuva");
    request.folder = DocumentsFolder();
    request.filter = MapPictureFileFilter();
    const auto file = Prompter::instance().openFile(request);
    if (!file || file->isEmpty())
        return;
    cMouseCursor busy;
    busy.SetCursor(this, BusyPointer);
    MapPicture picture = DecodeMapPictureFile(*file);
    if (picture.status == MapPicture::Status::TooLarge) {
        ShowInfo(QStringLiteral("Valittu karttakuva on liian suuri näytettäväksi. "
                                "Kuvaa ei tallennettu."));
        return;
    }
    if (!picture.ok()) {
        ShowInfo(QStringLiteral("Valittua kuvatiedostoa ei voida käyttää."));
        return;
    }
    if (!ReportingErrors(kDatabaseError, [&] {
            Database db = openDatabase();
            MapStorage::SavePicture(db, *file);
        }))
        return;
    // A new map starts without scale or proportion, on the screen as in the
    // database.
    m_currentScale = kScaleNotDefined;
    m_currentPixelRatio = 0.0;
    ShowScaleCaption();
    showPicture(std::move(picture.image));
}

void frmKartta::mPoistaKartta_Click()
{
    if (Prompter::instance().message(QStringLiteral("Oletko varma, että haluat poistaa kartan?"), MsgIcon::Question,
                                     MsgButtons::YesNoDefaultNo)
        != MsgResult::Yes) {
        ShowInfo(QStringLiteral("Toiminto keskeytetty."));
        return;
    }
    try {
        Database db = openDatabase();
        MapStorage::DeletePicture(db);
    } catch (const NumberedError& e) {
        ShowInfo(QStringLiteral("Virhe karttaa poistettaessa: ") + QString::number(e.number()) + QStringLiteral(" / ")
                 + e.description());
        return;
    }
    m_currentScale = kScaleNotDefined;
    m_currentPixelRatio = 0.0;
    ShowScaleCaption();
    showPicture({});
    ShowInfo(QStringLiteral("Kartta poistettu."));
}

void frmKartta::refreshEstates()
{
    ShownEstates::Chains chains;
    IgnoringErrors("the boundaries on the map", [&] {
        Database db = openDatabase();
        chains = m_shown.read(db);
    });
    m_mapView->setEstates(std::move(chains.shown));
    m_mapView->setFoundEstate(std::move(chains.found));
}

std::vector<frmKartta::DrawnEstate> frmKartta::drawnEstates() const
{
    std::vector<DrawnEstate> drawn;
    IgnoringErrors("the boundaries for a print", [&] {
        Database db = openDatabase();
        for (auto& [id, boundary] : m_shown.closedBoundaries(db))
            drawn.push_back({id, std::move(boundary)});
    });
    return drawn;
}

void frmKartta::cNaytaTilat_Click()
{
    std::optional<EstatesChoice> choice;
    if (ui->cNaytaTilat->isChecked() && (!ReportingErrors(kDatabaseError, [&] { choice = chooseEstates(); }) || !choice))
        ui->cNaytaTilat->setChecked(false); // a cancel: nothing marked, nothing shown
    if (choice)
        m_shown.choose(choice->all, std::move(choice->estates));
    else
        m_shown.choose(false, {});
    refreshEstates();
}

qint64 frmKartta::pickWhileIdle(EstateFilter filter)
{
    if (!m_tool->idle())
        return 0;
    qint64 id = 0;
    ReportingErrors(kDatabaseError, [&] { id = pickEstate(filter); });
    return id;
}

void frmKartta::cHaku_Click()
{
    const qint64 id = pickWhileIdle(EstateFilter::All);
    if (id == 0)
        return;
    std::size_t corners = 0;
    QRectF box;
    if (!ReportingErrors(kDatabaseError, [&] {
            Database db = openDatabase();
            if (const EstateBoundary* b = BoundaryCache::shared().find(db, id)) {
                corners = b->points.size();
                box = b->bounds();
            }
        }))
        return;
    if (corners < 2)
        ShowInfo(QStringLiteral("Tilaa ei ole merkitty kartalle."));
    else
        m_shown.setFound(id);
    if (corners > 0) {
        // The middle of the boundary's box; an estate of one point is centred too.
        m_view.centreOn(box.center());
        syncScrollBars();
    }
    refreshEstates();
}

void frmKartta::cPiirra_Click()
{
    const qint64 id = pickWhileIdle(EstateFilter::WithoutBoundary);
    if (id == 0)
        return;
    ReportingErrors(kDatabaseError, [&] { setTool(std::make_unique<DrawingTool>(openDatabase(), id, drawingQuestions())); });
}

qint64 frmKartta::FindEstateAt(QPointF map)
{
    Database db = openDatabase();
    const qint64 id = m_finder.find(db, map);
    ShowEstateLabel(id);
    return id;
}

QString frmKartta::captionOf(qint64 estateId) const
{
    QString caption;
    IgnoringErrors("the estate's caption", [&] {
        Database db = openDatabase();
        caption = EstateCaption(db, estateId);
    });
    return caption;
}

void frmKartta::ShowEstateLabel(qint64 estateId)
{
    ui->lblTila->setText(captionOf(estateId));
}

void frmKartta::deleteBoundaryAsked(qint64 estateId)
{
    const QString question = NamingRecord(QStringLiteral("Haluatko varmasti poistaa valitun tilan rajat kartalta?"),
                                          {captionOf(estateId)});
    if (Prompter::instance().message(question, MsgIcon::Question, MsgButtons::YesNoDefaultNo) != MsgResult::Yes)
        return;
    if (!ReportingErrors(kDatabaseError, [&] {
            Database db = openDatabase();
            DeleteEstateBoundary(db, estateId);
        }))
        return;
    m_shown.forget(estateId);
    MoveMap();
}

void frmKartta::mPoistaTila_Click()
{
    if (const qint64 id = pickWhileIdle(EstateFilter::WithBoundary))
        deleteBoundaryAsked(id);
}

void frmKartta::mPoistaTilanRajat_Click()
{
    qint64 id = 0;
    if (!ReportingErrors(kDatabaseError, [&] { id = FindEstateAt(m_popupAt); }))
        return;
    if (id == 0) {
        ShowInfo(QStringLiteral("Kohdassa ei ole tilaa."));
        return;
    }
    deleteBoundaryAsked(id);
}

} // namespace tikkeli
