#pragma once

#include "db/Database.h"

#include <QDialog>
#include <memory>

class QLineEdit;

namespace Ui {
class frmHakuehdot;
}

namespace tikkeli {

// "Tikkeli - Hakuehdot": the contract feature of the feature lists, optional date, number and
// money tests with their comparisons, list or labels, and on request ("Päivitä") how many
// contracts and estates, and how much area, they take. Set OminaisuusTyyppi, build it, load() it
// (false, after telling the user, when the database cannot be read), offer or withhold labels
// with setLabelsOffered and exec() it. "Seuraava >>" writes ContractReportCriteria().feature and
// accepts; the close box is a cancel and writes nothing.
class frmHakuehdot : public QDialog {
    Q_OBJECT
public:
    explicit frmHakuehdot(Database db, QWidget* parent = nullptr);
    ~frmHakuehdot() override;

    qint32 OminaisuusTyyppi = 2;

    bool load();
    void setLabelsOffered(bool offered);
    void cPaivita_Click();
    void cSeuraava_Click();

protected:
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The date box holds a date, a year pattern or nothing; otherwise the user is told and the
    // focus goes back to it.
    bool dateBoxReadable();
    void leaveBox(QLineEdit* box);

    std::unique_ptr<Ui::frmHakuehdot> ui;
    Database m_db;
};

} // namespace tikkeli
