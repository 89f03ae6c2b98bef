#pragma once

#include "contracts/ui/AnimalChoiceControls.h"
#include "db/Database.h"

#include <QDialog>
#include <memory>

namespace Ui {
class frmElainehdot;
}

namespace tikkeli {

// "Tikkeli - Eläinehdot": which contracts the animal lists take by the hunting they concern and,
// for the animal-list kinds, the animals ticked in lstElaimet. Build it, load() it (false, after
// telling the user, when the database cannot be read) and exec() it. "Seuraava   >>" writes
// ContractReportCriteria().animals and closes (Keskeytetty when an animal-list kind has no
// animal ticked); the close box is a cancel and writes nothing.
class frmElainehdot : public QDialog {
    Q_OBJECT
public:
    explicit frmElainehdot(Database db, QWidget* parent = nullptr);
    ~frmElainehdot() override;

    bool load();
    void cSeuraava_Click();

protected:
    void done(int result) override;

private:
    std::unique_ptr<Ui::frmElainehdot> ui;
    Database m_db;
    std::unique_ptr<AnimalChoiceControls> m_animals;
};

} // namespace tikkeli
