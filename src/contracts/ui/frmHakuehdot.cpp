#include "contracts/ui/frmHakuehdot.h"
#include "ui/DefaultButton.h"

#include "base/Error.h"
#include "base/NullConversions.h"
#include "base/Prompter.h"
#include "ui/TextBoxHelpers.h"
#include "contracts/ContractCriteriaLists.h"
#include "members/CriteriaValues.h"
#include "ui/FormPlacement.h"

#include "ui_frmHakuehdot.h"

#include <QEvent>
#include <QTimer>

namespace tikkeli {

namespace {

const QString CheckSettings = QStringLiteral("Tarkista tietokanta asetukset asetusikkunasta!");

qint16 chosen(QRadioButton* less, QRadioButton* equal)
{
    return less->isChecked() ? 0 : equal->isChecked() ? 1 : 2;
}

} // namespace

frmHakuehdot::frmHakuehdot(Database db, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::frmHakuehdot>()), m_db(std::move(db))
{
    ui->setupUi(this);
    setObjectName(QStringLiteral("frmHakuehdot"));
    connect(ui->cPaivita, &QPushButton::clicked, this, &frmHakuehdot::cPaivita_Click);
    connect(ui->cSeuraava, &QPushButton::clicked, this, &frmHakuehdot::cSeuraava_Click);
    for (QLineEdit* box : {ui->tDate, ui->tLong, ui->tCurrency})
        box->installEventFilter(this);
    DefaultButtonTakesEnter(this);
    RestoreFormPlacement(this);
}

frmHakuehdot::~frmHakuehdot() = default;

bool frmHakuehdot::load()
{
    if (m_db.path().isEmpty()) {
        ShowInfo(CheckSettings);
        return false;
    }
    try {
        ui->cmbOminaisuudet->clear();
        for (const auto& e : ContractCriteriaLists::features(m_db, OminaisuusTyyppi, true))
            ui->cmbOminaisuudet->addItem(e.name, e.id);
        ui->cmbOminaisuudet->setCurrentIndex(ui->cmbOminaisuudet->count() > 0 ? 0 : -1);
    } catch (const NumberedError& e) {
        ShowInfo(CheckSettings + QLatin1Char('\n') + e.description());
        return false;
    }
    setFixedSize(sizeHint());
    return true;
}

void frmHakuehdot::setLabelsOffered(bool offered)
{
    ui->optTarrat->setEnabled(offered);
    if (!offered)
        ui->optLuettelo->setChecked(true);
}

void frmHakuehdot::leaveBox(QLineEdit* box)
{
    const QString text = box->text().trimmed();
    if (text.isEmpty())
        return;
    // Read by the member criteria's readers, as the lists read the texts.
    if (box == ui->tDate) {
        // A text that is no date stays for the user to correct and the dialog's buttons say why.
        const auto date = ReadDateCriterion(text);
        if (date.value)
            box->setText(date.value->text());
        else
            Prompter::instance().beep();
        return;
    }
    bool ok = true;
    if (box == ui->tLong) {
        const auto whole = ReadWholeNumberCriterion(text);
        ok = whole.readable;
        if (ok)
            box->setText(QString::number(*whole.value));
    } else {
        ok = ReadMoneyCriterion(text).readable;
    }
    if (!ok) {
        Prompter::instance().beep();
        box->clear();
    }
}

bool frmHakuehdot::dateBoxReadable()
{
    const QString text = ui->tDate->text().trimmed();
    if (ReadDateCriterion(text).readable)
        return true;
    ShowInfo(QStringLiteral("Päivämäärä: \"") + text
             + QStringLiteral("\" ei ole päivämäärä. Kirjoita päivämäärä muodossa p.k.vvvv tai vuosi muodossa 20**."));
    ui->tDate->setFocus();
    return false;
}

void frmHakuehdot::cPaivita_Click()
{
    if (!dateBoxReadable())
        return;
    ContractCriteria::Feature f;
    f.RaporttiOminaisuus = ui->cmbOminaisuudet->currentIndex() < 0 ? 0 : ui->cmbOminaisuudet->currentData().toInt();
    f.PvmVertailu = chosen(ui->optDate_0, ui->optDate_1);
    f.LukuVertailu = chosen(ui->optLong_0, ui->optLong_1);
    f.ArvoVertailu = chosen(ui->optCurrency_0, ui->optCurrency_1);
    f.PvmArvo = ui->tDate->text();
    f.LukuArvo = ui->tLong->text();
    f.ArvoArvo = ui->tCurrency->text();
    ContractCriteriaLists::FeatureCount count;
    try {
        count = ContractCriteriaLists::countFeature(m_db, f);
    } catch (const NumberedError& e) {
        ShowInfo(e.description());
        return;
    }
    ui->lblSopimuksia->setText(QString::number(count.contracts));
    ui->lblTiloja->setText(QString::number(count.estates));
    ui->lblPintaalaa->setText(FormatLocaleNumber(count.area));
}

void frmHakuehdot::cSeuraava_Click()
{
    if (!dateBoxReadable())
        return;
    ContractCriteria::Feature& f = ContractReportCriteria().feature;
    f.PvmVertailu = chosen(ui->optDate_0, ui->optDate_1);
    f.LukuVertailu = chosen(ui->optLong_0, ui->optLong_1);
    f.ArvoVertailu = chosen(ui->optCurrency_0, ui->optCurrency_1);
    f.PvmArvo = ui->tDate->text();
    f.LukuArvo = ui->tLong->text();
    f.ArvoArvo = ui->tCurrency->text();
    f.RaporttiOminaisuus = ui->cmbOminaisuudet->currentIndex() < 0 ? 0 : ui->cmbOminaisuudet->currentData().toInt();
    f.TulostusMuoto = ui->optLuettelo->isChecked() ? 0 : 1;
    accept();
}

void frmHakuehdot::done(int result)
{
    SaveFormPlacement(this);
    QDialog::done(result);
}

bool frmHakuehdot::eventFilter(QObject* watched, QEvent* event)
{
    if (ui) {
        auto* box = qobject_cast<QLineEdit*>(watched);
        if (box && (box == ui->tDate || box == ui->tLong || box == ui->tCurrency)) {
            if (event->type() == QEvent::FocusIn)
                QTimer::singleShot(0, box, [box] { SelectAllText(box); });
            else if (event->type() == QEvent::FocusOut)
                leaveBox(box);
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace tikkeli
