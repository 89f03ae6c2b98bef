#pragma once

#include "maps/DrawingTool.h"
#include "maps/MapBoundaries.h"
#include "maps/MapViewState.h"
#include "maps/MeasuringTool.h"
#include "maps/cRajat.h"

#include <QImage>
#include <QMainWindow>
#include <QPointF>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <vector>

class QMenu;
class QTimer;
class QToolButton;

namespace Ui {
class frmKartta;
}

namespace tikkeli {

class MapView;

// "Tikkeli - Kartta": the club's map picture, stored in the database, shown
// zoomed and scrolled with the boundaries of the chosen contracts' estates
// drawn over it. From here the user loads or deletes the picture, sets the
// map's scale or measures its proportion, shows the estates, finds one, draws a
// new boundary corner by corner, removes one, and names the estate under the
// mouse. Open it with frmKartta::Load(), which returns nullptr (after telling
// the user) when no database is configured.
class frmKartta : public QMainWindow {
    Q_OBJECT
public:
    static frmKartta* Load();
    static frmKartta* Instance();

    explicit frmKartta(QWidget* parent = nullptr);
    ~frmKartta() override;
    bool loaded() const { return m_loaded; }

    // What a print of the map reads: the picture, its scale and proportion as
    // stored, the estates drawn on the screen (each an open chain of map points)
    // and the visible area.
    const QImage& picture() const;
    qint32 currentScale() const { return m_currentScale; }
    double currentPixelRatio() const { return m_currentPixelRatio; }
    struct DrawnEstate {
        qint64 estateId = 0;
        std::vector<QPointF> boundary;
    };
    std::vector<DrawnEstate> drawnEstates() const;
    const MapViewState& viewState() const { return m_view; }
    MapView* view() const { return m_mapView; }

    // Repaints for the current scroll position with the boundaries as they now
    // stand.
    void MoveMap();

    // The commands (buttons, menu entries and keys run these).
    void cHaku_Click();
    void cNaytaTilat_Click();
    void cPiirra_Click();
    void cSulje_Click();
    void cTulosta_Click();
    void mLataaKartta_Click();
    void mPoistaKartta_Click();
    void mPixelMode_Click(qint32 metresPerPixelScale);
    void mAsetaMittakaava_Click();
    void mMaaraaMittasuhteet_Click();
    void mPoistaTila_Click();
    void mPoistaTilanRajat_Click();
    void chooseZoom(int zoomIndex);

    bool drawing() const { return m_drawingTool.active(); }
    bool measuring() const { return m_measuringTool.active(); }
    // The estate under a map point (tested against every stored boundary); 0 for
    // none.
    qint64 FindEstateAt(QPointF map);
    void ShowEstateLabel(qint64 estateId);
    void ShowCoordinates(QPointF map);
    QMenu* popupMenu() const { return m_popup; }
    QTimer* hoverTimer() const { return m_hoverTimer; }

    // The dialogs the window runs; tests replace them. PickEstate gives the chosen estate's tlID
    // (0 for none) among every estate, those without a boundary or those with one.
    enum class EstateFilter { All, WithoutBoundary, WithBoundary };
    static inline std::function<qint64(QWidget* owner, EstateFilter filter)> PickEstate;
    // Which estates to show: every estate, or those of the contracts chosen
    // (their contracts marked in the database); nullopt for a cancel.
    struct EstatesChoice {
        bool all = false;
        std::set<qint64> estates;
    };
    static inline std::function<std::optional<EstatesChoice>(QWidget* owner)> ChooseEstates;
    static inline std::function<void(QWidget* owner, qint64 estateId)> ShowEstateInfo;

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    bool load();
    void connectCommands();
    void LoadMap();
    void showPicture(QImage picture);
    void ShowScaleCaption();
    void syncScrollBars();
    void refreshEstates();
    void showEstates(bool askCriteria);
    void setDrawingMode(bool on);
    void updateCommands();
    void deleteBoundaryAsked(qint64 estateId);
    qint64 pickEstate(EstateFilter filter);
    // The estate chosen in the picker; 0 when none was chosen or a tool is running.
    qint64 pickWhileIdle(EstateFilter filter);
    bool isShown(qint64 estateId) const;
    std::optional<EstatesChoice> chooseEstates();
    void SaveMapScale(qint32 scale);
    void SaveMapPixelRatio(double ratio);

    void mapPressed(Qt::MouseButton button, QPointF map);
    void mapReleased(Qt::MouseButton button, QPointF map, QPoint globalPos);
    void mapMoved(QPointF map);
    void mapDoubleClicked(QPointF map);
    void hoverTick();
    void drawingClick(QPointF map);
    void endDrawing();
    void endDrawingWith(DrawingTool::Ending ending);
    void measuringClick(QPointF map);
    void paintFailed();

    std::unique_ptr<Ui::frmKartta> ui;
    MapView* m_mapView = nullptr;
    std::vector<QToolButton*> m_zoomButtons;
    QMenu* m_popup = nullptr;
    QTimer* m_hoverTimer = nullptr;
    MapViewState m_view;
    DrawingTool m_drawingTool;
    MeasuringTool m_measuringTool;
    // The estate being drawn: each corner is stored as it is clicked.
    cRajat m_currentEstate;
    EstateFinder m_finder;

    qint32 m_currentScale = 0;
    double m_currentPixelRatio = 0.0;
    // The estates shown: every one with a boundary, or those of the chosen
    // contracts.
    bool m_showAll = false;
    std::set<qint64> m_shownEstates;
    qint64 m_foundEstate = 0;
    QPointF m_hover;
    bool m_hoverPending = false;
    QPointF m_popupAt;
    bool m_rightPressEndedTool = false;
    bool m_syncing = false;
    bool m_loaded = false;
};

} // namespace tikkeli
