#include "members/ui/FeatureAttachWindow.h"

#include "ui_FeatureAttachWindow.h"

#include "base/Prompter.h"
#include "ui/FormRegistry.h"
#include "db/DbError.h"
#include "members/ui/FeatureValueEditor.h"
#include "base/SharedState.h"
#include "ui/FormPlacement.h"
#include "db/ReplacedFile.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <tuple>

namespace tikkeli {

FeatureAttachWindow::FeatureAttachWindow(FeatureAttachSetup setup, QWidget* parent)
    : QWidget(parent, Qt::Window), ui(std::make_unique<Ui::FeatureAttachWindow>()), m_setup(std::move(setup))
{
    ui->setupUi(this);
    setObjectName(m_setup.formName);
    ui->grpValinta->setTitle(m_setup.ownersTitle);
    ui->lstJR->setSelectionMode(m_setup.ticks ? QAbstractItemView::SingleSelection : QAbstractItemView::MultiSelection);
    ui->lblVainUusille->setVisible(m_setup.offerOnlyNew);
    ui->chkEstaToistot->setVisible(m_setup.offerOnlyNew);
    ui->arvot->setCaptions(FeatureValueEditor::Captions::Labels);
    connect(ui->cValitseKaikki, &QPushButton::clicked, this, &FeatureAttachWindow::valitseKaikki);
    connect(ui->cEiValintoja, &QPushButton::clicked, this, &FeatureAttachWindow::eiValintoja);
    connect(ui->lstAllPt, &QListWidget::itemClicked, this, &FeatureAttachWindow::valitseOminaisuus);
    connect(ui->lstAllPt, &QListWidget::currentRowChanged, this, &FeatureAttachWindow::valitseOminaisuus);
    connect(ui->cLisaa, &QPushButton::clicked, this, &FeatureAttachWindow::lisaaValituille);
    connect(ui->cSulje, &QPushButton::clicked, this, &QWidget::close);
    RestoreFormPlacement(this);
    load();
    FollowReplacedFile(
        this, [this] { return m_db.path(); }, [this] { ReadReplacedFile(); });
}

void FeatureAttachWindow::ReadReplacedFile()
{
    // The features and the records were listed from the file that is gone: both lists are read
    // again, nothing stays chosen and the values typed for the old file's feature go.
    ui->lstAllPt->clear();
    ui->lstJR->clear();
    m_ownerIds.clear();
    resetValueInputs();
    FillFeatureList();
    FillOwnerList();
}

FeatureAttachWindow::~FeatureAttachWindow() = default;

void FeatureAttachWindow::load()
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
        FillOwnerList();
    } catch (const std::exception& e) {
        fail(check + QStringLiteral("\r\n") + QString::fromStdString(e.what()));
        return;
    }
    resetValueInputs();
}

void FeatureAttachWindow::closeEvent(QCloseEvent* event)
{
    SaveFormPlacement(this);
    event->accept();
}

void FeatureAttachWindow::FillFeatureList()
{
    ui->lstAllPt->clear();
    for (const AttachListEntry& entry : FeatureAttach::features(m_db, *m_setup.table)) {
        auto* item = new QListWidgetItem(entry.text, ui->lstAllPt);
        item->setData(Qt::UserRole, entry.id);
    }
}

void FeatureAttachWindow::FillOwnerList()
{
    // The owners' ids beside the list, and the rows added in one go: a row changed after it was
    // added to the list (its id, its tick) cost time growing with the square of the rows.
    const std::vector<AttachListEntry> entries = m_setup.owners(m_db);
    m_ownerIds.clear();
    m_ownerIds.reserve(entries.size());
    QStringList texts;
    texts.reserve(qsizetype(entries.size()));
    for (const AttachListEntry& entry : entries) {
        m_ownerIds.push_back(entry.id);
        texts.append(entry.text);
    }
    ui->lstJR->setUpdatesEnabled(false);
    if (!m_setup.ticks) {
        ui->lstJR->addItems(texts);
    } else {
        for (const QString& text : texts) {
            // Made whole before it joins the list.
            auto* item = new QListWidgetItem(text);
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            item->setCheckState(Qt::Unchecked);
            ui->lstJR->addItem(item);
        }
    }
    ui->lstJR->setUpdatesEnabled(true);
}

void FeatureAttachWindow::resetValueInputs()
{
    ui->arvot->reset();
    ui->lKuvaus->clear();
    ui->lKuvaus->hide();
    ui->lblKuvaus->hide();
}

void FeatureAttachWindow::markAll(bool on)
{
    if (!m_setup.ticks) {
        if (on)
            ui->lstJR->selectAll();
        else
            ui->lstJR->clearSelection();
        return;
    }
    for (int i = 0; i < ui->lstJR->count(); ++i)
        ui->lstJR->item(i)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
}

void FeatureAttachWindow::valitseKaikki()
{
    markAll(true);
}

void FeatureAttachWindow::eiValintoja()
{
    markAll(false);
}

std::vector<qint64> FeatureAttachWindow::chosenOwners() const
{
    std::vector<qint64> owners;
    for (int i = 0; i < ui->lstJR->count() && std::size_t(i) < m_ownerIds.size(); ++i) {
        const QListWidgetItem* item = ui->lstJR->item(i);
        if (m_setup.ticks ? item->checkState() == Qt::Checked : item->isSelected())
            owners.push_back(m_ownerIds[std::size_t(i)]);
    }
    return owners;
}

void FeatureAttachWindow::valitseOminaisuus()
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

void FeatureAttachWindow::lisaaValituille()
{
    const QListWidgetItem* chosen = ui->lstAllPt->currentItem();
    if (!chosen || !chosen->isSelected() || !loaded()) {
        Prompter::instance().message(QStringLiteral("Valitse ominaisuus ennen lisäystä!"), MsgIcon::Information,
                                     MsgButtons::Ok, State().ProgramTitle);
        return;
    }
    const std::vector<qint64> owners = chosenOwners();
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
        result = FeatureAttach::attach(m_db, *m_setup.table, chosen->data(Qt::UserRole).toLongLong(), owners, values,
                                       m_setup.offerOnlyNew && ui->chkEstaToistot->isChecked());
    } catch (const DbException& e) {
        ShowWarning(QStringLiteral("Ominaisuuden lisäys ei onnistunut, mitään ei lisätty: ") + e.description());
        return;
    }
    if (result.refusal) {
        ShowInfo(*result.refusal);
        return;
    }
    Prompter::instance().message(QStringLiteral("Ominaisuus lisätty!"), MsgIcon::Information, MsgButtons::Ok,
                                 State().ProgramTitle);
}

} // namespace tikkeli
