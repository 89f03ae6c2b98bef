#include "contracts/ui/frmHakuehdotVoimassaolo.h"
#include "ui/DefaultButton.h"
#include "base/DateInput.h"

#include "base/Clock.h"
#include "base/Error.h"
#include "base/NullConversions.h"
#include "base/Prompter.h"
#include "ui/TextBoxHelpers.h"
#include "contracts/ContractCriteria.h"
#include "contracts/ContractCriteriaLists.h"
#include "ui/FormPlacement.h"

#include "ui_frmHakuehdotVoimassaolo.h"

#include <QEvent>
#include <QTimer>

namespace tikkeli {

namespace {

const QString CheckSettings = QStringLiteral("Tarkista tietokanta asetukset asetusikkunasta!");

// The review day is read as every date box reads: a day and month alone or a time of day is no
// date (it once became 30.12.1899, and "Voimassaolevat" then chose every fixed-term contract).
QDate dateOf(const QString& text)
{
    return ReadDate(text.trimmed()).value_or(QDate());
}

} // namespace

frmHakuehdotVoimassaolo::frmHakuehdotVoimassaolo(Database db, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::frmHakuehdotVoimassaolo>()), m_db(std::move(db))
{
    ui->setupUi(this);
    setObjectName(QStringLiteral("frmHakuehdotVoimassaolo"));
    for (QRadioButton* o : {ui->optVoimassa_0, ui->optVoimassa_1, ui->optVoimassa_2})
        connect(o, &QRadioButton::clicked, this, &frmHakuehdotVoimassaolo::applyOptionRule);
    connect(ui->cSeuraava, &QPushButton::clicked, this, &frmHakuehdotVoimassaolo::cSeuraava_Click);
    ui->tTarkastelupaiva->installEventFilter(this);
    DefaultButtonTakesEnter(this);
    RestoreFormPlacement(this);
}

frmHakuehdotVoimassaolo::~frmHakuehdotVoimassaolo() = default;

bool frmHakuehdotVoimassaolo::load()
{
    if (m_db.path().isEmpty()) {
        ShowInfo(CheckSettings);
        return false;
    }
    ui->tTarkastelupaiva->setText(Today().toString(QStringLiteral("d.M.yyyy")));
    try {
        ui->cmbOminaisuudet->clear();
        ui->cmbOminaisuudet->addItem(QStringLiteral(" - "), 0);
        for (const auto& e : ContractCriteriaLists::features(m_db, 2, false))
            ui->cmbOminaisuudet->addItem(e.name, e.id);
        ui->cmbOminaisuudet->setCurrentIndex(0);
    } catch (const NumberedError& e) {
        ShowInfo(e.description() + QLatin1Char('\n') + CheckSettings);
        return false;
    }
    applyOptionRule();
    return true;
}

int frmHakuehdotVoimassaolo::chosenOption() const
{
    return ui->optVoimassa_1->isChecked() ? 1 : ui->optVoimassa_2->isChecked() ? 2 : 0;
}

void frmHakuehdotVoimassaolo::applyOptionRule()
{
    const bool dated = chosenOption() != 0;
    ui->lblTarkastelupaiva->setEnabled(dated);
    ui->tTarkastelupaiva->setEnabled(dated);
}

void frmHakuehdotVoimassaolo::leaveDateBox()
{
    const QString text = ui->tTarkastelupaiva->text();
    if (text.trimmed().isEmpty())
        return;
    const QDate d = dateOf(text);
    if (d.isValid())
        ui->tTarkastelupaiva->setText(d.toString(QStringLiteral("d.M.yyyy")));
    else
        Prompter::instance().beep(); // the text stays to be corrected; "Seuraava" says why
}

void frmHakuehdotVoimassaolo::cSeuraava_Click()
{
    ContractCriteria::Validity& v = ContractReportCriteria().validity;
    const int option = chosenOption();
    const QDate day = dateOf(ui->tTarkastelupaiva->text());
    if (!day.isValid() && option != 0) {
        const QString typed = ui->tTarkastelupaiva->text().trimmed();
        ShowInfo((typed.isEmpty() ? QString() : QStringLiteral("\"") + typed + QStringLiteral("\" ei ole päivämäärä. "))
                 + QStringLiteral("Anna sopimusten tarkastelupäivä päivämäärämuodossa."));
        ui->tTarkastelupaiva->setFocus();
        return;
    }
    v.VoimassaoloValinta = qint16(option);
    if (day.isValid())
        v.TarkastelupaivaValinta = day;
    v.VoimassaoloOminaisuus = ui->cmbOminaisuudet->currentIndex() < 0 ? 0 : ui->cmbOminaisuudet->currentData().toInt();
    accept();
}

void frmHakuehdotVoimassaolo::done(int result)
{
    SaveFormPlacement(this);
    QDialog::done(result);
}

bool frmHakuehdotVoimassaolo::eventFilter(QObject* watched, QEvent* event)
{
    if (ui && watched == ui->tTarkastelupaiva) {
        if (event->type() == QEvent::FocusIn)
            QTimer::singleShot(0, ui->tTarkastelupaiva, [box = ui->tTarkastelupaiva] { SelectAllText(box); });
        else if (event->type() == QEvent::FocusOut)
            leaveDateBox();
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace tikkeli
