#pragma once

#include "db/ChangedMembers.h"
#include "members/MemberList.h"
#include "members/MemberNavigation.h"
#include "members/MemberRecords.h"
#include "members/MemberTree.h"
#include "ui/WindowHooks.h"
#include "members/ui/MemberCardPanel.h"

#include <QMainWindow>
#include <array>
#include <memory>
#include <vector>

class QLineEdit;
class QTreeWidgetItem;

namespace Ui {
class frmJasen;
}

namespace tikkeli {

// "Tikkeli - Jäsenrekisteri": the member card with the alphabetical member tree. Build it with
// frmJasen::Load(), which returns nullptr (after telling the user) when the database cannot be
// opened. Other windows borrow Data1's database and call ShowMember / BuildMemberTree. Layout
// and menus in frmJasen.ui (the features and invoices tabs are their panels' own forms).
class frmJasen : public QMainWindow {
    Q_OBJECT
public:
    // The loaded window, or a new one loaded and shown; nullptr when loading failed.
    static frmJasen* Load();
    // The loaded window or nullptr.
    static frmJasen* Instance();

    // The quick search (F6) and the name search (F9) are the window hooks MemberQuickSearch and
    // MemberNameSearch; unset, their commands are disabled.
    explicit frmJasen(QWidget* parent = nullptr);
    ~frmJasen() override;
    bool loaded() const { return m_loaded; }

    // ---- the data control and the window's operations other windows use
    MemberRecords Data1;
    Database& database() { return Data1.database(); }
    // Saves the card, then shows the member; false when the save failed or no such member exists.
    bool ShowMember(qint64 id);
    // The member shown (0 for none or a new member).
    qint64 currentMemberId() const { return Data1.currentId(); }
    bool SaveMember();
    // The letters are built at once; a letter's member nodes when it is first expanded.
    void BuildMemberTree();
    // The member's node, its letter expanded (and listed) first; nullptr when the tree does not
    // list the member.
    QTreeWidgetItem* memberNode(qint64 id);
    // Refills the tree's feature filter from the member feature definitions, keeping the choice.
    void FillFeatureFilter();
    void UpdateMemberCaption();
    void ShowFirstListedMember();
    // The filter feature's piID, 0 with the filter off.
    qint64 filterFeatureId() const;
    // Re-reads the card's boxes from the current record (also tells the panels); the focus
    // leaves the text boxes for the tree.
    void RefreshCard();
    // Members were added or changed by another window (an import, the attach window): the set,
    // the tree and the caption are read again, keeping the member shown and any pending edit.
    void MembersChangedElsewhere();
    // The members' rows were written elsewhere: as above, and the card shows its member's row as
    // stored now, unless an edit of it is pending. A change of members named reads only their
    // rows and tree entries again; the caption counts again only when one joined or left the list.
    void MemberRowsChangedElsewhere(const ChangedMembers& which);
    // Another program put a new file in place of the open one (the user has been told that the
    // change was not saved): whatever is typed on the card and in the panels is dropped, never
    // written into the new file, and the card, the tree and the lists are read from the file now
    // at the path, the member shown kept when that file holds it.
    void ReadReplacedFile();

    bool IgnoreNodeClick = false;
    int shownTab() const { return m_shownTab; }

    // The command handlers (the buttons, menu entries and keys run these).
    void cUusi_Click();
    void cTallenna_Click();
    void cPoista_Click();
    void cSelaa_Click();
    void cPeru_Click();
    void cHaku_Click();
    void cNimiHaku_Click();
    void cSulje_Click();
    void cAvaaKaikki_Click();
    void navigate(MemberNavigation::Move move);
    void cmbListaEhto_Click();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The member-data commands and the tabs' wiring live beside the window.
    friend class MemberCardParts;

    bool load();
    void addPanel(MemberCardPanel* panel);
    void connectCommands();
    void followClubChanges();
    void writeCardToRecord();
    // False (after telling the user) when a changed date box holds a text that is no date.
    bool checkDateBoxes();
    // Reads the member set again with the shown member kept current; false (and marked stale for
    // the next save) while an edit is pending.
    bool requeryKeepingCard();
    // The current record's values in the card's boxes, nothing marked changed.
    void showRecordOnCard();
    void moveFocusOutOfBoxes();
    // Puts the next number of the counter on the card; false (after telling the user) when the
    // counter cannot be moved.
    bool giveMemberNumber();
    // The panels' typed value, then the card (throws what the write throws).
    void writePendingCard();
    void cardEdited();
    void tYhteystiedot_Change(int index);
    void dateBoxLeft(int index);
    void tvwNimet_NodeClick(QTreeWidgetItem* item);
    void TabStrip1_Click(int index);
    void search(WindowHook dialog, const QString& notFound);
    void memberChanged();
    // SaveMember when something waits to be written; otherwise the card stays as it is (nothing
    // to re-read, nothing to recount) and only the focus leaves its boxes.
    bool leaveCard();
    bool cardPending() const;
    // Adds a letter node's member nodes, once.
    void listLetter(QTreeWidgetItem* letterNode);
    // The named members' rows and tree entries read again, the rest left as they are.
    void rereadMembers(const QSet<qint64>& ids);
    // The member's node leaves the group it was listed in and joins the one it belongs in now, in
    // its place there; only a listed letter has nodes.
    void moveTreeEntry(qint64 id, const MemberTree::Groups::Change& change);

    std::unique_ptr<Ui::frmJasen> ui;
    // The card's boxes by their index (objectName tYhteystiedot_0 .. tYhteystiedot_12).
    std::array<QLineEdit*, 13> tYhteystiedot{};
    bool m_loaded = false;
    bool m_filling = false;
    int m_shownTab = 1;
    std::array<bool, 13> m_boxChanged{};
    std::array<bool, 3> m_checkChanged{};
    bool m_memoChanged = false;
    bool m_stale = false;
    bool m_shownBefore = false;
    qint64 m_appliedFilter = 0;
    std::vector<MemberCardPanel*> m_panels;
    MemberTree::Groups m_treeGroups;
    std::vector<QTreeWidgetItem*> m_letterNodes; // by group; nullptr once listed
    MemberListCache m_filterList;
};

} // namespace tikkeli
