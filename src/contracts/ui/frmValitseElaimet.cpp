#include "contracts/ui/frmValitseElaimet.h"
#include "ui/DefaultButton.h"

#include "ui_frmValitseElaimet.h"

#include "base/SharedState.h"
#include "ui/FormPlacement.h"

#include <QListWidget>
#include <QPushButton>

namespace tikkeli {

frmValitseElaimet::frmValitseElaimet(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::frmValitseElaimet>())
{
    ui->setupUi(this);
    setWindowTitle(State().ProgramTitle + QStringLiteral(" - Valitse eläimet"));
    connect(ui->cOK, &QPushButton::clicked, this, &frmValitseElaimet::ok);
    connect(ui->cPeru, &QPushButton::clicked, this, &QDialog::reject);
    DefaultButtonTakesEnter(this);
    RestoreFormPlacement(this);
}

frmValitseElaimet::~frmValitseElaimet() = default;

void frmValitseElaimet::FillElaimet(const std::vector<cElain>& animals)
{
    ui->lstElaimet->clear();
    for (const cElain& animal : animals) {
        auto* entry = new QListWidgetItem(animal.Nimi, ui->lstElaimet);
        entry->setData(Qt::UserRole, animal.id);
        entry->setFlags(entry->flags() | Qt::ItemIsUserCheckable);
        entry->setCheckState(Qt::Unchecked);
    }
    if (ui->lstElaimet->count() > 0)
        ui->lstElaimet->setCurrentRow(0);
}

void frmValitseElaimet::SelectElaimet(const std::vector<cElain>& animals)
{
    for (int i = 0; i < ui->lstElaimet->count(); ++i) {
        QListWidgetItem* entry = ui->lstElaimet->item(i);
        const qint64 id = entry->data(Qt::UserRole).toLongLong();
        const bool chosen = std::any_of(animals.begin(), animals.end(), [id](const cElain& a) { return a.id == id; });
        entry->setCheckState(chosen ? Qt::Checked : Qt::Unchecked);
    }
}

void frmValitseElaimet::ok()
{
    std::vector<cElain> chosen;
    for (int i = 0; i < ui->lstElaimet->count(); ++i) {
        const QListWidgetItem* entry = ui->lstElaimet->item(i);
        if (entry->checkState() == Qt::Checked)
            chosen.push_back({entry->data(Qt::UserRole).toLongLong(), entry->text()});
    }
    ValitutElaimet = std::move(chosen);
    accept();
}

void frmValitseElaimet::done(int result)
{
    SaveFormPlacement(this);
    QDialog::done(result);
}

} // namespace tikkeli
