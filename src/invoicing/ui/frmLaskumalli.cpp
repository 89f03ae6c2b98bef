#include "invoicing/ui/frmLaskumalli.h"

#include "ui_frmLaskumalli.h"

#include "ui/DefaultButton.h"
#include "invoicing/InvoicePrints.h"
#include "ui/FormPlacement.h"

#include <QButtonGroup>

namespace tikkeli {

frmLaskumalli::frmLaskumalli(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::frmLaskumalli>())
{
    ui->setupUi(this);
    DefaultButtonTakesEnter(this);
    auto* layoutGroup = new QButtonGroup(this);
    layoutGroup->addButton(ui->optLaskumalli_0, 0);
    layoutGroup->addButton(ui->optLaskumalli_1, 1);
    layoutGroup->addButton(ui->optLaskumalli_2, 2);
    auto* language = new QButtonGroup(this);
    language->addButton(ui->optKieli_0, 0);
    language->addButton(ui->optKieli_1, 1);
    ui->cSeuraava->setDefault(true);
    connect(ui->cSeuraava, &QPushButton::clicked, this, &frmLaskumalli::seuraava);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    RestoreFormPlacement(this);
}

frmLaskumalli::~frmLaskumalli()
{
    SaveFormPlacement(this);
}

void frmLaskumalli::seuraava()
{
    InvoiceLayoutChoice& l = InvoiceLayout();
    l.InvoiceGiroForm = ui->optLaskumalli_0->isChecked();
    l.InvoiceMemberCard = !l.InvoiceGiroForm && ui->optLaskumalli_2->isChecked();
    l.InvoiceFinnishOnly = ui->optKieli_0->isChecked();
    accept();
}

bool AskInvoiceLayout(QWidget* parent)
{
    frmLaskumalli dialog(parent);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace tikkeli
