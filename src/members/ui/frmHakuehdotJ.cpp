#include "members/ui/frmHakuehdotJ.h"

#include "ui_frmHakuehdotJ.h"

#include "base/Prompter.h"
#include "ui/DefaultButton.h"
#include "ui/Twips.h"
#include "db/ConfiguredDatabase.h"
#include "ui/SelectAllOnFocus.h"
#include "ui/FormPlacement.h"

#include <QCheckBox>
#include <QEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

namespace tikkeli {

namespace {

constexpr int DesignWidth = 5970;
constexpr int DesignHeight = 7515;

} // namespace

frmHakuehdotJ::frmHakuehdotJ(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::frmHakuehdotJ>())
{
    ui->setupUi(this);
    DefaultButtonTakesEnter(this);
    optOmistajalaji = {ui->optOmistajalaji_0, ui->optOmistajalaji_1, ui->optOmistajalaji_2};
    optJasenmaksu = {ui->optJasenmaksu_0, ui->optJasenmaksu_1, ui->optJasenmaksu_2};
    optSyntAika = {ui->optSyntAika_0, ui->optSyntAika_1, ui->optSyntAika_2};
    optLiit = {ui->optLiit_0, ui->optLiit_1, ui->optLiit_2};
    optDate = {ui->optDate_0, ui->optDate_1, ui->optDate_2};
    optLong = {ui->optLong_0, ui->optLong_1, ui->optLong_2};
    optCurrency = {ui->optCurrency_0, ui->optCurrency_1, ui->optCurrency_2};
    for (QLineEdit* box :
         {ui->tPostiNumeroAlku, ui->tPostiNumeroLoppu, ui->tSyntAika, ui->tLiit, ui->tDate, ui->tLong, ui->tCurrency})
        SelectAllOnFocus(box);
    for (QLineEdit* box : {ui->tSyntAika, ui->tLiit, ui->tDate, ui->tLong, ui->tCurrency})
        box->installEventFilter(this);
    connect(ui->lstOminaisuudet, &QListWidget::itemSelectionChanged, this, &frmHakuehdotJ::lstOminaisuudet_Click);
    connect(ui->cSeuraava, &QPushButton::clicked, this, &frmHakuehdotJ::cSeuraava_Click);
    // A fixed size, but never smaller than the controls need with the fonts in use.
    const QSize design(TwipsToPixels(DesignWidth, this), TwipsToPixels(DesignHeight, this));
    setFixedSize(design.expandedTo(minimumSizeHint()));
    RestoreFormPlacement(this);
    QString message;
    auto db = OpenConfiguredDatabase(&message);
    if (db) {
        try {
            FillFeatureList(*db);
            m_loaded = true;
        } catch (const DbException& e) {
            message = QStringLiteral("Tarkista tietokanta asetukset asetusikkunasta!\r\n") + e.description();
        }
    }
    if (!m_loaded) {
        ShowInfo(message);
        return;
    }
    if (ui->lstOminaisuudet->count() > 0)
        ui->lstOminaisuudet->setCurrentRow(0, QItemSelectionModel::NoUpdate);
}

frmHakuehdotJ::~frmHakuehdotJ() = default;

int frmHakuehdotJ::checkedIndex(const Options& options)
{
    for (size_t i = 0; i < options.size(); ++i)
        if (options[i]->isChecked())
            return int(i);
    return 2;
}

bool frmHakuehdotJ::showModal(QWidget* parent)
{
    frmHakuehdotJ dialog(parent);
    return dialog.isLoaded() && dialog.exec() == QDialog::Accepted;
}

void frmHakuehdotJ::FillFeatureList(Database& db)
{
    ui->lstOminaisuudet->clear();
    for (const MemberSearchEntry& e : MemberCriteriaChoices::memberFeatures(db)) {
        auto* item = new QListWidgetItem(e.text, ui->lstOminaisuudet);
        item->setData(Qt::UserRole, e.jrID);
    }
}

bool frmHakuehdotJ::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusOut)
        checkOnLeave(watched);
    return QDialog::eventFilter(watched, event);
}

void frmHakuehdotJ::checkOnLeave(QObject* left)
{
    std::optional<QString> (*check)(const QString&) = nullptr;
    if (left == ui->tDate || left == ui->tSyntAika || left == ui->tLiit)
        check = &MemberCriteriaChoices::checkDate;
    else if (left == ui->tLong)
        check = &MemberCriteriaChoices::checkWholeNumber;
    else if (left == ui->tCurrency)
        check = &MemberCriteriaChoices::checkAmount;
    else
        return;
    auto* box = static_cast<QLineEdit*>(left);
    const std::optional<QString> shown = check(box->text());
    if (!shown) {
        Prompter::instance().beep();
        box->clear();
    } else if (*shown != box->text()) {
        box->setText(*shown);
    }
}

void frmHakuehdotJ::lstOminaisuudet_Click()
{
    ui->frameTarkennukset->setEnabled(ui->lstOminaisuudet->selectedItems().size() <= 1);
}

MemberCriteriaChoices frmHakuehdotJ::choices() const
{
    MemberCriteriaChoices c;
    c.owner = checkedIndex(optOmistajalaji);
    c.fee = checkedIndex(optJasenmaksu);
    c.postalStart = ui->tPostiNumeroAlku->text();
    c.postalEnd = ui->tPostiNumeroLoppu->text();
    // The boxes were checked on leaving: every text reads, and the values read are handed on.
    c.birthDate = ReadDateCriterion(ui->tSyntAika->text()).value;
    c.birthOperator = checkedIndex(optSyntAika);
    c.joiningDate = ReadDateCriterion(ui->tLiit->text()).value;
    c.joiningOperator = checkedIndex(optLiit);
    for (int i = 0; i < ui->lstOminaisuudet->count(); ++i)
        if (ui->lstOminaisuudet->item(i)->isSelected())
            c.features.push_back(ui->lstOminaisuudet->item(i)->data(Qt::UserRole).toInt());
    c.negateFeatures = ui->chkPiirre->isChecked();
    c.allFeatures = ui->optJA->isChecked();
    c.date = ReadDateCriterion(ui->tDate->text()).value;
    c.dateOperator = checkedIndex(optDate);
    c.number = ReadWholeNumberCriterion(ui->tLong->text()).value;
    c.numberOperator = checkedIndex(optLong);
    c.value = ReadMoneyCriterion(ui->tCurrency->text()).value;
    c.valueOperator = checkedIndex(optCurrency);
    return c;
}

void frmHakuehdotJ::cSeuraava_Click()
{
    // A box still being edited has not been checked yet: check it as leaving it would.
    checkOnLeave(focusWidget());
    choices().writeTo(Criteria());
    accept();
}

void frmHakuehdotJ::done(int result)
{
    SaveFormPlacement(this);
    QDialog::done(result);
}

} // namespace tikkeli
