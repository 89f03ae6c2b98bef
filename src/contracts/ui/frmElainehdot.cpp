#include "contracts/ui/frmElainehdot.h"
#include "ui/DefaultButton.h"

#include "base/Error.h"
#include "base/Prompter.h"
#include "contracts/ContractReportCriteria.h"
#include "ui/FormPlacement.h"

#include "ui_frmElainehdot.h"

namespace tikkeli {

namespace {

const QString CheckSettings = QStringLiteral("Tarkista tietokanta asetukset asetusikkunasta!");

} // namespace

frmElainehdot::frmElainehdot(Database db, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::frmElainehdot>()), m_db(std::move(db))
{
    ui->setupUi(this);
    setObjectName(QStringLiteral("frmElainehdot"));
    m_animals = std::make_unique<AnimalChoiceControls>(
        std::array{ui->optKoskee_0, ui->optKoskee_1, ui->optKoskee_2, ui->optKoskee_3}, ui->chkKaikkiaElaimia,
        ui->chkHirviElaimia, ui->lblList, ui->lstElaimet);
    connect(ui->cSeuraava, &QPushButton::clicked, this, &frmElainehdot::cSeuraava_Click);
    DefaultButtonTakesEnter(this);
    RestoreFormPlacement(this);
}

frmElainehdot::~frmElainehdot() = default;

bool frmElainehdot::load()
{
    if (m_db.path().isEmpty()) {
        ShowInfo(CheckSettings);
        return false;
    }
    try {
        m_animals->fill(m_db);
    } catch (const NumberedError& e) {
        ShowInfo(e.description() + QLatin1Char('\n') + CheckSettings);
        return false;
    }
    return true;
}

void frmElainehdot::cSeuraava_Click()
{
    ContractCriteria::Animals animals = BuildAnimalCriteria(m_animals->choice());
    if (animals.Keskeytetty)
        ShowInfo(QStringLiteral("Valitse myös eläimiä!"));
    ContractReportCriteria().animals = std::move(animals);
    accept();
}

void frmElainehdot::done(int result)
{
    SaveFormPlacement(this);
    QDialog::done(result);
}

} // namespace tikkeli
