#include "members/ui/frmJasen.h"

#include "ui_frmJasen.h"

#include "base/ErrorHandling.h"
#include "base/Prompter.h"
#include "ui/FormRegistry.h"
#include "db/ClubChanges.h"
#include "members/MemberCardFields.h"
#include "members/MemberFeatures.h"
#include "members/MemberList.h"
#include "members/MemberTree.h"
#include "members/ui/MemberCardParts.h"
#include "ui/SelectAllOnFocus.h"
#include "printing/ReportServices.h"
#include "base/SharedState.h"
#include "ui/FormPlacement.h"
#include "db/ReplacedFile.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFocusEvent>
#include <QShowEvent>
#include <QTabWidget>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QTimer>
#include <QTreeWidget>

#include <algorithm>

namespace tikkeli {

namespace {

const QString kWindowName = QStringLiteral("frmJasen");
const QString kCheckDatabase = QStringLiteral("Tarkista tietokanta asetukset asetusikkunasta!");
// A letter node's group in the window's reading of the tree (letter nodes carry no key).
constexpr int LetterRole = Qt::UserRole + 1;

// The keys the window's commands own even while a text box has the focus (a text box would
// otherwise keep Ctrl+A, Ctrl+Z... for itself).
bool isCommandKey(const QKeyEvent* key)
{
    const int k = key->key();
    const Qt::KeyboardModifiers mods = key->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
    if (mods == Qt::ControlModifier)
        return k == Qt::Key_A || k == Qt::Key_S || k == Qt::Key_D || k == Qt::Key_F || k == Qt::Key_B || k == Qt::Key_Z;
    if (mods == Qt::NoModifier || mods == Qt::ShiftModifier)
        return k >= Qt::Key_F2 && k <= Qt::Key_F9;
    return false;
}

} // namespace

frmJasen* frmJasen::Instance()
{
    return qobject_cast<frmJasen*>(FormRegistry::find(kWindowName));
}

frmJasen* frmJasen::Load()
{
    return static_cast<frmJasen*>(FormRegistry::open(kWindowName, []() -> QWidget* {
        auto* w = new frmJasen;
        if (!w->loaded()) {
            delete w;
            return nullptr;
        }
        return w;
    }));
}

frmJasen::frmJasen(QWidget* parent) : QMainWindow(parent, Qt::Window), ui(std::make_unique<Ui::frmJasen>())
{
    ui->setupUi(this);
    tYhteystiedot = {ui->tYhteystiedot_0, ui->tYhteystiedot_1, ui->tYhteystiedot_2,  ui->tYhteystiedot_3,
                     ui->tYhteystiedot_4, ui->tYhteystiedot_5, ui->tYhteystiedot_6,  ui->tYhteystiedot_7,
                     ui->tYhteystiedot_8, ui->tYhteystiedot_9, ui->tYhteystiedot_10, ui->tYhteystiedot_11,
                     ui->tYhteystiedot_12};
    for (int i = 0; i < MemberCardFields::Count; ++i) {
        QLineEdit* box = tYhteystiedot[std::size_t(i)];
        if (const int max = MemberCardFields::maxLength(i))
            box->setMaxLength(max);
        // Every move of the card lays out the texts that changed; names, addresses and numbers
        // need no shaping, which is about half of a move's cost.
        QFont font = box->font();
        font.setStyleStrategy(QFont::StyleStrategy(font.styleStrategy() | QFont::PreferNoShaping));
        box->setFont(font);
    }
    const auto database = [this] { return Data1.database(); };
    ui->MemberFeaturesPanel->setDatabase(database);
    ui->MemberInvoicesPanel->setDatabase(database);
    addPanel(ui->MemberFeaturesPanel);
    addPanel(ui->MemberInvoicesPanel);
    connectCommands();
    followClubChanges();
    // The tabs' commands and the member-data commands.
    MemberCardParts::extend(*this);
    const bool quick = WindowHooks::has(WindowHook::MemberQuickSearch);
    const bool byName = WindowHooks::has(WindowHook::MemberNameSearch);
    ui->cHaku->setEnabled(quick);
    ui->mHaku->setEnabled(quick);
    ui->cNimiHaku->setEnabled(byName);
    ui->mNimihaku->setEnabled(byName);
    // Every box, list and panel widget leaves the command keys to the window.
    for (QWidget* w : findChildren<QWidget*>())
        w->installEventFilter(this);
    RestoreFormPlacement(this);
    m_loaded = load();
    // The window opens on the tree, not in a box where the first key typed would overwrite the
    // first member's number.
    ui->tvwNimet->setFocus(Qt::OtherFocusReason);
}

frmJasen::~frmJasen() = default;

void frmJasen::addPanel(MemberCardPanel* panel)
{
    if (panel)
        m_panels.push_back(panel);
}

void frmJasen::followClubChanges()
{
    // Other windows and the core change definitions, values and members behind this window's back;
    // it follows at once instead of at its next requery. A value typed on the card is written
    // before its list is read again, never dropped.
    using Kind = ClubChanges::Kind;
    ClubChanges::follow(this, Kind::FeatureDefinitions, [this] {
        FillFeatureFilter();
        ui->MemberFeaturesPanel->loadDefinitions();
    });
    ClubChanges::follow(this, Kind::FeatureValues, [this] {
        ui->MemberFeaturesPanel->valuesChangedElsewhere();
        MembersChangedElsewhere();
    });
    ClubChanges::followMembers(this, [this](const ChangedMembers& which) { MemberRowsChangedElsewhere(which); });
    FollowReplacedFile(
        this, [this] { return Data1.database().path(); }, [this] { ReadReplacedFile(); });
}

void frmJasen::connectCommands()
{
    const auto both = [this](QPushButton* button, QAction* action, void (frmJasen::*handler)()) {
        if (button)
            connect(button, &QPushButton::clicked, this, handler);
        if (action)
            connect(action, &QAction::triggered, this, handler);
    };
    both(ui->cUusi, ui->mUusi, &frmJasen::cUusi_Click);
    both(ui->cTallenna, ui->mTallenna, &frmJasen::cTallenna_Click);
    both(ui->cPoista, ui->mPoista, &frmJasen::cPoista_Click);
    both(ui->cSelaa, ui->mSelaa, &frmJasen::cSelaa_Click);
    both(ui->cPeru, ui->mPeru, &frmJasen::cPeru_Click);
    both(ui->cHaku, ui->mHaku, &frmJasen::cHaku_Click);
    both(ui->cNimiHaku, ui->mNimihaku, &frmJasen::cNimiHaku_Click);
    both(ui->cSulje, ui->mSulje, &frmJasen::cSulje_Click);
    both(ui->cAvaaKaikki, nullptr, &frmJasen::cAvaaKaikki_Click);
    const std::array<std::tuple<QPushButton*, QAction*, MemberNavigation::Move>, 4> moves = {
        std::tuple{ui->cEnsimmäinen, ui->mEnsimmainen, MemberNavigation::Move::First},
        std::tuple{ui->cEdellinen, ui->mEdellinen, MemberNavigation::Move::Previous},
        std::tuple{ui->cSeuraava, ui->mSeuraava, MemberNavigation::Move::Next},
        std::tuple{ui->cViimeinen, ui->mViimeinen, MemberNavigation::Move::Last}};
    for (const auto& [button, action, move] : moves) {
        connect(button, &QPushButton::clicked, this, [this, m = move] { navigate(m); });
        connect(action, &QAction::triggered, this, [this, m = move] { navigate(m); });
    }

    for (int i = 0; i < MemberCardFields::Count; ++i)
        connect(tYhteystiedot[std::size_t(i)], &QLineEdit::textChanged, this, [this, i] { tYhteystiedot_Change(i); });
    const std::array<QCheckBox*, 3> checks = {ui->chkEmailLasku, ui->chkJasenmaksu, ui->chkMaanomistaja};
    for (std::size_t i = 0; i < checks.size(); ++i) {
        // A click of the user only: the card's own refresh sets the boxes without editing.
        connect(checks[i], &QCheckBox::clicked, this, [this, i] {
            m_checkChanged[i] = true;
            cardEdited();
        });
    }
    connect(ui->tMuistio, &QPlainTextEdit::textChanged, this, [this] {
        if (m_filling)
            return;
        m_memoChanged = true;
        cardEdited();
    });
    connect(ui->TabStrip1, &QTabWidget::currentChanged, this, [this](int index) { TabStrip1_Click(index + 1); });
    connect(ui->tvwNimet, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) { tvwNimet_NodeClick(item); });
    connect(ui->tvwNimet, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) { listLetter(item); });
    // The user's choice only: filling the list at load is no choice of a filter.
    connect(ui->cmbListaEhto, &QComboBox::activated, this, [this] { cmbListaEhto_Click(); });
}

// ---- loading and the card

bool frmJasen::load()
{
    IgnoreNodeClick = false;
    m_shownTab = 1;
    ui->TabStrip1->setCurrentIndex(0);
    const QString path = State().DatabasePath;
    if (path.isEmpty() || path.compare(QStringLiteral("unknown"), Qt::CaseInsensitive) == 0) {
        ShowInfo(kCheckDatabase);
        return false;
    }
    try {
        ResetReportFormulas();
        Data1.open(path);
        RefreshCard();
        FillFeatureFilter();
        UpdateMemberCaption();
        BuildMemberTree();
        for (MemberCardPanel* p : m_panels)
            p->loadDefinitions();
        return true;
    } catch (const DbException& e) {
        ShowInfo(kCheckDatabase + QStringLiteral("\r\n") + e.description());
    } catch (const std::exception& e) {
        ShowInfo(kCheckDatabase + QStringLiteral("\r\n") + QString::fromUtf8(e.what()));
    }
    return false;
}

void frmJasen::FillFeatureFilter()
{
    const qint64 chosen = filterFeatureId();
    // A definitions read that fails must not leave the card deaf to the user's typing.
    const QScopedValueRollback filling(m_filling, true);
    ui->cmbListaEhto->clear();
    ui->cmbListaEhto->addItem(QStringLiteral(" - Kaikki - "), QVariant(qint64(0)));
    for (const MemberFeatures::Entry& d : MemberFeatures::definitions(Data1.database()))
        ui->cmbListaEhto->addItem(d.name, QVariant(qint64(d.id)));
    const int at = ui->cmbListaEhto->findData(QVariant(chosen));
    ui->cmbListaEhto->setCurrentIndex(at < 0 ? 0 : at);
}

qint64 frmJasen::filterFeatureId() const
{
    if (ui->cmbListaEhto->currentIndex() < 1)
        return 0;
    return ui->cmbListaEhto->currentData().toLongLong();
}

void frmJasen::RefreshCard()
{
    showRecordOnCard();
    memberChanged();
    moveFocusOutOfBoxes();
}

void frmJasen::showRecordOnCard()
{
    Recordset& rs = Data1.recordset();
    const bool shows = rs.isOpen() && (Data1.hasCurrent() || rs.editMode() == EditMode::Add);
    const auto value = [&](const QString& field) { return shows ? rs.field(field) : Value(); };
    m_filling = true;
    // A box already showing its text is left alone: laying out a text again costs more than the
    // rest of a move to the next member.
    const QStringList& fields = MemberCardFields::textFields();
    for (int i = 0; i < MemberCardFields::Count; ++i) {
        QLineEdit* box = tYhteystiedot[std::size_t(i)];
        const QString text = MemberCardFields::textOf(i, value(fields[i]));
        if (box->text() != text || box->isModified())
            box->setText(text);
    }
    const std::array<QCheckBox*, 3> checks = {ui->chkEmailLasku, ui->chkJasenmaksu, ui->chkMaanomistaja};
    for (std::size_t i = 0; i < checks.size(); ++i)
        checks[i]->setChecked(value(MemberCardFields::checkFields()[int(i)]).toBool());
    const QString memo = value(QStringLiteral("jrMuistio")).toString();
    if (ui->tMuistio->toPlainText() != memo)
        ui->tMuistio->setPlainText(memo);
    m_filling = false;
    m_boxChanged.fill(false);
    m_checkChanged.fill(false);
    m_memoChanged = false;
}

void frmJasen::moveFocusOutOfBoxes()
{
    // The card now shows another record (or the stored one again): a key typed into a box that
    // still has the focus would replace that member's data unseen. Only the user puts the focus
    // back into a box.
    QWidget* focus = QApplication::focusWidget();
    if (!focus || !isAncestorOf(focus))
        return;
    if (qobject_cast<QLineEdit*>(focus) || qobject_cast<QPlainTextEdit*>(focus) || !focus->isEnabled())
        ui->tvwNimet->setFocus(Qt::OtherFocusReason);
}

void frmJasen::memberChanged()
{
    const qint64 id = Data1.currentId();
    for (MemberCardPanel* p : m_panels) {
        // A panel that cannot show this member leaves its list empty; the card still moves.
        IgnoringErrors("frmJasen::memberChanged", [&] { p->memberChanged(id); });
    }
}

void frmJasen::writeCardToRecord()
{
    Recordset& rs = Data1.recordset();
    const QStringList& fields = MemberCardFields::textFields();
    for (int i = 0; i < MemberCardFields::Count; ++i) {
        if (!m_boxChanged[std::size_t(i)])
            continue;
        // checkDateBoxes ran first: every changed box has a value here.
        if (const auto value = MemberCardFields::valueOf(i, tYhteystiedot[std::size_t(i)]->text()))
            rs.setField(fields[i], *value);
    }
    const std::array<QCheckBox*, 3> checks = {ui->chkEmailLasku, ui->chkJasenmaksu, ui->chkMaanomistaja};
    for (std::size_t i = 0; i < checks.size(); ++i) {
        if (m_checkChanged[i])
            rs.setField(MemberCardFields::checkFields()[int(i)], Value(checks[i]->isChecked()));
    }
    if (m_memoChanged) {
        const QString memo = ui->tMuistio->toPlainText();
        rs.setField(QStringLiteral("jrMuistio"), memo.isEmpty() ? Value() : Value(memo));
    }
}

bool frmJasen::checkDateBoxes()
{
    for (int i : {MemberCardFields::BirthDate, MemberCardFields::JoiningDate}) {
        QLineEdit* box = tYhteystiedot[std::size_t(i)];
        if (!m_boxChanged[std::size_t(i)] || MemberCardFields::valueOf(i, box->text()))
            continue;
        // The typed text stays for correction; the stored date is not touched.
        ShowInfo(MemberCardFields::notADateMessage(i, box->text()));
        box->setFocus(Qt::OtherFocusReason);
        return false;
    }
    return true;
}

void frmJasen::cardEdited()
{
    // No current record: there is nothing to edit.
    IgnoringErrors("frmJasen::cardEdited", [&] {
        if (Data1.isOpen() && Data1.editMode() == EditMode::None && !Data1.hasCurrent()) {
            // The blank card of an empty register (or of one whose last member was deleted):
            // what is typed into it is a new member, not text to throw away.
            Data1.addNew();
            if (State().AutoMemberNumbers && tYhteystiedot[0]->text().isEmpty())
                giveMemberNumber();
            return;
        }
        Data1.beginEdit();
    });
}

bool frmJasen::giveMemberNumber()
{
    try {
        // The counter is moved (and stored) first: a number shown on the card is always taken.
        const QString number = Data1.NextMemberNumber();
        tYhteystiedot[0]->setText(number);
        return true;
    } catch (const DbException& e) {
        ShowWarning(QStringLiteral("Jäsennumeroa ei voitu antaa: laskurin tallennus epäonnistui.\r\n") + e.description());
    } catch (const std::exception& e) {
        ShowWarning(QStringLiteral("Jäsennumeroa ei voitu antaa: laskurin tallennus epäonnistui.\r\n")
                    + QString::fromUtf8(e.what()));
    }
    return false;
}

void frmJasen::tYhteystiedot_Change(int index)
{
    if (m_filling)
        return;
    m_boxChanged[std::size_t(index)] = true;
    cardEdited();
    if (index == MemberCardFields::Surname
        && MemberCardFields::surnameNeedsLetter(tYhteystiedot[std::size_t(index)]->text())) {
        ShowInfo(QStringLiteral("Sukunimen tulee alkaa kirjaimella."));
        // Typing goes on where it was: nothing selected, the caret after the text.
        QLineEdit* box = tYhteystiedot[std::size_t(index)];
        box->deselect();
        box->setCursorPosition(int(box->text().size()));
    }
}

void frmJasen::dateBoxLeft(int index)
{
    QLineEdit* box = tYhteystiedot[std::size_t(index)];
    if (box->text().isEmpty())
        return;
    if (const auto text = MemberCardFields::normalisedDateText(box->text())) {
        if (*text != box->text())
            box->setText(*text);
        return;
    }
    // A text that is no date stays as typed; the save refuses it with a message.
    Prompter::instance().beep();
}

void frmJasen::writePendingCard()
{
    for (MemberCardPanel* p : m_panels) {
        if (p->valueChanged())
            p->saveValue();
    }
    if (Data1.editMode() != EditMode::None) {
        writeCardToRecord();
        Data1.write();
    }
}

bool frmJasen::SaveMember()
{
    if (Data1.editMode() != EditMode::None && !checkDateBoxes())
        return false;
    try {
        writePendingCard();
        // Another program's change to the filtered list is looked for at its next move.
        m_filterList.recheck();
        if (m_stale)
            requeryKeepingCard();
        RefreshCard();
        UpdateMemberCaption();
        return true;
    } catch (const DbException& e) {
        if (e.number() == DbErr::DuplicateKey || e.number() == DbErr::DuplicateEntry) {
            ShowInfo(QStringLiteral("Jäsennumero #") + tYhteystiedot[0]->text()
                     + QStringLiteral(" on varattu jo toiselle jäsenelle."));
            IgnoringErrors("frmJasen::SaveMember",
                           [&] { Data1.recordset().setField(QStringLiteral("jrJasennumero"), Value()); });
            m_filling = true;
            tYhteystiedot[0]->clear();
            m_filling = false;
            m_boxChanged[0] = false;
            return false;
        }
        // The typed card stays as it is, so nothing the user wrote is thrown away unseen.
        const QString refusal = MemberCardFields::refusalMessage(e.description());
        ShowWarning(refusal.isEmpty() ? QStringLiteral("Jäsenen tietoja ei voitu tallentaa.\r\n") + e.description()
                                      : refusal);
    } catch (const std::exception& e) {
        ShowWarning(QStringLiteral("Jäsenen tietoja ei voitu tallentaa.\r\n") + QString::fromUtf8(e.what()));
    }
    return false;
}

bool frmJasen::cardPending() const
{
    if (m_stale || Data1.editMode() != EditMode::None)
        return true;
    for (MemberCardPanel* p : m_panels) {
        if (p->valueChanged())
            return true;
    }
    return false;
}

bool frmJasen::leaveCard()
{
    if (cardPending())
        return SaveMember();
    moveFocusOutOfBoxes();
    return true;
}

bool frmJasen::ShowMember(qint64 id)
{
    if (!leaveCard())
        return false;
    bool found = false;
    IgnoringErrors("frmJasen::ShowMember", [&] {
        found = Data1.findId(id);
        if (!found) {
            requeryKeepingCard();
            found = Data1.findId(id);
        }
    });
    if (found)
        RefreshCard();
    return found;
}

bool frmJasen::requeryKeepingCard()
{
    // A pending edit (of the card or of a panel) is never dropped: the set is read again at the
    // next save point instead.
    bool panelPending = false;
    for (MemberCardPanel* p : m_panels)
        panelPending = panelPending || p->valueChanged();
    // F5, an import and an attach come here: the filtered list looks for another program's change.
    m_filterList.recheck();
    if (Data1.editMode() != EditMode::None || panelPending) {
        m_stale = true;
        return false;
    }
    m_stale = false;
    m_filterList.clear();
    const qint64 shown = Data1.currentId();
    Recordset& rs = Data1.recordset();
    rs.requery();
    if (shown != 0 && Data1.findId(shown))
        return true;
    // The member shown is gone: the card shows the first one, as after a deletion.
    if (!rs.eof())
        rs.moveFirst();
    RefreshCard();
    return true;
}

void frmJasen::MembersChangedElsewhere()
{
    // The set stays as it was; the next tree click or F5 reads it again.
    IgnoringErrors("frmJasen::MembersChangedElsewhere", [&] {
        // With an edit pending the set is read again after its save; the tree and the caption
        // come from their own queries and follow at once.
        requeryKeepingCard();
        BuildMemberTree();
        UpdateMemberCaption();
    });
}

void frmJasen::MemberRowsChangedElsewhere(const ChangedMembers& which)
{
    // The window's own save or delete: it shows what it wrote.
    if (Data1.writing())
        return;
    // A mark of one invoice paid names its member: reading the whole register for it would make
    // marking a statement's payments one by one crawl.
    if (!which.isAny()) {
        IgnoringErrors("frmJasen::MemberRowsChangedElsewhere: the members named", [&] { rereadMembers(which.ids()); });
        return;
    }
    MembersChangedElsewhere();
    // The member shown may be one of the rows written (a fee marked paid, an invoice run): the
    // card shows the row as stored now. A pending edit stays on the card until it is saved.
    IgnoringErrors("frmJasen::MemberRowsChangedElsewhere", [&] {
        if (!m_stale && Data1.editMode() == EditMode::None)
            showRecordOnCard();
    });
}

void frmJasen::rereadMembers(const QSet<qint64>& ids)
{
    // With an edit pending the set is read again after its save; the tree and the caption come
    // from their own reading and follow at once, as on a change of all members.
    bool panelPending = false;
    for (MemberCardPanel* p : m_panels)
        panelPending = panelPending || p->valueChanged();
    const bool setNow = !m_stale && Data1.editMode() == EditMode::None && !panelPending;
    const qint64 shown = Data1.currentId();
    if (setNow)
        Data1.reread(ids);
    else
        m_stale = true;
    // Each reading of the file outside a transaction costs its locking: the set's rows just read
    // carry the names the tree lists, so only a filter sends the tree to the file again.
    const bool namesFromSet = setNow && filterFeatureId() == 0;
    Recordset& rs = Data1.recordset();
    bool listChanged = false;
    for (const qint64 id : ids) {
        MemberTree::Groups::Change change;
        if (namesFromSet) {
            const std::optional<Value> surname = rs.fieldOfRow(id, QStringLiteral("jrSukunimi"));
            change = MemberTree::place(
                m_treeGroups, id,
                surname ? std::optional<MemberTree::Name>({*surname, *rs.fieldOfRow(id, QStringLiteral("jrEtunimi"))})
                        : std::nullopt);
        } else {
            change = MemberTree::reread(Data1.database(), filterFeatureId(), m_treeGroups, id);
        }
        if (change.newGroup) {
            BuildMemberTree();
            listChanged = true;
            break;
        }
        if (change.changed)
            moveTreeEntry(id, change);
        listChanged = listChanged || (change.from < 0) != (change.to < 0);
    }
    if (listChanged)
        UpdateMemberCaption();
    if (!setNow)
        return;
    if (Data1.currentId() != shown) {
        // The member shown is gone: the card shows the first one, as after a deletion.
        RefreshCard();
    } else if (ids.contains(shown)) {
        showRecordOnCard();
    }
}

void frmJasen::moveTreeEntry(qint64 id, const MemberTree::Groups::Change& change)
{
    QTreeWidgetItem* root = ui->tvwNimet->topLevelItem(0);
    if (!root)
        return;
    const auto listed = [&](int group) {
        return group >= 0 && group < root->childCount() && group < int(m_letterNodes.size())
               && m_letterNodes[std::size_t(group)] == nullptr;
    };
    const QString key = MemberTree::Member{id, {}}.key();
    bool wasCurrent = false;
    if (listed(change.from)) {
        QTreeWidgetItem* letter = root->child(change.from);
        for (int i = 0; i < letter->childCount(); ++i) {
            if (letter->child(i)->data(0, Qt::UserRole).toString() == key) {
                wasCurrent = ui->tvwNimet->currentItem() == letter->child(i);
                delete letter->takeChild(i);
                break;
            }
        }
    }
    if (change.to < 0 || change.to >= root->childCount())
        return;
    QTreeWidgetItem* letter = root->child(change.to);
    if (!listed(change.to)) {
        // The highlight follows its member into a letter not yet opened.
        if (QTreeWidgetItem* node = wasCurrent ? memberNode(id) : nullptr)
            ui->tvwNimet->setCurrentItem(node);
        return;
    }
    const std::vector<MemberTree::Member> members = m_treeGroups.members(change.to);
    const auto at = std::find_if(members.begin(), members.end(), [id](const MemberTree::Member& m) { return m.id == id; });
    if (at == members.end())
        return;
    auto* item = new QTreeWidgetItem(QStringList{at->text});
    item->setData(0, Qt::UserRole, at->key());
    letter->insertChild(int(at - members.begin()), item);
    if (wasCurrent)
        ui->tvwNimet->setCurrentItem(item);
}

void frmJasen::ReadReplacedFile()
{
    const qint64 shown = Data1.currentId();
    m_stale = false;
    m_filterList.clear();
    // A file that cannot be read leaves the card empty rather than showing the old file's member.
    IgnoringErrors("frmJasen::ReadReplacedFile: the members", [&] {
        Data1.refresh();
        if (shown != 0)
            Data1.findId(shown);
    });
    // The card and the panels first: a panel forgets its typed value when it is shown a member.
    RefreshCard();
    IgnoringErrors("frmJasen::ReadReplacedFile: the lists", [&] {
        FillFeatureFilter();
        m_appliedFilter = filterFeatureId();
        for (MemberCardPanel* p : m_panels)
            p->loadDefinitions();
        BuildMemberTree();
    });
    UpdateMemberCaption();
}

void frmJasen::UpdateMemberCaption()
{
    int count = 0;
    try {
        count = MemberList::count(Data1.database(), filterFeatureId());
    } catch (const std::exception&) {
        return;
    }
    setWindowTitle(State().ProgramTitle + QStringLiteral(" - Jäsenrekisteri - ") + QString::number(count));
}

void frmJasen::BuildMemberTree()
{
    MemberTree::Groups groups = MemberTree::read(Data1.database(), filterFeatureId());
    m_filterList.clear();
    m_letterNodes.clear();
    ui->tvwNimet->clear();
    m_treeGroups = std::move(groups);
    auto* root = new QTreeWidgetItem(ui->tvwNimet, QStringList{QStringLiteral("Aakkostettu")});
    QList<QTreeWidgetItem*> letters;
    for (int i = 0; i < m_treeGroups.letterCount(); ++i) {
        auto* node = new QTreeWidgetItem(QStringList{m_treeGroups.letter(i)});
        node->setData(0, LetterRole, i);
        // Shown as expandable before its member nodes exist.
        node->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
        letters.append(node);
        m_letterNodes.push_back(node);
    }
    root->addChildren(letters);
    root->setExpanded(true);
}

void frmJasen::listLetter(QTreeWidgetItem* letterNode)
{
    if (!letterNode)
        return;
    const QVariant group = letterNode->data(0, LetterRole);
    if (!group.isValid())
        return;
    const int index = group.toInt();
    if (index < 0 || index >= int(m_letterNodes.size()) || m_letterNodes[std::size_t(index)] != letterNode)
        return;
    m_letterNodes[std::size_t(index)] = nullptr;
    QList<QTreeWidgetItem*> nodes;
    for (const MemberTree::Member& m : m_treeGroups.members(index)) {
        auto* item = new QTreeWidgetItem(QStringList{m.text});
        item->setData(0, Qt::UserRole, m.key());
        nodes.append(item);
    }
    letterNode->addChildren(nodes);
    letterNode->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
}

QTreeWidgetItem* frmJasen::memberNode(qint64 id)
{
    QTreeWidgetItem* root = ui->tvwNimet->topLevelItem(0);
    const int index = m_treeGroups.letterOf(id);
    if (!root || index < 0 || index >= root->childCount())
        return nullptr;
    QTreeWidgetItem* letter = root->child(index);
    listLetter(letter);
    letter->setExpanded(true);
    const QString key = MemberTree::Member{id, {}}.key();
    for (int i = 0; i < letter->childCount(); ++i) {
        if (letter->child(i)->data(0, Qt::UserRole).toString() == key)
            return letter->child(i);
    }
    return nullptr;
}

// ---- commands

void frmJasen::cTallenna_Click()
{
    SaveMember();
}

void frmJasen::cUusi_Click()
{
    if (!SaveMember())
        return;
    try {
        for (MemberCardPanel* p : m_panels) {
            p->browse();
            if (p->valueChanged())
                p->saveValue();
        }
        Data1.addNew();
        RefreshCard();
    } catch (const DbException& e) {
        ShowWarning(QStringLiteral("Uutta jäsentä ei voitu aloittaa.\r\n") + e.description());
        return;
    } catch (const std::exception& e) {
        ShowWarning(QStringLiteral("Uutta jäsentä ei voitu aloittaa.\r\n") + QString::fromUtf8(e.what()));
        return;
    }
    // Taken from the counter at once: a cancelled new member does not give it back. A counter
    // that cannot be stored gives no number (and says so); the number box stays empty.
    if (State().AutoMemberNumbers)
        giveMemberNumber();
    tYhteystiedot[1]->setFocus();
    UpdateMemberCaption();
}

void frmJasen::cPeru_Click()
{
    IgnoringErrors("frmJasen::cPeru_Click", [&] {
        for (MemberCardPanel* p : m_panels) {
            if (p->valueChanged())
                p->undoValue();
        }
        Data1.cancel();
        RefreshCard();
        for (MemberCardPanel* p : m_panels)
            p->browse();
    });
    UpdateMemberCaption();
}

void frmJasen::cPoista_Click()
{
    IgnoringErrors("frmJasen::cPoista_Click", [&] { writePendingCard(); });
    try {
        // Named as the card shows it: the tree's highlight may stand on another member.
        const QString number = tYhteystiedot[0]->text().trimmed();
        const QString name = tYhteystiedot[1]->text().trimmed() + QLatin1Char(' ') + tYhteystiedot[2]->text().trimmed();
        if (AskYesNo(NamingRecord(QStringLiteral("Poistetaanko näytössä oleva jäsen?"),
                                  {name, number.isEmpty() ? QString() : QStringLiteral("jäsennumero ") + number}))) {
            const qint64 id = Data1.currentId();
            Data1.deleteCurrent();
            // Only a listed letter has the member's node; an unlisted one must not list it later.
            const QString key = MemberTree::Member{id, {}}.key();
            for (QTreeWidgetItemIterator it(ui->tvwNimet); *it; ++it) {
                if ((*it)->data(0, Qt::UserRole).toString() == key) {
                    delete *it;
                    break;
                }
            }
            m_treeGroups.remove(id);
            for (MemberCardPanel* p : m_panels)
                p->browse();
        }
    } catch (const DbException& e) {
        ShowWarning(QStringLiteral("Jäsentä ei voitu poistaa.\r\n") + e.description());
    } catch (const std::exception& e) {
        ShowWarning(QStringLiteral("Jäsentä ei voitu poistaa.\r\n") + QString::fromUtf8(e.what()));
    }
    IgnoreNodeClick = true;
    UpdateMemberCaption();
    ShowFirstListedMember();
    IgnoreNodeClick = false;
}

void frmJasen::cSelaa_Click()
{
    IgnoringErrors("frmJasen::cSelaa_Click", [&] {
        if (!SaveMember())
            return;
        requeryKeepingCard();
        BuildMemberTree();
        ui->tvwNimet->setFocus();
        // The Down-arrow the tree gets after a rebuild: its first node becomes the current one.
        if (ui->tvwNimet->topLevelItemCount() > 0)
            ui->tvwNimet->setCurrentItem(ui->tvwNimet->topLevelItem(0));
        UpdateMemberCaption();
    });
}

void frmJasen::cAvaaKaikki_Click()
{
    ui->tvwNimet->hide();
    cSelaa_Click();
    for (QTreeWidgetItem* letter : std::vector<QTreeWidgetItem*>(m_letterNodes))
        listLetter(letter);
    ui->tvwNimet->expandAll();
    ui->tvwNimet->show();
    ui->tvwNimet->setFocus();
}

void frmJasen::cmbListaEhto_Click()
{
    if (!SaveMember()) {
        // The card could not be written (the user was told once): the old filter stays chosen.
        m_filling = true;
        const int at = ui->cmbListaEhto->findData(QVariant(m_appliedFilter));
        ui->cmbListaEhto->setCurrentIndex(at < 0 ? 0 : at);
        m_filling = false;
        return;
    }
    m_appliedFilter = filterFeatureId();
    IgnoreNodeClick = true;
    cSelaa_Click();
    UpdateMemberCaption();
    ShowFirstListedMember();
    IgnoreNodeClick = false;
}

void frmJasen::tvwNimet_NodeClick(QTreeWidgetItem* item)
{
    if (IgnoreNodeClick || !item)
        return;
    if (!leaveCard())
        return;
    const qint64 id = MemberTree::idFromKey(item->data(0, Qt::UserRole).toString());
    if (id == 0)
        return;
    bool found = false;
    IgnoringErrors("frmJasen::tvwNimet_NodeClick", [&] {
        found = Data1.findId(id);
        if (!found) {
            // Added behind the window's back (an import): the set is read again.
            requeryKeepingCard();
            found = Data1.findId(id);
        }
    });
    if (!found) {
        // Deleted meanwhile: the tree is out of date.
        cSelaa_Click();
        return;
    }
    RefreshCard();
}

void frmJasen::navigate(MemberNavigation::Move move)
{
    if (!leaveCard())
        return;
    IgnoringErrors("frmJasen::navigate", [&] {
        if (!MemberNavigation::go(Data1, move, filterFeatureId(), &m_filterList))
            Prompter::instance().beep();
        RefreshCard();
    });
}

void frmJasen::ShowFirstListedMember()
{
    // A card that could not be written stays in front of the user rather than being replaced.
    if (!SaveMember())
        return;
    IgnoringErrors("frmJasen::ShowFirstListedMember", [&] {
        if (!MemberNavigation::showFirstListed(Data1, filterFeatureId(), &m_filterList))
            Prompter::instance().beep();
        RefreshCard();
    });
}

void frmJasen::search(WindowHook dialog, const QString& notFound)
{
    if (!WindowHooks::has(dialog) || !leaveCard())
        return;
    IgnoringErrors("frmJasen::search", [&] {
        const qint64 id = WindowHooks::run(dialog, this);
        if (id == 0)
            return;
        Recordset& rs = Data1.recordset();
        const bool had = Data1.hasCurrent();
        const Bookmark before = had ? rs.bookmark() : 0;
        bool found = Data1.findId(id);
        if (!found) {
            requeryKeepingCard();
            found = Data1.findId(id);
        }
        if (!found) {
            ShowInfo(notFound);
            if (had)
                rs.setBookmark(before);
        }
        RefreshCard();
        // The member found is shown in the tree too, its letter opened.
        if (QTreeWidgetItem* node = found ? memberNode(id) : nullptr) {
            ui->tvwNimet->setCurrentItem(node);
            ui->tvwNimet->scrollToItem(node);
        }
    });
}

void frmJasen::cHaku_Click()
{
    search(WindowHook::MemberQuickSearch, QStringLiteral("Jäsennumerolla ei löydy jäsentä."));
}

void frmJasen::cNimiHaku_Click()
{
    search(WindowHook::MemberNameSearch, QStringLiteral("Jäsentä ei löydy."));
}

void frmJasen::cSulje_Click()
{
    close();
}

void frmJasen::TabStrip1_Click(int index)
{
    m_shownTab = index;
    const QWidget* page = ui->TabStrip1->currentWidget();
    for (MemberCardPanel* p : m_panels) {
        if (page && page->isAncestorOf(dynamic_cast<QWidget*>(p)))
            IgnoringErrors("frmJasen::TabStrip1_Click", [&] { p->tabShown(); });
    }
}

// ---- window events

void frmJasen::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    // Shown again: the card re-reads its row (when nothing typed waits to be written). The first
    // showing follows the load, which has just read it.
    const bool again = m_shownBefore;
    m_shownBefore = true;
    if (m_loaded && again && !event->spontaneous()) {
        IgnoringErrors("frmJasen::showEvent", [&] {
            if (requeryKeepingCard() && Data1.editMode() == EditMode::None)
                RefreshCard();
        });
    }
}

void frmJasen::closeEvent(QCloseEvent* event)
{
    // Whichever way the window closes, a card that cannot be written keeps the window open with
    // the user's text in it.
    if (m_loaded && !SaveMember()) {
        event->ignore();
        return;
    }
    SaveFormPlacement(this);
    event->accept();
}

bool frmJasen::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        if (isCommandKey(static_cast<QKeyEvent*>(event)))
            return true;
        break;
    case QEvent::KeyPress:
        if (watched == ui->tvwNimet) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                tvwNimet_NodeClick(ui->tvwNimet->currentItem());
                return true;
            }
        }
        break;
    case QEvent::FocusIn:
        if (auto* box = qobject_cast<QLineEdit*>(watched);
            box && box->parent() == ui->Frame1 && SelectsAllOnFocus(static_cast<QFocusEvent*>(event)->reason()))
            QTimer::singleShot(0, box, &QLineEdit::selectAll);
        break;
    case QEvent::FocusOut:
        for (int i : {MemberCardFields::BirthDate, MemberCardFields::JoiningDate}) {
            if (watched == tYhteystiedot[std::size_t(i)])
                dateBoxLeft(i);
        }
        break;
    default: break;
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace tikkeli
