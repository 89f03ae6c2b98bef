#pragma once

#include "db/Database.h"

#include <QWidget>
#include <memory>
#include <vector>

namespace Ui {
class frmMoniliitos;
}

namespace tikkeli {

// "Tikkeli - Moniliitos": attaches one member feature with the same values to the marked members.
// Opened modeless from the member window: frmMoniliitos::open(). Layout in frmMoniliitos.ui.
class frmMoniliitos : public QWidget {
    Q_OBJECT
public:
    explicit frmMoniliitos(QWidget* parent = nullptr);
    ~frmMoniliitos() override;

    // The loaded window brought to the front, else a new one.
    static frmMoniliitos* open();

    bool loaded() const { return m_db.isOpen(); }

    void valitseKaikki();
    void eiValintoja();
    // The feature chosen in lstAllPt (click): shows its description and offers its enabled kinds.
    void valitseOminaisuus();
    void lisaaValituille();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void load();
    void FillMemberList();
    void FillFeatureList();
    void resetValueInputs();

    std::unique_ptr<Ui::frmMoniliitos> ui;
    Database m_db;
    std::vector<qint64> m_memberIds; // by row of lstJR
};

} // namespace tikkeli
