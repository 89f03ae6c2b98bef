#pragma once

#include "members/MemberQuickSearch.h"

#include <QDialog>
#include <array>
#include <map>
#include <vector>
#include <memory>

class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;

namespace Ui {
class frmHaku;
}

namespace tikkeli {

// "Perushaku": finds one member by member number, by one item of contact data or by the text of a
// feature memo, on the database it is given (the member window's). Show it modally and read
// HakuJasenID afterwards: the jrID found, 0 when nothing was chosen. A search that finds a member
// hides the dialog; a search that finds none says so and keeps it open. The lists are filled when
// the dialog is built, from lists kept while the database is unchanged. Its controls are found by objectName (frmHaku.ui).
class frmHaku : public QDialog {
    Q_OBJECT
public:
    explicit frmHaku(Database db, QWidget* parent = nullptr);
    ~frmHaku() override;

    qint32 HakuJasenID = 0;

    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void wireUi();
    void fillLists();
    void FillContactCombo(QComboBox* combo, MemberQuickSearch::Field field);
    void FillMemoBeginnings();
    void fillCombo(QComboBox* combo, const std::vector<MemberSearchEntry>& entries);
    // The member of a combo's entry.
    qint32 itemId(QComboBox* combo, int index) const;
    void cHae_Click();
    void cYhteysHaku_Click();
    void cMuistioHaku_Click();
    void cPeruHaku_Click();
    void contactChanged(QComboBox* changed, const QString& text);
    // Runs a search; a failing query is reported and counts as no result.
    template <class F>
    bool guarded(F&& search);

    std::unique_ptr<Ui::frmHaku> ui;
    MemberQuickSearch m_search;
    std::array<QComboBox*, 4> m_contactCombos{};
    std::map<QComboBox*, std::vector<qint32>> m_itemIds; // by entry
};

} // namespace tikkeli
