#include "contracts/ui/frmVuokra.h"
#include "contracts/ui/ContractReportMenu.h"

#include "base/Clock.h"
#include "base/ErrorHandling.h"
#include "base/Prompter.h"
#include "ui/FormRegistry.h"
#include "ui/WindowHooks.h"
#include "contracts/ContractAnimals.h"
#include "contracts/ContractCardStore.h"
#include "db/ClubChanges.h"
#include "contracts/ContractEstates.h"
#include "contracts/ContractPrint.h"
#include "contracts/ContractTree.h"
#include "contracts/ui/frmSopimushaku.h"
#include "contracts/ui/frmValitseElaimet.h"
#include "members/ui/FeaturesPanel.h"
#include "printing/PrintChoices.h"
#include "printing/ReportEngine.h"
#include "printing/ReportError.h"
#include "printing/ReportServices.h"
#include "printing/ui/frmTulostus.h"
#include "base/SharedState.h"
#include "ui/ScreenFit.h"
#include "ui/FormPlacement.h"

#include "ui_frmVuokra.h"
#include "db/ReplacedFile.h"

#include <QApplication>
#include <QButtonGroup>
#include <QClipboard>
#include <QCloseEvent>
#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QTreeWidget>

namespace tikkeli {

namespace {

const QString kWindowName = QStringLiteral("frmVuokra");
const QString kCheckDatabase = QStringLiteral("Tarkista tietokanta asetukset asetusikkunasta!");
using F = ContractCardFields;

// The keys the window's commands own even while a text box or the grid has the focus.
bool isCommandKey(const QKeyEvent* key)
{
    const int k = key->key();
    const Qt::KeyboardModifiers mods = key->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
    if (mods == Qt::ControlModifier)
        return k == Qt::Key_Z || k == Qt::Key_C;
    if (mods == Qt::NoModifier)
        return k >= Qt::Key_F2 && k <= Qt::Key_F7;
    if (mods == Qt::ShiftModifier)
        return k == Qt::Key_F2 || k == Qt::Key_F4 || k == Qt::Key_F5;
    return false;
}

} // namespace

// The grid's cell editors: limited to the column's width, the area column beeps at what is no
// number, and Tab on the grid's last cell leaves the grid.
class EstateCellDelegate : public QStyledItemDelegate {
public:
    explicit EstateCellDelegate(frmVuokra* window) : QStyledItemDelegate(window), m_window(window) {}
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const override
    {
        auto* editor = new QLineEdit(parent);
        editor->setObjectName(QStringLiteral("DBGrid1_editor"));
        editor->setMaxLength(index.column() == ContractEstates::PintaAla ? 20 : 50);
        if (index.column() == ContractEstates::PintaAla) {
            QObject::connect(editor, &QLineEdit::textEdited, editor, [](const QString& text) {
                if (ContractEstates::areaTextIsWrong(text))
                    Prompter::instance().beep();
            });
        }
        return editor;
    }
    // The view hands the editor's keys to the delegate, which takes the Tab that finishes the
    // cell and moves one cell on; at the grid's ends the window sends the focus out instead.
    bool eventFilter(QObject* editor, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress && m_window->tabLeavesGrid(static_cast<QKeyEvent*>(event)))
            return true;
        return QStyledItemDelegate::eventFilter(editor, event);
    }

private:
    frmVuokra* m_window;
};

frmVuokra* frmVuokra::Instance()
{
    return qobject_cast<frmVuokra*>(FormRegistry::find(kWindowName));
}

frmVuokra* frmVuokra::Load()
{
    return static_cast<frmVuokra*>(FormRegistry::open(kWindowName, []() -> QWidget* {
        auto* w = new frmVuokra;
        if (!w->loaded()) {
            delete w;
            return nullptr;
        }
        return w;
    }));
}

frmVuokra::frmVuokra(QWidget* parent) : QMainWindow(parent, Qt::Window), ui(std::make_unique<Ui::frmVuokra>())
{
    ui->setupUi(this);
    setObjectName(kWindowName);
    for (int i = 0; i < F::Count; ++i) {
        m_boxes[std::size_t(i)] = findChild<QWidget*>(QString::fromLatin1(F::box(i).objectName));
        Q_ASSERT(m_boxes[std::size_t(i)]);
    }
    for (int g = 0; g < F::GroupCount; ++g) {
        auto* group = new QButtonGroup(this);
        const F::OptionGroup& def = F::optionGroups()[std::size_t(g)];
        for (int o = 1; o <= def.count; ++o) {
            auto* button = findChild<QRadioButton*>(QStringLiteral("%1_%2").arg(QLatin1String(def.name)).arg(o));
            Q_ASSERT(button);
            group->addButton(button, o);
        }
        m_groups[std::size_t(g)] = group;
    }
    QTableWidget* grid = ui->DBGrid1;
    grid->setHorizontalHeaderLabels(ContractEstates::captions());
    grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    grid->horizontalHeader()->setSectionResizeMode(ContractEstates::PintaAla, QHeaderView::ResizeToContents);
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 8);
    grid->setSelectionBehavior(QAbstractItemView::SelectItems);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setTabKeyNavigation(true);
    // Moving to a cell opens no editor, so the arrows go from cell to cell; typing, a double click
    // or Enter starts editing.
    grid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked
                          | QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    grid->setItemDelegate(new EstateCellDelegate(this));

    new ContractReportMenu(
        this, [this] { return Data1.database(); }, [this] { return CommitContract(); });

    connectCommands();
    connectFeatureCommands();
    for (QWidget* w : findChildren<QWidget*>())
        w->installEventFilter(this);
    connect(qApp, &QApplication::focusChanged, this, &frmVuokra::gridFocusChanged);
    // Values attached to many contracts at once show on the card at once.
    ClubChanges::follow(this, ClubChanges::Kind::ContractFeatureValues, [this] { featureValuesChangedElsewhere(); });
    FollowReplacedFile(
        this, [this] { return Data1.database().path(); }, [this] { ReadReplacedFile(); });
    resize(1180, 820);
    RestoreFormPlacement(this);
    OpenWideEnoughFor(this, ui->cardScroll);
    m_loaded = load();
}

frmVuokra::~frmVuokra()
{
    // Hiding the window while it goes moves the focus: its handler must not reach the members
    // already gone.
    disconnect(qApp, nullptr, this, nullptr);
    // An open cell editor writes its cell as it goes with the grid, after this window's members.
    disconnect(ui->DBGrid1, nullptr, this, nullptr);
}

void frmVuokra::connectCommands()
{
    const auto both = [this](QPushButton* button, QAction* action, void (frmVuokra::*handler)()) {
        if (button)
            connect(button, &QPushButton::clicked, this, handler);
        if (action) {
            action->setShortcutContext(Qt::WindowShortcut);
            connect(action, &QAction::triggered, this, handler);
        }
    };
    both(ui->cUusi, ui->mUusi, &frmVuokra::cUusi_Click);
    both(ui->cTallenna, ui->mTallenna, &frmVuokra::cTallenna_Click);
    both(ui->cPoista, ui->mPoista, &frmVuokra::cPoista_Click);
    both(ui->cSelaa, ui->mSelaa, &frmVuokra::cSelaa_Click);
    both(ui->cHaku, ui->mHae, &frmVuokra::cHaku_Click);
    both(ui->cTulosta, ui->mTulosta, &frmVuokra::cTulosta_Click);
    both(ui->cPeru, ui->mPeru, &frmVuokra::cPeru_Click);
    both(ui->cSulje, ui->mSulje, &frmVuokra::cSulje_Click);
    both(nullptr, ui->mRapVuokrasopimus, &frmVuokra::mRapVuokrasopimus_Click);
    both(nullptr, ui->mKopioiYhteystiedot, &frmVuokra::mKopioiYhteystiedot_Click);
    both(nullptr, ui->mTilaUusi, &frmVuokra::mTilaUusi_Click);
    both(nullptr, ui->mTilaPoista, &frmVuokra::mTilaPoista_Click);
    both(nullptr, ui->mTilaSelaa, &frmVuokra::mTilaSelaa_Click);
    both(ui->cValitseElaimet, nullptr, &frmVuokra::cValitseElaimet_Click);

    for (int i = 0; i < F::Count; ++i) {
        if (auto* box = qobject_cast<QLineEdit*>(m_boxes[std::size_t(i)]))
            connect(box, &QLineEdit::textChanged, this, [this, i] { boxChanged(i); });
        else if (auto* memo = qobject_cast<QPlainTextEdit*>(m_boxes[std::size_t(i)]))
            connect(memo, &QPlainTextEdit::textChanged, this, [this, i] { boxChanged(i); });
    }
    for (int g = 0; g < F::GroupCount; ++g)
        connect(m_groups[std::size_t(g)], &QButtonGroup::idClicked, this, [this, g](int id) { optionChosen(g, id); });
    connect(ui->tvwNimet, &QTreeWidget::itemClicked, this, [this] { ChooseTreeContract(); });
    connect(ui->DBGrid1, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (!m_filling && item)
            m_dirtyRows.insert(item->row());
    });
    connect(ui->DBGrid1, &QTableWidget::currentCellChanged, this, [this](int row, int, int previousRow, int) {
        // Leaving a typed row writes it.
        if (!m_filling && row != previousRow && m_dirtyRows.count(previousRow))
            saveEstatesNow();
    });
}

// ---- loading and showing

bool frmVuokra::load()
{
    const QString path = State().DatabasePath;
    if (path.isEmpty() || path.compare(QStringLiteral("unknown"), Qt::CaseInsensitive) == 0) {
        ShowInfo(kCheckDatabase);
        return false;
    }
    try {
        ResetReportFormulas();
        Data1.open(path);
        ui->ominaisuudet->FillFeatureList();
        Reposition();
        UpdateCaption();
        BuildContractTree();
        return true;
    } catch (const DbException& e) {
        ShowInfo(kCheckDatabase + QStringLiteral("\r\n") + e.description());
    } catch (const std::exception& e) {
        ShowInfo(kCheckDatabase + QStringLiteral("\r\n") + QString::fromUtf8(e.what()));
    }
    return false;
}

QString frmVuokra::boxText(int index) const
{
    QWidget* w = m_boxes[std::size_t(index)];
    if (auto* box = qobject_cast<QLineEdit*>(w))
        return box->text();
    return static_cast<QPlainTextEdit*>(w)->toPlainText();
}

void frmVuokra::setBoxText(int index, const QString& text)
{
    QWidget* w = m_boxes[std::size_t(index)];
    if (auto* box = qobject_cast<QLineEdit*>(w))
        box->setText(text);
    else
        static_cast<QPlainTextEdit*>(w)->setPlainText(text);
}

void frmVuokra::showOption(int group, int option)
{
    QButtonGroup* g = m_groups[std::size_t(group)];
    if (option > 0) {
        if (QAbstractButton* b = g->button(option))
            b->setChecked(true);
        return;
    }
    // A code the window does not know: no option is chosen.
    g->setExclusive(false);
    for (QAbstractButton* b : g->buttons())
        b->setChecked(false);
    g->setExclusive(true);
}

void frmVuokra::Reposition()
{
    Recordset& rs = Data1.recordset();
    const bool adding = Data1.editMode() == EditMode::Add;
    const bool shows = rs.isOpen() && (Data1.hasCurrent() || adding);
    m_filling = true;
    // With no contract the card is empty: text left from a deleted contract would look stored.
    for (int i = 0; i < F::Count; ++i)
        setBoxText(i, shows ? F::textOf(i, rs.field(QLatin1String(F::box(i).field))) : QString());
    for (int g = 0; g < F::GroupCount; ++g)
        showOption(g, shows ? F::shownOption(g, rs.field(QLatin1String(F::optionGroups()[std::size_t(g)].field))) : 0);
    const bool animals = F::coverageNamesAnimals(m_groups[F::Koskee]->checkedId());
    ui->tElaimet->setEnabled(animals);
    ui->cValitseElaimet->setEnabled(animals);
    m_filling = false;
    m_boxChanged.fill(false);
    loadEstates();
    ui->ominaisuudet->setOwner(Data1.database(), qint32(Data1.currentId()));
    showInTree();
}

void frmVuokra::showInTree()
{
    // The tree highlights the contract on the card, so that the arrow keys browse on from it and
    // no highlight stands on another contract than the one the commands act on. A node of it the
    // user chose stays the one highlighted.
    QTreeWidget* tree = ui->tvwNimet;
    const qint64 id = Data1.currentId();
    const auto isShown = [id](const QTreeWidgetItem* item) {
        return id != 0 && item && ContractTree::idFromKey(item->data(0, Qt::UserRole).toString()) == id;
    };
    QTreeWidgetItem* node = isShown(tree->currentItem()) ? tree->currentItem() : nullptr;
    for (QTreeWidgetItemIterator it(tree); id != 0 && !node && *it; ++it) {
        if (isShown(*it))
            node = *it;
    }
    tree->setCurrentItem(node);
    if (node)
        tree->scrollToItem(node);
    else
        tree->clearSelection();
}

void frmVuokra::loadEstates()
{
    QTableWidget* grid = ui->DBGrid1;
    m_filling = true;
    grid->setRowCount(0);
    m_dirtyRows.clear();
    const qint64 id = Data1.currentId();
    if (id != 0) {
        // The estates cannot be read: the grid stays empty, the card still shows.
        IgnoringErrors("frmVuokra::loadEstates", [&] {
            const auto rows = ContractEstates::rows(Data1.database(), id);
            grid->setRowCount(int(rows.size()));
            for (int r = 0; r < int(rows.size()); ++r) {
                for (int c = 0; c < ContractEstates::ColumnCount; ++c) {
                    auto* cell = new QTableWidgetItem(rows[std::size_t(r)].texts[c]);
                    if (c == ContractEstates::PintaAla)
                        cell->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
                    grid->setItem(r, c, cell);
                }
                grid->item(r, 0)->setData(Qt::UserRole, QVariant(rows[std::size_t(r)].id));
            }
        });
    }
    m_filling = false;
}

void frmVuokra::UpdateCaption()
{
    int count = 0;
    IgnoringErrors("frmVuokra::UpdateCaption", [&] { count = Data1.count(); });
    setWindowTitle(State().ProgramTitle + QStringLiteral(" - Maanvuokrasopimukset - ") + QString::number(count));
}

// ---- field editing

void frmVuokra::boxChanged(int index)
{
    if (m_filling)
        return;
    m_boxChanged[std::size_t(index)] = true;
    IgnoringErrors("frmVuokra::boxChanged", [&] {
        // Typing on an empty card starts a new contract, so what is typed is not lost; it gets
        // its number and general terms as one started with "Uusi" does.
        if (!Data1.beginEdit()) {
            Data1.addNew();
            fillNewContract(index);
        }
    });
}

void frmVuokra::optionChosen(int group, int option)
{
    if (group == F::Koskee) {
        ui->tElaimet->setEnabled(F::coverageNamesAnimals(option));
        ui->cValitseElaimet->setEnabled(F::coverageNamesAnimals(option));
    }
    try {
        if (!Data1.beginEdit())
            ShowInfo(F::newContractHint());
    } catch (const DbException& e) {
        ShowWarning(QStringLiteral("Virhe: ") + e.description());
    }
}

void frmVuokra::dateBoxLeft(int index)
{
    const QString text = boxText(index);
    bool valid = false;
    const QString normal = F::normalisedDateText(text, &valid);
    if (!valid) {
        // The text stays for the user to correct; the save refuses it with the same message.
        ShowInfo(F::notADateMessage(index, text));
        return;
    }
    if (normal != text)
        setBoxText(index, normal);
}

void frmVuokra::storePending(bool withCard)
{
    const bool card = withCard && Data1.editMode() != EditMode::None;
    // Estate rows of a card showing no contract have nothing to belong to.
    if (!card && (m_dirtyRows.empty() || Data1.currentId() == 0))
        return;
    ContractCardEdit edit;
    edit.id = Data1.currentId();
    edit.cardChanged = card;
    if (card) {
        for (int i = 0; i < F::Count; ++i) {
            if (m_boxChanged[std::size_t(i)])
                edit.boxes[i] = boxText(i);
        }
        for (int g = 0; g < F::GroupCount; ++g)
            edit.options[std::size_t(g)] = std::max(0, m_groups[std::size_t(g)]->checkedId());
    }
    QTableWidget* grid = ui->DBGrid1;
    std::vector<int> rows;
    for (int r : m_dirtyRows) {
        if (r >= grid->rowCount())
            continue;
        ContractEstates::Row row;
        QTableWidgetItem* first = grid->item(r, 0);
        row.id = first ? first->data(Qt::UserRole).toLongLong() : 0;
        for (int c = 0; c < ContractEstates::ColumnCount; ++c)
            row.texts[c] = grid->item(r, c) ? grid->item(r, c)->text() : QString();
        edit.estates.push_back(row);
        rows.push_back(r);
    }
    // The card and its estates are stored together or not at all.
    const ContractCardStored stored = ContractCardStore::save(Data1.database(), edit);
    m_filling = true;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        QTableWidgetItem* first = grid->item(rows[i], 0);
        if (!first) {
            first = new QTableWidgetItem;
            grid->setItem(rows[i], 0, first);
        }
        first->setData(Qt::UserRole, QVariant(stored.estateIds[i]));
    }
    m_filling = false;
    m_dirtyRows.clear();
    if (card) {
        Data1.showStored(stored.id);
        m_boxChanged.fill(false);
    }
}

void frmVuokra::showCommitError(const std::exception& e)
{
    const auto* db = dynamic_cast<const DbException*>(&e);
    const QString text = db ? QStringLiteral("Virhe: %1\r\n%2").arg(db->number()).arg(db->description())
                            : QStringLiteral("Virhe: ") + QString::fromUtf8(e.what());
    Prompter::instance().message(text, MsgIcon::Critical, MsgButtons::Ok);
}

bool frmVuokra::CommitContract()
{
    if (!Data1.isOpen())
        return true;
    // A cell being typed into is finished first, so its text is in the grid. Editors of cells
    // already left linger hidden until they are deleted: the open one is the one not hidden.
    for (QLineEdit* editor : ui->DBGrid1->findChildren<QLineEdit*>(QStringLiteral("DBGrid1_editor"))) {
        if (!editor->isHidden())
            emit ui->DBGrid1->itemDelegate()->commitData(editor);
    }
    // A feature value typed is written first; one that cannot be written keeps the window where
    // it is, with the panel open on it.
    if (!ui->ominaisuudet->savePending()) {
        // The focus stays in the box being corrected.
        showFeaturePanel(true);
        return false;
    }
    showFeaturePanel(false);
    try {
        storePending(true);
    } catch (const std::exception& e) {
        showCommitError(e);
        return false;
    }
    return true;
}

bool frmVuokra::saveEstatesNow()
{
    try {
        // A contract being edited stays so (Peru still undoes it); a new one is stored with its
        // first estates, which need its key.
        storePending(Data1.editMode() == EditMode::Add);
        return true;
    } catch (const std::exception& e) {
        showCommitError(e);
        return false;
    }
}

// ---- commands

void frmVuokra::cTallenna_Click()
{
    if (!CommitContract())
        return;
    IgnoringErrors("frmVuokra::cTallenna_Click", [&] { Reposition(); });
    UpdateCaption();
}

void frmVuokra::cUusi_Click()
{
    if (!CommitContract())
        return;
    try {
        Data1.addNew();
        Reposition();
        fillNewContract(-1);
    } catch (const DbException& e) {
        ShowWarning(QStringLiteral("Virhe: ") + e.description());
    }
    ui->tSopimusNo->setFocus();
    UpdateCaption();
}

void frmVuokra::fillNewContract(int typedBox)
{
    if (State().AutoContractNumbers && typedBox != F::SopimusNo) {
        // Taken from the counter at once: a cancelled new contract does not give it back.
        setBoxText(F::SopimusNo, Data1.NextContractNumber());
    }
    if (typedBox != F::YleisetEhdot)
        setBoxText(F::YleisetEhdot, F::defaultClauses());
}

void frmVuokra::cPoista_Click()
{
    // Named as the card shows it: the tree's highlight may stand on another contract.
    const QString number = boxText(F::SopimusNo).trimmed();
    if (!AskYesNo(
            NamingRecord(QStringLiteral("Poistetaanko näytössä oleva sopimus?"),
                         {boxText(F::Nimi), number.isEmpty() ? QString() : QStringLiteral("sopimusnumero ") + number}))) {
        UpdateCaption();
        return;
    }
    try {
        if (Data1.editMode() == EditMode::Add) {
            Data1.refresh();
        } else {
            const qint64 id = Data1.currentId();
            Data1.deleteCurrent();
            removeTreeNodes(id);
        }
        Reposition();
    } catch (const DbException& e) {
        // Nothing was deleted (one transaction): the contract stays on screen.
        ShowWarning(QStringLiteral("Sopimusta ei voitu poistaa.\r\n") + e.description());
    }
    UpdateCaption();
}

void frmVuokra::cPeru_Click()
{
    IgnoringErrors("frmVuokra::cPeru_Click", [&] {
        const bool adding = Data1.editMode() == EditMode::Add;
        Data1.cancel();
        if (adding)
            Data1.refresh();
        Reposition();
    });
    UpdateCaption();
}

void frmVuokra::cSelaa_Click()
{
    const qint64 id = Data1.currentId();
    if (!CommitContract())
        return;
    IgnoringErrors("frmVuokra::cSelaa_Click", [&] {
        const qint64 shown = id != 0 ? id : Data1.currentId();
        Data1.refresh();
        if (shown != 0)
            Data1.findId(shown);
        Reposition();
    });
    UpdateCaption();
    BuildContractTree();
    // The list is what the command browses: the arrow keys go on from the contract shown, not in
    // the box or the option the focus stood on.
    ui->tvwNimet->setFocus(Qt::OtherFocusReason);
}

// ---- the contract tree

void frmVuokra::BuildContractTree()
{
    QTreeWidget* tree = ui->tvwNimet;
    tree->setUpdatesEnabled(false);
    tree->clear();
    const auto root = [tree](const QString& text) { return new QTreeWidgetItem(tree, QStringList{text}); };
    QTreeWidgetItem* roots[3] = {root(ContractTree::alphabeticalRoot()), root(ContractTree::validityRoot()),
                                 root(ContractTree::villageRoot())};
    try {
        const QDate today = Today ? Today() : tikkeli::Today();
        const ContractTree::Tree built = ContractTree::build(Data1.database(), today);
        const std::vector<ContractTree::Group>* branches[3] = {&built.alphabetical, &built.validity, &built.villages};
        for (int b = 0; b < 3; ++b) {
            for (const ContractTree::Group& g : *branches[b]) {
                auto* group = new QTreeWidgetItem(roots[b], QStringList{g.text});
                for (const ContractTree::Node& n : g.nodes) {
                    auto* node = new QTreeWidgetItem(group, QStringList{n.text});
                    node->setData(0, Qt::UserRole, n.key);
                    node->setToolTip(0, n.text); // the column is narrow: long names are cut
                }
            }
        }
    } catch (const DbException& e) {
        ShowInfo(QStringLiteral("Virhe luotaessa hakemistopuuta.\r\n") + e.description());
    } catch (const std::exception& e) {
        ShowInfo(QStringLiteral("Virhe luotaessa hakemistopuuta.\r\n") + QString::fromUtf8(e.what()));
    }
    showInTree();
    tree->setUpdatesEnabled(true);
}

void frmVuokra::ChooseTreeContract()
{
    if (!CommitContract())
        return;
    QTreeWidgetItem* item = ui->tvwNimet->currentItem();
    const qint64 id = item ? ContractTree::idFromKey(item->data(0, Qt::UserRole).toString()) : 0;
    if (id == 0)
        return;
    IgnoringErrors("frmVuokra: find the clicked contract", [&] {
        if (!Data1.findId(id)) {
            Data1.refresh();
            Data1.findId(id);
        }
        if (Data1.currentId() != id)
            ShowInfo(QStringLiteral("Valittua sopimusta ei löydy, päivitä luettelo painamalla Selaa nappia."));
        Reposition();
    });
}

void frmVuokra::removeTreeNodes(qint64 id)
{
    // The village nodes stay until the next rebuild; choosing one then tells the tree is stale.
    const QStringList keys = {QString::number(id) + QStringLiteral("ID"), QString::number(id) + QStringLiteral("ID2")};
    std::vector<QTreeWidgetItem*> found;
    for (QTreeWidgetItemIterator it(ui->tvwNimet); *it; ++it) {
        if (keys.contains((*it)->data(0, Qt::UserRole).toString()))
            found.push_back(*it);
    }
    for (QTreeWidgetItem* item : found) {
        QTreeWidgetItem* group = item->parent();
        delete item;
        // A group left empty goes too: the tree holds no empty groups.
        if (group && group->childCount() == 0 && group->parent())
            delete group;
    }
}

void frmVuokra::cHaku_Click()
{
    if (!CommitContract())
        return;
    IgnoringErrors("frmVuokra::cHaku_Click", [&] {
        qint64 id = 0;
        if (SearchDialog) {
            id = SearchDialog(*this);
        } else {
            frmSopimushaku search(Data1.database(), this);
            search.exec();
            id = search.FoundContractId();
        }
        if (id <= 0)
            return;
        const qint64 before = Data1.currentId();
        // A contract another window or program added since the table was read: read it again.
        if (!Data1.findId(id)) {
            Data1.refresh();
            if (!Data1.findId(id)) {
                ShowInfo(QStringLiteral("Hakuehdolla ei löydy sopimusta."));
                if (before != 0)
                    Data1.findId(before);
            }
        }
        Reposition();
        UpdateCaption();
    });
}

void frmVuokra::cTulosta_Click()
{
    if (!CommitContract())
        return;
    const qint64 id = Data1.currentId();
    if (id == 0) {
        ShowInfo(QStringLiteral("Tietuetta ei ole valittuna."));
        return;
    }
    {
        frmTulostus dialog(this);
        dialog.exec();
    }
    if (Printing().PrintCancelled)
        return;
    const bool validity = AskYesNo(QStringLiteral("Tulostetaanko sopimuksen voimassaoloaika?"));
    try {
        ContractPrint::prepareContract(Data1.database(), id, validity);
        MainReport().setAction(1);
    } catch (const ReportException& e) {
        ShowInfo(QStringLiteral("Virhe tulostettaessa raporttia: ") + e.description());
    } catch (const DbException& e) {
        ShowInfo(QStringLiteral("Virhe tulostettaessa raporttia: ") + e.description());
    }
}

void frmVuokra::mRapVuokrasopimus_Click()
{
    if (!CommitContract())
        return;
    {
        frmTulostus dialog(this);
        dialog.exec();
    }
    if (Printing().PrintCancelled)
        return;
    try {
        ContractPrint::prepareEmptyForm();
        MainReport().setAction(1);
    } catch (const ReportException& e) {
        ShowInfo(QStringLiteral("Virhe tulostettaessa raporttia: ") + e.description());
    }
}

void frmVuokra::mKopioiYhteystiedot_Click()
{
    copyToClipboard(F::contactBlock(boxText(F::Nimi), boxText(F::Osoite0), boxText(F::Osoite1), boxText(F::Osoite2)));
}

void frmVuokra::copyToClipboard(const QString& text)
{
    if (QClipboard* clipboard = QGuiApplication::clipboard()) {
        clipboard->clear();
        clipboard->setText(text);
    }
}

void frmVuokra::mTilaUusi_Click()
{
    if (Data1.currentId() == 0 && Data1.editMode() != EditMode::Add) {
        ShowInfo(F::newContractHint());
        return;
    }
    // A contract still being added is written first, so its estates have its key.
    if (!saveEstatesNow())
        return;
    QTableWidget* grid = ui->DBGrid1;
    m_filling = true;
    const int row = grid->rowCount();
    grid->insertRow(row);
    for (int c = 0; c < ContractEstates::ColumnCount; ++c) {
        auto* cell = new QTableWidgetItem;
        if (c == ContractEstates::PintaAla)
            cell->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        grid->setItem(row, c, cell);
    }
    grid->item(row, 0)->setData(Qt::UserRole, QVariant(qint64(0)));
    m_filling = false;
    grid->setFocus();
    grid->setCurrentCell(row, ContractEstates::Kunta);
    UpdateCaption();
}

void frmVuokra::mTilaPoista_Click()
{
    QTableWidget* grid = ui->DBGrid1;
    const int row = grid->currentRow();
    if (row < 0 || row >= grid->rowCount())
        return;
    try {
        const qint64 id = grid->item(row, 0) ? grid->item(row, 0)->data(Qt::UserRole).toLongLong() : 0;
        if (id != 0)
            ContractEstates::remove(Data1.database(), id);
        m_filling = true;
        grid->removeRow(row);
        std::set<int> shifted;
        for (int r : m_dirtyRows) {
            if (r != row)
                shifted.insert(r > row ? r - 1 : r);
        }
        m_dirtyRows = shifted;
        m_filling = false;
    } catch (const DbException& e) {
        m_filling = false;
        ShowWarning(QStringLiteral("Tilaa ei voitu poistaa.\r\n") + e.description());
    }
}

void frmVuokra::mTilaSelaa_Click()
{
    ui->DBGrid1->setFocus();
}

void frmVuokra::cValitseElaimet_Click()
{
    // The contract is written first: a new one gets the key its links need, and the card shows
    // the stored row again afterwards.
    if (!CommitContract())
        return;
    const qint64 id = Data1.currentId();
    if (id == 0) {
        ShowInfo(F::newContractHint());
        return;
    }
    try {
        frmValitseElaimet picker(this);
        picker.FillElaimet(ContractAnimals::LoadAllAnimals(Data1.database()));
        picker.SelectElaimet(ContractAnimals::LoadContractAnimals(Data1.database(), id));
        picker.exec();
        if (!picker.ValitutElaimet)
            return;
        if (const auto refused = ContractAnimals::SaveContractAnimals(Data1.database(), id, *picker.ValitutElaimet)) {
            ShowWarning(*refused);
            return;
        }
        Data1.refresh();
        Data1.findId(id);
        Reposition();
    } catch (const DbException& e) {
        ShowWarning(QStringLiteral("Eläinten tallennus ei onnistunut: ") + e.description());
    }
}

void frmVuokra::connectFeatureCommands()
{
    ui->ominaisuudet->setTable(
        FeatureTable::contracts(), [this] { return Data1.database(); },
        QStringLiteral("Tallenna sopimus ennen ominaisuuden lisäämistä."));
    connect(ui->cAvaaOminaisuudet, &QPushButton::clicked, this, &frmVuokra::cAvaaOminaisuudet_Click);
    connect(ui->mNaytaOminaisuudet, &QAction::triggered, this, &frmVuokra::cAvaaOminaisuudet_Click);
    connect(ui->cSuljeOminaisuudet, &QPushButton::clicked, this, &frmVuokra::cSuljeOminaisuudet_Click);
    FeaturesPanel* panel = ui->ominaisuudet;
    connect(ui->mLisaaOminaisuus, &QAction::triggered, panel, &FeaturesPanel::cLisaaPiirre_Click);
    connect(ui->mPoistaOminaisuus, &QAction::triggered, panel, &FeaturesPanel::DeleteFeature);
    connect(ui->mSelaaOminaisuuksia, &QAction::triggered, panel, &FeaturesPanel::cSelaaPiirre_Click);
    // The bulk attach is another window, opened without blocking this one.
    ui->mMoniliitos->setEnabled(WindowHooks::has(WindowHook::ContractFeatureAttach));
    connect(ui->mMoniliitos, &QAction::triggered, this, [this] {
        IgnoringErrors("frmVuokra::mMoniliitos", [&] { WindowHooks::run(WindowHook::ContractFeatureAttach, this); });
    });
    cSuljeOminaisuudet_Click();
}

void frmVuokra::showFeaturePanel(bool show)
{
    ui->frameOminaisuudet->setVisible(show);
    for (QAction* a : {ui->mLisaaOminaisuus, ui->mPoistaOminaisuus, ui->mSelaaOminaisuuksia})
        a->setEnabled(show);
}

void frmVuokra::featureValuesChangedElsewhere()
{
    ui->ominaisuudet->valuesChangedElsewhere();
}

void frmVuokra::ReadReplacedFile()
{
    const qint64 shown = Data1.currentId();
    // A file that cannot be read leaves the card empty rather than showing the old file's contract.
    IgnoringErrors("frmVuokra::ReadReplacedFile: the contracts", [&] {
        Data1.refresh();
        if (shown != 0)
            Data1.findId(shown);
    });
    IgnoringErrors("frmVuokra::ReadReplacedFile: the feature list", [&] { ui->ominaisuudet->FillFeatureList(); });
    // The boxes, the estate rows and the feature panel forget what was typed as they show the
    // contract.
    IgnoringErrors("frmVuokra::ReadReplacedFile: the card", [&] { Reposition(); });
    UpdateCaption();
    BuildContractTree();
}

void frmVuokra::cAvaaOminaisuudet_Click()
{
    showFeaturePanel(true);
    ui->ominaisuudet->focusFeatureList();
}

void frmVuokra::cSuljeOminaisuudet_Click()
{
    showFeaturePanel(false);
}

void frmVuokra::cSulje_Click()
{
    close();
}

// ---- the grid's focus and keys

void frmVuokra::gridFocusChanged(QWidget*, QWidget* now)
{
    const bool inside = now && (now == ui->DBGrid1 || ui->DBGrid1->isAncestorOf(now));
    if (inside == m_gridHasFocus)
        return;
    m_gridHasFocus = inside;
    if (inside)
        return;
    if (!m_dirtyRows.empty())
        saveEstatesNow();
}

bool frmVuokra::tabLeavesGrid(const QKeyEvent* key)
{
    const bool shift = key->modifiers() & Qt::ShiftModifier;
    const bool forward = key->key() == Qt::Key_Tab && !shift;
    const bool back = key->key() == Qt::Key_Backtab || (key->key() == Qt::Key_Tab && shift);
    QTableWidget* grid = ui->DBGrid1;
    if ((!forward && !back) || grid->currentRow() < 0 || grid->currentColumn() < 0)
        return false;
    const int at = grid->currentRow() * grid->columnCount() + grid->currentColumn();
    if ((forward && at < grid->rowCount() * grid->columnCount() - 1) || (back && at > 0))
        return false;
    // The grid would wrap round to its other end and keep the keyboard in it: from its last cell
    // Tab goes on to the next box, from its first Shift+Tab back to the one before.
    QWidget* next = grid;
    do {
        next = forward ? next->nextInFocusChain() : next->previousInFocusChain();
    } while (next != grid
             && (grid->isAncestorOf(next) || !(next->focusPolicy() & Qt::TabFocus) || !next->isVisibleTo(this)
                 || !next->isEnabled() || !isAncestorOf(next)));
    if (next == grid)
        return false;
    next->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
}

// ---- window events

void frmVuokra::closeEvent(QCloseEvent* event)
{
    // Whichever way the window closes, what is typed is written first; a write that fails keeps
    // the window open with the reason shown.
    if (m_loaded && !CommitContract()) {
        event->ignore();
        return;
    }
    SaveFormPlacement(this);
    event->accept();
}

bool frmVuokra::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        // Left unaccepted, so the window's shortcut runs instead of the box's own key.
        if (isCommandKey(static_cast<QKeyEvent*>(event)))
            return true;
        break;
    case QEvent::KeyPress: {
        // The cell editors' keys come through their delegate.
        if (watched == ui->DBGrid1) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (tabLeavesGrid(key))
                return true;
            // Enter opens the cell for editing (in an open editor, whose keys do not come here, it
            // finishes the cell).
            QTableWidget* grid = ui->DBGrid1;
            if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && grid->currentIndex().isValid()) {
                grid->edit(grid->currentIndex());
                return true;
            }
        }
        if (watched == ui->tvwNimet) {
            const int k = static_cast<QKeyEvent*>(event)->key();
            // Enter chooses the contract, as a click does; the tree does not see it.
            if (k == Qt::Key_Return || k == Qt::Key_Enter) {
                ChooseTreeContract();
                return true;
            }
        }
        break;
    }
    case QEvent::FocusIn:
        if (auto* box = qobject_cast<QLineEdit*>(watched); box && box->objectName().startsWith(QLatin1Char('t')))
            QTimer::singleShot(0, box, &QLineEdit::selectAll);
        else if (auto* memo = qobject_cast<QPlainTextEdit*>(watched))
            QTimer::singleShot(0, memo, &QPlainTextEdit::selectAll);
        break;
    case QEvent::FocusOut:
        for (int i = 0; i < F::Count; ++i) {
            if (F::isDate(i) && watched == m_boxes[std::size_t(i)])
                dateBoxLeft(i);
        }
        // Tabbing on from the panel's last button goes round to its list.
        if (watched == ui->cSuljeOminaisuudet && ui->frameOminaisuudet->isVisible()
            && static_cast<QFocusEvent*>(event)->reason() == Qt::TabFocusReason)
            QTimer::singleShot(0, ui->ominaisuudet, &FeaturesPanel::focusFeatureList);
        break;
    default: break;
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace tikkeli
