#include "members/ui/FeaturesPanel.h"

#include "ui_FeaturesPanel.h"

#include "base/ErrorHandling.h"
#include "base/Prompter.h"
#include "db/DbError.h"
#include "members/ui/FeatureValueEditor.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <stdexcept>

namespace tikkeli {

namespace {

qint32 ItemId(const QListWidgetItem* item)
{
    return item ? item->data(Qt::UserRole).toInt() : 0;
}

void AddItem(QListWidget* list, const QString& text, qint32 id)
{
    auto* item = new QListWidgetItem(text, list);
    item->setData(Qt::UserRole, id);
}

// The editor's name for each kind of value a feature holds.
FeatureValueText::Kind EditorKind(FeatureValues::Kind kind)
{
    switch (kind) {
    case FeatureValues::Date: return FeatureValueText::Kind::Date;
    case FeatureValues::Number: return FeatureValueText::Kind::Long;
    case FeatureValues::Amount: return FeatureValueText::Kind::Currency;
    case FeatureValues::Memo: break;
    }
    return FeatureValueText::Kind::Memo;
}

constexpr FeatureValues::Kind kKinds[] = {FeatureValues::Date, FeatureValues::Number, FeatureValues::Amount,
                                          FeatureValues::Memo};

} // namespace

FeaturesPanel::FeaturesPanel(QWidget* parent) : QWidget(parent), ui(std::make_unique<Ui::FeaturesPanel>())
{
    ui->setupUi(this);
    // The definitions are listed only while one is being chosen for attaching.
    ui->lstAllPi->hide();

    connect(ui->cLisaaPiirre, &QPushButton::clicked, this, &FeaturesPanel::cLisaaPiirre_Click);
    connect(ui->cPoistaPiirre, &QPushButton::clicked, this, &FeaturesPanel::DeleteFeature);
    connect(ui->cSelaaPiirre, &QPushButton::clicked, this, &FeaturesPanel::cSelaaPiirre_Click);
    connect(ui->lstAllPt, &QListWidget::currentRowChanged, this, [this] { ShowFeatureValue(); });
    connect(ui->lstAllPi, &QListWidget::currentRowChanged, this, [this] { showDefinitionDescription(); });
    connect(ui->lstAllPi, &QListWidget::itemDoubleClicked, this, [this] { AddFeature(); });
    // Code that fills a box counts as a change, as typing does: a shown feature is written back
    // at the next save point.
    connect(ui->arvot, &FeatureValueEditor::valueChanged, this, &FeaturesPanel::valueBoxChanged);
    ui->lstAllPi->installEventFilter(this);

    HideFeatureEditors();
}

FeaturesPanel::~FeaturesPanel() = default;

void FeaturesPanel::setTable(const FeatureTable& table, std::function<Database()> database, QString ownerNotSaved)
{
    m_table = &table;
    m_database = std::move(database);
    m_ownerNotSaved = std::move(ownerNotSaved);
}

Database FeaturesPanel::database() const
{
    if (m_database)
        return m_database();
    return m_db;
}

void FeaturesPanel::setOwner(const Database& db, qint32 ownerId)
{
    m_db = db;
    m_ownerId = ownerId;
    // Pending values were written by the card's save before it moved; an index into the old
    // list must not point into the new one.
    FeatureValueChanged = false;
    EditedFeatureIndex = -1;
    refillOwnerList();
    HideFeatureEditors();
}

void FeaturesPanel::refillOwnerList()
{
    const QSignalBlocker block(ui->lstAllPt);
    ui->lstAllPt->clear();
    if (m_ownerId == 0)
        return;
    Database db = m_db;
    for (const auto& e : FeatureValues::ofOwner(*m_table, db, m_ownerId))
        AddItem(ui->lstAllPt, e.name, e.id);
}

void FeaturesPanel::focusFeatureList()
{
    ui->lstAllPt->setFocus();
}

void FeaturesPanel::FillFeatureList()
{
    const QSignalBlocker block(ui->lstAllPi);
    ui->lstAllPi->clear();
    Database db = database();
    for (const auto& e : FeatureValues::definitions(*m_table, db))
        AddItem(ui->lstAllPi, e.name, e.id);
}

void FeaturesPanel::HideFeatureEditors()
{
    const bool wasClearing = m_clearing;
    m_clearing = true;
    // A value box about to be disabled would hand the focus on to the next control in the chain -
    // a card box, where the next key typed would overwrite the card's data. The feature list
    // is a neutral place instead.
    for (const FeatureValues::Kind kind : kKinds) {
        if (ui->arvot->valueBox(EditorKind(kind))->hasFocus()) {
            QListWidget* neutral = ui->lstAllPt->isVisibleTo(this) ? ui->lstAllPt : ui->lstAllPi;
            // A list given the focus makes its first entry current; that is no choice of the
            // user's and must not show (or write) anything while the boxes are being cleared.
            const QSignalBlocker block(neutral);
            const int row = neutral->currentRow();
            neutral->setFocus(Qt::OtherFocusReason);
            if (neutral->currentRow() != row)
                neutral->setCurrentRow(row);
            break;
        }
    }
    ui->lblKuvaus->hide();
    ui->lKuvaus->hide();
    ui->lKuvaus->clear();
    ui->arvot->reset();
    m_clearing = wasClearing;
}

void FeaturesPanel::valuesChangedElsewhere()
{
    // The typed value is written before the list is read again; one that cannot be written
    // stays typed, with the list as it is.
    if (!savePending())
        return;
    const qint32 shown = ItemId(ui->lstAllPt->currentItem());
    refillOwnerList();
    EditedFeatureIndex = -1;
    int row = -1;
    for (int i = 0; i < ui->lstAllPt->count(); ++i) {
        if (ItemId(ui->lstAllPt->item(i)) == shown)
            row = i;
    }
    {
        const QSignalBlocker block(ui->lstAllPt);
        ui->lstAllPt->setCurrentRow(row);
    }
    ShowFeatureValue();
}

void FeaturesPanel::valueBoxChanged()
{
    if (m_clearing)
        return;
    FeatureValueChanged = true;
    EditedFeatureIndex = ui->lstAllPt->currentRow();
    emit valueEdited();
}

FeatureValues::Kinds FeaturesPanel::visibleKinds() const
{
    FeatureValues::Kinds kinds;
    for (const FeatureValues::Kind kind : kKinds)
        kinds.setFlag(kind, ui->arvot->isOffered(EditorKind(kind)));
    return kinds;
}

void FeaturesPanel::SaveFeatureValue()
{
    const QListWidgetItem* item = EditedFeatureIndex >= 0 ? ui->lstAllPt->item(EditedFeatureIndex) : nullptr;
    if (item) {
        Database db = database();
        const auto text = [this](FeatureValues::Kind kind) { return ui->arvot->text(EditorKind(kind)); };
        const FeatureValues::SaveOutcome out = FeatureValues::save(*m_table, db, ItemId(item), visibleKinds(),
                                                                   {text(FeatureValues::Date), text(FeatureValues::Number),
                                                                    text(FeatureValues::Amount), text(FeatureValues::Memo)});
        // Nothing was written and the typed text stays for correction.
        for (const FeatureValues::Kind kind : kKinds) {
            if (out.refused.testFlag(kind))
                throw std::runtime_error(refusedValueMessage(kind, text(kind)).toStdString());
        }
    }
    FeatureValueChanged = false;
}

QString FeaturesPanel::refusedValueMessage(FeatureValues::Kind kind, const QString& text)
{
    const QString what = kind == FeatureValues::Date     ? QStringLiteral("päivämäärä")
                         : kind == FeatureValues::Number ? QStringLiteral("kokonaisluku")
                                                         : QStringLiteral("rahamäärä");
    return QStringLiteral("Ominaisuuden arvo \"") + text + QStringLiteral("\" ei ole ") + what + u'.';
}

bool FeaturesPanel::savePending()
{
    try {
        if (FeatureValueChanged)
            SaveFeatureValue();
        return true;
    } catch (const std::exception& e) {
        // A value that cannot be written stays typed; the user is told why.
        const auto* db = dynamic_cast<const DbException*>(&e);
        ShowWarning(QStringLiteral("Ominaisuuden arvoa ei voitu tallentaa.\r\n")
                    + (db ? db->description() : QString::fromUtf8(e.what())));
        if (const QListWidgetItem* edited = ui->lstAllPt->item(EditedFeatureIndex); edited && !edited->isSelected()) {
            // The list moved on to another feature: back to the one whose value waits.
            const QSignalBlocker block(ui->lstAllPt);
            ui->lstAllPt->setCurrentRow(EditedFeatureIndex);
        }
        return false;
    }
}

void FeaturesPanel::ShowFeatureValue()
{
    if (!savePending())
        return;
    HideFeatureEditors();
    const QListWidgetItem* item = ui->lstAllPt->currentItem();
    if (!item || ui->lstAllPt->currentRow() < 0)
        return;
    const bool wasClearing = m_clearing;
    try {
        Database db = database();
        const auto values = FeatureValues::values(*m_table, db, ItemId(item));
        if (!values)
            return;
        const auto def = FeatureValues::definition(db, values->definitionId);
        if (!def)
            return;
        ui->lblKuvaus->show();
        ui->lKuvaus->show();
        ui->lKuvaus->setText(def->description);
        // Showing the stored values is no change of them: nothing is pending until the user types.
        m_clearing = true;
        const auto showKind = [&](FeatureValues::Kind kind, const Value& value) {
            const bool on = def->enabled.testFlag(kind);
            ui->arvot->setOffered(EditorKind(kind), on);
            if (on)
                ui->arvot->setText(EditorKind(kind), FeatureValues::shownText(kind, value));
        };
        showKind(FeatureValues::Number, values->number);
        showKind(FeatureValues::Date, values->date);
        showKind(FeatureValues::Amount, values->amount);
        showKind(FeatureValues::Memo, values->memo);
        m_clearing = wasClearing;
    } catch (const std::exception&) {
        m_clearing = wasClearing;
        // A row that cannot be read shows nothing, as one that has disappeared.
    }
}

void FeaturesPanel::showDefinitionDescription()
{
    const QListWidgetItem* item = ui->lstAllPi->currentItem();
    if (!item)
        return;
    IgnoringErrors("features: show a description", [&] {
        Database db = database();
        if (const auto def = FeatureValues::definition(db, ItemId(item))) {
            ui->lblKuvaus->show();
            ui->lKuvaus->show();
            ui->lKuvaus->setText(def->description);
        }
    });
}

void FeaturesPanel::cLisaaPiirre_Click()
{
    if (!savePending())
        return;
    ui->lstAllPi->show();
    ui->lstAllPt->hide();
    ui->cPoistaPiirre->setEnabled(false);
    ui->lstAllPi->setFocus();
}

void FeaturesPanel::AddFeature()
{
    ui->lstAllPi->hide();
    ui->lstAllPt->show();
    const QListWidgetItem* chosen = ui->lstAllPi->currentRow() >= 0 ? ui->lstAllPi->currentItem() : nullptr;
    if (!chosen)
        return;
    if (m_ownerId == 0) {
        // A card not yet written has no id to attach to; the feature would be lost.
        ShowInfo(m_ownerNotSaved);
        return;
    }
    // Ends quietly, as the attach always did; the record's list stays shown.
    IgnoringErrors("features: attach", [&] {
        Database db = database();
        const qint32 featureId = FeatureValues::attach(*m_table, db, m_ownerId, ItemId(chosen));
        if (featureId == 0) {
            ShowInfo(QStringLiteral("Ominaisuutta \"") + chosen->text()
                     + QStringLiteral("\" ei enää ole, se on poistettu toisessa ikkunassa."));
            FillFeatureList();
            return;
        }
        {
            const QSignalBlocker block(ui->lstAllPt);
            AddItem(ui->lstAllPt, chosen->text(), featureId);
        }
        ui->lstAllPt->setFocus();
        selectFeatureRow(ui->lstAllPt->count() - 1);
        ui->cPoistaPiirre->setEnabled(true);
    });
}

void FeaturesPanel::selectFeatureRow(int row)
{
    if (row < 0 || row >= ui->lstAllPt->count())
        return;
    if (ui->lstAllPt->currentRow() == row)
        ShowFeatureValue();
    else
        ui->lstAllPt->setCurrentRow(row);
}

void FeaturesPanel::DeleteFeature()
{
    if (!savePending())
        return;
    const int row = ui->lstAllPt->currentRow();
    int next = row + 1;
    if (row >= 0 && AskYesNo(QStringLiteral("Poistetaanko valittu ominaisuus?"), MsgIcon::Information)) {
        IgnoringErrors("features: remove", [&] {
            Database db = database();
            if (FeatureValues::remove(*m_table, db, ItemId(ui->lstAllPt->item(row)))) {
                const QSignalBlocker block(ui->lstAllPt);
                delete ui->lstAllPt->takeItem(row);
                ui->lstAllPt->setCurrentRow(-1);
                // The entry below moved up into the removed one's place.
                next = std::min(row, ui->lstAllPt->count() - 1);
            }
        });
    }
    HideFeatureEditors();
    ui->lstAllPt->setFocus();
    // The Down-arrow stroke after the deletion: the next entry is selected and shown; past the
    // last entry nothing moves.
    if (row < 0)
        next = 0;
    if (next >= 0 && next < ui->lstAllPt->count() && next != ui->lstAllPt->currentRow())
        ui->lstAllPt->setCurrentRow(next);
}

void FeaturesPanel::cSelaaPiirre_Click()
{
    if (!savePending())
        return;
    if (ui->lstAllPt->isHidden()) {
        ui->lstAllPi->hide();
        ui->lstAllPt->show();
    }
    ui->lstAllPt->setFocus();
    if (ui->lstAllPt->count() > 0)
        selectFeatureRow(0);
    ui->cPoistaPiirre->setEnabled(true);
}

void FeaturesPanel::UndoFeatureValue()
{
    FeatureValueChanged = false;
    ShowFeatureValue();
}

bool FeaturesPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui->lstAllPi && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->text().isEmpty())
            return false; // arrows and function keys are no key press of the list
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            AddFeature();
            return true;
        }
        return false;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace tikkeli
