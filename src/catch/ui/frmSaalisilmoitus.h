#pragma once

#include "ui/RecordMenu.h"

#include <QHash>
#include <QWidget>
#include <memory>

class QAction;
class QTreeWidgetItem;

namespace Ui {
class frmSaalisilmoitus;
}

namespace tikkeli {

class CatchList;
class SuggestionList;
struct CatchEntry;

// "Saalisilmoitus": the club's catch list (table si). Shows one catch at a time in table order,
// with a tree of every catch by species beside it, which highlights the catch shown; adds,
// stores, undoes and deletes catches, deletes all of them or one species' (frmSaalisPoisto) and
// prints the catch report (frmSaalisilmTulostus). Opened modeless from the main window, one
// instance. A typed catch is written before any command leaves it; one that cannot be stored
// stays on screen with the reason.
class frmSaalisilmoitus : public QWidget {
    Q_OBJECT
public:
    explicit frmSaalisilmoitus(QWidget* parent = nullptr);
    ~frmSaalisilmoitus() override;

    // False when the load failed; the window has told the user and closes itself.
    bool loaded() const { return m_list != nullptr; }

    // Commands, as the buttons, menu entries and keys run them.
    void cUusi_Click();
    bool cTallenna_Click();
    void cPoista_Click();
    void cSelaa_Click();
    void cPeru_Click();
    void cEnsimmainen_Click();
    void cEdellinen_Click();
    void cSeuraava_Click();
    void cViimeinen_Click();
    void cTulosta_Click();
    void mPoistaLaji_Click();
    void mPoistaKaikki_Click();
    // A node of the tree chosen by click or Enter.
    void tvwSaaliit_NodeClick(QTreeWidgetItem* node);

    void UpdateCaption();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenu();
    void connectControls();
    void load();
    void FillSpeciesList();
    void FillShooterList();
    void FillPlaceList();
    void BuildCatchTree();
    // Highlights the shown catch's node in the tree; none while a new catch is shown.
    void showInTree();
    // The catch the user highlighted in the tree by keyboard is shown.
    void followTreeHighlight();
    void ShowNewCatchHint();
    // The shown catch as stored (a new one's defaults); nothing here counts as the user's edit.
    void showCurrent();
    CatchEntry collect() const;
    // The write step before leaving, saving or closing a catch; false (after telling the user)
    // when the catch could not be stored, and the command then stops with the catch on screen.
    // wayOn is added to the message of a refusal.
    bool writeCurrent(const QString& wayOn = {});
    // How to go on when closing was refused: correct the catch or drop what was typed.
    QString wayOnFromARefusal() const;
    // The user changed a box, option or check box: without a catch shown, the hint and the
    // shown state back.
    void edited();
    void leaveDateBox();
    void leaveAntlerBox(QObject* box);
    // The list was changed behind the window (the species delete): read it again.
    void catchesChanged();
    // Another program put a new file in place of the open one (the user has been told that the
    // change was not saved): the typed catch is dropped, never written into the new file, and the
    // window reads the file now at the path.
    void readReplacedFile();
    void navigate(int where);

    std::unique_ptr<Ui::frmSaalisilmoitus> ui;
    RecordMenu m_record;
    QAction *mTulosta = nullptr, *mSulje = nullptr, *mPoistaLaji = nullptr, *mPoistaKaikki = nullptr;
    SuggestionList *m_lajit = nullptr, *m_paikat = nullptr, *m_kaatajat = nullptr;
    // The catch nodes of the tree by the catches' ids.
    QHash<qint64, QTreeWidgetItem*> m_nodes;
    std::unique_ptr<CatchList> m_list;
    bool m_showing = false;
    bool m_followingTree = false;
};

} // namespace tikkeli
