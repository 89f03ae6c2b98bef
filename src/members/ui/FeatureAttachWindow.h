#pragma once

#include "db/Database.h"
#include "members/FeatureAttach.h"
#include "members/FeatureTable.h"

#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

namespace Ui {
class FeatureAttachWindow;
}

namespace tikkeli {

// What a bulk-attach window works on: the records to choose from and where their values go.
struct FeatureAttachSetup {
    QString formName; // the window's name ("frmMoniliitos"), also its placement key
    const FeatureTable* table = nullptr;
    QString ownersTitle; // caption of the records' frame
    // The records are chosen by ticking their check boxes (else by selecting them).
    bool ticks = false;
    // Offers the choice to skip records that have the feature already.
    bool offerOnlyNew = false;
    std::function<std::vector<AttachListEntry>(Database&)> owners;
};

// "Tikkeli - Moniliitos": attaches one feature with the same values to the chosen records, all
// rows in one transaction. Layout in FeatureAttachWindow.ui; frmMoniliitos (members) and
// frmMoniliitosMV (contracts) are its two forms.
class FeatureAttachWindow : public QWidget {
    Q_OBJECT
public:
    FeatureAttachWindow(FeatureAttachSetup setup, QWidget* parent);
    ~FeatureAttachWindow() override;

    bool loaded() const { return m_db.isOpen(); }

    void valitseKaikki();
    void eiValintoja();
    // The feature chosen in lstAllPt (click): shows its description and offers its enabled kinds
    // with the definition's defaults.
    void valitseOminaisuus();
    void lisaaValituille();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void load();
    // The file was replaced under the window (another program restored a backup over it).
    void ReadReplacedFile();
    void FillOwnerList();
    void FillFeatureList();
    void resetValueInputs();
    std::vector<qint64> chosenOwners() const;
    void markAll(bool on);

    std::unique_ptr<Ui::FeatureAttachWindow> ui;
    FeatureAttachSetup m_setup;
    Database m_db;
    std::vector<qint64> m_ownerIds; // by row of lstJR
};

} // namespace tikkeli
