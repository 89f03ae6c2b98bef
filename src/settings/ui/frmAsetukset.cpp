#include "settings/ui/frmAsetukset.h"

#include "base/ErrorHandling.h"
#include "settings/NewDatabase.h"
#include "base/FileFilters.h"
#include "base/Prompter.h"
#include "base/ui/FormRegistry.h"
#include "platform/MailServerLookup.h"
#include "settings/SettingsCheck.h"
#include "settings/SettingsSaver.h"
#include "base/SharedState.h"
#include "settings/ui/FormPlacement.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QScopedValueRollback>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

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

frmAsetukset::frmAsetukset(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAsetukset"));
    setWindowTitle(QStringLiteral("Tikkeli - Asetukset"));
    buildUi();
    wireChanges();
    RestoreFormPlacement(this);
    load();
}

frmAsetukset::~frmAsetukset() = default;

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

QLineEdit* frmAsetukset::lineEdit(const char* name, const QString& toolTip)
{
    auto* e = new QLineEdit(this);
    e->setObjectName(QString::fromLatin1(name));
    e->setToolTip(toolTip);
    e->installEventFilter(this);
    return e;
}

QCheckBox* frmAsetukset::checkBox(const char* name, const QString& text)
{
    auto* c = new QCheckBox(text, this);
    c->setObjectName(QString::fromLatin1(name));
    return c;
}

QWidget* frmAsetukset::buildClubTab()
{
    auto* page = new QWidget;
    auto* form = new QFormLayout(page);
    form->addRow(QStringLiteral("Nimi:"), lineEdit("tNimi", QStringLiteral("Yhdistyksen nimi ikkunoiden otsikoissa, tulosteissa ja sähköposteissa")));
    return page;
}

QWidget* frmAsetukset::buildContactTab()
{
    auto* page = new QWidget;
    auto* columns = new QHBoxLayout(page);
    auto* left = new QFormLayout;
    left->addRow(QStringLiteral("Henkilönimi:"), lineEdit("tHenkilonimi"));
    left->addRow(QStringLiteral("Osoite:"), lineEdit("tOsoite"));
    left->addRow(QStringLiteral("Postinumero:"), lineEdit("tPostinumero"));
    left->addRow(QStringLiteral("Postitoimipaikka:"), lineEdit("tPostitoimipaikka"));
    left->addRow(QStringLiteral("Puhelin:"), lineEdit("tPuhelin"));
    left->addRow(QStringLiteral("Fax:"), lineEdit("tFax"));
    left->addRow(QStringLiteral("Email:"), lineEdit("tSeuranEmail"));
    left->addRow(QStringLiteral("Internet:"), lineEdit("tWww"));
    left->addRow(QStringLiteral("Y-tunnus:"), lineEdit("tYtunnus"));
    auto* right = new QFormLayout;
    for (auto [label, name] : {std::pair{"Pankkiyhteys1:", "tPankkiyhteys1"}, {"IBAN1:", "tIBAN1"}, {"BIC1:", "tBIC1"},
                               {"Pankkiyhteys2:", "tPankkiyhteys2"}, {"IBAN2:", "tIBAN2"}, {"BIC2:", "tBIC2"}}) {
        QLineEdit* e = lineEdit(name);
        // A whole IBAN with its blanks stays readable.
        e->setMinimumWidth(e->fontMetrics().horizontalAdvance(QStringLiteral("FI00 0000 0000 0000 00")) + 16);
        right->addRow(QString::fromLatin1(label), e);
    }
    columns->addLayout(left, 1);
    columns->addSpacing(12);
    columns->addLayout(right, 1);
    return page;
}

QWidget* frmAsetukset::buildPrintTab()
{
    auto* page = new QWidget;
    auto* v = new QVBoxLayout(page);
    const QString marginTip = QStringLiteral("Kokonaisluku väliltä -682...682; yksi yksikkö on noin 0,85 mm");
    auto marginBox = [&](const QString& title, const char* top, const char* bottom, const char* left, const char* right) {
        auto* box = new QGroupBox(title);
        auto* grid = new QFormLayout(box);
        for (auto [label, name] : {std::pair{"Ylä:", top}, {"Ala:", bottom}, {"Vasen:", left}, {"Oikea:", right}}) {
            QLineEdit* e = lineEdit(name, marginTip);
            e->setMaximumWidth(90);
            grid->addRow(QString::fromUtf8(label), e);
        }
        return box;
    };
    auto* margins = new QHBoxLayout;
    margins->addWidget(marginBox(QStringLiteral("Tulostusmarginaalit yleinen"), "tMargYla", "tMargAla", "tMargVas", "tMargOik"));
    margins->addWidget(marginBox(QStringLiteral("Tulostusmarginaalit tarrat"), "tTarMargYla", "tTarMargAla", "tTarMargVas", "tTarMargOik"));
    v->addLayout(margins);

    auto* fonts = new QGroupBox(QStringLiteral("Fonttiasetukset"));
    auto* fontForm = new QFormLayout(fonts);
    cmbFonts = new QComboBox(this);
    cmbFonts->setObjectName(QStringLiteral("cmbFonts"));
    cmbFonts->setToolTip(QStringLiteral("Kirjasinlaji tulosteilla"));
    cmbFonts->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cmbFonts->setMinimumContentsLength(24);
    cmbFonttiKoko = new QComboBox(this);
    cmbFonttiKoko->setObjectName(QStringLiteral("cmbFonttiKoko"));
    cmbFonttiKoko->setToolTip(QStringLiteral("Kirjasinlajin koko tulosteilla"));
    cmbFonttiKoko->setEditable(true);
    cmbFonttiKoko->setInsertPolicy(QComboBox::NoInsert);
    cmbFonttiKoko->addItems({QStringLiteral("8"), QStringLiteral("10"), QStringLiteral("12")});
    cmbFonttiKoko->setMaximumWidth(90);
    // The combo hands key events to its own text box directly, past any filter on that box.
    cmbFonttiKoko->installEventFilter(this);
    cmbFonttiKoko->lineEdit()->installEventFilter(this);
    fontForm->addRow(QStringLiteral("Fontti:"), cmbFonts);
    fontForm->addRow(QStringLiteral("Koko:"), cmbFonttiKoko);
    v->addWidget(fonts);
    v->addStretch();
    return page;
}

QWidget* frmAsetukset::buildProgramTab()
{
    auto* page = new QWidget;
    auto* v = new QVBoxLayout(page);
    auto* form = new QFormLayout;

    tTietokanta = lineEdit("tTietokanta", QStringLiteral("Tietokanta, jota kaikki ikkunat käyttävät; muutos tulee voimaan tallennettaessa"));
    cTietokantavalita = new QPushButton(QStringLiteral("..."), this);
    cTietokantavalita->setObjectName(QStringLiteral("cTietokantavalita"));
    cTietokantavalita->setToolTip(QStringLiteral("Valitse tietokantatiedosto"));
    cTietokantavalita->setAutoDefault(false);
    cTietokantavalita->setMaximumWidth(cTietokantavalita->fontMetrics().horizontalAdvance(QStringLiteral("...")) + 24);
    auto* dbRow = new QHBoxLayout;
    dbRow->addWidget(tTietokanta, 1);
    dbRow->addWidget(cTietokantavalita);
    form->addRow(QStringLiteral("Tietokanta:"), dbRow);

    tVarmistus = lineEdit("tVarmistus", QStringLiteral("Kansio, johon tietokannan varmuuskopiot tehdään"));
    form->addRow(QStringLiteral("Varmistushakemisto:"), tVarmistus);

    auto* backupRow = new QHBoxLayout;
    QLineEdit* days = lineEdit("tVarmuuskopioPv", QStringLiteral("Montako päivää edellisestä varmuuskopiosta ennen muistutusta"));
    days->setMaximumWidth(90);
    backupRow->addWidget(days);
    backupRow->addWidget(new QLabel(QStringLiteral("päivää")));
    backupRow->addSpacing(12);
    backupRow->addWidget(checkBox("chkMuistutaVarmistuksesta", QStringLiteral("Muistuta varmistuksesta")));
    backupRow->addStretch();
    form->addRow(QStringLiteral("Varmuuskopiot:"), backupRow);

    QLineEdit* invoice = lineEdit("tLaskunumero", QStringLiteral("Seuraavan laskun numero"));
    invoice->setMaximumWidth(120);
    form->addRow(QStringLiteral("Laskunumero:"), invoice);
    auto numberRow = [&](const char* field, const char* check, const QString& checkText, const QString& tip) {
        auto* row = new QHBoxLayout;
        QLineEdit* e = lineEdit(field, tip);
        e->setMaximumWidth(120);
        row->addWidget(e);
        row->addSpacing(12);
        row->addWidget(checkBox(check, checkText));
        row->addStretch();
        return row;
    };
    form->addRow(QStringLiteral("Jäsennumero:"), numberRow("tJasennumero", "chkJasennumero", QStringLiteral("Automaattinen jäsennumero"),
                                                           QStringLiteral("Seuraavan jäsenen numero")));
    form->addRow(QStringLiteral("Sopimusnumero:"), numberRow("tSopimusnumero", "chkSopimusnumero", QStringLiteral("Automaattinen sopimusnumero"),
                                                             QStringLiteral("Seuraavan sopimuksen numero")));
    form->addRow(QStringLiteral("Email laskupohja:"), lineEdit("tEmailLaskupohja", QStringLiteral("Sähköpostilaskujen pohjatiedosto")));
    form->addRow(QStringLiteral("Email muistutuspohj:"), lineEdit("tEmailKarhupohja", QStringLiteral("Sähköpostimuistutusten pohjatiedosto")));
    form->addRow(QString(), checkBox("chkTilatieto", QStringLiteral("Laaja tilatieto saalisilmoitukseen")));
    v->addLayout(form);

    auto* reminder = new QGroupBox(QStringLiteral("Maksumuistutuksen asetukset"));
    auto* rf = new QFormLayout(reminder);
    QLineEdit* fee = lineEdit("tMuistutuskulut");
    fee->setMaximumWidth(120);
    rf->addRow(QStringLiteral("Muistutuskulut:"), fee);
    auto* rateRow = new QHBoxLayout;
    QLineEdit* rate = lineEdit("tViivastysKorko");
    rate->setMaximumWidth(120);
    rateRow->addWidget(rate);
    rateRow->addWidget(new QLabel(QStringLiteral("% / vuosi")));
    rateRow->addStretch();
    rf->addRow(QStringLiteral("Viivästyskorko:"), rateRow);
    v->addWidget(reminder);
    v->addStretch();
    return page;
}

QWidget* frmAsetukset::buildInternetTab()
{
    auto* page = new QWidget;
    auto* form = new QFormLayout(page);
    tEmail = lineEdit("tEmail", QStringLiteral("Osoite, josta yhdistyksen sähköpostit lähetetään"));
    form->addRow(QStringLiteral("Sähköpostiosoite:"), tEmail);
    tSMTP = lineEdit("tSMTP", QStringLiteral("Palvelin, jonka kautta sähköpostit lähetetään"));
    cMXQuery = new QPushButton(QStringLiteral("Hae"), this);
    cMXQuery->setObjectName(QStringLiteral("cMXQuery"));
    cMXQuery->setToolTip(QStringLiteral("Hae sähköpostipalvelin sähköpostiohjelman asetuksista tai sähköpostiosoitteen verkkotunnuksesta"));
    cMXQuery->setAutoDefault(false);
    auto* row = new QHBoxLayout;
    row->addWidget(tSMTP, 1);
    row->addWidget(cMXQuery);
    form->addRow(QStringLiteral("SMTP palvelin:"), row);
    return page;
}

QWidget* frmAsetukset::buildTextsTab()
{
    auto* page = new QWidget;
    auto* v = new QVBoxLayout(page);
    auto* box = new QGroupBox(QStringLiteral("Maksumuistutuskirjeen tekstit"));
    auto* form = new QFormLayout(box);
    form->addRow(QStringLiteral("Otsake"), lineEdit("tMuistutusOtsake"));
    tMuistutusAlkuteksti = lineEdit("tMuistutusAlkuteksti");
    tMuistutusLopputeksti = lineEdit("tMuistutusLopputeksti");
    form->addRow(QStringLiteral("Alkuteksti:"), tMuistutusAlkuteksti);
    form->addRow(QStringLiteral("Lopputeksti:"), tMuistutusLopputeksti);
    v->addWidget(box);
    v->addStretch();
    return page;
}

void frmAsetukset::buildUi()
{
    auto* layout = new QVBoxLayout(this);

    auto* menuBar = new QMenuBar(this);
    QMenu* file = menuBar->addMenu(QStringLiteral("&Tiedosto"));
    mElaimet = file->addAction(QStringLiteral("Muuta eläinluetteloa"));
    mElaimet->setShortcut(Qt::Key_F2);
    mTallenna = file->addAction(QStringLiteral("T&allenna"));
    mTallenna->setShortcut(Qt::Key_F3);
    mPeru = file->addAction(QStringLiteral("&Peru"));
    mPeru->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    file->addSeparator();
    mSulje = file->addAction(QStringLiteral("&Sulje"));
    QMenu* dbMenu = menuBar->addMenu(QStringLiteral("Tietokantatoiminnot"));
    mUusiTietokanta = dbMenu->addAction(QStringLiteral("Uusi tyhjä tietokanta"));
    // Alt+F4 is the window manager's key where it has one; elsewhere the window answers it itself.
    auto* closeKey = new QAction(this);
    closeKey->setShortcut(QKeySequence(Qt::ALT | Qt::Key_F4));
    connect(closeKey, &QAction::triggered, this, &frmAsetukset::close);
    for (QAction* a : {mElaimet, mTallenna, mPeru, mSulje, closeKey})
        a->setShortcutContext(Qt::WindowShortcut);
    // The menu bar's actions only fire their keys while they belong to a visible widget of the window.
    addActions({mElaimet, mTallenna, mPeru, mSulje, closeKey});
    layout->setMenuBar(menuBar);

    TabStrip1 = new QTabWidget(this);
    TabStrip1->setObjectName(QStringLiteral("TabStrip1"));
    // All six tabs in sight: the window grows to fit them rather than hiding some behind arrows.
    TabStrip1->setUsesScrollButtons(false);
    const std::pair<QWidget*, QString> tabs[] = {
        {buildClubTab(), QStringLiteral("Yhdistys")},
        {buildContactTab(), QStringLiteral("Yhteystiedot")},
        {buildPrintTab(), QStringLiteral("Tulostus")},
        {buildProgramTab(), QStringLiteral("Ohjelma-asetukset")},
        {buildInternetTab(), QStringLiteral("Internet asetukset")},
        {buildTextsTab(), QStringLiteral("Tekstit")},
    };
    int index = 0;
    for (const auto& [page, caption] : tabs) {
        page->setObjectName(QStringLiteral("frameTabs%1").arg(index++));
        TabStrip1->addTab(page, caption);
    }
    layout->addWidget(TabStrip1, 1);

    auto button = [this](QPushButton*& b, const char* name, const QString& text, const QString& tip) {
        b = new QPushButton(text, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setToolTip(tip);
        b->setAutoDefault(false);
    };
    button(cTallenna, "cTallenna", QStringLiteral("Tallenna"), QStringLiteral("Tallenna asetukset [F3]"));
    button(cPeru, "cPeru", QStringLiteral("Peru"), QStringLiteral("Peru muutokset [Ctrl+Z]"));
    button(cSulje, "cSulje", QStringLiteral("Sulje"), QStringLiteral("Sulje Asetukset [Alt+F4]"));
    button(cElaimet, "cElaimet", QStringLiteral("Eläimet"), QStringLiteral("Muuta eläinluetteloa [F2]"));
    pBar1 = new QProgressBar(this);
    pBar1->setObjectName(QStringLiteral("pBar1"));
    pBar1->setTextVisible(false);
    pBar1->setMaximumHeight(12);
    pBar1->hide();

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cElaimet);
    buttons->addWidget(pBar1, 1);
    buttons->addStretch();
    buttons->addWidget(cTallenna);
    buttons->addWidget(cPeru);
    buttons->addWidget(cSulje);
    layout->addLayout(buttons);

    connect(cTallenna, &QPushButton::clicked, this, [this] { if (saveSettings()) finish(true); });
    connect(mTallenna, &QAction::triggered, this, [this] { if (saveSettings()) finish(true); });
    connect(cPeru, &QPushButton::clicked, this, &frmAsetukset::undo);
    connect(mPeru, &QAction::triggered, this, &frmAsetukset::undo);
    connect(cSulje, &QPushButton::clicked, this, &frmAsetukset::close);
    connect(mSulje, &QAction::triggered, this, &frmAsetukset::close);
    connect(cElaimet, &QPushButton::clicked, this, &frmAsetukset::openAnimalCatalogue);
    connect(mElaimet, &QAction::triggered, this, &frmAsetukset::openAnimalCatalogue);
    connect(mUusiTietokanta, &QAction::triggered, this, &frmAsetukset::createNewDatabase);
    connect(cTietokantavalita, &QPushButton::clicked, this, &frmAsetukset::chooseDatabase);
    connect(cMXQuery, &QPushButton::clicked, this, &frmAsetukset::queryMailServer);

    const bool animals = bool(g_animalOpener);
    cElaimet->setEnabled(animals);
    mElaimet->setEnabled(animals);
}

void frmAsetukset::wireChanges()
{
    auto changed = [this] { m_settingsChanged = true; };
    for (QLineEdit* e : findChildren<QLineEdit*>()) {
        if (e->parent() == cmbFonttiKoko)
            continue;
        connect(e, &QLineEdit::textChanged, this, [this, e, changed] {
            changed();
            numericCheck(e);
        });
    }
    for (QCheckBox* c : findChildren<QCheckBox*>())
        connect(c, &QCheckBox::toggled, this, changed);
    connect(cmbFonts, &QComboBox::currentIndexChanged, this, changed);
    connect(cmbFonttiKoko, &QComboBox::currentTextChanged, this, changed);
}

// ---- load, fill, collect

void frmAsetukset::load()
{
    BusyCursor busy;
    TabStrip1->setCurrentIndex(0);
    fillFontList();
    fillFields(SettingsForm::fromState(State()));
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
    pBar1->setRange(0, std::max(1, 3 * count));
    pBar1->setValue(0);
    pBar1->show();
    int step = 0;
    auto advance = [&] {
        if (++step % 5 == 0)
            pBar1->setValue(std::min(pBar1->maximum(), step));
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
    cmbFonts->clear();
    for (const QString& family : printable) {
        if (std::binary_search(screen.cbegin(), screen.cend(), family))
            cmbFonts->addItem(family, family);
        advance();
    }
    pBar1->setValue(0);
    pBar1->hide();
    if (cmbFonts->count() == 0)
        ShowInfo(QStringLiteral("Fonttien latauksessa tapahtui virhe: järjestelmästä ei löytynyt yhtään tulostukseen sopivaa kirjasinlajia.")
                 + QStringLiteral("\r\n\r\nTikkeli vaatii toimiakseen, että tietokoneeseen on asennettuna kirjasimia (esimerkiksi Liberation-kirjasimet)."));
}

void frmAsetukset::selectFont(const QString& family)
{
    int index = cmbFonts->findData(family);
    if (index < 0 && !family.isEmpty()) {
        // A stored font that is not installed stays the setting; the reports print with the
        // font the system puts in its place.
        int at = 0;
        while (at < cmbFonts->count() && cmbFonts->itemData(at).toString() < family)
            ++at;
        const QString substitute = QFontInfo(QFont(family)).family();
        const QString mark = substitute.isEmpty() || substitute == family
            ? QStringLiteral(" (ei asennettu)")
            : QStringLiteral(" (ei asennettu, tilalla %1)").arg(substitute);
        cmbFonts->insertItem(at, family + mark, family);
        index = at;
    }
    if (index >= 0)
        cmbFonts->setCurrentIndex(index);
}

void frmAsetukset::fillFields(const SettingsForm& form)
{
    // A stored counter such as "-3" is a number the save refuses with its own message; the typing
    // check would empty it before the window is even shown.
    const QScopedValueRollback filling(m_filling, true);
    for (const QString& name : SettingsForm::textControls()) {
        if (auto* e = findChild<QLineEdit*>(name); e && e->parent() != cmbFonttiKoko)
            e->setText(form.text(name));
    }
    for (const QString& name : SettingsForm::checkControls()) {
        if (auto* c = findChild<QCheckBox*>(name))
            c->setChecked(form.checked(name));
    }
    selectFont(form.text(QStringLiteral("cmbFonts")));
    const QString size = form.text(QStringLiteral("cmbFonttiKoko"));
    const int sizeIndex = cmbFonttiKoko->findText(size);
    if (sizeIndex >= 0)
        cmbFonttiKoko->setCurrentIndex(sizeIndex);
    else
        cmbFonttiKoko->setCurrentText(size);
}

SettingsForm frmAsetukset::collectForm() const
{
    SettingsForm form;
    for (const QString& name : SettingsForm::textControls()) {
        if (auto* e = findChild<QLineEdit*>(name); e && e->parent() != cmbFonttiKoko)
            form.setText(name, e->text());
    }
    for (const QString& name : SettingsForm::checkControls()) {
        if (auto* c = findChild<QCheckBox*>(name))
            form.setChecked(name, c->isChecked());
    }
    const QVariant font = cmbFonts->currentData();
    form.setText(QStringLiteral("cmbFonts"), font.isValid() ? font.toString() : cmbFonts->currentText());
    form.setText(QStringLiteral("cmbFonttiKoko"), cmbFonttiKoko->currentText());
    return form;
}

int frmAsetukset::currentTab() const
{
    return TabStrip1->currentIndex() + 1;
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
    if (event->type() == QEvent::ShortcutOverride && watched == cmbFonttiKoko
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
            && (field == tMuistutusAlkuteksti || field == tMuistutusLopputeksti)) {
            ShowInfo(QStringLiteral("Muistutuksen teksteissä ei saa olla rivinvaihtoja."));
            return true;
        }
        break;
    }
    case QEvent::FocusIn:
        QTimer::singleShot(0, field, &QLineEdit::selectAll);
        break;
    case QEvent::FocusOut:
        if (field == tVarmistus) {
            const QString withSeparator = SettingsCheck::withFolderSeparator(field->text());
            if (withSeparator != field->text())
                field->setText(withSeparator);
        }
        break;
    default:
        break;
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
    const bool ok = saver.save(form);
    if (tVarmistus->text() != form.text(QStringLiteral("tVarmistus")))
        tVarmistus->setText(form.text(QStringLiteral("tVarmistus")));
    if (!ok) {
        focusControl(saver.focusControl());
        return false;
    }
    m_settingsChanged = false;
    m_saved = true;
    return true;
}

void frmAsetukset::focusControl(const QString& name)
{
    if (name.isEmpty())
        return;
    auto* w = findChild<QWidget*>(name);
    if (!w)
        return;
    for (int i = 0; i < TabStrip1->count(); ++i) {
        if (TabStrip1->widget(i)->isAncestorOf(w))
            TabStrip1->setCurrentIndex(i);
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
    m_settingsChanged = false;
}

void frmAsetukset::chooseDatabase()
{
    if (m_busy)
        return;
    const QString current = tTietokanta->text();
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
    if (chosen && !chosen->isEmpty())
        tTietokanta->setText(*chosen);
}

void frmAsetukset::setCommandsEnabled(bool on)
{
    m_busy = !on;
    for (QWidget* w : std::initializer_list<QWidget*>{cTallenna, cPeru, cSulje, cMXQuery, cTietokantavalita})
        w->setEnabled(on);
    for (QAction* a : {mTallenna, mPeru, mSulje, mUusiTietokanta})
        a->setEnabled(on);
    cElaimet->setEnabled(on && bool(g_animalOpener));
    mElaimet->setEnabled(on && bool(g_animalOpener));
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
        std::unique_ptr<MailServerLookup> lookup = g_lookupFactory ? g_lookupFactory() : std::make_unique<MailServerLookup>();
        found = lookup->lookup(tEmail->text());
        setCommandsEnabled(true);
    }
    if (found.isEmpty()) {
        ShowInfo(QStringLiteral("Kysely ei löytänyt sähköpostipalvelinta."));
    } else if (tSMTP->text().isEmpty()) {
        tSMTP->setText(found);
    } else if (tSMTP->text() != found) {
        if (AskYesNo(QStringLiteral("Kysely löysi palvelimen: ") + found
                     + QStringLiteral("\r\n\r\nHaluatko korvata nykyisen palvelinasetuksen?")))
            tSMTP->setText(found);
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
    if (CreateNewDatabase(NewDatabaseIntro(), NewDatabaseTemplate()) != NewDatabaseResult::Created)
        return;
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
    if (AskYesNo(QStringLiteral("Asetuksiin on tehty muutoksia, tallennetaanko muutokset?")))
        return saveSettings();
    return true;
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
