#include "settings/ui/frmAsetukset.h"
#include "ui_frmAsetukset.h"

#include "base/ErrorHandling.h"
#include "db/ReplacedFile.h"
#include "ui/WindowTeardown.h"
#include "settings/NewDatabase.h"
#include "base/FileFilters.h"
#include "base/Prompter.h"
#include "ui/FormRegistry.h"
#include "platform/MailServerLookup.h"
#include "settings/SettingsCheck.h"
#include "settings/SettingsLoader.h"
#include "settings/SettingsSaver.h"
#include "base/SharedState.h"
#include "ui/FormPlacement.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QScopedValueRollback>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

#include <algorithm>

namespace tikkeli {

namespace {

std::function<void(QWidget*)> g_animalOpener;
std::function<std::unique_ptr<MailServerLookup>()> g_lookupFactory;

class BusyCursor {
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

bool isCommandKey(const QKeyEvent* e)
{
    const auto mods = e->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (mods == Qt::NoModifier && (e->key() == Qt::Key_F2 || e->key() == Qt::Key_F3))
        return true;
    return mods == Qt::ControlModifier && e->key() == Qt::Key_Z;
}

} // namespace

frmAsetukset::frmAsetukset(QWidget* parent) : QDialog(parent), m_ui(std::make_unique<Ui::frmAsetukset>())
{
    setUpControls();
    wireChanges();
    RestoreFormPlacement(this);
    load();
    // The settings shown are the club file's: the window holds that file while it is open, so a
    // restore by another program is met by the save, and the window then shows the settings of
    // the file now at the path instead of writing the old file's into it.
    holdDatabase();
    FollowReplacedSettings();
    FollowReplacedFile(
        this, [this] { return m_db.path(); }, [this] { ReadReplacedFile(); });
}

frmAsetukset::~frmAsetukset()
{
    DetachControls(this);
}

frmAsetukset* frmAsetukset::showSettings()
{
    return FormRegistry::open<frmAsetukset>(QStringLiteral("frmAsetukset"));
}

void frmAsetukset::setAnimalCatalogueOpener(std::function<void(QWidget*)> opener)
{
    g_animalOpener = std::move(opener);
}

void frmAsetukset::setMailServerLookupFactory(std::function<std::unique_ptr<MailServerLookup>()> factory)
{
    g_lookupFactory = std::move(factory);
}

// ---- building

void frmAsetukset::setUpControls()
{
    m_ui->setupUi(this);

    auto* menuBar = new QMenuBar(this);
    QMenu* file = menuBar->addMenu(QStringLiteral("&Tiedosto"));
    file->addActions({m_ui->mElaimet, m_ui->mTallenna, m_ui->mPeru});
    file->addSeparator();
    file->addAction(m_ui->mSulje);
    QMenu* dbMenu = menuBar->addMenu(QStringLiteral("Tieto&kantatoiminnot"));
    dbMenu->addAction(m_ui->mUusiTietokanta);
    // Alt+F4 is the window manager's key where it has one; elsewhere the window answers it itself.
    auto* closeKey = new QAction(this);
    closeKey->setShortcut(QKeySequence(Qt::ALT | Qt::Key_F4));
    closeKey->setShortcutContext(Qt::WindowShortcut);
    connect(closeKey, &QAction::triggered, this, &frmAsetukset::close);
    // The menu bar's actions only fire their keys while they belong to a visible widget of the window.
    addActions({m_ui->mElaimet, m_ui->mTallenna, m_ui->mPeru, m_ui->mSulje, closeKey});
    layout()->setMenuBar(menuBar);

    for (QLineEdit* e : findChildren<QLineEdit*>())
        e->installEventFilter(this);
    // The combo hands key events to its own text box directly, past any filter on that box.
    m_ui->cmbFonttiKoko->installEventFilter(this);
    // A whole IBAN with its blanks stays readable.
    for (QLineEdit* e : {m_ui->tPankkiyhteys1, m_ui->tIBAN1, m_ui->tBIC1, m_ui->tPankkiyhteys2, m_ui->tIBAN2, m_ui->tBIC2})
        e->setMinimumWidth(e->fontMetrics().horizontalAdvance(QStringLiteral("FI00 0000 0000 0000 00")) + 16);
    for (QPushButton* b : {m_ui->cTietokantavalita, m_ui->cVarmistusvalita})
        b->setMaximumWidth(b->fontMetrics().horizontalAdvance(QStringLiteral("...")) + 24);
    m_ui->pBar1->hide();

    connect(m_ui->cTallenna, &QPushButton::clicked, this, [this] {
        if (saveSettings())
            finish(true);
    });
    connect(m_ui->mTallenna, &QAction::triggered, this, [this] {
        if (saveSettings())
            finish(true);
    });
    connect(m_ui->cPeru, &QPushButton::clicked, this, &frmAsetukset::undo);
    connect(m_ui->mPeru, &QAction::triggered, this, &frmAsetukset::undo);
    connect(m_ui->cSulje, &QPushButton::clicked, this, &frmAsetukset::close);
    connect(m_ui->mSulje, &QAction::triggered, this, &frmAsetukset::close);
    connect(m_ui->cElaimet, &QPushButton::clicked, this, &frmAsetukset::openAnimalCatalogue);
    connect(m_ui->mElaimet, &QAction::triggered, this, &frmAsetukset::openAnimalCatalogue);
    connect(m_ui->mUusiTietokanta, &QAction::triggered, this, &frmAsetukset::createNewDatabase);
    connect(m_ui->cTietokantavalita, &QPushButton::clicked, this, &frmAsetukset::chooseDatabase);
    connect(m_ui->cVarmistusvalita, &QPushButton::clicked, this, &frmAsetukset::chooseBackupFolder);
    connect(m_ui->cMXQuery, &QPushButton::clicked, this, &frmAsetukset::queryMailServer);

    const bool animals = bool(g_animalOpener);
    m_ui->cElaimet->setEnabled(animals);
    m_ui->mElaimet->setEnabled(animals);
}

void frmAsetukset::wireChanges()
{
    auto changed = [this] { m_settingsChanged = true; };
    for (QLineEdit* e : findChildren<QLineEdit*>()) {
        if (e->parent() == m_ui->cmbFonttiKoko)
            continue;
        connect(e, &QLineEdit::textChanged, this, [this, e, changed] {
            changed();
            numericCheck(e);
        });
    }
    for (QCheckBox* c : findChildren<QCheckBox*>())
        connect(c, &QCheckBox::toggled, this, changed);
    connect(m_ui->cmbFonts, &QComboBox::currentIndexChanged, this, changed);
    connect(m_ui->cmbFonttiKoko, &QComboBox::currentTextChanged, this, changed);
}

// ---- load, fill, collect

void frmAsetukset::load()
{
    BusyCursor busy;
    m_ui->TabStrip1->setCurrentIndex(0);
    fillFontList();
    fillFields(SettingsForm::fromState(State()));
    m_loaded = collectForm();
    m_settingsFile = State().SettingsFile;
    m_settingsChanged = false;
}

void frmAsetukset::holdDatabase()
{
    m_db = Database();
    // A file that cannot be opened is the save's to report.
    IgnoringErrors("settings window: hold the club file", [this] { m_db = Database::open(State().DatabasePath); });
}

void frmAsetukset::ReadReplacedFile()
{
    ++m_fileReads;
    fillFields(SettingsForm::fromState(State()));
    m_loaded = collectForm();
    m_settingsFile = State().SettingsFile;
    m_settingsChanged = false;
}

void frmAsetukset::fillFontList()
{
    // One font database serves the screen and the printer here; a printer takes the scalable
    // families, so the list holds the families that both offer.
    const QStringList all = QFontDatabase::families();
    QStringList printable;
    QStringList screen;
    const int count = int(all.size());
    m_ui->pBar1->setRange(0, std::max(1, 3 * count));
    m_ui->pBar1->setValue(0);
    m_ui->pBar1->show();
    int step = 0;
    auto advance = [&] {
        if (++step % 5 == 0)
            m_ui->pBar1->setValue(std::min(m_ui->pBar1->maximum(), step));
    };
    for (const QString& family : all) {
        if (!QFontDatabase::isPrivateFamily(family) && QFontDatabase::isScalable(family))
            printable << family;
        advance();
    }
    for (const QString& family : all) {
        if (!QFontDatabase::isPrivateFamily(family))
            screen << family;
        advance();
    }
    std::sort(printable.begin(), printable.end());
    std::sort(screen.begin(), screen.end());
    m_ui->cmbFonts->clear();
    for (const QString& family : printable) {
        if (std::binary_search(screen.cbegin(), screen.cend(), family))
            m_ui->cmbFonts->addItem(family, family);
        advance();
    }
    m_ui->pBar1->setValue(0);
    m_ui->pBar1->hide();
    if (m_ui->cmbFonts->count() == 0)
        ShowInfo(
            QStringLiteral(
                "Fonttien latauksessa tapahtui virhe: järjestelmästä ei löytynyt yhtään tulostukseen sopivaa kirjasinlajia.")
            + QStringLiteral("\r\n\r\nTikkeli vaatii toimiakseen, että tietokoneeseen on asennettuna kirjasimia "
                             "(esimerkiksi Liberation-kirjasimet)."));
}

void frmAsetukset::selectFont(const QString& family)
{
    int index = m_ui->cmbFonts->findData(family);
    if (index < 0 && !family.isEmpty()) {
        // A stored font that is not installed stays the setting; the reports print with the
        // font the system puts in its place.
        int at = 0;
        while (at < m_ui->cmbFonts->count() && m_ui->cmbFonts->itemData(at).toString() < family)
            ++at;
        const QString substitute = QFontInfo(QFont(family)).family();
        const QString mark = substitute.isEmpty() || substitute == family
                                 ? QStringLiteral(" (ei asennettu)")
                                 : QStringLiteral(" (ei asennettu, tilalla %1)").arg(substitute);
        m_ui->cmbFonts->insertItem(at, family + mark, family);
        index = at;
    }
    if (index >= 0)
        m_ui->cmbFonts->setCurrentIndex(index);
}

void frmAsetukset::fillFields(const SettingsForm& form)
{
    // A stored counter such as "-3" is a number the save refuses with its own message; the typing
    // check would empty it before the window is even shown.
    const QScopedValueRollback filling(m_filling, true);
    for (const QString& name : SettingsForm::textControls()) {
        if (auto* e = findChild<QLineEdit*>(name); e && e->parent() != m_ui->cmbFonttiKoko)
            e->setText(form.text(name));
    }
    for (const QString& name : SettingsForm::checkControls()) {
        if (auto* c = findChild<QCheckBox*>(name))
            c->setChecked(form.checked(name));
    }
    selectFont(form.text(QStringLiteral("cmbFonts")));
    const QString size = form.text(QStringLiteral("cmbFonttiKoko"));
    const int sizeIndex = m_ui->cmbFonttiKoko->findText(size);
    if (sizeIndex >= 0)
        m_ui->cmbFonttiKoko->setCurrentIndex(sizeIndex);
    else
        m_ui->cmbFonttiKoko->setCurrentText(size);
}

SettingsForm frmAsetukset::collectForm() const
{
    SettingsForm form;
    for (const QString& name : SettingsForm::textControls()) {
        if (auto* e = findChild<QLineEdit*>(name); e && e->parent() != m_ui->cmbFonttiKoko)
            form.setText(name, e->text());
    }
    for (const QString& name : SettingsForm::checkControls()) {
        if (auto* c = findChild<QCheckBox*>(name))
            form.setChecked(name, c->isChecked());
    }
    const QVariant font = m_ui->cmbFonts->currentData();
    form.setText(QStringLiteral("cmbFonts"), font.isValid() ? font.toString() : m_ui->cmbFonts->currentText());
    form.setText(QStringLiteral("cmbFonttiKoko"), m_ui->cmbFonttiKoko->currentText());
    return form;
}

int frmAsetukset::currentTab() const
{
    return m_ui->TabStrip1->currentIndex() + 1;
}

// ---- field behaviour

void frmAsetukset::numericCheck(QLineEdit* field)
{
    const QString name = field->objectName();
    if (m_filling || SettingsCheck::acceptableWhileTyping(name, field->text()))
        return;
    Prompter::instance().beep();
    ShowInfo(SettingsCheck::typingMessage(name));
    field->clear();
}

bool frmAsetukset::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::ShortcutOverride && watched == m_ui->cmbFonttiKoko
        && isCommandKey(static_cast<QKeyEvent*>(event)))
        return true;
    auto* field = qobject_cast<QLineEdit*>(watched);
    if (!field)
        return QDialog::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        // A text box would keep Ctrl+Z for its own undo; here it undoes the whole window.
        if (isCommandKey(static_cast<QKeyEvent*>(event)))
            return true;
        break;
    case QEvent::KeyPress: {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
            && (field == m_ui->tMuistutusAlkuteksti || field == m_ui->tMuistutusLopputeksti)) {
            ShowInfo(QStringLiteral("Muistutuksen teksteissä ei saa olla rivinvaihtoja."));
            return true;
        }
        break;
    }
    case QEvent::FocusIn: QTimer::singleShot(0, field, &QLineEdit::selectAll); break;
    case QEvent::FocusOut:
        if (field == m_ui->tVarmistus) {
            const QString withSeparator = SettingsCheck::withFolderSeparator(field->text());
            if (withSeparator != field->text())
                field->setText(withSeparator);
        }
        break;
    default: break;
    }
    return QDialog::eventFilter(watched, event);
}

// ---- commands

bool frmAsetukset::saveSettings()
{
    if (m_busy)
        return false;
    SettingsForm form = collectForm();
    SettingsSaver saver;
    saver.setLoadedForm(m_loaded);
    saver.setSettingsFile(m_settingsFile);
    const int reads = m_fileReads;
    const bool ok = saver.save(form);
    // The save met a file put in place of the one read: the window shows that file's settings now.
    if (reads != m_fileReads)
        return false;
    if (m_ui->tVarmistus->text() != form.text(QStringLiteral("tVarmistus")))
        m_ui->tVarmistus->setText(form.text(QStringLiteral("tVarmistus")));
    if (!ok) {
        focusControl(saver.focusControl());
        return false;
    }
    // The window shows what is stored now, counters included, and holds the file it is stored in.
    fillFields(SettingsForm::fromState(State()));
    m_loaded = collectForm();
    m_settingsFile = State().SettingsFile;
    m_settingsChanged = false;
    m_saved = true;
    holdDatabase();
    return true;
}

void frmAsetukset::focusControl(const QString& name)
{
    if (name.isEmpty())
        return;
    auto* w = findChild<QWidget*>(name);
    if (!w)
        return;
    for (int i = 0; i < m_ui->TabStrip1->count(); ++i) {
        if (m_ui->TabStrip1->widget(i)->isAncestorOf(w))
            m_ui->TabStrip1->setCurrentIndex(i);
    }
    w->setFocus(Qt::OtherFocusReason);
    if (auto* e = qobject_cast<QLineEdit*>(w))
        e->selectAll();
}

void frmAsetukset::undo()
{
    if (m_busy)
        return;
    fillFields(SettingsForm::fromState(State()));
    m_loaded = collectForm();
    m_settingsFile = State().SettingsFile;
    m_settingsChanged = false;
}

void frmAsetukset::chooseDatabase()
{
    if (m_busy)
        return;
    const QString current = m_ui->tTietokanta->text();
    FileDialogRequest request;
    request.title = QStringLiteral("Valitse tietokanta");
    request.filter = DatabaseFileFilter();
    if (current.indexOf(QLatin1String("mdb"), std::max<qsizetype>(0, current.size() - 4), Qt::CaseInsensitive) >= 0) {
        const QFileInfo file(current);
        request.fileName = file.fileName();
        request.folder = file.absolutePath();
    } else {
        request.folder = current;
    }
    const auto chosen = Prompter::instance().openFile(request);
    if (!chosen || chosen->isEmpty())
        return;
    // The file whose settings are shown keeps what is typed; any other one, the one named in the
    // box included when the start could not read it, brings its own.
    const bool shown = !m_settingsFile.isEmpty() && QFileInfo(*chosen).canonicalFilePath() == m_settingsFile;
    const std::optional<SharedState> stored = shown ? std::nullopt : StoredSettingsOf(*chosen);
    if (!stored) {
        // A new file, or one of an older version: the save lays the window's settings into it.
        m_ui->tTietokanta->setText(*chosen);
        return;
    }
    // The chosen club's own settings come into the window, so a save writes what the user sees
    // there and never this club's name, accounts or counters over the other's.
    if (m_settingsChanged) {
        const MsgResult answer = Prompter::instance().message(
            QStringLiteral("Asetuksiin on tehty muutoksia, tallennetaanko muutokset nykyiseen tietokantaan ennen "
                           "tietokannan vaihtoa?"),
            MsgIcon::Question, MsgButtons::YesNoCancel);
        if (answer == MsgResult::Cancel || (answer == MsgResult::Yes && !saveSettings()))
            return;
    }
    SettingsForm form = SettingsForm::fromState(*stored);
    // The backup folder belongs to this computer, not to a database.
    form.setText(QStringLiteral("tVarmistus"), m_ui->tVarmistus->text());
    fillFields(form);
    m_loaded = collectForm();
    m_settingsFile = stored->SettingsFile;
    m_settingsChanged = true;
}

void frmAsetukset::chooseBackupFolder()
{
    if (m_busy)
        return;
    FileDialogRequest request;
    request.title = QStringLiteral("Valitse varmistushakemisto");
    request.folder = m_ui->tVarmistus->text().isEmpty() ? DefaultBackupFolder() : m_ui->tVarmistus->text();
    const auto chosen = Prompter::instance().chooseFolder(request);
    if (chosen && !chosen->isEmpty())
        m_ui->tVarmistus->setText(SettingsCheck::withFolderSeparator(*chosen));
}

void frmAsetukset::setCommandsEnabled(bool on)
{
    m_busy = !on;
    for (QWidget* w : std::initializer_list<QWidget*>{m_ui->cTallenna, m_ui->cPeru, m_ui->cSulje, m_ui->cMXQuery,
                                                      m_ui->cTietokantavalita, m_ui->cVarmistusvalita})
        w->setEnabled(on);
    for (QAction* a : {m_ui->mTallenna, m_ui->mPeru, m_ui->mSulje, m_ui->mUusiTietokanta})
        a->setEnabled(on);
    m_ui->cElaimet->setEnabled(on && bool(g_animalOpener));
    m_ui->mElaimet->setEnabled(on && bool(g_animalOpener));
}

void frmAsetukset::queryMailServer()
{
    if (m_busy)
        return;
    QString found;
    {
        // The DNS query waits on the network; the window keeps painting but takes no commands.
        setCommandsEnabled(false);
        BusyCursor busy;
        std::unique_ptr<MailServerLookup> lookup = g_lookupFactory ? g_lookupFactory()
                                                                   : std::make_unique<MailServerLookup>();
        found = lookup->lookup(m_ui->tEmail->text());
        setCommandsEnabled(true);
    }
    if (found.isEmpty()) {
        ShowInfo(QStringLiteral("Kysely ei löytänyt sähköpostipalvelinta."));
    } else if (m_ui->tSMTP->text().isEmpty()) {
        m_ui->tSMTP->setText(found);
    } else if (m_ui->tSMTP->text() != found) {
        if (AskYesNo(QStringLiteral("Kysely löysi palvelimen: ") + found
                     + QStringLiteral("\r\n\r\nHaluatko korvata nykyisen palvelinasetuksen?")))
            m_ui->tSMTP->setText(found);
    }
}

void frmAsetukset::openAnimalCatalogue()
{
    if (m_busy || !g_animalOpener)
        return;
    IgnoringErrors("settings window: open the animal catalogue", [&] { g_animalOpener(this); });
}

void frmAsetukset::createNewDatabase()
{
    if (m_busy)
        return;
    // A later save of these edits would point the ini file back at the old database.
    if (m_settingsChanged) {
        ShowInfo(QStringLiteral("Asetuksiin on tehty muutoksia. Tallenna tai peru ne ennen uuden tietokannan luontia."));
        return;
    }
    if (CreateNewDatabase(NewDatabaseIntro(), NewDatabaseTemplate()) != NewDatabaseResult::Created)
        return;
    // Whatever saves this window before the program ends carries the new database and what it
    // holds, never the previous club's name, accounts or counters.
    if (const std::optional<SharedState> founded = StoredSettingsOf(State().DatabasePath)) {
        SettingsForm form = SettingsForm::fromState(*founded);
        form.setText(QStringLiteral("tVarmistus"), m_ui->tVarmistus->text());
        fillFields(form);
        m_settingsFile = founded->SettingsFile;
    } else {
        const QScopedValueRollback filling(m_filling, true);
        m_ui->tTietokanta->setText(State().DatabasePath);
    }
    m_loaded = collectForm();
    m_settingsChanged = false;
    // The next start opens the new database. Closing the main window ends the program through
    // every other window's own close handler, this one included.
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == QLatin1String("frmMain")) {
            w->close();
            return;
        }
    }
    if (FormRegistry::CloseAllForms())
        QCoreApplication::quit();
}

// ---- closing

bool frmAsetukset::mayClose()
{
    if (m_busy)
        return false;
    if (!m_settingsChanged)
        return true;
    // Escape or the close box on this question keeps the window and its edits.
    switch (Prompter::instance().message(QStringLiteral("Asetuksiin on tehty muutoksia, tallennetaanko muutokset?"),
                                         MsgIcon::Question, MsgButtons::YesNoCancel)) {
    case MsgResult::Yes: return saveSettings();
    case MsgResult::No: return true;
    default: return false;
    }
}

void frmAsetukset::finish(bool saved)
{
    m_saved = m_saved || saved;
    if (!m_unloading) {
        m_unloading = true;
        SaveFormPlacement(this);
    }
    if (m_saved)
        QDialog::accept();
    else
        QDialog::reject();
}

void frmAsetukset::reject()
{
    // Escape takes the road of the close box; a window closed after "Yes" and a save counts as saved.
    if (!m_unloading)
        close();
    else if (m_saved)
        QDialog::accept();
    else
        QDialog::reject();
}

void frmAsetukset::closeEvent(QCloseEvent* event)
{
    if (!m_unloading) {
        if (!mayClose()) {
            event->ignore();
            return;
        }
        m_unloading = true;
        SaveFormPlacement(this);
    }
    QDialog::closeEvent(event);
}

bool RunSettingsMigrationDialog()
{
    frmAsetukset window;
    window.setModal(true);
    return window.exec() == QDialog::Accepted;
}

} // namespace tikkeli
