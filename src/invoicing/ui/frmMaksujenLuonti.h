#pragma once

#include "db/Database.h"

#include <QDate>
#include <QMainWindow>
#include <functional>
#include <memory>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace Ui {
class frmMaksujenLuonti;
}

namespace tikkeli {

struct InvoiceRunRequest;

// "Laskutus": fills in one invoice run, writes it (Lisää), and then moves its invoices to the
// history or deletes them. Opened modeless from the main window, one instance
// (FormRegistry::open<frmMaksujenLuonti>("frmMaksujenLuonti")).
class frmMaksujenLuonti : public QMainWindow {
    Q_OBJECT
public:
    explicit frmMaksujenLuonti(QWidget* parent = nullptr);
    ~frmMaksujenLuonti() override;

    // False when the load failed; the window has told the user and closes itself.
    bool loaded() const { return m_db.isOpen(); }
    // True while a run or a batch command is working; the window refuses to close meanwhile.
    bool busy() const { return m_busy; }

    // The invoice date a new window proposes; tests set their own day.
    // Printing and e-mail arrive with their own windows; while a hook is empty its commands stay
    // disabled.

    Database& database() { return m_db; }

    // E-mail (F8): sends the run's invoices not yet e-mailed; the preview shows them one by one.
    void SendInvoiceEmails();
    void PreviewInvoiceEmails();
    // Stops a running send after the message on its way.
    void cancelSending();
    // The recipient list's item data: 0 for everyone and the landowners, minus the feature id of a
    // feature, the member's jrID for one member.
    qint64 selectedRecipientCode() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void load();
    // The file was replaced under the window (another program restored a backup over it): its
    // lists and the run's state are read again from the file now at the path.
    void ReadReplacedFile();
    void FillRecipients();
    void FillTitleList();
    void UpdateInvoiceStatus();
    void EnableRunButtons(bool runAllowed);
    void RecalculateTotal();
    void ResetRowEditors();
    void rowClicked(int index);
    void checkDateOnLeave(QLineEdit* box);
    void checkTotalOnLeave();
    void saveTypedTitle();
    void deleteTitle();
    InvoiceRunRequest request() const;

    void Lisaa();
    void Historiaan();
    void Poista();

    // Disables every command while work runs, and enables them again after.
    void setBusy(bool busy);
    void showProgress(int done, int total);

    std::unique_ptr<Ui::frmMaksujenLuonti> ui;
    QLabel* m_status = nullptr;
    QPushButton* m_cancel = nullptr;
    std::function<void()> m_cancelSending;
    Database m_db;
    bool m_busy = false;
    QString m_note; // shown after the counts in the status line until the run's invoices go
};

} // namespace tikkeli
