#include "maps/ui/frmKartta.h"

#include "base/ErrorHandling.h"
#include "base/Folders.h"
#include "base/Prompter.h"
#include "base/SharedState.h"
#include "base/ui/FormRegistry.h"
#include "base/ui/Twips.h"
#include "base/ui/cMouseCursor.h"
#include "maps/BoundaryCache.h"
#include "maps/EstateCaption.h"
#include "maps/MapBoundaries.h"
#include "maps/MapPicture.h"
#include "maps/MapScale.h"
#include "maps/MapStorage.h"
#include "maps/MapUnits.h"
#include "maps/cTilojenRajat.h"
#include "maps/ui/MapPrinting.h"
#include "maps/ui/MapView.h"
#include "maps/ui/frmMittakaava.h"
#include "maps/ui/frmPiirrettavatTilat.h"
#include "maps/ui/frmTilaInfo.h"
#include "maps/ui/frmValitseTila.h"
#include "settings/ui/FormPlacement.h"

#include "ui_frmKartta.h"

#include <QApplication>
#include <algorithm>
#include <QCloseEvent>
#include <QLocale>
#include <QMenu>
#include <QTimer>
#include <QToolButton>

namespace tikkeli {

namespace {

const QString kWindowName = QStringLiteral("frmKartta");
const QString kCheckDatabase = QStringLiteral("Tarkista tietokanta asetukset asetusikkunasta!");
const QString kDatabaseError = QStringLiteral("Virhe kartan tietokantatoiminnossa: ");
constexpr int kHoverMs = 300;
constexpr int kMinimumWidthTwips = 11775;
constexpr int kMinimumHeightTwips = 8550;
constexpr int kScanScaleOffered = 10000;

Database openDatabase()
{
    return Database::open(State().DatabasePath);
}

// Map coordinates as the labels show them: seven significant digits, decimal
// comma, no grouping.
QString coordinateText(double value)
{
    QLocale locale(QLocale::Finnish, QLocale::Finland);
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(double(float(value)), 'g', 7);
}

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

    connectCommands();
    setMinimumSize(TwipsToPixels(kMinimumWidthTwips, this), TwipsToPixels(kMinimumHeightTwips, this));
    resize(TwipsToPixels(kMinimumWidthTwips, this) + 120, TwipsToPixels(kMinimumHeightTwips, this) + 80);
    RestoreFormPlacement(this);
    m_loaded = load();
}

frmKartta::~frmKartta() = default;

bool frmKartta::load()
{
    const QString path = State().DatabasePath;
    if (path.isEmpty() || path.compare(QStringLiteral("unknown"), Qt::CaseInsensitive) == 0) {
        ShowInfo(kCheckDatabase);
        return false;
    }
    m_view.setViewSize(m_mapView->sizeInTwips());
    syncScrollBars();
    ShowScaleCaption();
    return true;
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
    // The menu entry is a click on the box: it turns the box over, then shows or
    // hides.
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
    connect(m_mapView, &MapView::mapPressed, this, &frmKartta::mapPressed);
    connect(m_mapView, &MapView::mapReleased, this, &frmKartta::mapReleased);
    connect(m_mapView, &MapView::mapMoved, this, &frmKartta::mapMoved);
    connect(m_mapView, &MapView::mapDoubleClicked, this, &frmKartta::mapDoubleClicked);
    connect(m_mapView, &MapView::paintFailed, this, &frmKartta::paintFailed);
}

const QImage& frmKartta::picture() const
{
    return m_mapView->picture();
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
    refreshEstates();
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

void frmKartta::cSulje_Click()
{
    close();
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
    // A boundary left unfinished keeps its stored corners when it can enclose
    // something; a shorter one would only hide the estate from the drawing
    // picker, so it goes.
    if (m_drawingTool.active()) {
        if (m_drawingTool.finish() == DrawingTool::Ending::TooFewPoints)
            endDrawingWith(DrawingTool::Ending::TooFewPoints);
        m_drawingTool.clear();
    }
    m_hoverTimer->stop();
    SaveFormPlacement(this);
    event->accept();
}

void frmKartta::changeEvent(QEvent* event)
{
    // Back from another window (a contract window may have removed an estate):
    // the boundaries are looked at again.
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && m_loaded)
        MoveMap();
    QMainWindow::changeEvent(event);
}

void frmKartta::ShowCoordinates(QPointF map)
{
    ui->lblX->setText(coordinateText(map.x()));
    ui->lblY->setText(coordinateText(map.y()));
}

void frmKartta::mapMoved(QPointF map)
{
    ShowCoordinates(map);
    m_hover = map;
    m_hoverPending = true;
    if (!m_hoverTimer->isActive())
        m_hoverTimer->start();
    if (m_measuringTool.active()) {
        m_measuringTool.move(map);
        m_mapView->setMeasureLine(m_measuringTool.line());
    }
}

void frmKartta::hoverTick()
{
    if (!m_hoverPending)
        return;
    m_hoverPending = false;
    IgnoringErrors("the estate under the mouse", [&] { FindEstateAt(m_hover); });
}

void frmKartta::mapPressed(Qt::MouseButton button, QPointF map)
{
    m_rightPressEndedTool = false;
    if (button == Qt::RightButton)
        m_popupAt = map;
    if (m_drawingTool.active()) {
        if (button == Qt::LeftButton) {
            drawingClick(map);
        } else if (button == Qt::RightButton) {
            m_rightPressEndedTool = true;
            endDrawing();
        }
        return;
    }
    if (m_measuringTool.active()) {
        if (button == Qt::LeftButton) {
            measuringClick(map);
        } else if (button == Qt::RightButton) {
            m_rightPressEndedTool = true;
            m_measuringTool.end();
            m_mapView->setMeasureLine(std::nullopt);
            updateCommands();
        }
    }
}

void frmKartta::mapReleased(Qt::MouseButton button, QPointF, QPoint globalPos)
{
    if (button != Qt::RightButton)
        return;
    // The right click that ended a drawing or a measurement was that, and nothing
    // more.
    if (m_rightPressEndedTool) {
        m_rightPressEndedTool = false;
        return;
    }
    m_popup->popup(globalPos);
}

void frmKartta::mapDoubleClicked(QPointF map)
{
    // While a tool runs its first press was the click; the double click adds nothing.
    if (m_drawingTool.active() || m_measuringTool.active())
        return;
    qint64 id = 0;
    if (!ReportingErrors(kDatabaseError, [&] { id = FindEstateAt(map); }))
        return;
    if (ShowEstateInfo)
        ShowEstateInfo(this, id);
    else
        ReportingErrors(kDatabaseError, [&] { frmTilaInfo::showEstate(openDatabase(), id); });
}

void frmKartta::measuringClick(QPointF map)
{
    switch (m_measuringTool.click(map)) {
    case MeasuringTool::Step::Ignored: return;
    case MeasuringTool::Step::FirstPoint: m_mapView->setMeasureLine(m_measuringTool.line()); return;
    case MeasuringTool::Step::SecondPoint: break;
    }
    m_mapView->setMeasureLine(m_measuringTool.line());
    m_mapView->repaint();
    const auto answer = Prompter::instance().input(QStringLiteral("Matka alkuperäisellä kartalla millimetreinä"),
                                                   State().ProgramTitle, QStringLiteral("0"));
    const auto mm = answer ? MillimetresFromText(*answer) : std::nullopt;
    if (!mm) {
        ShowInfo(QStringLiteral("Etäisyys pitää syöttää millimetreinä - asetusta ei tehty."));
    } else if (const auto ratio = MeasuredPixelRatio(m_measuringTool.first(), m_measuringTool.second(), *mm)) {
        if (ReportingErrors(kDatabaseError, [&] { SaveMapPixelRatio(*ratio); })) {
            m_currentPixelRatio = *ratio;
            ShowInfo(QStringLiteral("Kartan mittasuhde asetettu."));
        }
    } else {
        ShowInfo(QStringLiteral("Mitatut pisteet ovat samassa kohdassa - asetusta ei tehty."));
    }
    m_measuringTool.end();
    m_mapView->setMeasureLine(std::nullopt);
    updateCommands();
}

void frmKartta::mMaaraaMittasuhteet_Click()
{
    if (m_drawingTool.active())
        return;
    m_measuringTool.start();
    m_mapView->setMeasureLine(std::nullopt);
    updateCommands();
}

void frmKartta::mPixelMode_Click(qint32 metresPerPixelScale)
{
    // The measured proportion stays: a pixel map's print works out its own from
    // the metres.
    if (ReportingErrors(kDatabaseError, [&] { SaveMapScale(metresPerPixelScale); }))
        m_currentScale = metresPerPixelScale;
    ShowScaleCaption();
}

void frmKartta::mAsetaMittakaava_Click()
{
    frmMittakaava dialog(this);
    dialog.SetScaleValue(IsScanScale(m_currentScale) ? m_currentScale : kScanScaleOffered);
    dialog.exec();
    if (!dialog.GetOkPressed())
        return;
    const qint32 scale = dialog.GetScaleValue();
    if (ReportingErrors(kDatabaseError, [&] { SaveMapScale(scale); }))
        m_currentScale = scale;
    ShowScaleCaption();
}

void frmKartta::updateCommands()
{
    const bool drawing = m_drawingTool.active();
    const bool busy = drawing || m_measuringTool.active();
    ui->cNaytaTilat->setEnabled(!drawing);
    ui->mNaytaTilat->setEnabled(!drawing);
    for (QAction* a :
         {ui->mPiirraTila, ui->mPoistaTila, ui->mMaaraaMittasuhteet, ui->mLataaKartta, ui->mPoistaKartta, ui->mHaku})
        a->setEnabled(!busy);
    ui->cPiirra->setEnabled(!busy);
    ui->cHaku->setEnabled(!busy);
}

void frmKartta::setDrawingMode(bool on)
{
    if (!on)
        m_drawingTool.clear();
    updateCommands();
}

} // namespace tikkeli

namespace tikkeli {

namespace {

EstatePicker::Filter pickerFilter(frmKartta::EstateFilter filter)
{
    switch (filter) {
    case frmKartta::EstateFilter::WithoutBoundary: return EstatePicker::Filter::Undrawn;
    case frmKartta::EstateFilter::WithBoundary: return EstatePicker::Filter::Drawn;
    default: return EstatePicker::Filter::All;
    }
}

} // namespace

qint64 frmKartta::pickEstate(EstateFilter filter)
{
    if (PickEstate)
        return PickEstate(this, filter);
    return frmValitseTila::pick(openDatabase(), pickerFilter(filter), this);
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

void frmKartta::SaveMapScale(qint32 scale)
{
    Database db = openDatabase();
    MapStorage::SaveMapScale(db, scale);
}

void frmKartta::SaveMapPixelRatio(double ratio)
{
    Database db = openDatabase();
    MapStorage::SaveMapPixelRatio(db, ratio);
}

void frmKartta::LoadMap()
{
    cMouseCursor busy;
    busy.SetCursor(this, BusyPointer);
    MapStorage::StoredMap stored;
    ui->pBar->setValue(0);
    ui->pBar->setVisible(true);
    const bool read = ReportingErrors(kDatabaseError, [&] {
        Database db = openDatabase();
        stored = MapStorage::Read(db, [this](int done, int total) {
            ui->pBar->setMaximum(total);
            ui->pBar->setValue(std::min(done, total));
            QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        });
    });
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
    if (!AskYesNo(QStringLiteral("Oletko varma, että haluat poistaa kartan?"))) {
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

bool frmKartta::isShown(qint64 estateId) const
{
    return ui->cNaytaTilat->isChecked() && (m_showAll || m_shownEstates.count(estateId));
}

void frmKartta::refreshEstates()
{
    std::vector<MapView::Chain> shown;
    MapView::Chain found;
    IgnoringErrors("the boundaries on the map", [&] {
        Database db = openDatabase();
        BoundaryCache& cache = BoundaryCache::shared();
        for (const EstateBoundary& b : cache.estates(db))
            if (isShown(b.tlId))
                shown.push_back(BoundaryPoints(b));
        if (const EstateBoundary* b = m_foundEstate ? cache.find(db, m_foundEstate) : nullptr)
            found = BoundaryPoints(*b);
    });
    m_mapView->setEstates(std::move(shown));
    m_mapView->setFoundEstate(std::move(found));
}

std::vector<frmKartta::DrawnEstate> frmKartta::drawnEstates() const
{
    std::vector<DrawnEstate> drawn;
    IgnoringErrors("the boundaries for a print", [&] {
        Database db = openDatabase();
        for (const EstateBoundary& b : BoundaryCache::shared().estates(db))
            if (isShown(b.tlId) || b.tlId == m_foundEstate)
                drawn.push_back({b.tlId, BoundaryPoints(b)});
    });
    return drawn;
}

void frmKartta::cNaytaTilat_Click()
{
    showEstates(true);
}

void frmKartta::showEstates(bool askCriteria)
{
    // Showing the estates again ends the showing of a searched one.
    m_foundEstate = 0;
    if (!ui->cNaytaTilat->isChecked()) {
        m_showAll = false;
        m_shownEstates.clear();
        refreshEstates();
        return;
    }
    if (askCriteria) {
        std::optional<EstatesChoice> choice;
        if (!ReportingErrors(kDatabaseError, [&] { choice = chooseEstates(); }) || !choice) {
            // A cancel: nothing marked, nothing shown.
            ui->cNaytaTilat->setChecked(false);
            m_showAll = false;
            m_shownEstates.clear();
            refreshEstates();
            return;
        }
        m_showAll = choice->all;
        m_shownEstates = std::move(choice->estates);
    }
    refreshEstates();
}

qint64 frmKartta::pickWhileIdle(EstateFilter filter)
{
    if (m_drawingTool.active() || m_measuringTool.active())
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
    std::vector<QPointF> points;
    if (!ReportingErrors(kDatabaseError, [&] {
            Database db = openDatabase();
            if (const EstateBoundary* b = BoundaryCache::shared().find(db, id))
                points = BoundaryPoints(*b);
        }))
        return;
    if (points.size() < 2)
        ShowInfo(QStringLiteral("Tilaa ei ole merkitty kartalle."));
    else
        m_foundEstate = id;
    if (!points.empty()) {
        // The middle of the boundary's box; an estate of one point is centred too.
        const auto [left, right] = std::minmax_element(points.begin(), points.end(),
                                                       [](QPointF a, QPointF b) { return a.x() < b.x(); });
        const auto [top, bottom] = std::minmax_element(points.begin(), points.end(),
                                                       [](QPointF a, QPointF b) { return a.y() < b.y(); });
        m_view.centreOn(QPointF((left->x() + right->x()) / 2, (top->y() + bottom->y()) / 2));
        syncScrollBars();
    }
    MoveMap();
}

void frmKartta::cPiirra_Click()
{
    const qint64 id = pickWhileIdle(EstateFilter::WithoutBoundary);
    if (id == 0)
        return;
    m_currentEstate = cRajat(openDatabase(), id);
    m_drawingTool.start(id);
    m_mapView->setDrawing({});
    setDrawingMode(true);
}

void frmKartta::drawingClick(QPointF map)
{
    ReportingErrors(kDatabaseError, [&] {
        m_drawingTool.addPoint(map,
                               [this](qint64, int, QPointF p) { m_currentEstate.AddNewRaja(float(p.x()), float(p.y())); });
    });
    m_mapView->setDrawing(m_drawingTool.points());
}

void frmKartta::endDrawing()
{
    endDrawingWith(m_drawingTool.finish());
}

void frmKartta::endDrawingWith(DrawingTool::Ending ending)
{
    const qint64 id = m_drawingTool.estateId();
    bool remove = false;
    switch (ending) {
    case DrawingTool::Ending::NoPoints: break;
    case DrawingTool::Ending::TooFewPoints:
        remove = true;
        ShowInfo(QStringLiteral("Tilan rajaan tarvitaan vähintään kolme pistettä. "
                                "Pisteitä ei tallennettu."));
        break;
    case DrawingTool::Ending::AskToKeep:
        remove = Prompter::instance().message(QStringLiteral("Tallennetaanko tilan rajat?"), MsgIcon::None,
                                              MsgButtons::YesNo)
                 != MsgResult::Yes;
        break;
    }
    if (remove)
        ReportingErrors(kDatabaseError, [&] {
            Database db = openDatabase();
            DeleteEstateBoundary(db, id);
        });
    setDrawingMode(false);
    m_mapView->setDrawing({});
    MoveMap();
}

qint64 frmKartta::FindEstateAt(QPointF map)
{
    Database db = openDatabase();
    const qint64 id = m_finder.find(db, map);
    ShowEstateLabel(id);
    return id;
}

void frmKartta::ShowEstateLabel(qint64 estateId)
{
    QString caption;
    IgnoringErrors("the estate's caption", [&] {
        Database db = openDatabase();
        caption = EstateCaption(db, estateId);
    });
    ui->lblTila->setText(caption);
}

void frmKartta::deleteBoundaryAsked(qint64 estateId)
{
    QString caption;
    IgnoringErrors("the estate's caption", [&] {
        Database db = openDatabase();
        caption = EstateCaption(db, estateId);
    });
    QString question = QStringLiteral("Haluatko varmasti poistaa valitun tilan rajat kartalta?");
    if (!caption.isEmpty())
        question += QStringLiteral("\n\n") + caption;
    if (!AskYesNo(question))
        return;
    if (!ReportingErrors(kDatabaseError, [&] {
            Database db = openDatabase();
            DeleteEstateBoundary(db, estateId);
        }))
        return;
    if (m_foundEstate == estateId)
        m_foundEstate = 0;
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
