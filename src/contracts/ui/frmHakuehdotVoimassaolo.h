#pragma once

#include "db/Database.h"

#include <QDialog>
#include <memory>

namespace Ui {
class frmHakuehdotVoimassaolo;
}

namespace tikkeli {

// "Tikkeli - Rajaus voimassaoloajalla": limits the contract lists to the contracts in force on a
// review date (or expired before it) and, optionally, to those with a contract feature. Build it,
// call load() (false, after telling the user, when the database cannot be read) and exec() it;
// "Seuraava >>" writes ContractReportCriteria().validity and accepts. The close box is a cancel
// and writes nothing.
class frmHakuehdotVoimassaolo : public QDialog {
    Q_OBJECT
public:
    explicit frmHakuehdotVoimassaolo(Database db, QWidget* parent = nullptr);
    ~frmHakuehdotVoimassaolo() override;

    bool load();
    void cSeuraava_Click();

protected:
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int chosenOption() const;
    void applyOptionRule();
    void leaveDateBox();

    std::unique_ptr<Ui::frmHakuehdotVoimassaolo> ui;
    Database m_db;
};

} // namespace tikkeli
