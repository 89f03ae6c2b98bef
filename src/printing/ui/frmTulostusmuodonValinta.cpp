#include "printing/ui/frmTulostusmuodonValinta.h"
#include "ui/DefaultButton.h"
#include "ui_frmTulostusmuodonValinta.h"

#include "printing/PrintChoices.h"
#include "ui/FormPlacement.h"

#include <QButtonGroup>

namespace tikkeli {

frmTulostusmuodonValinta::frmTulostusmuodonValinta(QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::frmTulostusmuodonValinta>())
{
    ui->setupUi(this);
    optTulJarj = {ui->optTulJarj_0, ui->optTulJarj_1, ui->optTulJarj_2};
    optPrintType = {ui->optPrintType_0, ui->optPrintType_1, ui->optPrintType_2, ui->optPrintType_3, ui->optPrintType_4};
    auto* orderGroup = new QButtonGroup(this);
    for (int i = 0; i < 3; ++i)
        orderGroup->addButton(optTulJarj[size_t(i)], i);
    auto* typeGroup = new QButtonGroup(this);
    for (int i = 0; i < 5; ++i)
        typeGroup->addButton(optPrintType[size_t(i)], i);

    connect(ui->cSeuraava, &QPushButton::clicked, this, &frmTulostusmuodonValinta::seuraava);
    DefaultButtonTakesEnter(this);
    RestoreFormPlacement(this);
}

frmTulostusmuodonValinta::~frmTulostusmuodonValinta() = default;

void frmTulostusmuodonValinta::seuraava()
{
    Printing().TulostusJarjestys = optTulJarj[0]->isChecked() ? 0 : optTulJarj[1]->isChecked() ? 1 : 2;
    for (int i = 0; i < 5; ++i)
        if (optPrintType[size_t(i)]->isChecked())
            Printing().TulostusMuoto = qint16(i);
    accept();
}

void frmTulostusmuodonValinta::done(int result)
{
    SaveFormPlacement(this);
    QDialog::done(result);
}

} // namespace tikkeli
