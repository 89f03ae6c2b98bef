#include "members/ui/frmMoniliitos.h"

#include "ui_frmMoniliitos.h"

#include "base/Prompter.h"
#include "base/ui/FormRegistry.h"
#include "db/DbError.h"
#include "members/FeatureAttach.h"
#include "members/FeatureEvents.h"
#include "members/ui/FeatureValueEditor.h"
#include "base/SharedState.h"
#include "settings/ui/FormPlacement.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <tuple>

namespace tikkeli {

frmMoniliitos::frmMoniliitos(QWidget* parent) : QWidget(parent, Qt::Window), ui(std::make_unique<Ui::frmMoniliitos>())
{
    ui->setupUi(this);
    ui->arvot->setCaptions(FeatureValueEditor::Captions::Labels);
    connect(ui->cValitseKaikki, &QPushButton::clicked, this, &frmMoniliitos::valitseKaikki);
    connect(ui->cEiValintoja, &QPushButton::clicked, this, &frmMoniliitos::eiValintoja);
    connect(ui->lstAllPt, &QListWidget::itemClicked, this, &frmMoniliitos::valitseOminaisuus);
    connect(ui->lstAllPt, &QListWidget::currentRowChanged, this, &frmMoniliitos::valitseOminaisuus);
    connect(ui->cLisaa, &QPushButton::clicked, this, &frmMoniliitos::lisaaValituille);
    connect(ui->cSulje, &QPushButton::clicked, this, &QWidget::close);
    RestoreFormPlacement(this);
    load();
}

frmMoniliitos::~frmMoniliitos() = default;

frmMoniliitos* frmMoniliitos::open()
{
    return FormRegistry::open<frmMoniliitos>(QStringLiteral("frmMoniliitos"));
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

void frmMoniliitos::FillFeatureList()
{
    ui->lstAllPt->clear();
    for (const AttachListEntry& entry : FeatureAttach::features(m_db, FeatureTable::members())) {
        auto* item = new QListWidgetItem(entry.text, ui->lstAllPt);
        item->setData(Qt::UserRole, entry.id);
    }
}

void frmMoniliitos::FillMemberList()
{
    ui->lstJR->setUpdatesEnabled(false);
    for (const AttachListEntry& entry : FeatureAttach::members(m_db)) {
        auto* item = new QListWidgetItem(entry.text, ui->lstJR);
        item->setData(Qt::UserRole, entry.id);
    }
    ui->lstJR->setUpdatesEnabled(true);
}

void frmMoniliitos::resetValueInputs()
{
    ui->arvot->reset();
    ui->lKuvaus->clear();
    ui->lKuvaus->hide();
    ui->lblKuvaus->hide();
}

void frmMoniliitos::valitseKaikki()
{
    ui->lstJR->selectAll();
}

void frmMoniliitos::eiValintoja()
{
    ui->lstJR->clearSelection();
}

void frmMoniliitos::valitseOminaisuus()
{
    resetValueInputs();
    const QListWidgetItem* chosen = ui->lstAllPt->currentItem();
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
    ui->lblKuvaus->show();
    ui->lKuvaus->show();
    ui->lKuvaus->setText(d->kuvaus);
    using Kind = FeatureValueText::Kind;
    const std::tuple<Kind, bool, const QString&> kinds[] = {{Kind::Long, d->longValue, d->longDefault},
                                                            {Kind::Date, d->date, d->dateDefault},
                                                            {Kind::Currency, d->currency, d->currencyDefault},
                                                            {Kind::Memo, d->memo, d->memoDefault}};
    for (const auto& [kind, offered, defaultText] : kinds) {
        ui->arvot->setOffered(kind, offered);
        if (offered)
            ui->arvot->setText(kind, defaultText);
    }
}

void frmMoniliitos::lisaaValituille()
{
    const QListWidgetItem* chosen = ui->lstAllPt->currentItem();
    if (!chosen || !chosen->isSelected() || !loaded()) {
        Prompter::instance().message(QStringLiteral("Valitse ominaisuus ennen lisäystä!"), MsgIcon::Information,
                                     MsgButtons::Ok, State().ProgramTitle);
        return;
    }
    std::vector<qint64> members;
    for (int i = 0; i < ui->lstJR->count(); ++i)
        if (ui->lstJR->item(i)->isSelected())
            members.push_back(ui->lstJR->item(i)->data(Qt::UserRole).toLongLong());
    if (const auto refusal = ui->arvot->refusal()) {
        ShowInfo(*refusal);
        return;
    }
    using Kind = FeatureValueText::Kind;
    const auto offered = [this](Kind kind) {
        return ui->arvot->isOffered(kind) ? std::optional<QString>(ui->arvot->text(kind)) : std::nullopt;
    };
    AttachValues values;
    values.date = offered(Kind::Date);
    values.longValue = offered(Kind::Long);
    values.memo = offered(Kind::Memo);
    values.currency = offered(Kind::Currency);
    AttachResult result;
    try {
        result = FeatureAttach::attach(m_db, FeatureTable::members(), chosen->data(Qt::UserRole).toLongLong(), members,
                                       values, ui->chkEstaToistot->isChecked());
    } catch (const DbException& e) {
        ShowWarning(QStringLiteral("Ominaisuuden lisäys ei onnistunut, mitään ei lisätty: ") + e.description());
        return;
    }
    if (result.refusal) {
        ShowInfo(*result.refusal);
        return;
    }
    if (result.added > 0)
        FeatureEvents::memberValuesChanged();
    Prompter::instance().message(QStringLiteral("Ominaisuus lisätty!"), MsgIcon::Information, MsgButtons::Ok,
                                 State().ProgramTitle);
}

} // namespace tikkeli
