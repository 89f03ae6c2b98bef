#include "members/ui/MemberFeaturesPanel.h"

#include "base/ErrorHandling.h"
#include "base/NullConversions.h"
#include "base/Prompter.h"
#include "base/ui/TextBoxHelpers.h"
#include "members/ui/SelectAllOnFocus.h"
#include "db/DbError.h"

#include <QEvent>
#include <QFocusEvent>
#include <stdexcept>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>
#include <QTimer>
#include <QVBoxLayout>

namespace tikkeli {

namespace {

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& caption)
{
    auto* l = new QLabel(caption, parent);
    l->setObjectName(QString::fromLatin1(name));
    return l;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    return b;
}

QLineEdit* MakeBox(QWidget* parent, const char* name)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    return e;
}

QListWidget* MakeList(QWidget* parent, const char* name)
{
    auto* l = new QListWidget(parent);
    l->setObjectName(QString::fromLatin1(name));
    return l;
}

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

MemberFeaturesPanel::MemberFeaturesPanel(std::function<Database()> database, QWidget* parent)
    : QWidget(parent), m_database(std::move(database))
{
    setObjectName(QStringLiteral("MemberFeaturesPanel"));
    lstAllPt = MakeList(this, "lstAllPt");
    lstAllPi = MakeList(this, "lstAllPi");
    lstAllPi->hide();
    cLisaaPiirre = MakeButton(this, "cLisaaPiirre", QStringLiteral("Lisää"));
    cPoistaPiirre = MakeButton(this, "cPoistaPiirre", QStringLiteral("Poista"));
    cSelaaPiirre = MakeButton(this, "cSelaaPiirre", QStringLiteral("Selaa"));
    lblKuvaus = MakeLabel(this, "lblKuvaus", QStringLiteral("Kuvaus:"));
    lKuvaus = MakeLabel(this, "lKuvaus", QString());
    lKuvaus->setWordWrap(true);
    lblDate = MakeLabel(this, "lblDate", QStringLiteral("Päivämäärä:"));
    lblLong = MakeLabel(this, "lblLong", QStringLiteral("Luku:"));
    lblCurrency = MakeLabel(this, "lblCurrency", QStringLiteral("Arvo:"));
    lblMemo = MakeLabel(this, "lblMemo", QStringLiteral("Muistio:"));
    tDate = MakeBox(this, "tDate");
    tLong = MakeBox(this, "tLong");
    tCurrency = MakeBox(this, "tCurrency");
    tMemo = new QPlainTextEdit(this);
    tMemo->setObjectName(QStringLiteral("tMemo"));
    tMemo->setTabChangesFocus(true);

    auto* lists = new QVBoxLayout;
    lists->addWidget(lstAllPt, 1);
    lists->addWidget(lstAllPi, 1);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {cLisaaPiirre, cPoistaPiirre, cSelaaPiirre})
        buttons->addWidget(b);
    lists->addLayout(buttons);

    auto* values = new QGridLayout;
    values->addWidget(lblKuvaus, 0, 0, Qt::AlignTop);
    values->addWidget(lKuvaus, 0, 1);
    values->addWidget(lblDate, 1, 0);
    values->addWidget(tDate, 1, 1);
    values->addWidget(lblLong, 2, 0);
    values->addWidget(tLong, 2, 1);
    values->addWidget(lblCurrency, 3, 0);
    values->addWidget(tCurrency, 3, 1);
    values->addWidget(lblMemo, 4, 0, Qt::AlignTop);
    values->addWidget(tMemo, 4, 1);
    values->setRowStretch(4, 1);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(lists, 1);
    layout->addLayout(values, 2);

    connect(cLisaaPiirre, &QPushButton::clicked, this, &MemberFeaturesPanel::cLisaaPiirre_Click);
    connect(cPoistaPiirre, &QPushButton::clicked, this, &MemberFeaturesPanel::DeleteMemberFeature);
    connect(cSelaaPiirre, &QPushButton::clicked, this, &MemberFeaturesPanel::cSelaaPiirre_Click);
    connect(lstAllPt, &QListWidget::currentRowChanged, this, [this] { ShowMemberFeatureValue(); });
    connect(lstAllPi, &QListWidget::currentRowChanged, this, [this] { showDefinitionDescription(); });
    connect(lstAllPi, &QListWidget::itemDoubleClicked, this, [this] { AddMemberFeature(); });
    // Code that fills a box counts as a change, as typing does: a shown feature is written back
    // at the next save point.
    for (QLineEdit* box : {tDate, tLong, tCurrency})
        connect(box, &QLineEdit::textChanged, this, &MemberFeaturesPanel::valueBoxChanged);
    connect(tMemo, &QPlainTextEdit::textChanged, this, &MemberFeaturesPanel::valueBoxChanged);
    for (QWidget* w : std::initializer_list<QWidget*>{lstAllPi, tDate, tLong, tCurrency, tMemo})
        w->installEventFilter(this);

    ClearMemberFeatureInputs();
}

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
    const QSignalBlocker block(lstAllPt);
    lstAllPt->clear();
    if (m_memberId == 0)
        return;
    Database db = m_db;
    for (const auto& e : MemberFeatures::ofMember(db, m_memberId))
        AddItem(lstAllPt, e.name, e.id);
}

void MemberFeaturesPanel::LoadMemberFeatureDefinitions()
{
    const QSignalBlocker block(lstAllPi);
    lstAllPi->clear();
    Database db = database();
    for (const auto& e : MemberFeatures::definitions(db))
        AddItem(lstAllPi, e.name, e.id);
}

void MemberFeaturesPanel::ClearMemberFeatureInputs()
{
    const bool wasClearing = m_clearing;
    m_clearing = true;
    // A value box about to be disabled would hand the focus on to the next control in the chain -
    // a card box, where the next key typed would overwrite the member's data. The feature list
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

void MemberFeaturesPanel::valuesChangedElsewhere()
{
    // The typed value is written before the list is read again; one that cannot be written
    // stays typed, with the list as it is.
    if (!savePending())
        return;
    const qint32 shown = ItemId(lstAllPt->currentItem());
    refillMemberList();
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
    ShowMemberFeatureValue();
}

void MemberFeaturesPanel::valueBoxChanged()
{
    if (m_clearing)
        return;
    FeatureValueChanged = true;
    EditedFeatureIndex = lstAllPt->currentRow();
    emit valueEdited();
}

MemberFeatures::Kinds MemberFeaturesPanel::visibleKinds() const
{
    MemberFeatures::Kinds kinds;
    kinds.setFlag(MemberFeatures::Date, !lblDate->isHidden());
    kinds.setFlag(MemberFeatures::Number, !lblLong->isHidden());
    kinds.setFlag(MemberFeatures::Memo, !lblMemo->isHidden());
    kinds.setFlag(MemberFeatures::Amount, !lblCurrency->isHidden());
    return kinds;
}

void MemberFeaturesPanel::SaveMemberFeatureValue()
{
    const QListWidgetItem* item = EditedFeatureIndex >= 0 ? lstAllPt->item(EditedFeatureIndex) : nullptr;
    if (item) {
        Database db = database();
        const MemberFeatures::SaveOutcome out = MemberFeatures::save(
            db, ItemId(item), visibleKinds(), {tDate->text(), tLong->text(), tCurrency->text(), tMemo->toPlainText()});
        if (out.refused) {
            // Nothing was written and the typed text stays for correction.
            const std::pair<MemberFeatures::Kind, QLineEdit*> boxes[] = {{MemberFeatures::Date, tDate},
                                                                         {MemberFeatures::Number, tLong},
                                                                         {MemberFeatures::Amount, tCurrency}};
            for (const auto& [kind, box] : boxes) {
                if (out.refused.testFlag(kind))
                    throw std::runtime_error(refusedValueMessage(kind, box->text()).toStdString());
            }
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
        if (const QListWidgetItem* edited = lstAllPt->item(EditedFeatureIndex); edited && !edited->isSelected()) {
            // The list moved on to another feature: back to the one whose value waits.
            const QSignalBlocker block(lstAllPt);
            lstAllPt->setCurrentRow(EditedFeatureIndex);
        }
        return false;
    }
}

void MemberFeaturesPanel::ShowMemberFeatureValue()
{
    if (!savePending())
        return;
    ClearMemberFeatureInputs();
    const QListWidgetItem* item = lstAllPt->currentItem();
    if (!item || lstAllPt->currentRow() < 0)
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
        lblKuvaus->show();
        lKuvaus->show();
        lKuvaus->setText(def->description);
        // Showing the stored values is no change of them: nothing is pending until the user types.
        m_clearing = true;
        const auto showKind = [&](MemberFeatures::Kind kind, QLabel* label, QWidget* box, const Value& value) {
            const bool on = def->enabled.testFlag(kind);
            label->setVisible(on);
            box->setEnabled(on);
            if (!on)
                return;
            if (auto* line = qobject_cast<QLineEdit*>(box))
                line->setText(MemberFeatures::shownText(kind, value));
            else
                tMemo->setPlainText(MemberFeatures::shownText(kind, value));
        };
        showKind(MemberFeatures::Number, lblLong, tLong, values->number);
        showKind(MemberFeatures::Date, lblDate, tDate, values->date);
        showKind(MemberFeatures::Amount, lblCurrency, tCurrency, values->amount);
        showKind(MemberFeatures::Memo, lblMemo, tMemo, values->memo);
        m_clearing = wasClearing;
    } catch (const std::exception&) {
        m_clearing = wasClearing;
        // A row that cannot be read shows nothing, as one that has disappeared.
    }
}

void MemberFeaturesPanel::showDefinitionDescription()
{
    const QListWidgetItem* item = lstAllPi->currentItem();
    if (!item)
        return;
    IgnoringErrors("member features: show a description", [&] {
        Database db = database();
        if (const auto def = MemberFeatures::definition(db, ItemId(item))) {
            lblKuvaus->show();
            lKuvaus->show();
            lKuvaus->setText(def->description);
        }
    });
}

void MemberFeaturesPanel::cLisaaPiirre_Click()
{
    if (!savePending())
        return;
    SkipNextDefinitionKey = true;
    lstAllPi->show();
    lstAllPt->hide();
    cPoistaPiirre->setEnabled(false);
    lstAllPi->setFocus();
}

void MemberFeaturesPanel::AddMemberFeature()
{
    lstAllPi->hide();
    lstAllPt->show();
    const QListWidgetItem* chosen = lstAllPi->currentRow() >= 0 ? lstAllPi->currentItem() : nullptr;
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
            const QSignalBlocker block(lstAllPt);
            AddItem(lstAllPt, chosen->text(), featureId);
        }
        lstAllPt->setFocus();
        selectFeatureRow(lstAllPt->count() - 1);
        cPoistaPiirre->setEnabled(true);
    });
}

void MemberFeaturesPanel::selectFeatureRow(int row)
{
    if (row < 0 || row >= lstAllPt->count())
        return;
    if (lstAllPt->currentRow() == row)
        ShowMemberFeatureValue();
    else
        lstAllPt->setCurrentRow(row);
}

void MemberFeaturesPanel::DeleteMemberFeature()
{
    if (!savePending())
        return;
    const int row = lstAllPt->currentRow();
    int next = row + 1;
    if (row >= 0 && AskYesNo(QStringLiteral("Poistetaanko valittu ominaisuus?"), MsgIcon::Information)) {
        IgnoringErrors("member features: remove", [&] {
            Database db = database();
            if (MemberFeatures::remove(db, ItemId(lstAllPt->item(row)))) {
                const QSignalBlocker block(lstAllPt);
                delete lstAllPt->takeItem(row);
                lstAllPt->setCurrentRow(-1);
                // The entry below moved up into the removed one's place.
                next = std::min(row, lstAllPt->count() - 1);
            }
        });
    }
    ClearMemberFeatureInputs();
    lstAllPt->setFocus();
    // The Down-arrow stroke after the deletion: the next entry is selected and shown; past the
    // last entry nothing moves.
    if (row < 0)
        next = 0;
    if (next >= 0 && next < lstAllPt->count() && next != lstAllPt->currentRow())
        lstAllPt->setCurrentRow(next);
}

void MemberFeaturesPanel::cSelaaPiirre_Click()
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

void MemberFeaturesPanel::undoValue()
{
    FeatureValueChanged = false;
    ShowMemberFeatureValue();
}

void MemberFeaturesPanel::valueBoxLeft(QLineEdit* box)
{
    const QString text = box->text();
    if (text.isEmpty())
        return;
    bool valid = true;
    if (box == tDate) {
        // A text that is no date stays for correction; the save refuses it with a message.
        const QString shown = MemberFeatures::reformatDate(text);
        if (shown != text)
            box->setText(shown);
        if (!MemberFeatures::parseDate(text))
            Prompter::instance().beep();
        return;
    } else if (box == tLong) {
        valid = MemberFeatures::parseNumber(text).has_value();
    } else if (box == tCurrency) {
        valid = ParseLocaleCurrency(text).has_value();
    }
    if (!valid) {
        box->clear();
        Prompter::instance().beep();
    }
}

bool MemberFeaturesPanel::eventFilter(QObject* watched, QEvent* event)
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
            AddMemberFeature();
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
