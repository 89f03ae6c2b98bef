#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class frmLaskumalli;
}

namespace tikkeli {

// Asks the layout of an invoice print: transfer form or letter, Finnish or bilingual. The answer
// goes to InvoiceLayout() on "Seuraava >>"; the close box cancels and leaves it as it was.
class frmLaskumalli : public QDialog {
    Q_OBJECT
public:
    explicit frmLaskumalli(QWidget* parent = nullptr);
    ~frmLaskumalli() override;

private:
    void seuraava();
    std::unique_ptr<Ui::frmLaskumalli> ui;
};

// Shows the dialog; true when it was answered.
bool AskInvoiceLayout(QWidget* parent = nullptr);

} // namespace tikkeli
