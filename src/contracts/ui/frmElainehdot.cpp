#include "contracts/ui/frmElainehdot.h"

#include "base/Error.h"
#include "base/Prompter.h"
#include "contracts/ContractCriteriaLists.h"
#include "contracts/ContractReportCriteria.h"
#include "settings/ui/FormPlacement.h"

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
    for (QRadioButton* o : {ui->optKoskee_0, ui->optKoskee_1, ui->optKoskee_2, ui->optKoskee_3})
        connect(o, &QRadioButton::clicked, this, &frmElainehdot::applyOptionRule);
    connect(ui->cSeuraava, &QPushButton::clicked, this, &frmElainehdot::cSeuraava_Click);
    RestoreFormPlacement(this);
    applyOptionRule();
}

frmElainehdot::~frmElainehdot() = default;

bool frmElainehdot::load()
{
    if (m_db.path().isEmpty()) {
        ShowInfo(CheckSettings);
        return false;
    }
    try {
        ui->lstElaimet->clear();
        for (const auto& e : ContractCriteriaLists::animals(m_db)) {
            auto* entry = new QListWidgetItem(e.name, ui->lstElaimet);
            entry->setData(Qt::UserRole, e.id);
            entry->setFlags(entry->flags() | Qt::ItemIsUserCheckable);
            entry->setCheckState(Qt::Unchecked);
        }
        if (ui->lstElaimet->count() > 0)
            ui->lstElaimet->setCurrentRow(0, QItemSelectionModel::NoUpdate);
    } catch (const NumberedError& e) {
        ShowInfo(e.description() + QLatin1Char('\n') + CheckSettings);
        return false;
    }
    return true;
}

int frmElainehdot::chosenOption() const
{
    const QRadioButton* options[] = {ui->optKoskee_0, ui->optKoskee_1, ui->optKoskee_2, ui->optKoskee_3};
    for (int i = 0; i < 4; ++i)
        if (options[i]->isChecked())
            return i;
    return 0;
}

void frmElainehdot::applyOptionRule()
{
    const int option = chosenOption();
    const bool listed = option >= 2;
    ui->lblList->setEnabled(listed);
    ui->lstElaimet->setEnabled(listed);
    // "Not the listed animals" takes no other kinds along.
    for (QCheckBox* c : {ui->chkKaikkiaElaimia, ui->chkHirviElaimia}) {
        if (option == 3)
            c->setChecked(false);
        c->setEnabled(option != 3);
    }
}

void frmElainehdot::cSeuraava_Click()
{
    AnimalChoice choice;
    choice.option = chosenOption();
    choice.kaikkea = ui->chkKaikkiaElaimia->isChecked();
    choice.hirvi = ui->chkHirviElaimia->isChecked();
    if (choice.option >= 2)
        for (int i = 0; i < ui->lstElaimet->count(); ++i) {
            const QListWidgetItem* entry = ui->lstElaimet->item(i);
            if (entry->checkState() == Qt::Checked)
                choice.animals.emplace_back(entry->data(Qt::UserRole).toInt(), entry->text());
        }
    ContractCriteria::Animals animals = BuildAnimalCriteria(choice);
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
