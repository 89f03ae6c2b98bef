#include "maps/ui/frmValitseTila.h"

#include "base/Error.h"
#include "base/Prompter.h"
#include "ui/DefaultButton.h"
#include "ui/WindowTeardown.h"
#include "ui/FormPlacement.h"

#include "ui_frmValitseTila.h"
#include "db/ConfiguredDatabase.h"

namespace tikkeli {

namespace {

} // namespace

frmValitseTila::frmValitseTila(Database db, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::frmValitseTila>()), m_db(std::move(db))
{
    ui->setupUi(this);
    DefaultButtonTakesEnter(this);
    setObjectName(QStringLiteral("frmValitseTila"));
    connect(ui->cOK, &QPushButton::clicked, this, &frmValitseTila::cOK_Click);
    connect(ui->cPeru, &QPushButton::clicked, this, &frmValitseTila::cPeru_Click);
    // One Enter chooses, also while the combo box completes what was typed.
    DefaultButtonTakesEnter(this);
    RestoreFormPlacement(this);
}

frmValitseTila::~frmValitseTila()
{
    DetachControls(this);
}

void frmValitseTila::setVainPiirtamattomat(bool on)
{
    if (on)
        m_filter = EstatePicker::Filter::Undrawn;
    else if (m_filter == EstatePicker::Filter::Undrawn)
        m_filter = EstatePicker::Filter::All;
    if (m_loaded)
        refill();
}

void frmValitseTila::setVainPiirretyt(bool on)
{
    if (on)
        m_filter = EstatePicker::Filter::Drawn;
    else if (m_filter == EstatePicker::Filter::Drawn)
        m_filter = EstatePicker::Filter::All;
    if (m_loaded)
        refill();
}

void frmValitseTila::fill()
{
    ui->cmbRekNo->clear();
    m_items = EstatePicker::items(m_db, m_filter);
    for (const EstatePicker::Item& item : m_items)
        ui->cmbRekNo->addItem(item.text, QVariant::fromValue(item.tlId));
    ui->cmbRekNo->setCurrentIndex(-1);
    ui->cmbRekNo->setEditText(QString());
}

bool frmValitseTila::refill()
{
    try {
        fill();
    } catch (const NumberedError& e) {
        // Nothing half-listed stays to be chosen.
        ui->cmbRekNo->clear();
        m_items.clear();
        ShowInfo(CheckDatabaseSettingsMessage(e.description()));
        return false;
    }
    return true;
}

bool frmValitseTila::load()
{
    m_selected = 0;
    if (m_db.path().isEmpty()) {
        ShowInfo(CheckDatabaseSettingsMessage());
        return false;
    }
    if (!refill())
        return false;
    m_loaded = true;
    return true;
}

void frmValitseTila::cOK_Click()
{
    const int index = ui->cmbRekNo->currentIndex();
    const QString typed = ui->cmbRekNo->currentText();
    // An entry chosen from the list, unless its text was typed over afterwards.
    if (index >= 0 && ui->cmbRekNo->itemText(index) == typed)
        m_selected = ui->cmbRekNo->itemData(index).toLongLong();
    else
        m_selected = EstatePicker::lookup(m_items, typed);
    accept();
}

void frmValitseTila::cPeru_Click()
{
    reject();
}

void frmValitseTila::done(int result)
{
    // Whatever way the dialog is left but "OK", there is no choice.
    if (result != QDialog::Accepted)
        m_selected = 0;
    SaveFormPlacement(this);
    QDialog::done(result);
}

qint64 frmValitseTila::pick(const Database& db, EstatePicker::Filter filter, QWidget* parent)
{
    frmValitseTila dialog(db, parent);
    dialog.setVainPiirtamattomat(filter == EstatePicker::Filter::Undrawn);
    dialog.setVainPiirretyt(filter == EstatePicker::Filter::Drawn);
    if (!dialog.load())
        return 0;
    dialog.exec();
    return dialog.SelectedEstateId();
}

} // namespace tikkeli
