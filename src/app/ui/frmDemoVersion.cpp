#include "app/ui/frmDemoVersion.h"

#include "app/MakerDetails.h"
#include "base/ui/NamedLabel.h"
#include "settings/ui/FormPlacement.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tikkeli {

frmDemoVersion::frmDemoVersion(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmDemoVersion"));
    setWindowTitle(QStringLiteral("Tikkeli"));
    setModal(true);
    setMinimumWidth(460);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(NamedLabel(this, QStringLiteral("Label1"),
                            QStringLiteral("Voit tutustua ohjelmaan esittelytietokannan avulla. Käytä sitä vain "
                                           "tutustuaksesi ja kokeillaksesi ohjelmaa. Älä syötä yhdistyksen oikeita "
                                           "tietoja esittelytietokantaan.")));
    QLabel* important = NamedLabel(this, QStringLiteral("Label2"), QStringLiteral("Tärkeää!"));
    QFont bold = important->font();
    bold.setBold(true);
    important->setFont(bold);
    layout->addWidget(important);
    layout->addWidget(NamedLabel(this, QStringLiteral("Label3"),
                            QStringLiteral("Kun haluat ottaa Tikkelin yhdistyksesi käyttöön, perusta sille oma "
                                           "tietokanta. Yhdistyksen oma tietokanta on aluksi täysin tyhjä ja siitä on "
                                           "paras lähteä oman yhdistyksen tietojen kanssa liikkeelle.")));
    layout->addWidget(NamedLabel(this, QStringLiteral("Label4"),
                            QStringLiteral("Valitse nyt joko esittely tai yhdistyksen oman tietokannan perustaminen.")));

    auto* buttons = new QHBoxLayout;
    cDemo = new QPushButton(QStringLiteral("Esittely"), this);
    cDemo->setObjectName(QStringLiteral("cDemo"));
    cNewDatabase = new QPushButton(QStringLiteral("Oma tietokanta"), this);
    cNewDatabase->setObjectName(QStringLiteral("cNewDatabase"));
    buttons->addStretch();
    buttons->addWidget(cDemo);
    buttons->addWidget(cNewDatabase);
    buttons->addStretch();
    layout->addLayout(buttons);

    layout->addWidget(NamedLabel(this, QStringLiteral("Label5"), QStringLiteral("Neuvoja ongelmatilanteisiin:")));
    layout->addWidget(NamedLabel(this, QStringLiteral("Label6"), MakerDetails::supportContact()));

    connect(cDemo, &QPushButton::clicked, this, [this] {
        UseDemoDatabase = true;
        accept();
    });
    connect(cNewDatabase, &QPushButton::clicked, this, [this] {
        UseDemoDatabase = false;
        accept();
    });
    RestoreFormPlacement(this);
}

void frmDemoVersion::done(int result)
{
    SaveFormPlacement(this);
    QDialog::done(result);
}

} // namespace tikkeli
