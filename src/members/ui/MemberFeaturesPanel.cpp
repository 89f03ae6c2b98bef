#include "members/ui/MemberFeaturesPanel.h"

#include "ui_MemberFeaturesPanel.h"

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

// The editor's name for each kind of value a member's feature holds.
FeatureValueText::Kind EditorKind(MemberFeatures::Kind kind)
{
    switch (kind) {
    case MemberFeatures::Date: return FeatureValueText::Kind::Date;
    case MemberFeatures::Number: return FeatureValueText::Kind::Long;
    case MemberFeatures::Amount: return FeatureValueText::Kind::Currency;
    case MemberFeatures::Memo: break;
    }
    return FeatureValueText::Kind::Memo;
}

constexpr MemberFeatures::Kind kKinds[] = {MemberFeatures::Date, MemberFeatures::Number, MemberFeatures::Amount,
                                           MemberFeatures::Memo};

qint32 ItemId(const QListWidgetItem* item)
{
    return item ? item->data(Qt::UserRole).toInt() : 0;
}

void AddItem(QListWidget* list, const QString& text, qint32 id)
{
    auto* item = new QListWidgetItem(text, list);
    item->setData(Qt::UserRole, id);
}

} // namespace

MemberFeaturesPanel::MemberFeaturesPanel(QWidget* parent) : MemberFeaturesPanel(nullptr, parent) {}

MemberFeaturesPanel::MemberFeaturesPanel(std::function<Database()> database, QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::MemberFeaturesPanel>()), m_database(std::move(database))
{
    ui->setupUi(this);
    // The definitions are listed only while one is being chosen for attaching.
    ui->lstAllPi->hide();
    connect(ui->cLisaaPiirre, &QPushButton::clicked, this, &MemberFeaturesPanel::cLisaaPiirre_Click);
    connect(ui->cPoistaPiirre, &QPushButton::clicked, this, &MemberFeaturesPanel::DeleteMemberFeature);
    connect(ui->cSelaaPiirre, &QPushButton::clicked, this, &MemberFeaturesPanel::cSelaaPiirre_Click);
    connect(ui->lstAllPt, &QListWidget::currentRowChanged, this, [this] { ShowMemberFeatureValue(); });
    connect(ui->lstAllPi, &QListWidget::currentRowChanged, this, [this] { showDefinitionDescription(); });
    connect(ui->lstAllPi, &QListWidget::itemDoubleClicked, this, [this] { AddMemberFeature(); });
    // Code that fills a box counts as a change, as typing does: a shown feature is written back
    // at the next save point.
    connect(ui->arvot, &FeatureValueEditor::valueChanged, this, &MemberFeaturesPanel::valueBoxChanged);
    ui->lstAllPi->installEventFilter(this);

    ClearMemberFeatureInputs();
}

MemberFeaturesPanel::~MemberFeaturesPanel() = default;

Database MemberFeaturesPanel::database() const
{
    if (m_database)
        return m_database();
    return m_db;
}

void MemberFeaturesPanel::setMember(const Database& db, qint32 memberId)
{
    m_db = db;
    m_memberId = memberId;
    // Pending values were written by the card's save before it moved; an index into the old
    // list must not point into the new one.
    FeatureValueChanged = false;
    EditedFeatureIndex = -1;
    refillMemberList();
    ClearMemberFeatureInputs();
}

void MemberFeaturesPanel::memberChanged(qint64 id)
{
    setMember(database(), qint32(id));
}

void MemberFeaturesPanel::refillMemberList()
{
    const QSignalBlocker block(ui->lstAllPt);
    ui->lstAllPt->clear();
    if (m_memberId == 0)
        return;
    Database db = m_db;
    for (const auto& e : MemberFeatures::ofMember(db, m_memberId))
        AddItem(ui->lstAllPt, e.name, e.id);
}

void MemberFeaturesPanel::LoadMemberFeatureDefinitions()
{
    const QSignalBlocker block(ui->lstAllPi);
    ui->lstAllPi->clear();
    Database db = database();
    for (const auto& e : MemberFeatures::definitions(db))
        AddItem(ui->lstAllPi, e.name, e.id);
}

void MemberFeaturesPanel::ClearMemberFeatureInputs()
{
    const bool wasClearing = m_clearing;
    m_clearing = true;
    // A value box about to be disabled would hand the focus on to the next control in the chain -
    // a card box, where the next key typed would overwrite the member's data. The feature list
    // is a neutral place instead.
    for (const MemberFeatures::Kind kind : kKinds) {
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

void MemberFeaturesPanel::valuesChangedElsewhere()
{
    // The typed value is written before the list is read again; one that cannot be written
    // stays typed, with the list as it is.
    if (!savePending())
        return;
    const qint32 shown = ItemId(ui->lstAllPt->currentItem());
    refillMemberList();
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
    ShowMemberFeatureValue();
}

void MemberFeaturesPanel::valueBoxChanged()
{
    if (m_clearing)
        return;
    FeatureValueChanged = true;
    EditedFeatureIndex = ui->lstAllPt->currentRow();
    emit valueEdited();
}

MemberFeatures::Kinds MemberFeaturesPanel::visibleKinds() const
{
    MemberFeatures::Kinds kinds;
    for (const MemberFeatures::Kind kind : kKinds)
        kinds.setFlag(kind, ui->arvot->isOffered(EditorKind(kind)));
    return kinds;
}

void MemberFeaturesPanel::SaveMemberFeatureValue()
{
    const QListWidgetItem* item = EditedFeatureIndex >= 0 ? ui->lstAllPt->item(EditedFeatureIndex) : nullptr;
    if (item) {
        Database db = database();
        const auto text = [this](MemberFeatures::Kind kind) { return ui->arvot->text(EditorKind(kind)); };
        const MemberFeatures::SaveOutcome out = MemberFeatures::save(
            db, ItemId(item), visibleKinds(),
            {text(MemberFeatures::Date), text(MemberFeatures::Number), text(MemberFeatures::Amount),
             text(MemberFeatures::Memo)});
        // Nothing was written and the typed text stays for correction.
        for (const MemberFeatures::Kind kind : kKinds) {
            if (out.refused.testFlag(kind))
                throw std::runtime_error(refusedValueMessage(kind, text(kind)).toStdString());
        }
    }
    FeatureValueChanged = false;
}

QString MemberFeaturesPanel::refusedValueMessage(MemberFeatures::Kind kind, const QString& text)
{
    const QString what = kind == MemberFeatures::Date     ? QStringLiteral("päivämäärä")
                         : kind == MemberFeatures::Number ? QStringLiteral("kokonaisluku")
                                                          : QStringLiteral("rahamäärä");
    return QStringLiteral("Ominaisuuden arvo \"") + text + QStringLiteral("\" ei ole ") + what + u'.';
}

bool MemberFeaturesPanel::savePending()
{
    try {
        if (FeatureValueChanged)
            SaveMemberFeatureValue();
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

void MemberFeaturesPanel::ShowMemberFeatureValue()
{
    if (!savePending())
        return;
    ClearMemberFeatureInputs();
    const QListWidgetItem* item = ui->lstAllPt->currentItem();
    if (!item || ui->lstAllPt->currentRow() < 0)
        return;
    const bool wasClearing = m_clearing;
    try {
        Database db = database();
        const auto values = MemberFeatures::values(db, ItemId(item));
        if (!values)
            return;
        const auto def = MemberFeatures::definition(db, values->definitionId);
        if (!def)
            return;
        ui->lblKuvaus->show();
        ui->lKuvaus->show();
        ui->lKuvaus->setText(def->description);
        // Showing the stored values is no change of them: nothing is pending until the user types.
        m_clearing = true;
        const auto showKind = [&](MemberFeatures::Kind kind, const Value& value) {
            const bool on = def->enabled.testFlag(kind);
            ui->arvot->setOffered(EditorKind(kind), on);
            if (on)
                ui->arvot->setText(EditorKind(kind), MemberFeatures::shownText(kind, value));
        };
        showKind(MemberFeatures::Number, values->number);
        showKind(MemberFeatures::Date, values->date);
        showKind(MemberFeatures::Amount, values->amount);
        showKind(MemberFeatures::Memo, values->memo);
        m_clearing = wasClearing;
    } catch (const std::exception&) {
        m_clearing = wasClearing;
        // A row that cannot be read shows nothing, as one that has disappeared.
    }
}

void MemberFeaturesPanel::showDefinitionDescription()
{
    const QListWidgetItem* item = ui->lstAllPi->currentItem();
    if (!item)
        return;
    IgnoringErrors("member features: show a description", [&] {
        Database db = database();
        if (const auto def = MemberFeatures::definition(db, ItemId(item))) {
            ui->lblKuvaus->show();
            ui->lKuvaus->show();
            ui->lKuvaus->setText(def->description);
        }
    });
}

void MemberFeaturesPanel::cLisaaPiirre_Click()
{
    if (!savePending())
        return;
    SkipNextDefinitionKey = true;
    ui->lstAllPi->show();
    ui->lstAllPt->hide();
    ui->cPoistaPiirre->setEnabled(false);
    ui->lstAllPi->setFocus();
}

void MemberFeaturesPanel::AddMemberFeature()
{
    ui->lstAllPi->hide();
    ui->lstAllPt->show();
    const QListWidgetItem* chosen = ui->lstAllPi->currentRow() >= 0 ? ui->lstAllPi->currentItem() : nullptr;
    if (!chosen)
        return;
    if (m_memberId == 0) {
        // A card not yet written has no id to attach to; the feature would be lost.
        ShowInfo(QStringLiteral("Tallenna jäsen ennen ominaisuuden lisäämistä."));
        return;
    }
    // Ends quietly, as the attach always did; the member's list stays shown.
    IgnoringErrors("member features: attach", [&] {
        Database db = database();
        const qint32 featureId = MemberFeatures::attach(db, m_memberId, ItemId(chosen));
        {
            const QSignalBlocker block(ui->lstAllPt);
            AddItem(ui->lstAllPt, chosen->text(), featureId);
        }
        ui->lstAllPt->setFocus();
        selectFeatureRow(ui->lstAllPt->count() - 1);
        ui->cPoistaPiirre->setEnabled(true);
    });
}

void MemberFeaturesPanel::selectFeatureRow(int row)
{
    if (row < 0 || row >= ui->lstAllPt->count())
        return;
    if (ui->lstAllPt->currentRow() == row)
        ShowMemberFeatureValue();
    else
        ui->lstAllPt->setCurrentRow(row);
}

void MemberFeaturesPanel::DeleteMemberFeature()
{
    if (!savePending())
        return;
    const int row = ui->lstAllPt->currentRow();
    int next = row + 1;
    if (row >= 0 && AskYesNo(QStringLiteral("Poistetaanko valittu ominaisuus?"), MsgIcon::Information)) {
        IgnoringErrors("member features: remove", [&] {
            Database db = database();
            if (MemberFeatures::remove(db, ItemId(ui->lstAllPt->item(row)))) {
                const QSignalBlocker block(ui->lstAllPt);
                delete ui->lstAllPt->takeItem(row);
                ui->lstAllPt->setCurrentRow(-1);
                // The entry below moved up into the removed one's place.
                next = std::min(row, ui->lstAllPt->count() - 1);
            }
        });
    }
    ClearMemberFeatureInputs();
    ui->lstAllPt->setFocus();
    // The Down-arrow stroke after the deletion: the next entry is selected and shown; past the
    // last entry nothing moves.
    if (row < 0)
        next = 0;
    if (next >= 0 && next < ui->lstAllPt->count() && next != ui->lstAllPt->currentRow())
        ui->lstAllPt->setCurrentRow(next);
}

void MemberFeaturesPanel::cSelaaPiirre_Click()
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

void MemberFeaturesPanel::undoValue()
{
    FeatureValueChanged = false;
    ShowMemberFeatureValue();
}

bool MemberFeaturesPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui->lstAllPi && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->text().isEmpty())
            return false; // arrows and function keys are no key press of the list
        if (SkipNextDefinitionKey) {
            SkipNextDefinitionKey = false;
            return false;
        }
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            AddMemberFeature();
            return true;
        }
        return false;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace tikkeli
