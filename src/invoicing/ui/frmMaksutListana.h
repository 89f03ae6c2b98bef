#pragma once

#include "db/Database.h"

#include <QMainWindow>
#include <memory>

class QModelIndex;

namespace Ui {
class frmMaksutListana;
}

namespace tikkeli {

// "Maksujen merkintä": the history invoices by reference number; activating a row (double click
// or Enter) marks that invoice paid. Opened modeless from the payment book, one instance.
class frmMaksutListana : public QMainWindow {
    Q_OBJECT
public:
    explicit frmMaksutListana(QWidget* parent = nullptr);
    ~frmMaksutListana() override;

    bool loaded() const { return m_db.isOpen(); }
    void FillGrid(int filter);
    // Marks the invoice of grid row `row` (0 = the first invoice) paid, unless it shows as paid.
    void MarkGridRowPaid(int row);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void SetColumnWidths();
    // The rows the grid lists now (the filter option chosen).
    int shownFilter() const;
    std::unique_ptr<Ui::frmMaksutListana> ui;
    Database m_db;
};

} // namespace tikkeli
