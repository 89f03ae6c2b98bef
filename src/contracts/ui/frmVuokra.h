#pragma once

#include "contracts/ContractCardFields.h"
#include "contracts/ContractRecords.h"

#include <QDate>
#include <QMainWindow>
#include <array>
#include <functional>
#include <memory>
#include <set>

class QButtonGroup;
class QTableWidget;

namespace Ui {
class frmVuokra;
}

namespace tikkeli {

// "Maanvuokrasopimukset": one lease contract at a time on a card bound to the table vs, with the
// estates of the contract in the grid DBGrid1. Build it with frmVuokra::Load(), which returns
// nullptr (after telling the user) when no database is configured or it cannot be opened.
// Everything typed is written by save, new, search, print and close; a write that fails says why
// and leaves the typed card on screen.
class frmVuokra : public QMainWindow {
    Q_OBJECT
public:
    static frmVuokra* Load();
    static frmVuokra* Instance();

    explicit frmVuokra(QWidget* parent = nullptr);
    ~frmVuokra() override;
    bool loaded() const { return m_loaded; }

    // The data control; the contract search runs on its database.
    ContractRecords Data1;
    // The contract shown (0 for none and for a new one not yet written).
    qint64 currentContractId() const { return Data1.currentId(); }

    // Writes everything pending on screen (the card, then the estate rows) and stays on the
    // contract. False, after telling the user why, when something could not be written.
    bool CommitContract();
    void UpdateCaption();
    // Shows the current contract (the boxes, options and estates) as the record holds it.
    void Reposition();
    // Rebuilds the contract tree tvwNimet from the database, counting validity from Today().
    void BuildContractTree();
    // Brings the contract of the tree's current node into the window (a root or group: nothing).
    void ChooseTreeContract();
    // The day the tree's validity groups count from; tests set it.
    static inline std::function<QDate()> Today;

    // The commands (buttons, menu entries and keys run these).
    void cUusi_Click();
    void cTallenna_Click();
    void cPoista_Click();
    void cSelaa_Click();
    void cHaku_Click();
    void cTulosta_Click();
    void cPeru_Click();
    void cSulje_Click();
    void mRapVuokrasopimus_Click();
    void mKopioiYhteystiedot_Click();
    void mTilaUusi_Click();
    void mTilaPoista_Click();
    void mTilaSelaa_Click();
    // The animals of the contract chosen in the picker; links and names text stored at once.
    void cValitseElaimet_Click();
    // The feature panel: open shows it and enables its menu entries, close hides it and disables
    // them (a typed value stays pending until the next save point).
    void cAvaaOminaisuudet_Click();
    void cSuljeOminaisuudet_Click();
    // Another window added feature values: the shown contract's list is read again (a typed
    // value is written first).
    void featureValuesChangedElsewhere();
    // Another program put a new file in place of the open one (the user has been told that the
    // change was not saved): the typed card, estate rows and feature value are dropped, never
    // written into the new file, and the window reads the file now at the path, the contract
    // shown kept when that file holds it.
    void ReadReplacedFile();

    // The search dialog's part: shows it modally over the window and gives the chosen vsID, 0 for
    // none. Tests replace it.
    static inline std::function<qint64(frmVuokra&)> SearchDialog;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool load();
    void connectCommands();
    QString boxText(int index) const;
    void setBoxText(int index, const QString& text);
    void boxChanged(int index);
    // The automatic number and the general terms of a contract just started; the box the user is
    // typing into (or -1) is left alone. Throws when the number cannot be taken.
    void fillNewContract(int typedBox);
    void optionChosen(int group, int option);
    void showOption(int group, int option);
    void dateBoxLeft(int index);
    // Stores what is pending (the card when withCard, the typed estate rows) in one transaction
    // and shows the stored contract; a new one gets its key. Throws what the store throws;
    // nothing is stored then.
    void storePending(bool withCard);
    void loadEstates();
    bool saveEstatesNow();
    void gridFocusChanged(QWidget* old, QWidget* now);
    // Tab on the grid's last cell or Shift+Tab on its first moves the focus out of the grid.
    bool tabLeavesGrid(const QKeyEvent* key);
    void showCommitError(const std::exception& e);
    void copyToClipboard(const QString& text);
    void removeTreeNodes(qint64 id);
    void showInTree();
    void connectFeatureCommands();
    void showFeaturePanel(bool show);

    std::unique_ptr<Ui::frmVuokra> ui;
    std::array<QWidget*, ContractCardFields::Count> m_boxes{};
    std::array<QButtonGroup*, ContractCardFields::GroupCount> m_groups{};
    std::array<bool, ContractCardFields::Count> m_boxChanged{};
    std::set<int> m_dirtyRows;
    bool m_gridHasFocus = false;
    bool m_loaded = false;
    bool m_filling = false;
    friend class EstateCellDelegate;
};

} // namespace tikkeli
