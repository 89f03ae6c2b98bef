#include "members/ui/frmPiirre.h"

#include "ui_frmPiirre.h"

#include "base/ErrorHandling.h"
#include "base/NullConversions.h"
#include "base/Prompter.h"
#include "ui/RecordKeys.h"
#include "ui/RecordMenu.h"
#include "ui/cMouseCursor.h"
#include "db/DbError.h"
#include "members/FeatureCatalogue.h"
#include "ui/CatalogueTree.h"
#include "members/ui/FeatureValueEditor.h"
#include "ui/SelectAllOnFocus.h"
#include "printing/ReportError.h"
#include "printing/ui/ReportPrinting.h"
#include "base/SharedState.h"
#include "ui/FormPlacement.h"
#include "db/ReplacedFile.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QTreeWidget>
#include <tuple>

namespace tikkeli {

namespace {

const QString& checkDatabaseText()
{
    static const QString text = QStringLiteral("Tarkista tietokanta asetukset asetusikkunasta!");
    return text;
}

enum NavigateTo { First, Previous, Next, Last };

} // namespace

frmPiirre::frmPiirre(QWidget* parent) : QWidget(parent, Qt::Window), ui(std::make_unique<Ui::frmPiirre>())
{
    ui->setupUi(this);
    // The object name keeps its "ä", which a C++ member name in the layout file cannot carry.
    ui->cEnsimmainen->setObjectName(QStringLiteral("cEnsimmäinen"));
    buildMenu();
    connectControls();
    RestoreFormPlacement(this);
    load();
}

frmPiirre::~frmPiirre() = default;

void frmPiirre::buildMenu()
{
    auto* menuBar = new QMenuBar(this);
    QMenu* mTiedosto = menuBar->addMenu(QStringLiteral("&Tiedosto"));
    mTiedosto->setObjectName(QStringLiteral("mTiedosto"));
    mSiivoaVanhatOminaisuudet = AddWindowAction(this, mTiedosto, "mSiivoaVanhatOminaisuudet",
                                                QStringLiteral("Siivoa vanhat ominaisuudet"));
    mTiedosto->addSeparator();
    mSulje = AddWindowAction(this, mTiedosto, "mSulje", QStringLiteral("&Sulje"));
    const RecordMenu record = RecordMenu::add(menuBar, this, "mEnsimmäinen");
    mUusi = record.mUusi;
    mTallenna = record.mTallenna;
    mPoista = record.mPoista;
    mSelaa = record.mSelaa;
    mPeru = record.mPeru;
    mEnsimmainen = record.mEnsimmainen;
    mEdellinen = record.mEdellinen;
    mSeuraava = record.mSeuraava;
    mViimeinen = record.mViimeinen;
    QMenu* mRaportit = menuBar->addMenu(QStringLiteral("&Raportit"));
    mRaportit->setObjectName(QStringLiteral("mRaportit"));
    mRapLuettelo = AddWindowAction(this, mRaportit, "mRapLuettelo", QStringLiteral("Luettelo ominaisuuksista"));
    layout()->setMenuBar(menuBar);
}

void frmPiirre::connectControls()
{
    ui->oletukset->setCaptions(FeatureValueEditor::Captions::CheckBoxes);
    ui->typeGroup->setId(ui->optType1, 1);
    ui->typeGroup->setId(ui->optType2, 2);
    FollowReplacedFile(
        this, [this] { return m_catalogue ? m_catalogue->database().path() : QString(); }, [this] { ReadReplacedFile(); });
    connect(ui->optType1, &QRadioButton::clicked, this, [this] { typeClicked(1); });
    connect(ui->optType2, &QRadioButton::clicked, this, [this] { typeClicked(2); });
    using Kind = FeatureValueText::Kind;
    // From the type options Tab goes on through each kind's check box and its value box.
    QWidget* chain[] = {ui->tNimi,
                        ui->tKuvaus,
                        ui->optType1,
                        ui->optType2,
                        ui->oletukset->kindBox(Kind::Date),
                        ui->oletukset->valueBox(Kind::Date),
                        ui->oletukset->kindBox(Kind::Long),
                        ui->oletukset->valueBox(Kind::Long),
                        ui->oletukset->kindBox(Kind::Currency),
                        ui->oletukset->valueBox(Kind::Currency),
                        ui->oletukset->kindBox(Kind::Memo),
                        ui->oletukset->valueBox(Kind::Memo)};
    for (std::size_t i = 1; i < std::size(chain); ++i)
        setTabOrder(chain[i - 1], chain[i]);
    connect(ui->oletukset, &FeatureValueEditor::kindToggled, this, &frmPiirre::kindClicked);
    ui->tvwPiirteet->installEventFilter(this);
    for (QWidget* w : std::initializer_list<QWidget*>{
             ui->tNimi, ui->tKuvaus, ui->oletukset->valueBox(Kind::Date), ui->oletukset->valueBox(Kind::Long),
             ui->oletukset->valueBox(Kind::Currency), ui->oletukset->valueBox(Kind::Memo)})
        w->installEventFilter(this);
    connect(ui->tNimi, &QLineEdit::textEdited, this, &frmPiirre::nameEdited);

    const std::pair<QPushButton*, QAction*> pairs[] = {
        {ui->cUusi, mUusi},           {ui->cTallenna, mTallenna}, {ui->cPoista, mPoista},
        {ui->cSelaa, mSelaa},         {ui->cPeru, mPeru},         {ui->cEnsimmainen, mEnsimmainen},
        {ui->cEdellinen, mEdellinen}, {ui->cSeuraava, mSeuraava}, {ui->cViimeinen, mViimeinen},
        {ui->cSulje, mSulje},
    };
    for (const auto& [b, a] : pairs)
        connect(b, &QPushButton::clicked, a, &QAction::trigger);
    connect(mUusi, &QAction::triggered, this, &frmPiirre::uusi);
    connect(mTallenna, &QAction::triggered, this, &frmPiirre::tallenna);
    connect(mPoista, &QAction::triggered, this, &frmPiirre::poista);
    connect(mSelaa, &QAction::triggered, this, &frmPiirre::selaa);
    connect(mPeru, &QAction::triggered, this, &frmPiirre::peru);
    connect(mEnsimmainen, &QAction::triggered, this, &frmPiirre::ensimmainen);
    connect(mEdellinen, &QAction::triggered, this, &frmPiirre::edellinen);
    connect(mSeuraava, &QAction::triggered, this, &frmPiirre::seuraava);
    connect(mViimeinen, &QAction::triggered, this, &frmPiirre::viimeinen);
    connect(mSulje, &QAction::triggered, this, &QWidget::close);
    connect(mSiivoaVanhatOminaisuudet, &QAction::triggered, this, &frmPiirre::siivoaVanhatOminaisuudet);
    connect(mRapLuettelo, &QAction::triggered, this, &frmPiirre::tulostaLuettelo);
    connect(ui->tvwPiirteet, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* node) { valitseSolmu(node); });
}

void frmPiirre::load()
{
    const QString path = State().DatabasePath;
    const auto fail = [this](const QString& text) {
        ShowInfo(text);
        m_catalogue.reset();
        setEnabled(false);
        QTimer::singleShot(0, this, &QWidget::close);
    };
    if (path.isEmpty() || path == QLatin1String("unknown")) {
        fail(checkDatabaseText());
        return;
    }
    try {
        m_catalogue = std::make_unique<FeatureCatalogue>(Database::open(path));
        showCurrent();
        UpdateFeatureCaption();
        FillFeatureTree();
    } catch (const std::exception& e) {
        fail(checkDatabaseText() + QStringLiteral("\r\n") + QString::fromStdString(e.what()));
    }
}

void frmPiirre::ReadReplacedFile()
{
    const std::optional<qint64> shown = m_catalogue->currentId();
    // A file that cannot be read closes the window with its message, as an opening would.
    load();
    if (m_catalogue && shown && m_catalogue->find(*shown))
        showCurrent();
}

void frmPiirre::closeEvent(QCloseEvent* event)
{
    if (m_catalogue && !writeCurrent()) {
        event->ignore();
        return;
    }
    SaveFormPlacement(this);
    event->accept();
}

bool frmPiirre::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        // Text boxes would keep Ctrl+A and Ctrl+Z for themselves; here they are record commands.
        if (IsRecordCommandKey(static_cast<QKeyEvent*>(event)))
            return true;
        break;
    case QEvent::KeyPress: {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (watched == ui->tvwPiirteet && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
            valitseSolmu(ui->tvwPiirteet->currentItem());
            return true;
        }
        break;
    }
    case QEvent::FocusIn:
        if (watched == ui->tNimi || watched == ui->tKuvaus)
            SelectAllOnFocus(watched, event);
        break;
    default: break;
    }
    return QWidget::eventFilter(watched, event);
}

void frmPiirre::UpdateFeatureCaption()
{
    if (!m_catalogue)
        return;
    int count = 0;
    IgnoringErrors("feature window: count the definitions", [&] { count = m_catalogue->definitionCount(); });
    setWindowTitle(State().ProgramTitle + QStringLiteral(" - Ominaisuudet - ") + QString::number(count));
}

void frmPiirre::FillFeatureTree()
{
    ui->tvwPiirteet->clear();
    const QString roots[] = {QStringLiteral("Jäsenrekisteri"), QStringLiteral("Maanvuokrasopimukset")};
    for (int type = 1; type <= 2; ++type) {
        auto* root = new QTreeWidgetItem(ui->tvwPiirteet, {roots[type - 1]});
        CatalogueTree::addGroups(root, m_catalogue->treeGroups(type));
    }
}

void frmPiirre::ShowNewFeatureHint()
{
    Prompter::instance().message(QStringLiteral("Aloita uuden ominaisuuden syöttö kilkkaamalla 'Uusi' painiketta."),
                                 MsgIcon::Information, MsgButtons::Ok, State().ProgramTitle);
}

void frmPiirre::showCurrent()
{
    m_dateTouched.reset();
    m_longTouched.reset();
    m_currencyTouched.reset();
    m_memoTouched.reset();
    if (!m_catalogue)
        return;
    const FeatureDefinitionView v = m_catalogue->current();
    using Kind = FeatureValueText::Kind;
    ui->tNimi->setText(v.nimi);
    ui->tKuvaus->setPlainText(v.kuvaus);
    const std::tuple<Kind, const QString&, std::optional<bool>> kinds[] = {{Kind::Date, v.date, v.enabledDate},
                                                                           {Kind::Long, v.longValue, v.enabledLong},
                                                                           {Kind::Currency, v.currency, v.enabledCurrency},
                                                                           {Kind::Memo, v.memo, v.enabledMemo}};
    for (const auto& [kind, text, enabled] : kinds) {
        // A Null flag leaves the check box as it was; the stored default is shown either way.
        if (enabled)
            ui->oletukset->setOffered(kind, *enabled);
        ui->oletukset->setText(kind, text);
    }
    if (v.type == 1)
        ui->optType1->setChecked(true);
    else if (v.type == 2)
        ui->optType2->setChecked(true);
}

FeatureDefinitionInput frmPiirre::collect() const
{
    using Kind = FeatureValueText::Kind;
    FeatureDefinitionInput in;
    in.nimi = ui->tNimi->text();
    in.kuvaus = ui->tKuvaus->toPlainText();
    in.memo = ui->oletukset->text(Kind::Memo);
    in.date = ui->oletukset->text(Kind::Date);
    in.longValue = ui->oletukset->text(Kind::Long);
    in.currency = ui->oletukset->text(Kind::Currency);
    in.type = ui->optType1->isChecked() ? 1 : ui->optType2->isChecked() ? 2 : 0;
    in.enabledDate = m_dateTouched;
    in.enabledLong = m_longTouched;
    in.enabledCurrency = m_currencyTouched;
    in.enabledMemo = m_memoTouched;
    return in;
}

bool frmPiirre::writeCurrent()
{
    if (!m_catalogue || !m_catalogue->hasCurrent())
        return true;
    std::optional<QString> refused;
    try {
        refused = m_catalogue->write(collect());
    } catch (const DbException& e) {
        refused = e.description();
    }
    if (refused) {
        ShowWarning(QStringLiteral("Ominaisuuden tallennus ei onnistunut: ") + *refused);
        return false;
    }
    m_dateTouched.reset();
    m_longTouched.reset();
    m_currencyTouched.reset();
    m_memoTouched.reset();
    return true;
}

void frmPiirre::uusi()
{
    if (!m_catalogue || !writeCurrent())
        return;
    m_catalogue->startNew();
    showCurrent();
    UpdateFeatureCaption();
    ui->tNimi->setFocus();
}

bool frmPiirre::tallenna()
{
    if (!m_catalogue)
        return false;
    const bool ok = writeCurrent();
    if (ok)
        showCurrent();
    UpdateFeatureCaption();
    return ok;
}

void frmPiirre::peru()
{
    if (!m_catalogue)
        return;
    m_catalogue->cancelNew();
    showCurrent();
    UpdateFeatureCaption();
}

void frmPiirre::navigate(int where)
{
    if (!m_catalogue || !writeCurrent())
        return;
    static constexpr FeatureCatalogue::Move moves[] = {FeatureCatalogue::Move::First, FeatureCatalogue::Move::Previous,
                                                       FeatureCatalogue::Move::Next, FeatureCatalogue::Move::Last};
    if (!m_catalogue->move(moves[where]))
        Prompter::instance().beep();
    showCurrent();
}

void frmPiirre::ensimmainen()
{
    navigate(First);
}
void frmPiirre::edellinen()
{
    navigate(Previous);
}
void frmPiirre::seuraava()
{
    navigate(Next);
}
void frmPiirre::viimeinen()
{
    navigate(Last);
}

void frmPiirre::selaa()
{
    if (!m_catalogue || !writeCurrent())
        return;
    try {
        FillFeatureTree();
    } catch (const DbException& e) {
        ShowWarning(e.description());
    }
    ui->tvwPiirteet->setFocus();
    if (!ui->tvwPiirteet->currentItem() && ui->tvwPiirteet->topLevelItemCount() > 0)
        ui->tvwPiirteet->setCurrentItem(ui->tvwPiirteet->topLevelItem(0));
    UpdateFeatureCaption();
}

void frmPiirre::valitseSolmu(QTreeWidgetItem* node)
{
    if (!m_catalogue || !writeCurrent())
        return;
    showCurrent();
    if (!node)
        return;
    const auto id = CatalogueTree::idOf(node);
    if (!id)
        return;
    if (!m_catalogue->find(*id))
        Prompter::instance().message(QStringLiteral("No match"), MsgIcon::None, MsgButtons::Ok);
    showCurrent();
}

void frmPiirre::poista()
{
    if (!m_catalogue)
        return;
    if (!AskYesNo(NamingRecord(QStringLiteral("Poistetaanko näytössä oleva ominaisuus?"), {ui->tNimi->text()}),
                  MsgIcon::Question, State().ProgramTitle))
        return;
    if (m_catalogue->adding()) {
        m_catalogue->cancelNew();
        showCurrent();
        UpdateFeatureCaption();
        return;
    }
    const std::optional<qint64> id = m_catalogue->currentId();
    if (!id)
        return;
    try {
        m_catalogue->deleteDefinition(*id);
    } catch (const DbException& e) {
        ShowWarning(QStringLiteral("Ominaisuuden poisto ei onnistunut: ") + e.description());
        return;
    }
    CatalogueTree::removeNode(ui->tvwPiirteet, *id);
    // The card shows the row the recordset arrived at, as it is stored: a cleared display would
    // otherwise be written into that row by the next save.
    showCurrent();
    UpdateFeatureCaption();
}

void frmPiirre::siivoaVanhatOminaisuudet()
{
    if (!m_catalogue)
        return;
    cMouseCursor pointer;
    pointer.SetCursor(this, BusyPointer);
    try {
        m_catalogue->removeOrphanValues();
    } catch (const DbException& e) {
        ShowWarning(QStringLiteral("Vanhojen ominaisuuksien siivous ei onnistunut: ") + e.description());
        return;
    }
}

void frmPiirre::tulostaLuettelo()
{
    ReportingErrors(QStringLiteral("Virhe: "), [] { PrintRaport(QStringLiteral("pilista.rpt"), {}); });
}

std::optional<bool>& frmPiirre::touched(FeatureValueText::Kind kind)
{
    switch (kind) {
    case FeatureValueText::Kind::Date: return m_dateTouched;
    case FeatureValueText::Kind::Long: return m_longTouched;
    case FeatureValueText::Kind::Currency: return m_currencyTouched;
    case FeatureValueText::Kind::Memo: break;
    }
    return m_memoTouched;
}

void frmPiirre::kindClicked(FeatureValueText::Kind kind, bool on)
{
    if (!m_catalogue || !m_catalogue->hasCurrent()) {
        // Nothing to edit: the click is taken back (the box's text was empty already).
        ui->oletukset->setOffered(kind, !on);
        return;
    }
    touched(kind) = on;
}

void frmPiirre::typeClicked(int index)
{
    if (!m_catalogue || !m_catalogue->hasCurrent()) {
        ShowNewFeatureHint();
        return;
    }
    (index == 1 ? ui->optType1 : ui->optType2)->setChecked(true);
}

void frmPiirre::nameEdited(const QString& text)
{
    if (!text.isEmpty() && text.at(0).toUpper().unicode() < u'A')
        ShowInfo(QStringLiteral("Ominaisuuden nimen tulee alkaa kirjaimella."));
}
} // namespace tikkeli
