#pragma once

#include "db/Database.h"

#include <QDialog>
#include <QList>

#include <memory>

namespace Ui {
class frmEmailPreview;
}

namespace tikkeli {

// "Sähköpostilaskun esikatselu": shows, record by record, the text the send loops would e-mail for
// an invoice (jm) or a reminder (jmhist). Only reads. The caller builds it, checks loaded(), calls
// SetRecordSource and runs it modally.
class frmEmailPreview : public QDialog {
    Q_OBJECT
public:
    explicit frmEmailPreview(QWidget* parent = nullptr);
    ~frmEmailPreview() override;

    // False when no database could be opened; the user has been told.
    bool loaded() const { return m_db.isOpen(); }
    // invoices: jm rows by jmID, else jmhist rows by jmhID; sql is the program's own query.
    void SetRecordSource(bool invoices, const QString& sql);
    void DisableSelButtons() { SetSelButtons(false); }
    void EnableSelButtons() { SetSelButtons(true); }

    // Which record is shown: 0-based, -1 for none.
    int position() const { return m_position; }
    int recordCount() const { return int(m_ids.size()); }

    void ensimmainen();
    void edellinen();
    void seuraava();
    void viimeinen();

protected:
    void done(int result) override;

private:
    void SetSelButtons(bool enabled);
    void moveTo(int position);
    void UpdatePreviewText();
    void showText(QString text);

    std::unique_ptr<Ui::frmEmailPreview> ui;
    Database m_db;
    bool m_invoices = true;
    QList<qint64> m_ids;
    int m_position = -1;
};

} // namespace tikkeli
