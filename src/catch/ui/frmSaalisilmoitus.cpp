#include "catch/ui/frmSaalisilmoitus.h"

#include "ui_frmSaalisilmoitus.h"

#include "base/ErrorHandling.h"
#include "base/NumericText.h"
#include "base/Prompter.h"
#include "base/SharedState.h"
#include "ui/RecordKeys.h"
#include "ui/RecordMenu.h"
#include "ui/WindowTeardown.h"
#include "ui/cMouseCursor.h"
#include "catch/CatchList.h"
#include "catch/CatchLists.h"
#include "catch/CatchReport.h"
#include "catch/ui/frmSaalisPoisto.h"
#include "catch/ui/frmSaalisilmTulostus.h"
#include "db/DbError.h"
#include "ui/ConfiguredDatabaseWindow.h"
#include "ui/CatalogueTree.h"
#include "ui/SelectAllOnFocus.h"
#include "ui/SuggestionList.h"
#include "printing/PrintChoices.h"
#include "printing/ReportEngine.h"
#include "printing/ReportError.h"
#include "printing/ReportServices.h"
#include "printing/ui/frmTulostus.h"
#include "ui/FormPlacement.h"
#include "db/ClubChanges.h"
#include "db/ReplacedFile.h"

#include <QCloseEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QScopedValueRollback>
#include <QSet>
#include <QTreeWidget>
#include <tuple>

namespace tikkeli {

namespace {

enum NavigateTo { First, Previous, Next, Last };

} // namespace

frmSaalisilmoitus::frmSaalisilmoitus(QWidget* parent)
    : QWidget(parent, Qt::Window), ui(std::make_unique<Ui::frmSaalisilmoitus>())
{
    ui->setupUi(this);
    // The object name keeps its "ä", which a C++ member name in the layout file cannot carry.
    ui->cEnsimmainen->setObjectName(QStringLiteral("cEnsimmäinen"));
    buildMenu();
    connectControls();
    RestoreFormPlacement(this);
    load();
}

frmSaalisilmoitus::~frmSaalisilmoitus()
{
    DetachControls(this);
}

void frmSaalisilmoitus::buildMenu()
{
    auto* menuBar = new QMenuBar(this);
    QMenu* mTiedosto = menuBar->addMenu(QStringLiteral("&Tiedosto"));
    mTiedosto->setObjectName(QStringLiteral("mTiedosto"));
    mTulosta = AddWindowAction(this, mTiedosto, "mTulosta", QStringLiteral("Tulosta saalisilmoitus"), Qt::Key_F7);
    QMenu* mPoistaMVS = mTiedosto->addMenu(QStringLiteral("Poista"));
    mPoistaMVS->setObjectName(QStringLiteral("mPoistaMVS"));
    mPoistaLaji = AddWindowAction(this, mPoistaMVS, "mPoistaLaji", QStringLiteral("Laji"));
    mPoistaKaikki = AddWindowAction(this, mPoistaMVS, "mPoistaKaikki", QStringLiteral("Kaikki"));
    mTiedosto->addSeparator();
    mSulje = AddWindowAction(this, mTiedosto, "mSulje", QStringLiteral("&Sulje"));
    m_record = RecordMenu::add(menuBar, this, "mEnsimmainen");
    layout()->setMenuBar(menuBar);
}

void frmSaalisilmoitus::connectControls()
{
    const RecordMenu& r = m_record;
    using Handler = void (frmSaalisilmoitus::*)();
    const std::tuple<QPushButton*, QAction*, Handler> commands[] = {
        {ui->cUusi, r.mUusi, &frmSaalisilmoitus::cUusi_Click},
        {ui->cTallenna, r.mTallenna, nullptr},
        {ui->cPoista, r.mPoista, &frmSaalisilmoitus::cPoista_Click},
        {ui->cSelaa, r.mSelaa, &frmSaalisilmoitus::cSelaa_Click},
        {ui->cPeru, r.mPeru, &frmSaalisilmoitus::cPeru_Click},
        {ui->cEnsimmainen, r.mEnsimmainen, &frmSaalisilmoitus::cEnsimmainen_Click},
        {ui->cEdellinen, r.mEdellinen, &frmSaalisilmoitus::cEdellinen_Click},
        {ui->cSeuraava, r.mSeuraava, &frmSaalisilmoitus::cSeuraava_Click},
        {ui->cViimeinen, r.mViimeinen, &frmSaalisilmoitus::cViimeinen_Click},
        {ui->cTulosta, mTulosta, &frmSaalisilmoitus::cTulosta_Click},
        {ui->cSulje, mSulje, nullptr},
    };
    for (const auto& [button, action, handler] : commands) {
        connect(button, &QPushButton::clicked, action, &QAction::trigger);
        if (handler)
            connect(action, &QAction::triggered, this, handler);
    }
    connect(r.mTallenna, &QAction::triggered, this, &frmSaalisilmoitus::cTallenna_Click);
    connect(mSulje, &QAction::triggered, this, &QWidget::close);
    connect(mPoistaLaji, &QAction::triggered, this, &frmSaalisilmoitus::mPoistaLaji_Click);
    connect(mPoistaKaikki, &QAction::triggered, this, &frmSaalisilmoitus::mPoistaKaikki_Click);

    // Texts are held to their columns' widths, so a long name picked from a list is cut as it
    // is shown rather than refused when it is stored.
    const std::tuple<QComboBox*, int, SuggestionList**> combos[] = {
        {ui->cmbLaji, CatchFields::LajiWidth, &m_lajit},
        {ui->cmbPaikka, CatchFields::PaikkaWidth, &m_paikat},
        {ui->cmbKaataja, CatchFields::KaatajaWidth, &m_kaatajat}};
    for (const auto& [combo, width, suggestions] : combos) {
        combo->lineEdit()->setMaxLength(width);
        combo->installEventFilter(this);
        combo->lineEdit()->installEventFilter(this);
        // Connected before the suggestions, which then follow the box as edited() leaves it (it
        // empties the box when there is no catch to type in).
        connect(combo->lineEdit(), &QLineEdit::textEdited, this, &frmSaalisilmoitus::edited);
        connect(combo, &QComboBox::activated, this, &frmSaalisilmoitus::edited);
        *suggestions = new SuggestionList(combo);
        connect(*suggestions, &SuggestionList::chosen, this, &frmSaalisilmoitus::edited);
    }
    for (QLineEdit* box : {ui->tPvm, ui->tSarvipiikkiV, ui->tSarvipiikkiO}) {
        box->installEventFilter(this);
        connect(box, &QLineEdit::textEdited, this, &frmSaalisilmoitus::edited);
    }
    for (QAbstractButton* b :
         std::initializer_list<QAbstractButton*>{ui->optAikuinen_0, ui->optAikuinen_1, ui->optSukupuoli_0,
                                                 ui->optSukupuoli_1, ui->chkPuolitoista, ui->chkKelvoton})
        connect(b, &QAbstractButton::clicked, this, &frmSaalisilmoitus::edited);
    ui->tvwSaaliit->installEventFilter(this);
    connect(ui->tvwSaaliit, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* node) { tvwSaaliit_NodeClick(node); });
    ClubChanges::follow(this, ClubChanges::Kind::Catches, [this] { catchesChanged(); });
    FollowReplacedFile(
        this, [this] { return m_list ? m_list->database().path() : QString(); }, [this] { readReplacedFile(); });
}

void frmSaalisilmoitus::load()
{
    cMouseCursor busy;
    busy.SetCursor(this, 11);
    Database db;
    const bool opened = OpenWindowDatabase(*this, db, [&] {
        ResetReportFormulas();
        m_list = std::make_unique<CatchList>(db);
        FillShooterList();
        FillPlaceList();
        FillSpeciesList();
        BuildCatchTree();
    });
    if (!opened)
        m_list.reset();
    showCurrent();
}

void frmSaalisilmoitus::closeEvent(QCloseEvent* event)
{
    if (m_list && !writeCurrent(wayOnFromARefusal())) {
        event->ignore();
        return;
    }
    IgnoringErrors("catch window: save the placement", [this] { SaveFormPlacement(this); });
    event->accept();
}

bool frmSaalisilmoitus::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        // Text boxes would keep Ctrl+A and Ctrl+Z for themselves; here they are record commands.
        if (IsRecordCommandKey(static_cast<QKeyEvent*>(event)))
            return true;
        break;
    case QEvent::KeyPress: {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (watched == ui->tvwSaaliit && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
            tvwSaaliit_NodeClick(ui->tvwSaaliit->currentItem());
            return true;
        }
        // A catch highlighted by keyboard is the one shown, so F4 deletes what the tree
        // highlights. It is shown once the tree has finished with the key: showing may rebuild
        // the tree.
        if (watched == ui->tvwSaaliit)
            QMetaObject::invokeMethod(this, &frmSaalisilmoitus::followTreeHighlight, Qt::QueuedConnection);
        break;
    }
    case QEvent::FocusIn:
        if (qobject_cast<QLineEdit*>(watched))
            SelectAllOnFocus(watched, event);
        break;
    case QEvent::FocusOut: {
        // A message box or menu taking the focus is no leaving of the box.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
            break;
        if (watched == ui->tPvm)
            leaveDateBox();
        else if (watched == ui->tSarvipiikkiV || watched == ui->tSarvipiikkiO)
            leaveAntlerBox(watched);
        break;
    }
    default: break;
    }
    return QWidget::eventFilter(watched, event);
}

void frmSaalisilmoitus::leaveDateBox()
{
    const std::optional<QString> date = CatchFields::normalisedDate(ui->tPvm->text());
    if (date) {
        ui->tPvm->setText(*date);
        return;
    }
    // A text that is no date ("15.12" without its year) stays as typed for the user to correct:
    // storing or leaving the catch stops with the reason, so it is never stored without its date.
    Prompter::instance().beep();
}

void frmSaalisilmoitus::leaveAntlerBox(QObject* box)
{
    auto* edit = static_cast<QLineEdit*>(box);
    if (edit->text().isEmpty() || IsNumericText(edit->text()))
        return;
    edit->clear();
    Prompter::instance().beep();
}

void frmSaalisilmoitus::UpdateCaption()
{
    int count = 0;
    if (m_list)
        IgnoringErrors("catch window: count the catches", [&] { count = m_list->catchCount(); });
    setWindowTitle(State().ProgramTitle + QStringLiteral(" - Saalisilmoitus - ") + QString::number(count));
}

void frmSaalisilmoitus::FillSpeciesList()
{
    m_lajit->setItems(CatchLists::species(m_list->database(), true));
}

void frmSaalisilmoitus::FillShooterList()
{
    m_kaatajat->setItems(CatchLists::shooters(m_list->database()));
}

void frmSaalisilmoitus::FillPlaceList()
{
    m_paikat->setItems(CatchLists::places(m_list->database(), State().ExtendedEstateInfo));
}

void frmSaalisilmoitus::BuildCatchTree()
{
    QTreeWidget* tree = ui->tvwSaaliit;
    // The tree is read again after every stored change: the branches the user opened stay open.
    QSet<QString> open;
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        if (tree->topLevelItem(i)->isExpanded())
            open.insert(tree->topLevelItem(i)->text(0).toCaseFolded());
    }
    tree->clear();
    m_nodes.clear();
    QList<QTreeWidgetItem*> roots;
    for (const CatchSpeciesBranch& branch : CatchLists::tree(m_list->database())) {
        auto* root = new QTreeWidgetItem({branch.species});
        for (const CatchTreeEntry& entry : branch.catches) {
            auto* node = new QTreeWidgetItem(root, {entry.text});
            node->setData(0, CatalogueTree::KeyRole, RecordCatalogue::treeKey(entry.id));
            m_nodes.insert(entry.id, node);
        }
        roots.append(root);
    }
    tree->addTopLevelItems(roots);
    for (QTreeWidgetItem* root : roots)
        root->setExpanded(open.contains(root->text(0).toCaseFolded()));
    showInTree();
}

void frmSaalisilmoitus::showInTree()
{
    QTreeWidget* tree = ui->tvwSaaliit;
    const std::optional<qint64> id = m_list && !m_list->adding() ? m_list->currentId() : std::nullopt;
    QTreeWidgetItem* node = id ? m_nodes.value(*id) : nullptr;
    tree->setCurrentItem(node);
    if (node)
        tree->scrollToItem(node);
    else
        tree->clearSelection();
}

void frmSaalisilmoitus::followTreeHighlight()
{
    QTreeWidgetItem* node = ui->tvwSaaliit->currentItem();
    const std::optional<qint64> id = CatalogueTree::idOf(node);
    // A species node shows no catch: the card stays as it is. Keys queued while a refusal is told
    // wait for it, rather than tell it again over it.
    if (m_followingTree || !m_list || !id || (!m_list->adding() && m_list->currentId() == id))
        return;
    const QScopedValueRollback following(m_followingTree, true);
    tvwSaaliit_NodeClick(node);
}

void frmSaalisilmoitus::ShowNewCatchHint()
{
    Prompter::instance().message(QStringLiteral("Aloita uuden saaliin syöttö kilkkaamalla 'Uusi' painiketta."),
                                 MsgIcon::Information, MsgButtons::Ok, State().ProgramTitle);
}

void frmSaalisilmoitus::showCurrent()
{
    // A list left open would take the next key typed into its box, whatever has the focus then.
    CloseSuggestionLists(this);
    m_showing = true;
    const CatchEntry e = m_list ? m_list->current() : CatchEntry{};
    ui->cmbLaji->setEditText(e.laji);
    ui->tPvm->setText(e.pvm);
    (e.aikuinen ? ui->optAikuinen_0 : ui->optAikuinen_1)->setChecked(true);
    (e.uros ? ui->optSukupuoli_0 : ui->optSukupuoli_1)->setChecked(true);
    ui->chkPuolitoista->setChecked(e.puolitoista);
    ui->cmbPaikka->setEditText(e.paikka);
    ui->tSarvipiikkiV->setText(e.sarvipiikkiV);
    ui->tSarvipiikkiO->setText(e.sarvipiikkiO);
    ui->cmbKaataja->setEditText(e.kaataja);
    ui->chkKelvoton->setChecked(e.kelvoton);
    m_showing = false;
    showInTree();
    UpdateCaption();
}

CatchEntry frmSaalisilmoitus::collect() const
{
    CatchEntry e;
    e.laji = ui->cmbLaji->currentText();
    e.pvm = ui->tPvm->text();
    e.aikuinen = !ui->optAikuinen_1->isChecked();
    e.uros = !ui->optSukupuoli_1->isChecked();
    e.puolitoista = ui->chkPuolitoista->isChecked();
    e.paikka = ui->cmbPaikka->currentText();
    e.sarvipiikkiV = ui->tSarvipiikkiV->text();
    e.sarvipiikkiO = ui->tSarvipiikkiO->text();
    e.kaataja = ui->cmbKaataja->currentText();
    e.kelvoton = ui->chkKelvoton->isChecked();
    return e;
}

void frmSaalisilmoitus::edited()
{
    if (m_showing || !m_list || m_list->hasCurrent())
        return;
    ShowNewCatchHint();
    showCurrent();
}

bool frmSaalisilmoitus::writeCurrent(const QString& wayOn)
{
    CloseSuggestionLists(this);
    if (!m_list || !m_list->hasCurrent())
        return true;
    const CatchEntry typed = collect();
    const bool written = typed != m_list->current();
    std::optional<QString> refused;
    try {
        refused = m_list->write(typed);
    } catch (const DbException& e) {
        refused = e.description();
    }
    if (refused) {
        ShowWarning(QStringLiteral("Saaliin tallennus ei onnistunut: ") + *refused + wayOn);
        return false;
    }
    if (written)
        ReportingErrors(QString(), [this] { BuildCatchTree(); });
    // An untouched new catch was dropped and the catch before it is current again: the boxes
    // show it, so that what is typed next goes into it and not the dropped catch's empty boxes.
    showCurrent();
    return true;
}

QString frmSaalisilmoitus::wayOnFromARefusal() const
{
    const bool dateIsWrong = !CatchFields::normalisedDate(ui->tPvm->text());
    return QStringLiteral("\r\n%1 tai %2 painikkeella \"Peru\" (Ctrl+Z).")
        .arg(dateIsWrong ? QStringLiteral("Korjaa päivämäärä") : QStringLiteral("Korjaa tiedot"),
             m_list->adding() ? QStringLiteral("hylkää uusi saalis") : QStringLiteral("hylkää saaliin muutokset"));
}

void frmSaalisilmoitus::cUusi_Click()
{
    if (!m_list || !writeCurrent())
        return;
    ReportingErrors(QStringLiteral("Uuden saaliin lisäys ei onnistunut: "), [this] {
        m_list->startNew();
        FillSpeciesList();
    });
    showCurrent();
    ui->cmbLaji->setFocus();
}

bool frmSaalisilmoitus::cTallenna_Click()
{
    if (!m_list)
        return false;
    const bool ok = writeCurrent();
    if (ok)
        showCurrent();
    UpdateCaption();
    return ok;
}

void frmSaalisilmoitus::cPeru_Click()
{
    if (!m_list)
        return;
    IgnoringErrors("catch window: undo", [this] { m_list->cancelNew(); });
    showCurrent();
}

void frmSaalisilmoitus::navigate(int where)
{
    if (!m_list || !writeCurrent())
        return;
    static constexpr CatchList::Move moves[] = {CatchList::Move::First, CatchList::Move::Previous, CatchList::Move::Next,
                                                CatchList::Move::Last};
    if (!m_list->move(moves[where]))
        Prompter::instance().beep();
    showCurrent();
}

void frmSaalisilmoitus::cEnsimmainen_Click()
{
    navigate(First);
}

void frmSaalisilmoitus::cEdellinen_Click()
{
    navigate(Previous);
}

void frmSaalisilmoitus::cSeuraava_Click()
{
    navigate(Next);
}

void frmSaalisilmoitus::cViimeinen_Click()
{
    navigate(Last);
}

void frmSaalisilmoitus::cSelaa_Click()
{
    if (!m_list || !writeCurrent())
        return;
    ReportingErrors(QString(), [this] { BuildCatchTree(); });
    // The tree highlights the catch on the card, so that the arrow keys browse on from it.
    ui->tvwSaaliit->setFocus();
    showInTree();
    UpdateCaption();
}

void frmSaalisilmoitus::tvwSaaliit_NodeClick(QTreeWidgetItem* node)
{
    // Read first: storing the shown catch rebuilds the tree.
    const std::optional<qint64> id = CatalogueTree::idOf(node);
    if (!m_list || !writeCurrent()) {
        showInTree();
        return;
    }
    if (!id)
        return;
    bool found = false;
    IgnoringErrors("catch window: find the catch", [&] { found = m_list->find(*id); });
    if (!found) {
        ShowInfo(QStringLiteral("Saalista ei enää löydy."));
        ReportingErrors(QString(), [this] { BuildCatchTree(); });
        if (!m_list->hasCurrent())
            IgnoringErrors("catch window: back to the first catch", [this] { m_list->refresh(); });
    }
    showCurrent();
}

void frmSaalisilmoitus::cPoista_Click()
{
    if (!m_list)
        return;
    if (!m_list->hasCurrent()) {
        UpdateCaption();
        return;
    }
    const QString question = NamingRecord(
        QStringLiteral("Poistetaanko näytössä olevan saaliin tiedot?"),
        {ui->cmbLaji->currentText(), ui->tPvm->text(), ui->cmbPaikka->currentText(), ui->cmbKaataja->currentText()});
    if (AskYesNo(question, MsgIcon::Question, State().ProgramTitle)) {
        ReportingErrors(QStringLiteral("Saaliin poisto ei onnistunut: "), [this] { m_list->deleteCurrent(); });
        ReportingErrors(QString(), [this] { BuildCatchTree(); });
        showCurrent();
    }
    UpdateCaption();
}

void frmSaalisilmoitus::mPoistaKaikki_Click()
{
    if (!m_list)
        return;
    if (AskYesNo(QStringLiteral("Poistetaanko kaikki saalisrivit?\r\nSyötetyt saalistiedot häviävät lopullisesti."),
                 MsgIcon::Question, State().ProgramTitle)) {
        ReportingErrors(QStringLiteral("Saaliiden poisto ei onnistunut: "), [this] { m_list->deleteAll(); });
        ReportingErrors(QString(), [this] {
            FillSpeciesList();
            BuildCatchTree();
        });
        showCurrent();
    }
    UpdateCaption();
}

void frmSaalisilmoitus::mPoistaLaji_Click()
{
    // The species delete reads the list again behind this window: a typed catch is stored first.
    if (!m_list || !writeCurrent())
        return;
    frmSaalisPoisto dialog(this);
    if (dialog.loaded())
        dialog.exec();
}

void frmSaalisilmoitus::catchesChanged()
{
    // What is typed would be dropped by the re-read: it is stored first, and a catch that cannot
    // be stored stays on screen as typed.
    if (!m_list || !writeCurrent())
        return;
    ReportingErrors(QString(), [this] {
        m_list->refresh();
        FillSpeciesList();
        BuildCatchTree();
    });
    showCurrent();
}

void frmSaalisilmoitus::readReplacedFile()
{
    const std::optional<qint64> shown = m_list->currentId();
    // A file that cannot be read leaves the boxes empty rather than showing the old file's catch.
    IgnoringErrors("catch window: read the replaced file", [&] {
        m_list->refresh();
        if (shown && !m_list->find(*shown))
            m_list->refresh();
        FillShooterList();
        FillPlaceList();
        FillSpeciesList();
        BuildCatchTree();
    });
    // The boxes are the typed catch: showing the stored one drops it.
    showCurrent();
}

void frmSaalisilmoitus::cTulosta_Click()
{
    // The report counts what is stored: a typed catch is stored first.
    if (!m_list || !writeCurrent())
        return;
    ResetReportFormulas();
    CatchReportRequest request;
    {
        frmSaalisilmTulostus dialog(this);
        if (!dialog.loaded() || dialog.exec() != QDialog::Accepted)
            return;
        request = dialog.request();
    }
    {
        frmTulostus print(this);
        print.exec();
    }
    if (Printing().PrintCancelled)
        return;
    try {
        CatchReport::prepare(request);
        MainReport().setAction(1);
    } catch (const NumberedError& e) {
        ShowInfo(QStringLiteral("Virhe tulostettaessa raporttia: ") + e.description());
    }
}

} // namespace tikkeli
