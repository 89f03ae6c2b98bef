#pragma once

#include "db/Database.h"

#include <QDialog>
#include <memory>

namespace Ui {
class frmSaalisPoisto;
}

namespace tikkeli {

// "Saaliin poisto": deletes every catch of one species, one species after another. After each
// delete the catch entry window reads the list again (ClubChanges).
class frmSaalisPoisto : public QDialog {
    Q_OBJECT
public:
    explicit frmSaalisPoisto(QWidget* parent = nullptr);
    ~frmSaalisPoisto() override;

    // False when the load failed; the dialog has told the user and is not to be shown.
    bool loaded() const { return m_db.isOpen(); }

    void cPoista_Click();

public slots:
    void done(int result) override;

private:
    void FillSpeciesList();

    std::unique_ptr<Ui::frmSaalisPoisto> ui;
    Database m_db;
};

} // namespace tikkeli
