#include "members/ui/frmMoniliitos.h"

#include "base/NullConversions.h"
#include "base/Prompter.h"
#include "base/ui/FormRegistry.h"
#include "db/DbError.h"
#include "members/FeatureAttach.h"
#include "members/FeatureEvents.h"
#include "members/ui/FeatureValueBoxes.h"
#include "base/SharedState.h"
#include "settings/ui/FormPlacement.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

namespace tikkeli {

frmMoniliitos::frmMoniliitos(QWidget* parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmMoniliitos"));
    setWindowTitle(QStringLiteral("Tikkeli - Moniliitos"));
    buildUi();
    RestoreFormPlacement(this);
    load();
}

frmMoniliitos::~frmMoniliitos() = default;

frmMoniliitos* frmMoniliitos::open()
{
    return FormRegistry::open<frmMoniliitos>(QStringLiteral("frmMoniliitos"));
}

void frmMoniliitos::buildUi()
{
    const auto named = [](QWidget* w, const char* name) {
        w->setObjectName(QString::fromLatin1(name));
        return w;
    };
    auto* layout = new QHBoxLayout(this);
    auto* members = new QGroupBox(QStringLiteral("Jäsenien valinta"), this);
    auto* membersLayout = new QVBoxLayout(members);
    lstJR = new QListWidget(this);
    named(lstJR, "lstJR");
    lstJR->setSelectionMode(QAbstractItemView::MultiSelection);
    membersLayout->addWidget(lstJR, 1);
    auto* marks = new QHBoxLayout;
    cValitseKaikki = new QPushButton(QStringLiteral("&Kaikki"), this);
    named(cValitseKaikki, "cValitseKaikki");
    cEiValintoja = new QPushButton(QStringLiteral("&Ei yht."), this);
    named(cEiValintoja, "cEiValintoja");
    marks->addWidget(cValitseKaikki);
    marks->addWidget(cEiValintoja);
    membersLayout->addLayout(marks);
    layout->addWidget(members, 1);

    auto* right = new QVBoxLayout;
    auto* feature = new QGroupBox(QStringLiteral("Liitettävän ominaisuuden määrittely"), this);
    auto* grid = new QGridLayout(feature);
    grid->addWidget(new QLabel(QStringLiteral("Ominaisuus:"), this), 0, 0, Qt::AlignTop);
    lstAllPt = new QListWidget(this);
    named(lstAllPt, "lstAllPt");
    grid->addWidget(lstAllPt, 0, 1);
    lblKuvaus = new QLabel(QStringLiteral("Kuvaus:"), this);
    named(lblKuvaus, "lblKuvaus");
    lKuvaus = new QLabel(this);
    named(lKuvaus, "lKuvaus");
    lKuvaus->setWordWrap(true);
    grid->addWidget(lblKuvaus, 1, 0, Qt::AlignTop);
    grid->addWidget(lKuvaus, 1, 1);
    const auto valueRow = [&](QLabel*& label, const char* labelName, const QString& caption, QWidget* box, int row) {
        label = new QLabel(caption, this);
        named(label, labelName);
        // Beside a one-line box the label sits on the box's text line; beside the memo at its top.
        const bool multiLine = qobject_cast<QPlainTextEdit*>(box) != nullptr;
        grid->addWidget(label, row, 0, multiLine ? Qt::AlignLeft | Qt::AlignTop : Qt::AlignLeft | Qt::AlignVCenter);
        grid->addWidget(box, row, 1);
        box->installEventFilter(this);
    };
    tDate = new QLineEdit(this);
    named(tDate, "tDate");
    tLong = new QLineEdit(this);
    named(tLong, "tLong");
    tCurrency = new QLineEdit(this);
    named(tCurrency, "tCurrency");
    tMemo = new QPlainTextEdit(this);
    named(tMemo, "tMemo");
    tMemo->setTabChangesFocus(true);
    valueRow(lblDate, "lblDate", QStringLiteral("Päivämäärä:"), tDate, 2);
    valueRow(lblLong, "lblLong", QStringLiteral("Luku:"), tLong, 3);
    valueRow(lblCurrency, "lblCurrency", QStringLiteral("Arvo:"), tCurrency, 4);
    valueRow(lblMemo, "lblMemo", QStringLiteral("Muistio:"), tMemo, 5);
    grid->addWidget(new QLabel(QStringLiteral("Vain uusille:"), this), 6, 0);
    chkEstaToistot = new QCheckBox(
        QStringLiteral("Rastittuna ominaisuus lisätään vain niille, joilla ei valittua ominaisuutta vielä ole."), this);
    named(chkEstaToistot, "chkEstaToistot");
    grid->addWidget(chkEstaToistot, 6, 1);
    right->addWidget(feature, 1);
    auto* buttons = new QHBoxLayout;
    cLisaa = new QPushButton(QStringLiteral("&Lisää valituille"), this);
    named(cLisaa, "cLisaa");
    cSulje = new QPushButton(QStringLiteral("&Sulje"), this);
    named(cSulje, "cSulje");
    buttons->addStretch();
    buttons->addWidget(cLisaa);
    buttons->addWidget(cSulje);
    right->addLayout(buttons);
    layout->addLayout(right, 1);

    connect(cValitseKaikki, &QPushButton::clicked, this, &frmMoniliitos::valitseKaikki);
    connect(cEiValintoja, &QPushButton::clicked, this, &frmMoniliitos::eiValintoja);
    connect(lstAllPt, &QListWidget::itemClicked, this, &frmMoniliitos::valitseOminaisuus);
    connect(lstAllPt, &QListWidget::currentRowChanged, this, &frmMoniliitos::valitseOminaisuus);
    connect(cLisaa, &QPushButton::clicked, this, &frmMoniliitos::lisaaValituille);
    connect(cSulje, &QPushButton::clicked, this, &QWidget::close);
}

void frmMoniliitos::load()
{
    const QString check = QStringLiteral("Tarkista tietokanta asetukset asetusikkunasta!");
    const auto fail = [this](const QString& text) {
        ShowInfo(text);
        m_db = Database();
        setEnabled(false);
        QTimer::singleShot(0, this, &QWidget::close);
    };
    const QString path = State().DatabasePath;
    if (path.isEmpty() || path == QLatin1String("unknown")) {
        fail(check);
        return;
    }
    try {
        m_db = Database::open(path);
        FillFeatureList();
        FillMemberList();
    } catch (const std::exception& e) {
        fail(check + QStringLiteral("\r\n") + QString::fromStdString(e.what()));
        return;
    }
    resetValueInputs();
}

void frmMoniliitos::closeEvent(QCloseEvent* event)
{
    SaveFormPlacement(this);
    event->accept();
}

bool frmMoniliitos::eventFilter(QObject* watched, QEvent* event)
{
    SelectAllOnFocus(watched, event);
    if (event->type() == QEvent::FocusOut) {
        if (watched == tLong || watched == tCurrency)
            CheckNumberOnLeave(static_cast<QLineEdit*>(watched), true);
        else if (watched == tDate)
            CheckDateOnLeave(tDate, true);
    }
    return QWidget::eventFilter(watched, event);
}

void frmMoniliitos::FillFeatureList()
{
    lstAllPt->clear();
    for (const AttachListEntry& entry : FeatureAttach::features(m_db)) {
        auto* item = new QListWidgetItem(entry.text, lstAllPt);
        item->setData(Qt::UserRole, entry.id);
    }
}

void frmMoniliitos::FillMemberList()
{
    lstJR->setUpdatesEnabled(false);
    for (const AttachListEntry& entry : FeatureAttach::members(m_db)) {
        auto* item = new QListWidgetItem(entry.text, lstJR);
        item->setData(Qt::UserRole, entry.id);
    }
    lstJR->setUpdatesEnabled(true);
}

void frmMoniliitos::resetValueInputs()
{
    for (QLabel* label : {lblDate, lblLong, lblCurrency, lblMemo})
        label->hide();
    for (QLineEdit* box : {tDate, tLong, tCurrency}) {
        box->clear();
        box->setEnabled(false);
    }
    tMemo->clear();
    tMemo->setEnabled(false);
    lKuvaus->clear();
    lKuvaus->hide();
    lblKuvaus->hide();
}

void frmMoniliitos::valitseKaikki()
{
    lstJR->selectAll();
}

void frmMoniliitos::eiValintoja()
{
    lstJR->clearSelection();
}

void frmMoniliitos::valitseOminaisuus()
{
    resetValueInputs();
    const QListWidgetItem* chosen = lstAllPt->currentItem();
    if (!chosen || !loaded())
        return;
    std::optional<AttachDefinition> d;
    try {
        d = FeatureAttach::definition(m_db, chosen->data(Qt::UserRole).toLongLong());
    } catch (const DbException& e) {
        ShowWarning(e.description());
        return;
    }
    if (!d)
        return;
    lblKuvaus->show();
    lKuvaus->show();
    lKuvaus->setText(d->kuvaus);
    const auto offer = [](QLabel* label, QWidget* box, bool on) {
        label->setVisible(on);
        box->setEnabled(on);
    };
    offer(lblLong, tLong, d->longValue);
    if (d->longValue)
        tLong->setText(d->longDefault);
    offer(lblDate, tDate, d->date);
    if (d->date)
        tDate->setText(d->dateDefault);
    offer(lblCurrency, tCurrency, d->currency);
    if (d->currency)
        tCurrency->setText(d->currencyDefault);
    offer(lblMemo, tMemo, d->memo);
    if (d->memo)
        tMemo->setPlainText(d->memoDefault);
}

void frmMoniliitos::lisaaValituille()
{
    const QListWidgetItem* chosen = lstAllPt->currentItem();
    if (!chosen || !chosen->isSelected() || !loaded()) {
        Prompter::instance().message(QStringLiteral("Valitse ominaisuus ennen lisäystä!"), MsgIcon::Information,
                                     MsgButtons::Ok, State().ProgramTitle);
        return;
    }
    std::vector<qint64> members;
    for (int i = 0; i < lstJR->count(); ++i)
        if (lstJR->item(i)->isSelected())
            members.push_back(lstJR->item(i)->data(Qt::UserRole).toLongLong());
    // The label's visibility tells which kinds are offered, whatever the window's own visibility.
    AttachValues values;
    if (!lblDate->isHidden())
        values.date = tDate->text();
    if (!lblLong->isHidden())
        values.longValue = tLong->text();
    if (!lblMemo->isHidden())
        values.memo = tMemo->toPlainText();
    if (!lblCurrency->isHidden())
        values.currency = tCurrency->text();
    AttachResult result;
    try {
        result = FeatureAttach::attach(m_db, chosen->data(Qt::UserRole).toLongLong(), members, values,
                                       chkEstaToistot->isChecked());
    } catch (const DbException& e) {
        ShowWarning(QStringLiteral("Ominaisuuden lisäys ei onnistunut, mitään ei lisätty: ") + e.description());
        return;
    }
    if (result.dateRejected)
        tDate->clear();
    if (result.longRejected)
        tLong->clear();
    if (result.currencyRejected)
        tCurrency->clear();
    if (result.added > 0)
        FeatureEvents::memberValuesChanged();
    Prompter::instance().message(QStringLiteral("Ominaisuus lisätty!"), MsgIcon::Information, MsgButtons::Ok,
                                 State().ProgramTitle);
}



} // namespace tikkeli
