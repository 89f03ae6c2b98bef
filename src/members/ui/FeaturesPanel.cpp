#include "members/ui/FeaturesPanel.h"

#include "ui_FeaturesPanel.h"

#include "base/ErrorHandling.h"
#include "base/NullConversions.h"
#include "base/Prompter.h"
#include "base/ui/TextBoxHelpers.h"
#include "members/ui/SelectAllOnFocus.h"
#include "db/DbError.h"

#include <QEvent>
#include <QFocusEvent>
#include <stdexcept>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>
#include <QTimer>

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

} // namespace

FeaturesPanel::FeaturesPanel(QWidget* parent) : QWidget(parent), ui(std::make_unique<Ui::FeaturesPanel>())
{
    ui->setupUi(this);
    lstAllPt = ui->lstAllPt;
    lstAllPi = ui->lstAllPi;
    cLisaaPiirre = ui->cLisaaPiirre;
    cPoistaPiirre = ui->cPoistaPiirre;
    cSelaaPiirre = ui->cSelaaPiirre;
    lblKuvaus = ui->lblKuvaus;
    lKuvaus = ui->lKuvaus;
    lblDate = ui->lblDate;
    lblLong = ui->lblLong;
    lblCurrency = ui->lblCurrency;
    lblMemo = ui->lblMemo;
    tDate = ui->tDate;
    tLong = ui->tLong;
    tCurrency = ui->tCurrency;
    tMemo = ui->tMemo;
    lstAllPi->hide();

    connect(cLisaaPiirre, &QPushButton::clicked, this, &FeaturesPanel::cLisaaPiirre_Click);
    connect(cPoistaPiirre, &QPushButton::clicked, this, &FeaturesPanel::DeleteFeature);
    connect(cSelaaPiirre, &QPushButton::clicked, this, &FeaturesPanel::cSelaaPiirre_Click);
    connect(lstAllPt, &QListWidget::currentRowChanged, this, [this] { ShowFeatureValue(); });
    connect(lstAllPi, &QListWidget::currentRowChanged, this, [this] { showDefinitionDescription(); });
    connect(lstAllPi, &QListWidget::itemDoubleClicked, this, [this] { AddFeature(); });
    // Code that fills a box counts as a change, as typing does: a shown feature is written back
    // at the next save point.
    for (QLineEdit* box : {tDate, tLong, tCurrency})
        connect(box, &QLineEdit::textChanged, this, &FeaturesPanel::valueBoxChanged);
    connect(tMemo, &QPlainTextEdit::textChanged, this, &FeaturesPanel::valueBoxChanged);
    for (QWidget* w : std::initializer_list<QWidget*>{lstAllPi, tDate, tLong, tCurrency, tMemo})
        w->installEventFilter(this);

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
    const QSignalBlocker block(lstAllPt);
    lstAllPt->clear();
    if (m_ownerId == 0)
        return;
    Database db = m_db;
    for (const auto& e : FeatureValues::ofOwner(*m_table, db, m_ownerId))
        AddItem(lstAllPt, e.name, e.id);
}

void FeaturesPanel::FillFeatureList()
{
    const QSignalBlocker block(lstAllPi);
    lstAllPi->clear();
    Database db = database();
    for (const auto& e : FeatureValues::definitions(*m_table, db))
        AddItem(lstAllPi, e.name, e.id);
}

void FeaturesPanel::HideFeatureEditors()
{
    const bool wasClearing = m_clearing;
    m_clearing = true;
    // A value box about to be disabled would hand the focus on to the next control in the chain -
    // a card box, where the next key typed would overwrite the card's data. The feature list
    // is a neutral place instead.
    for (QWidget* w : std::initializer_list<QWidget*>{tDate, tLong, tCurrency, tMemo}) {
        if (w->hasFocus()) {
            QListWidget* neutral = lstAllPt->isVisibleTo(this) ? lstAllPt : lstAllPi;
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
    for (QLabel* l : {lblDate, lblLong, lblCurrency, lblMemo, lblKuvaus, lKuvaus})
        l->hide();
    // Empty boxes stay as they are: clearing one lays it out again, at every move of the card.
    for (QLineEdit* box : {tDate, tLong, tCurrency}) {
        if (!box->text().isEmpty())
            box->clear();
    }
    if (!tMemo->document()->isEmpty())
        tMemo->clear();
    lKuvaus->clear();
    for (QWidget* w : std::initializer_list<QWidget*>{tDate, tLong, tCurrency, tMemo})
        w->setEnabled(false);
    m_clearing = wasClearing;
}

void FeaturesPanel::valuesChangedElsewhere()
{
    // The typed value is written before the list is read again; one that cannot be written
    // stays typed, with the list as it is.
    if (!savePending())
        return;
    const qint32 shown = ItemId(lstAllPt->currentItem());
    refillOwnerList();
    EditedFeatureIndex = -1;
    int row = -1;
    for (int i = 0; i < lstAllPt->count(); ++i) {
        if (ItemId(lstAllPt->item(i)) == shown)
            row = i;
    }
    {
        const QSignalBlocker block(lstAllPt);
        lstAllPt->setCurrentRow(row);
    }
    ShowFeatureValue();
}

void FeaturesPanel::valueBoxChanged()
{
    if (m_clearing)
        return;
    FeatureValueChanged = true;
    EditedFeatureIndex = lstAllPt->currentRow();
    emit valueEdited();
}

FeatureValues::Kinds FeaturesPanel::visibleKinds() const
{
    FeatureValues::Kinds kinds;
    kinds.setFlag(FeatureValues::Date, !lblDate->isHidden());
    kinds.setFlag(FeatureValues::Number, !lblLong->isHidden());
    kinds.setFlag(FeatureValues::Memo, !lblMemo->isHidden());
    kinds.setFlag(FeatureValues::Amount, !lblCurrency->isHidden());
    return kinds;
}

void FeaturesPanel::SaveFeatureValue()
{
    const QListWidgetItem* item = EditedFeatureIndex >= 0 ? lstAllPt->item(EditedFeatureIndex) : nullptr;
    if (item) {
        Database db = database();
        const FeatureValues::SaveOutcome out = FeatureValues::save(
            *m_table, db, ItemId(item), visibleKinds(),
            {tDate->text(), tLong->text(), tCurrency->text(), tMemo->toPlainText()});
        if (out.refused) {
            // Nothing was written and the typed text stays for correction.
            const std::pair<FeatureValues::Kind, QLineEdit*> boxes[] = {{FeatureValues::Date, tDate},
                                                                        {FeatureValues::Number, tLong},
                                                                        {FeatureValues::Amount, tCurrency}};
            for (const auto& [kind, box] : boxes) {
                if (out.refused.testFlag(kind))
                    throw std::runtime_error(refusedValueMessage(kind, box->text()).toStdString());
            }
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
        if (const QListWidgetItem* edited = lstAllPt->item(EditedFeatureIndex); edited && !edited->isSelected()) {
            // The list moved on to another feature: back to the one whose value waits.
            const QSignalBlocker block(lstAllPt);
            lstAllPt->setCurrentRow(EditedFeatureIndex);
        }
        return false;
    }
}

void FeaturesPanel::ShowFeatureValue()
{
    if (!savePending())
        return;
    HideFeatureEditors();
    const QListWidgetItem* item = lstAllPt->currentItem();
    if (!item || lstAllPt->currentRow() < 0)
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
        lblKuvaus->show();
        lKuvaus->show();
        lKuvaus->setText(def->description);
        // Showing the stored values is no change of them: nothing is pending until the user types.
        m_clearing = true;
        const auto showKind = [&](FeatureValues::Kind kind, QLabel* label, QWidget* box, const Value& value) {
            const bool on = def->enabled.testFlag(kind);
            label->setVisible(on);
            box->setEnabled(on);
            if (!on)
                return;
            if (auto* line = qobject_cast<QLineEdit*>(box))
                line->setText(FeatureValues::shownText(kind, value));
            else
                tMemo->setPlainText(FeatureValues::shownText(kind, value));
        };
        showKind(FeatureValues::Number, lblLong, tLong, values->number);
        showKind(FeatureValues::Date, lblDate, tDate, values->date);
        showKind(FeatureValues::Amount, lblCurrency, tCurrency, values->amount);
        showKind(FeatureValues::Memo, lblMemo, tMemo, values->memo);
        m_clearing = wasClearing;
    } catch (const std::exception&) {
        m_clearing = wasClearing;
        // A row that cannot be read shows nothing, as one that has disappeared.
    }
}

void FeaturesPanel::showDefinitionDescription()
{
    const QListWidgetItem* item = lstAllPi->currentItem();
    if (!item)
        return;
    IgnoringErrors("features: show a description", [&] {
        Database db = database();
        if (const auto def = FeatureValues::definition(db, ItemId(item))) {
            lblKuvaus->show();
            lKuvaus->show();
            lKuvaus->setText(def->description);
        }
    });
}

void FeaturesPanel::cLisaaPiirre_Click()
{
    if (!savePending())
        return;
    SkipNextDefinitionKey = true;
    lstAllPi->show();
    lstAllPt->hide();
    cPoistaPiirre->setEnabled(false);
    lstAllPi->setFocus();
}

void FeaturesPanel::AddFeature()
{
    lstAllPi->hide();
    lstAllPt->show();
    const QListWidgetItem* chosen = lstAllPi->currentRow() >= 0 ? lstAllPi->currentItem() : nullptr;
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
        {
            const QSignalBlocker block(lstAllPt);
            AddItem(lstAllPt, chosen->text(), featureId);
        }
        lstAllPt->setFocus();
        selectFeatureRow(lstAllPt->count() - 1);
        cPoistaPiirre->setEnabled(true);
    });
}

void FeaturesPanel::selectFeatureRow(int row)
{
    if (row < 0 || row >= lstAllPt->count())
        return;
    if (lstAllPt->currentRow() == row)
        ShowFeatureValue();
    else
        lstAllPt->setCurrentRow(row);
}

void FeaturesPanel::DeleteFeature()
{
    if (!savePending())
        return;
    const int row = lstAllPt->currentRow();
    int next = row + 1;
    if (row >= 0 && AskYesNo(QStringLiteral("Poistetaanko valittu ominaisuus?"), MsgIcon::Information)) {
        IgnoringErrors("features: remove", [&] {
            Database db = database();
            if (FeatureValues::remove(*m_table, db, ItemId(lstAllPt->item(row)))) {
                const QSignalBlocker block(lstAllPt);
                delete lstAllPt->takeItem(row);
                lstAllPt->setCurrentRow(-1);
                // The entry below moved up into the removed one's place.
                next = std::min(row, lstAllPt->count() - 1);
            }
        });
    }
    HideFeatureEditors();
    lstAllPt->setFocus();
    // The Down-arrow stroke after the deletion: the next entry is selected and shown; past the
    // last entry nothing moves.
    if (row < 0)
        next = 0;
    if (next >= 0 && next < lstAllPt->count() && next != lstAllPt->currentRow())
        lstAllPt->setCurrentRow(next);
}

void FeaturesPanel::cSelaaPiirre_Click()
{
    if (!savePending())
        return;
    if (lstAllPt->isHidden()) {
        lstAllPi->hide();
        lstAllPt->show();
    }
    lstAllPt->setFocus();
    if (lstAllPt->count() > 0)
        selectFeatureRow(0);
    cPoistaPiirre->setEnabled(true);
}

void FeaturesPanel::UndoFeatureValue()
{
    FeatureValueChanged = false;
    ShowFeatureValue();
}

void FeaturesPanel::valueBoxLeft(QLineEdit* box)
{
    const QString text = box->text();
    if (text.isEmpty())
        return;
    bool valid = true;
    if (box == tDate) {
        // A text that is no date stays for correction; the save refuses it with a message.
        const QString shown = FeatureValues::reformatDate(text);
        if (shown != text)
            box->setText(shown);
        if (!FeatureValues::parseDate(text))
            Prompter::instance().beep();
        return;
    } else if (box == tLong) {
        valid = FeatureValues::parseNumber(text).has_value();
    } else if (box == tCurrency) {
        valid = ParseLocaleCurrency(text).has_value();
    }
    if (!valid) {
        box->clear();
        Prompter::instance().beep();
    }
}

bool FeaturesPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == lstAllPi && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->text().isEmpty())
            return false; // arrows and function keys are no key press of the list
        if (SkipNextDefinitionKey) {
            SkipNextDefinitionKey = false;
            return false;
        }
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            AddFeature();
            return true;
        }
        return false;
    }
    if (event->type() == QEvent::FocusIn && SelectsAllOnFocus(static_cast<QFocusEvent*>(event)->reason())) {
        if (auto* box = qobject_cast<QLineEdit*>(watched))
            QTimer::singleShot(0, box, [box] { SelectAllText(box); });
        else if (watched == tMemo)
            QTimer::singleShot(0, tMemo, [this] { tMemo->selectAll(); });
    } else if (event->type() == QEvent::FocusOut) {
        if (auto* box = qobject_cast<QLineEdit*>(watched))
            valueBoxLeft(box);
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace tikkeli
