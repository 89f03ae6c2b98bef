#include "printing/ui/frmTulJarjValinta.h"

#include "ui_frmTulJarjValinta.h"

#include "ui/DefaultButton.h"
#include "printing/PrintChoices.h"
#include "ui/FormPlacement.h"

#include <QButtonGroup>

namespace tikkeli {

frmTulJarjValinta::frmTulJarjValinta(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::frmTulJarjValinta>())
{
    ui->setupUi(this);
    DefaultButtonTakesEnter(this);
    auto* group = new QButtonGroup(this);
    group->addButton(ui->optTulJarj_0, 0);
    group->addButton(ui->optTulJarj_1, 1);
    group->addButton(ui->optTulJarj_2, 2);
    ui->cSeuraava->setDefault(true);
    connect(ui->cSeuraava, &QPushButton::clicked, this, &frmTulJarjValinta::seuraava);
    // A fixed size: the dialog has nothing that could use more room.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    RestoreFormPlacement(this);
}

frmTulJarjValinta::~frmTulJarjValinta()
{
    SaveFormPlacement(this);
}

void frmTulJarjValinta::seuraava()
{
    Printing().TulostusJarjestys = ui->optTulJarj_0->isChecked() ? 0 : ui->optTulJarj_1->isChecked() ? 1 : 2;
    accept();
}

} // namespace tikkeli
