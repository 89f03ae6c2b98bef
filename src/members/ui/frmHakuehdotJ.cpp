#include "members/ui/frmHakuehdotJ.h"

#include "base/Prompter.h"
#include "base/ui/Twips.h"
#include "members/ConfiguredDatabase.h"
#include "members/ui/SelectAllOnFocus.h"
#include "settings/ui/FormPlacement.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tikkeli {

namespace {

constexpr int DesignWidth = 5970;
constexpr int DesignHeight = 7515;

// Options are laid out left to right in index order; each array is a group of its own.
frmHakuehdotJ::Options makeOptions(QWidget* parent, QBoxLayout* row, const QString& name, const QStringList& captions,
                                   int checked, const QStringList& tips = {})
{
    frmHakuehdotJ::Options options{};
    auto* group = new QButtonGroup(parent);
    for (int i = 0; i < 3; ++i) {
        auto* option = new QRadioButton(captions[i], parent);
        option->setObjectName(QStringLiteral("%1_%2").arg(name).arg(i));
        if (!tips.isEmpty())
            option->setToolTip(tips[i]);
        group->addButton(option, i);
        row->addWidget(option);
        options[size_t(i)] = option;
    }
    options[size_t(checked)]->setChecked(true);
    return options;
}

int checkedIndex(const frmHakuehdotJ::Options& options)
{
    for (size_t i = 0; i < options.size(); ++i)
        if (options[i]->isChecked())
            return int(i);
    return 2;
}

QLineEdit* makeBox(QWidget* parent, const char* name, const QString& tip = {})
{
    auto* box = new QLineEdit(parent);
    box->setObjectName(QLatin1String(name));
    box->setToolTip(tip);
    SelectAllOnFocus(box);
    return box;
}

} // namespace

frmHakuehdotJ::frmHakuehdotJ(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmHakuehdotJ"));
    setWindowTitle(QStringLiteral("Tikkeli - Jäsenistön rajaus"));
    setModal(true);
    buildUi();
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
    if (lstOminaisuudet->count() > 0)
        lstOminaisuudet->setCurrentRow(0, QItemSelectionModel::NoUpdate);
}

bool frmHakuehdotJ::showModal(QWidget* parent)
{
    frmHakuehdotJ dialog(parent);
    return dialog.isLoaded() && dialog.exec() == QDialog::Accepted;
}

void frmHakuehdotJ::buildUi()
{
    const QStringList operators{QStringLiteral("<"), QStringLiteral("="), QStringLiteral(">")};
    const QStringList operatorTips{QStringLiteral("Valitse pienemmät luetteloon"),
                                   QStringLiteral("Valitse yhtäsuuret luetteloon"),
                                   QStringLiteral("Valitse suuremmat luetteloon")};
    const QStringList noMatter{QStringLiteral("Ei merkitystä")};
    auto* main = new QVBoxLayout(this);

    const auto groupRow = [&](QGroupBox*& box, const char* name, const QString& caption) {
        box = new QGroupBox(caption, this);
        box->setObjectName(QLatin1String(name));
        auto* row = new QHBoxLayout(box);
        main->addWidget(box);
        return row;
    };
    QHBoxLayout* row = groupRow(fraOmistajalaji, "fraOmistajalaji", QStringLiteral("Omistajalaji"));
    optOmistajalaji = makeOptions(fraOmistajalaji, row, QStringLiteral("optOmistajalaji"),
                                  QStringList{QStringLiteral("Jäsen"), QStringLiteral("Maanomistaja")} + noMatter, 2);
    row = groupRow(fraJasenmaksu, "fraJasenmaksu", QStringLiteral("Jäsenmaksu"));
    optJasenmaksu = makeOptions(fraJasenmaksu, row, QStringLiteral("optJasenmaksu"),
                                QStringList{QStringLiteral("Maksettu"), QStringLiteral("Maksamatta")} + noMatter, 2);

    row = groupRow(fraPostinumero, "fraPostinumero", QStringLiteral("Postinumerorajaus"));
    tPostiNumeroAlku = makeBox(fraPostinumero, "tPostiNumeroAlku");
    tPostiNumeroLoppu = makeBox(fraPostinumero, "tPostiNumeroLoppu");
    row->addWidget(new QLabel(QStringLiteral("Alku:"), fraPostinumero));
    row->addWidget(tPostiNumeroAlku);
    row->addWidget(new QLabel(QStringLiteral("Loppu:"), fraPostinumero));
    row->addWidget(tPostiNumeroLoppu);

    // A caption, a box and its three operators on one grid row.
    const auto valueRow = [&](QWidget* parent, QGridLayout* grid, int r, const QString& caption, QLineEdit* box,
                              const QString& name) {
        grid->addWidget(new QLabel(caption, parent), r, 0);
        grid->addWidget(box, r, 1);
        auto* ops = new QHBoxLayout;
        grid->addLayout(ops, r, 2);
        return makeOptions(parent, ops, name, operators, 1, operatorTips);
    };
    fraPaivamaarat = new QGroupBox(QStringLiteral("Päivämäärärajaukset"), this);
    fraPaivamaarat->setObjectName(QStringLiteral("fraPaivamaarat"));
    auto* dates = new QGridLayout(fraPaivamaarat);
    tSyntAika = makeBox(fraPaivamaarat, "tSyntAika");
    tLiit = makeBox(fraPaivamaarat, "tLiit");
    optSyntAika = valueRow(fraPaivamaarat, dates, 0, QStringLiteral("Syntymäpäivä:"), tSyntAika, QStringLiteral("optSyntAika"));
    optLiit = valueRow(fraPaivamaarat, dates, 1, QStringLiteral("Liittymispäivä:"), tLiit, QStringLiteral("optLiit"));
    main->addWidget(fraPaivamaarat);

    main->addWidget(new QLabel(QStringLiteral("Ominaisuudet:"), this));
    lstOminaisuudet = new QListWidget(this);
    lstOminaisuudet->setObjectName(QStringLiteral("lstOminaisuudet"));
    lstOminaisuudet->setSelectionMode(QAbstractItemView::MultiSelection);
    chkPiirre = new QCheckBox(QStringLiteral("EI"), this);
    chkPiirre->setObjectName(QStringLiteral("chkPiirre"));
    optJA = new QRadioButton(QStringLiteral("JA"), this);
    optJA->setObjectName(QStringLiteral("optJA"));
    optTAI = new QRadioButton(QStringLiteral("TAI"), this);
    optTAI->setObjectName(QStringLiteral("optTAI"));
    optJA->setChecked(true);
    auto* featureSide = new QVBoxLayout;
    featureSide->addWidget(chkPiirre);
    featureSide->addWidget(optJA);
    featureSide->addWidget(optTAI);
    featureSide->addStretch();
    auto* features = new QHBoxLayout;
    features->addWidget(lstOminaisuudet, 1);
    features->addLayout(featureSide);
    main->addLayout(features, 1);

    frameTarkennukset = new QGroupBox(QStringLiteral("Tarkennukset ominaisuuteen"), this);
    frameTarkennukset->setObjectName(QStringLiteral("frameTarkennukset"));
    auto* refine = new QGridLayout(frameTarkennukset);
    tDate = makeBox(frameTarkennukset, "tDate", QStringLiteral("Syötä päivämäärä rajaamaan luetteloa"));
    tLong = makeBox(frameTarkennukset, "tLong", QStringLiteral("Syötä lukuarvo rajaamaan luetteloa"));
    tCurrency = makeBox(frameTarkennukset, "tCurrency", QStringLiteral("Syötä arvo rajaamaan luetteloa"));
    optDate = valueRow(frameTarkennukset, refine, 0, QStringLiteral("Päivämäärä:"), tDate, QStringLiteral("optDate"));
    optLong = valueRow(frameTarkennukset, refine, 1, QStringLiteral("Luku:"), tLong, QStringLiteral("optLong"));
    optCurrency = valueRow(frameTarkennukset, refine, 2, QStringLiteral("Arvo:"), tCurrency, QStringLiteral("optCurrency"));
    main->addWidget(frameTarkennukset);

    cSeuraava = new QPushButton(QStringLiteral("Seuraava >>"), this);
    cSeuraava->setObjectName(QStringLiteral("cSeuraava"));
    cSeuraava->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cSeuraava);
    main->addLayout(buttons);

    for (QLineEdit* box : {tDate, tLong, tCurrency})
        box->installEventFilter(this);
    connect(lstOminaisuudet, &QListWidget::itemSelectionChanged, this, &frmHakuehdotJ::lstOminaisuudet_Click);
    connect(cSeuraava, &QPushButton::clicked, this, &frmHakuehdotJ::cSeuraava_Click);
}

void frmHakuehdotJ::FillFeatureList(Database& db)
{
    lstOminaisuudet->clear();
    for (const MemberSearchEntry& e : MemberCriteriaChoices::memberFeatures(db)) {
        auto* item = new QListWidgetItem(e.text, lstOminaisuudet);
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
    if (left == tDate)
        check = &MemberCriteriaChoices::checkDate;
    else if (left == tLong)
        check = &MemberCriteriaChoices::checkWholeNumber;
    else if (left == tCurrency)
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
    frameTarkennukset->setEnabled(lstOminaisuudet->selectedItems().size() <= 1);
}

MemberCriteriaChoices frmHakuehdotJ::choices() const
{
    MemberCriteriaChoices c;
    c.owner = checkedIndex(optOmistajalaji);
    c.fee = checkedIndex(optJasenmaksu);
    c.postalStart = tPostiNumeroAlku->text();
    c.postalEnd = tPostiNumeroLoppu->text();
    c.birthDate = tSyntAika->text();
    c.birthOperator = checkedIndex(optSyntAika);
    c.joiningDate = tLiit->text();
    c.joiningOperator = checkedIndex(optLiit);
    for (int i = 0; i < lstOminaisuudet->count(); ++i)
        if (lstOminaisuudet->item(i)->isSelected())
            c.features.push_back(lstOminaisuudet->item(i)->data(Qt::UserRole).toInt());
    c.negateFeatures = chkPiirre->isChecked();
    c.allFeatures = optJA->isChecked();
    c.date = tDate->text();
    c.dateOperator = checkedIndex(optDate);
    c.number = tLong->text();
    c.numberOperator = checkedIndex(optLong);
    c.value = tCurrency->text();
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
