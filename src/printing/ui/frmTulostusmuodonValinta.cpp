#include "printing/ui/frmTulostusmuodonValinta.h"

#include "printing/PrintChoices.h"
#include "settings/ui/FormPlacement.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tikkeli {

frmTulostusmuodonValinta::frmTulostusmuodonValinta(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmTulostusmuodonValinta"));
    setWindowTitle(QStringLiteral("Tikkeli - Tulostusmuodon valinta"));

    auto* outer = new QGroupBox(QStringLiteral("Tulostevalinnat"), this);
    auto* order = new QGroupBox(QStringLiteral("Tulostusjärjestys"), outer);
    auto* orderLayout = new QHBoxLayout(order);
    auto* orderGroup = new QButtonGroup(this);
    const char* orders[] = {"Aakkostettu", "Postinumero", "Syntymäpäivä"};
    for (int i = 0; i < 3; ++i) {
        optTulJarj[size_t(i)] = new QRadioButton(QString::fromUtf8(orders[i]), order);
        optTulJarj[size_t(i)]->setObjectName(QStringLiteral("optTulJarj_%1").arg(i));
        orderGroup->addButton(optTulJarj[size_t(i)], i);
        orderLayout->addWidget(optTulJarj[size_t(i)]);
    }
    optTulJarj[0]->setChecked(true);

    auto* type = new QGroupBox(QStringLiteral("Tulostetyyppi"), outer);
    auto* typeLayout = new QGridLayout(type);
    auto* typeGroup = new QButtonGroup(this);
    const char* types[] = {"Luettelo", "Luett. omin.", "Laaja luettelo", "Tarrat", "Tarrat tittelillä"};
    for (int i = 0; i < 5; ++i) {
        optPrintType[size_t(i)] = new QRadioButton(QString::fromUtf8(types[i]), type);
        optPrintType[size_t(i)]->setObjectName(QStringLiteral("optPrintType_%1").arg(i));
        typeGroup->addButton(optPrintType[size_t(i)], i);
        typeLayout->addWidget(optPrintType[size_t(i)], i / 3, i % 3);
    }
    optPrintType[0]->setChecked(true);

    auto* outerLayout = new QVBoxLayout(outer);
    outerLayout->addWidget(order);
    outerLayout->addWidget(type);

    cSeuraava = new QPushButton(QStringLiteral("Seuraava >>"), this);
    cSeuraava->setObjectName(QStringLiteral("cSeuraava"));
    cSeuraava->setDefault(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(outer);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cSeuraava);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(cSeuraava, &QPushButton::clicked, this, &frmTulostusmuodonValinta::seuraava);
    RestoreFormPlacement(this);
}

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
