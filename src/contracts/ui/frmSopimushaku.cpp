#include "contracts/ui/frmSopimushaku.h"

#include "base/Prompter.h"
#include "ui/DefaultButton.h"
#include "ui/WindowTeardown.h"
#include "contracts/ContractSearch.h"
#include "db/DbError.h"
#include "ui/FormPlacement.h"

#include "ui_frmSopimushaku.h"

#include <optional>

namespace tikkeli {

namespace {

void fillCombo(QComboBox* combo, const std::vector<ContractSearch::Entry>& entries)
{
    combo->hide();
    combo->clear();
    for (const ContractSearch::Entry& e : entries)
        combo->addItem(e.text, QVariant(e.id));
    combo->setCurrentIndex(-1);
    combo->setEditText(QString());
    combo->show();
}

// The item data of the entry the text names, when the user picked it from the list.
std::optional<qint64> chosenEntry(const QComboBox* combo)
{
    const int i = combo->currentIndex();
    if (i >= 0 && combo->itemText(i) == combo->currentText())
        return combo->itemData(i).toLongLong();
    return std::nullopt;
}

} // namespace

frmSopimushaku::frmSopimushaku(Database db, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::frmSopimushaku>()), m_db(std::move(db))
{
    ui->setupUi(this);
    DefaultButtonTakesEnter(this);
    setObjectName(QStringLiteral("frmSopimushaku"));
    connect(ui->cHae, &QPushButton::clicked, this, &frmSopimushaku::cHae_Click);
    connect(ui->cPeruHaku, &QPushButton::clicked, this, &frmSopimushaku::cPeruHaku_Click);
    RestoreFormPlacement(this);
    fill();
    setFixedSize(sizeHint());
}

frmSopimushaku::~frmSopimushaku()
{
    DetachControls(this);
}

void frmSopimushaku::fill()
{
    try {
        fillCombo(ui->cmbRekisteriNumero, ContractSearch::registerNumbers(m_db));
        fillCombo(ui->cmbSopimusNo, ContractSearch::contractNumbers(m_db));
    } catch (const DbException& e) {
        // The lists only help; typed numbers are still looked up.
        ShowInfo(e.description());
    }
}

qint64 frmSopimushaku::byContractNumber()
{
    if (const auto id = chosenEntry(ui->cmbSopimusNo))
        return *id;
    const qint64 id = ContractSearch::byContractNumber(m_db, ui->cmbSopimusNo->currentText());
    if (id < 1)
        ShowInfo(QStringLiteral("Sopimusnumerolla ei löydy sopimusta."));
    return id;
}

qint64 frmSopimushaku::byRegisterNumber()
{
    const auto entry = chosenEntry(ui->cmbRekisteriNumero);
    const qint64 id = entry ? ContractSearch::byEstate(m_db, *entry)
                            : ContractSearch::byRegisterNumber(m_db, ui->cmbRekisteriNumero->currentText());
    if (id < 1)
        ShowInfo(QStringLiteral("Rekisterinumerolla ei löydy sopimusta."));
    return id;
}

void frmSopimushaku::cHae_Click()
{
    qint64 found = 0;
    try {
        if (!ui->cmbSopimusNo->currentText().isEmpty())
            found = byContractNumber();
        if (found < 1 && !ui->cmbRekisteriNumero->currentText().isEmpty())
            found = byRegisterNumber();
    } catch (const DbException& e) {
        ShowInfo(e.description());
        return;
    }
    if (found > 0) {
        SopimusId = found;
        hide();
        QDialog::done(Accepted);
    }
}

void frmSopimushaku::cPeruHaku_Click()
{
    SopimusId = 0;
    QDialog::done(Rejected);
}

void frmSopimushaku::done(int result)
{
    SaveFormPlacement(this);
    QDialog::done(result);
}

} // namespace tikkeli
