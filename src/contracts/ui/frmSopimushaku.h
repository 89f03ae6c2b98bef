#pragma once

#include "db/Database.h"

#include <QDialog>
#include <memory>

class QComboBox;

namespace Ui {
class frmSopimushaku;
}

namespace tikkeli {

// "Tikkeli - Sopimushaku": finds a contract by its contract number or by the register number of
// one of its estates, on the contract window's database. Show it modally and read SopimusId: the
// vsID found, 0 when the user cancelled or closed the dialog without a find.
class frmSopimushaku : public QDialog {
    Q_OBJECT
public:
    explicit frmSopimushaku(Database db, QWidget* parent = nullptr);
    ~frmSopimushaku() override;

    qint64 SopimusId = 0;
    qint64 FoundContractId() const { return SopimusId; }

    void cHae_Click();
    void cPeruHaku_Click();

protected:
    void done(int result) override;

private:
    void fill();
    // The contract by the combo box's text: a chosen entry's item data, else the query's answer.
    qint64 byContractNumber();
    qint64 byRegisterNumber();

    std::unique_ptr<Ui::frmSopimushaku> ui;
    Database m_db;
};

} // namespace tikkeli
