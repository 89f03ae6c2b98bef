#pragma once

#include "db/Database.h"
#include "maps/DrawingTool.h"
#include "maps/MapBoundaries.h"
#include "maps/MapTool.h"
#include "maps/MapViewState.h"
#include "maps/ShownEstates.h"
#include "maps/ui/MapView.h"

#include <QImage>
#include <QMainWindow>
#include <QPointF>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <vector>

class QLabel;
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
    // stored, the estates drawn on the screen (each boundary closed: its first
    // corner repeated last) and the visible area.
    const QImage& picture() const { return m_mapView->picture(); }
    qint32 currentScale() const { return m_currentScale; }
    double currentPixelRatio() const { return m_currentPixelRatio; }
    struct DrawnEstate {
        qint64 estateId = 0;
        std::vector<QPointF> boundary;
    };
    std::vector<DrawnEstate> drawnEstates() const;
    const MapViewState& viewState() const { return m_view; }
    MapView* view() const { return m_mapView; }

    // Repaints for the current scroll position; the boundaries are read again
    // only when the database may have changed since they were read.
    void MoveMap();

    // The commands (buttons, menu entries and keys run these).
    void cHaku_Click();
    void cNaytaTilat_Click();
    void cPiirra_Click();
    void cSulje_Click() { close(); }
    void cTulosta_Click();
    void mLataaKartta_Click();
    void mPoistaKartta_Click();
    void mPixelMode_Click(qint32 metresPerPixelScale);
    void mAsetaMittakaava_Click();
    void mMaaraaMittasuhteet_Click();
    void mPoistaTila_Click();
    void mPoistaTilanRajat_Click();
    void chooseZoom(int zoomIndex);

    // The mouse mode running: browsing, drawing or measuring.
    const MapTool& tool() const { return *m_tool; }
    // The estate under a map point (tested against every stored boundary); 0 for
    // none.
    qint64 FindEstateAt(QPointF map);
    void ShowEstateLabel(qint64 estateId);
    void ShowCoordinates(QPointF map);
    QMenu* popupMenu() const { return m_popup; }
    QTimer* hoverTimer() const { return m_hoverTimer; }

    // The dialogs the window runs; tests replace them. PickEstate gives the chosen estate's tlID
    // (0 for none) among every estate, those without a boundary or those with one.
    // In the order of the picker's own filters.
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
    // The file was replaced under the window (another program restored a backup over it): the
    // map, its scale and the boundaries are read again from the file now at the path, and nothing
    // drawn or measured on the old file's map is stored into it.
    void ReadReplacedFile();
    void connectCommands();
    void LoadMap();
    void showPicture(QImage picture);
    void ShowScaleCaption();
    void syncScrollBars();
    Database openDatabase() const;
    void refreshEstates();
    void setTool(std::unique_ptr<MapTool> tool);
    void showTool();
    // Before a tool's question.
    void showToolAsking();
    // Puts a tool's question; false, whatever the answer, when the file was read again meanwhile.
    bool askForTool(const std::function<bool()>& question);
    DrawingTool::Questions drawingQuestions();
    void apply(const MapTool::Outcome& outcome);
    void updateCommands();
    void deleteBoundaryAsked(qint64 estateId);
    qint64 pickEstate(EstateFilter filter);
    // The estate chosen in the picker; 0 when none was chosen or a tool is running.
    qint64 pickWhileIdle(EstateFilter filter);
    std::optional<EstatesChoice> chooseEstates();
    void saveScale(qint32 scale);
    QString captionOf(qint64 estateId) const;

    void mapMoved(QPointF map);
    void hoverTick();
    void showEstateInfoAt(QPointF map);
    void paintFailed();

    std::unique_ptr<Ui::frmKartta> ui;
    MapView* m_mapView = nullptr;
    std::vector<QToolButton*> m_zoomButtons;
    QMenu* m_popup = nullptr;
    QTimer* m_hoverTimer = nullptr;
    QLabel* m_hint = nullptr; // the status row: how to go on with the running tool
    MapViewState m_view;
    std::unique_ptr<MapTool> m_tool;
    EstateFinder m_finder;
    // Held while the window is open, so that the boundaries read stay valid
    // between looks (a connection of its own would change the stamp).
    mutable Database m_db;
    mutable QString m_dbSetting; // the path setting it was opened by
    ShownEstates m_shown;

    qint32 m_currentScale = 0;
    double m_currentPixelRatio = 0.0;
    QPointF m_hover;
    bool m_hoverPending = false;
    QPointF m_popupAt;
    QPoint m_releasedAt;
    bool m_syncing = false;
    bool m_readingPicture = false;
    bool m_loaded = false;
    int m_asking = 0;    // a tool's question is open
    int m_fileReads = 0; // replaced files read again
};

} // namespace tikkeli
