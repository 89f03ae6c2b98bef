#pragma once

#include "catch/CatchReport.h"
#include "db/Database.h"

#include <QDialog>
#include <memory>

namespace Ui {
class frmSaalisilmTulostus;
}

namespace tikkeli {

class SuggestionList;

// "Saalisilmoituksen tulostus": the species of the catch report with its counts by age and sex,
// the permit (remembered in the settings), the police's free permits, the permit region's area and
// the population left. "Seuraava   >>" counts the species again, keeps the permit and accepts; the
// caller reads request() then. Closing it any other way is a cancel.
class frmSaalisilmTulostus : public QDialog {
    Q_OBJECT
public:
    explicit frmSaalisilmTulostus(QWidget* parent = nullptr);
    ~frmSaalisilmTulostus() override;

    // False when the load failed; the dialog has told the user and is not to be shown.
    bool loaded() const { return m_db.isOpen(); }
    // What "Seuraava   >>" handed over.
    const CatchReportRequest& request() const { return m_request; }

    void cSeuraava_Click();

public slots:
    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The species and the permit as the file holds them.
    void ReadFile();
    void FillSpeciesList(Database& db);
    // The counts of the species in the box; false (after telling the user) when they could not be
    // read.
    bool UpdateCatchSummary();

    std::unique_ptr<Ui::frmSaalisilmTulostus> ui;
    SuggestionList* m_lajit = nullptr;
    Database m_db;
    CatchCounts m_counts;
    CatchReportRequest m_request;
};

} // namespace tikkeli
