#include "contracts/ui/frmElaimet.h"

#include "ui_frmElaimet.h"

#include "base/ErrorHandling.h"
#include "base/Prompter.h"
#include "base/SharedState.h"
#include "ui/RecordKeys.h"
#include "contracts/AnimalCatalogue.h"
#include "db/DbError.h"
#include "ui/CatalogueTree.h"
#include "ui/SelectAllOnFocus.h"
#include "ui/FormPlacement.h"
#include "db/ReplacedFile.h"

#include <QKeyEvent>
#include <tuple>
#include <QMenuBar>
#include <QTreeWidget>

namespace tikkeli {

namespace {

const QString kCheckDatabase = QStringLiteral("Tarkista tietokanta asetukset asetusikkunasta!");

} // namespace

frmElaimet::frmElaimet(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::frmElaimet>())
{
    ui->setupUi(this);
    // The object names keep their "ä", which a C++ member name in the layout file cannot carry.
    ui->cEnsimmainen->setObjectName(QStringLiteral("cEnsimmäinen"));
    ui->mEnsimmainen->setObjectName(QStringLiteral("mEnsimmäinen"));
    buildMenu();
    SelectAllOnFocus(ui->tNimi);
    ui->tNimi->installEventFilter(this);
    ui->tvwPiirteet->installEventFilter(this);
    RestoreFormPlacement(this);
    load();
    FollowReplacedFile(
        this, [this] { return m_catalogue ? m_catalogue->database().path() : QString(); }, [this] { ReadReplacedFile(); });
}

void frmElaimet::ReadReplacedFile()
{
    const std::optional<qint64> shown = m_catalogue->currentId();
    load();
    if (m_catalogue && shown && m_catalogue->find(*shown))
        showCurrent();
}

frmElaimet::~frmElaimet() = default;

void frmElaimet::showModal(QWidget* parent)
{
    frmElaimet window(parent);
    if (window.loaded())
        window.exec();
}

void frmElaimet::buildMenu()
{
    auto* menuBar = new QMenuBar(this);
    QMenu* mTiedosto = menuBar->addMenu(QStringLiteral("&Tiedosto"));
    mTiedosto->setObjectName(QStringLiteral("mTiedosto"));
    mTiedosto->addAction(ui->mSulje);
    QMenu* mTietue = menuBar->addMenu(QStringLiteral("T&ietue"));
    mTietue->setObjectName(QStringLiteral("mTietue"));
    mTietue->addActions({ui->mUusi, ui->mTallenna, ui->mPoista, ui->mSelaa, ui->mPeru});
    mTietue->addSeparator();
    mTietue->addActions({ui->mEnsimmainen, ui->mEdellinen, ui->mSeuraava, ui->mViimeinen});
    layout()->setMenuBar(menuBar);

    using Handler = void (frmElaimet::*)();
    const std::tuple<QPushButton*, QAction*, Handler> commands[] = {
        {ui->cUusi, ui->mUusi, &frmElaimet::cUusi_Click},
        {ui->cTallenna, ui->mTallenna, &frmElaimet::cTallenna_Click},
        {ui->cPoista, ui->mPoista, &frmElaimet::cPoista_Click},
        {ui->cSelaa, ui->mSelaa, &frmElaimet::cSelaa_Click},
        {ui->cPeru, ui->mPeru, &frmElaimet::cPeru_Click},
        {ui->cEnsimmainen, ui->mEnsimmainen, &frmElaimet::cEnsimmainen_Click},
        {ui->cEdellinen, ui->mEdellinen, &frmElaimet::cEdellinen_Click},
        {ui->cSeuraava, ui->mSeuraava, &frmElaimet::cSeuraava_Click},
        {ui->cViimeinen, ui->mViimeinen, &frmElaimet::cViimeinen_Click},
        {ui->cSulje, ui->mSulje, &frmElaimet::cSulje_Click},
    };
    for (const auto& [button, action, handler] : commands) {
        // The keys work wherever the focus is in the window, the menu open or not.
        addAction(action);
        connect(button, &QPushButton::clicked, action, &QAction::trigger);
        connect(action, &QAction::triggered, this, handler);
    }
}

void frmElaimet::load()
{
    const QString path = State().DatabasePath;
    QString problem;
    if (path.isEmpty() || path == QLatin1String("unknown")) {
        ShowInfo(kCheckDatabase);
        return;
    }
    try {
        m_catalogue = std::make_unique<AnimalCatalogue>(Database::open(path));
        // The tree's clean-up comes before the card, so that the caption counts what is listed.
        FillAnimalTree();
        return;
    } catch (const DbException& e) {
        problem = e.description();
    } catch (const std::exception& e) {
        problem = QString::fromUtf8(e.what());
    }
    m_catalogue.reset();
    ShowInfo(kCheckDatabase + QStringLiteral("\r\n") + problem);
}

void frmElaimet::done(int result)
{
    if (m_catalogue && !writeCurrent())
        return;
    SaveFormPlacement(this);
    QDialog::done(result);
}

bool frmElaimet::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::ShortcutOverride && IsRecordCommandKey(static_cast<QKeyEvent*>(event)))
        return true;
    return QDialog::eventFilter(watched, event);
}

void frmElaimet::UpdateAnimalCaption()
{
    int count = 0;
    if (m_catalogue)
        IgnoringErrors("animal window: count the animals", [&] { count = m_catalogue->animalCount(); });
    setWindowTitle(State().ProgramTitle + QStringLiteral(" - Eläimet - ") + QString::number(count));
}

void frmElaimet::FillAnimalTree()
{
    QTreeWidget* tree = ui->tvwPiirteet;
    tree->clear();
    auto* root = new QTreeWidgetItem(tree, {QStringLiteral("Eläimet")});
    root->setExpanded(true);
    ReportingErrors(QString(), [&] {
        m_catalogue->removeNamelessAnimals();
        CatalogueTree::addGroups(root, m_catalogue->treeGroups());
    });
    showCurrent();
}

void frmElaimet::showCurrent()
{
    ui->tNimi->setText(m_catalogue ? m_catalogue->currentName() : QString());
    UpdateAnimalCaption();
}

bool frmElaimet::writeCurrent()
{
    const std::optional<QString> refused = m_catalogue->write(ui->tNimi->text());
    if (refused) {
        ShowWarning(QStringLiteral("Eläimen tallennus ei onnistunut: ") + *refused);
        ui->tNimi->setFocus();
    }
    return !refused;
}

void frmElaimet::cUusi_Click()
{
    if (!m_catalogue || !writeCurrent())
        return;
    m_catalogue->startNew();
    showCurrent();
    ui->tNimi->setFocus();
}

void frmElaimet::cTallenna_Click()
{
    // The typed name stays on screen when it could not be stored.
    if (m_catalogue && writeCurrent())
        showCurrent();
    else
        UpdateAnimalCaption();
}

void frmElaimet::cSulje_Click()
{
    close();
}

void frmElaimet::cPeru_Click()
{
    // The stored name comes back; a new animal is dropped.
    if (m_catalogue)
        m_catalogue->cancelNew();
    showCurrent();
}

void frmElaimet::cPoista_Click()
{
    if (!m_catalogue)
        return;
    if (!AskYesNo(NamingRecord(QStringLiteral("Poistetaanko näytössä oleva eläin?"), {ui->tNimi->text()}), MsgIcon::Question,
                  State().ProgramTitle)) {
        UpdateAnimalCaption();
        return;
    }
    const std::optional<qint64> id = m_catalogue->currentId();
    if (m_catalogue->adding() || !id) {
        m_catalogue->cancelNew();
    } else {
        try {
            m_catalogue->deleteAnimal(*id);
            CatalogueTree::removeNode(ui->tvwPiirteet, *id);
        } catch (const DbException& e) {
            ShowWarning(QStringLiteral("Eläimen poisto ei onnistunut: ") + e.description());
        }
    }
    showCurrent();
}

void frmElaimet::cSelaa_Click()
{
    if (!m_catalogue || !writeCurrent())
        return;
    FillAnimalTree();
    // The tree takes the focus one step below its root: on the first letter.
    QTreeWidget* tree = ui->tvwPiirteet;
    tree->setFocus();
    if (QTreeWidgetItem* root = tree->topLevelItem(0))
        tree->setCurrentItem(root->childCount() > 0 ? root->child(0) : root);
}

void frmElaimet::navigate(RecordCatalogue::Move where)
{
    if (!m_catalogue || !writeCurrent())
        return;
    if (!m_catalogue->move(where))
        Prompter::instance().beep();
    showCurrent();
}

void frmElaimet::cEnsimmainen_Click()
{
    navigate(RecordCatalogue::Move::First);
}

void frmElaimet::cEdellinen_Click()
{
    navigate(RecordCatalogue::Move::Previous);
}

void frmElaimet::cSeuraava_Click()
{
    navigate(RecordCatalogue::Move::Next);
}

void frmElaimet::cViimeinen_Click()
{
    navigate(RecordCatalogue::Move::Last);
}

} // namespace tikkeli
