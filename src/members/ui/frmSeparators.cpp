#include "members/ui/frmSeparators.h"

#include "ui_frmSeparators.h"

#include "ui/DefaultButton.h"
#include "ui/WindowTeardown.h"
#include "ui/FormPlacement.h"

namespace tikkeli {

frmSeparators::frmSeparators(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::frmSeparators>())
{
    ui->setupUi(this);
    DefaultButtonTakesEnter(this);
    ui->cmbSeparator->setCurrentIndex(0);
    ui->cmbRemoveChars->setCurrentIndex(0);
    connect(ui->cSeuraava, &QPushButton::clicked, this, &frmSeparators::cSeuraava_Click);
    connect(ui->cPeru, &QPushButton::clicked, this, &frmSeparators::reject);
    RestoreFormPlacement(this);
}

frmSeparators::~frmSeparators()
{
    DetachControls(this);
}

void frmSeparators::cSeuraava_Click()
{
    Cancelled = false;
    // A typed text is taken as it stands; it never becomes a new entry of the list.
    Separator = ui->cmbSeparator->currentText();
    RemoveChars = ui->cmbRemoveChars->currentText();
    accept();
}

void frmSeparators::reject()
{
    // "Peru", Esc and the title bar's close all cancel.
    Cancelled = true;
    Separator.clear();
    RemoveChars.clear();
    QDialog::reject();
}

void frmSeparators::done(int result)
{
    SaveFormPlacement(this);
    QDialog::done(result);
}

} // namespace tikkeli
