#pragma once

#include "db/Database.h"
#include "platform/ReferencePaymentReader.h"

#include <QMainWindow>
#include <QString>
#include <memory>
#include <vector>

class QListWidget;

namespace Ui {
class frmViitemaksut;
}

namespace tikkeli {

// "Viitemaksut": opens a bank's reference-payment file, shows one batch at a time sorted into
// arrived, to-be-checked and wrong-sum payments, and marks the chosen arrived ones paid.
// Opened modeless from the payment book, one instance (FormRegistry "frmViitemaksut").
class frmViitemaksut : public QMainWindow {
    Q_OBJECT
public:
    explicit frmViitemaksut(QWidget* parent = nullptr);
    ~frmViitemaksut() override;

    // False when the load failed; the window has told the user and closes itself.
    bool loaded() const { return m_db.isOpen(); }
    // The tab on show, 1 to 4.
    int currentTab() const { return m_tab; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Avaa();
    void ShowBatch(int n);
    void clearBatch();
    void Maksetuksi();
    void selectAll(bool selected);

    struct ListRow {
        QString text;
        qint64 historyId;
    };
    static void fillList(QListWidget* list, const std::vector<ListRow>& rows);

    std::unique_ptr<Ui::frmViitemaksut> ui;
    Database m_db;
    std::vector<ReferencePaymentBatch> m_batches;
    int m_tab = 1;
};

} // namespace tikkeli
