#pragma once

#include <optional>

#include "db/Database.h"

#include <QHash>
#include <QMainWindow>
#include <functional>
#include <memory>

class QAction;
class QTimer;
class QProgressBar;

namespace Ui {
class frmMaksut;
}

namespace tikkeli {

class frmLaskujenRajaus;

// "Maksukirja": the treasurer's window over the invoice history. Finds an invoice by its
// reference, marks it paid, reprints it, prints copies, lists and labels over a range, and deletes
// paid or all history rows. Opened modeless from the main window, one instance.
class frmMaksut : public QMainWindow {
    Q_OBJECT
public:
    explicit frmMaksut(QWidget* parent = nullptr);
    ~frmMaksut() override;

    bool loaded() const { return m_db.isOpen(); }
    Database& database() { return m_db; }
    qint64 CurrentHistoryId() const { return m_currentHistoryId; }
    qint64 CurrentMemberId() const { return m_currentMemberId; }
    // The range dialog the window owns; its answers stay between list prints.
    frmLaskujenRajaus& rangeDialog();

    // Reminders, their e-mail and the reference-payment import arrive with their own work; while
    // a hook is empty its commands stay disabled.
    // What the reminder e-mail loop uses of the window.
    bool& ReminderTimerElapsed() { return m_reminderTimerElapsed; }
    QTimer* Timer1() const { return m_timer; }
    QProgressBar* ProgressBar1() const;
    // While a loop pumps events for the window (the reminder e-mails), every command is off and
    // the window refuses to close.
    void setBusy(bool busy);
    bool busy() const { return m_busy; }

    void FindInvoiceByReference();
    void MarkShownInvoicePaid();
    void AppendCheckDigit();
    void ReprintInvoice();
    void PrintInvoiceCopies();
    void PrintHistoryList(const QString& file, const QString& initialSelection, const QString& title);
    void PrintLabels();
    void DeletePaid();
    void DeleteAll();
    void ClearInvoiceDisplay();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // The history row of the reference typed in tViitenumero; tells the user when there is none.
    std::optional<qint64> typedReferenceInvoice(const QString& reference);
    void load();
    // The file was replaced under the window (another program restored a backup over it).
    void ReadReplacedFile();
    bool showInvoice(qint64 historyId, const QString& reference);
    // The print dialog; false when cancelled.
    bool askPrint();
    void runPrint(const QString& errorPrefix, const std::function<void()>& prepare);
    void deleteHistory(const QString& question, const std::function<void(Database&)>& deletion);

    std::unique_ptr<Ui::frmMaksut> ui;
    Database m_db;
    qint64 m_currentHistoryId = 0;
    qint64 m_currentMemberId = 0;
    bool m_reminderTimerElapsed = false;
    QTimer* m_timer = nullptr;
    frmLaskujenRajaus* m_range = nullptr;
    bool m_busy = false;
    QHash<QAction*, bool> m_enabledBeforeBusy;
};

} // namespace tikkeli
