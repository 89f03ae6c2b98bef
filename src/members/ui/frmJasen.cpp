#include "members/ui/frmJasen.h"

#include "base/ErrorHandling.h"
#include "base/Prompter.h"
#include "base/ui/FormRegistry.h"
#include "members/MemberCardFields.h"
#include "members/MemberFeatures.h"
#include "members/MemberList.h"
#include "members/MemberTree.h"
#include "members/ui/MemberCardParts.h"
#include "members/ui/SelectAllOnFocus.h"
#include "printing/ReportServices.h"
#include "base/SharedState.h"
#include "settings/ui/FormPlacement.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFocusEvent>
#include <QShowEvent>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTabBar>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace tikkeli {

namespace {

const QString kWindowName = QStringLiteral("frmJasen");
const QString kCheckDatabase = QStringLiteral("Tarkista tietokanta asetukset asetusikkunasta!");
// A letter node's group in the window's reading of the tree (letter nodes carry no key).
constexpr int LetterRole = Qt::UserRole + 1;

QPushButton* makeButton(QWidget* parent, const QString& name, const QString& caption, const QString& hint)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setToolTip(hint);
    b->setAutoDefault(false);
    b->setFocusPolicy(Qt::TabFocus);
    return b;
}

QAction* makeAction(QMenu* menu, const char* name, const QString& caption, const QKeySequence& key = {})
{
    QAction* a = menu->addAction(caption);
    a->setObjectName(QLatin1String(name));
    if (!key.isEmpty()) {
        a->setShortcut(key);
        a->setShortcutContext(Qt::WindowShortcut);
    }
    return a;
}

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

frmJasen::frmJasen(QWidget* parent) : QMainWindow(parent, Qt::Window)
{
    setObjectName(kWindowName);
    setWindowTitle(QStringLiteral("Tikkeli - Jäsenrekisteri"));
    buildControls();
    buildMenus();
    connectCommands();
    // The window's own parts: the features and invoices tabs and the member-data commands.
    MemberCardParts::extend(*this);
    const bool quick = WindowHooks::has(WindowHook::MemberQuickSearch);
    const bool byName = WindowHooks::has(WindowHook::MemberNameSearch);
    cHaku->setEnabled(quick);
    mHaku->setEnabled(quick);
    cNimiHaku->setEnabled(byName);
    mNimihaku->setEnabled(byName);
    // Every box, list and panel widget (the extensions' too) leaves the command keys to the window.
    for (QWidget* w : findChildren<QWidget*>())
        w->installEventFilter(this);
    RestoreFormPlacement(this);
    m_loaded = load();
    // The window opens on the tree, not in a box where the first key typed would overwrite the
    // first member's number.
    tvwNimet->setFocus(Qt::OtherFocusReason);
}

frmJasen::~frmJasen() = default;

void frmJasen::addPanel(MemberCardPanel* panel)
{
    if (panel)
        m_panels.push_back(panel);
}

// ---- building

void frmJasen::buildControls()
{
    auto* central = new QWidget(this);
    setCentralWidget(central);

    Frame1 = new QGroupBox(QStringLiteral("Perustiedot"), central);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    auto* card = new QGridLayout(Frame1);
    const QStringList& labels = MemberCardFields::labels();
    for (int i = 0; i < MemberCardFields::Count; ++i) {
        auto* box = new QLineEdit(Frame1);
        box->setObjectName(QStringLiteral("tYhteystiedot_%1").arg(i));
        if (const int max = MemberCardFields::maxLength(i))
            box->setMaxLength(max);
        tYhteystiedot[std::size_t(i)] = box;
    }
    chkEmailLasku = new QCheckBox(Frame1);
    chkEmailLasku->setObjectName(QStringLiteral("chkEmailLasku"));
    chkJasenmaksu = new QCheckBox(Frame1);
    chkJasenmaksu->setObjectName(QStringLiteral("chkJasenmaksu"));
    chkMaanomistaja = new QCheckBox(Frame1);
    chkMaanomistaja->setObjectName(QStringLiteral("chkMaanomistaja"));
    cLisaaViiteTarkiste = makeButton(Frame1, QStringLiteral("cLisaaViiteTarkiste"), QStringLiteral("Lisää viitetarkiste"),
                                     QStringLiteral("Lisää viitenumeroon tarkiste"));
    cLisaaViiteTarkiste->setEnabled(false);

    const auto label = [&](int i) { return new QLabel(labels[i], Frame1); };
    int row = 0;
    for (int i : {0, 1, 2, 3}) {
        card->addWidget(label(i), row, 0);
        card->addWidget(tYhteystiedot[std::size_t(i)], row++, 1, 1, 2);
    }
    card->addWidget(label(4), row, 0);
    card->addWidget(tYhteystiedot[4], row, 1);
    card->addWidget(tYhteystiedot[5], row++, 2);
    for (int i : {6, 7, 8}) {
        card->addWidget(label(i), row, 0);
        card->addWidget(tYhteystiedot[std::size_t(i)], row++, 1, 1, 2);
    }
    row = 0;
    card->addWidget(label(9), row, 3);
    card->addWidget(tYhteystiedot[9], row, 4);
    card->addWidget(cLisaaViiteTarkiste, row++, 5);
    for (int i : {10, 11, 12}) {
        card->addWidget(label(i), row, 3);
        card->addWidget(tYhteystiedot[std::size_t(i)], row++, 4, 1, 2);
    }
    const std::array<std::pair<QCheckBox*, QString>, 3> checks = {
        std::pair{chkEmailLasku, QStringLiteral("Lasku sähköpostilla:")},
        std::pair{chkJasenmaksu, QStringLiteral("Jäsenmaksu OK:")},
        std::pair{chkMaanomistaja, QStringLiteral("Maanomistaja:")}};
    for (const auto& [box, caption] : checks) {
        card->addWidget(new QLabel(caption, Frame1), row, 3);
        card->addWidget(box, row++, 4);
    }
    card->setColumnStretch(1, 1);
    card->setColumnStretch(2, 2);
    card->setColumnStretch(4, 2);

    TabStrip1 = new QTabBar(central);
    TabStrip1->setObjectName(QStringLiteral("TabStrip1"));
    TabStrip1->addTab(QStringLiteral("Ominaisuudet"));
    TabStrip1->addTab(QStringLiteral("Maksut"));
    TabStrip1->addTab(QStringLiteral("Muistio"));
    auto* tabs = new QVBoxLayout;
    tabs->setSpacing(0);
    tabs->addWidget(TabStrip1);
    for (int i = 1; i <= 3; ++i) {
        auto* frame = new QFrame(central);
        frame->setObjectName(QStringLiteral("frameTabs_%1").arg(i));
        frame->setFrameShape(QFrame::StyledPanel);
        auto* inside = new QVBoxLayout(frame);
        inside->setContentsMargins(6, 6, 6, 6);
        frame->setVisible(i == 1);
        frameTabs[std::size_t(i)] = frame;
        tabs->addWidget(frame, 1);
    }
    tMuistio = new QPlainTextEdit(frameTabs[3]);
    tMuistio->setObjectName(QStringLiteral("tMuistio"));
    frameTabs[3]->layout()->addWidget(tMuistio);

    cUusi = makeButton(central, QStringLiteral("cUusi"), QStringLiteral("Uusi"), QStringLiteral("Tee uusi jäsen [F2]"));
    cTallenna = makeButton(central, QStringLiteral("cTallenna"), QStringLiteral("Tallenna"),
                           QStringLiteral("Tallenna näytöllä olevan jäsen [F3]"));
    cPoista = makeButton(central, QStringLiteral("cPoista"), QStringLiteral("Poista"),
                         QStringLiteral("Poista näytössä oleva jäsen [F4]"));
    cSelaa = makeButton(central, QStringLiteral("cSelaa"), QStringLiteral("Selaa"), QStringLiteral("Selaa jäsenistöä [F5]"));
    cPeru = makeButton(central, QStringLiteral("cPeru"), QStringLiteral("Peru"),
                       QStringLiteral("Peru tehdyt muutokset [Ctrl+Z]"));
    cHaku = makeButton(central, QStringLiteral("cHaku"), QStringLiteral("Haku"),
                       QStringLiteral("Hae jäsenrekisteristä [F6]"));
    cNimiHaku = makeButton(central, QStringLiteral("cNimiHaku"), QStringLiteral("N-haku"),
                           QStringLiteral("Hae nimellä [F9]"));
    cEnsimmainen = makeButton(central, QStringLiteral("cEnsimmäinen"), QStringLiteral("Ensimm."),
                              QStringLiteral("Siirry ensimmäiseen [Ctrl+A]"));
    cEdellinen = makeButton(central, QStringLiteral("cEdellinen"), QStringLiteral("Edel."),
                            QStringLiteral("Siirry edelliseen [Ctrl+S]"));
    cSeuraava = makeButton(central, QStringLiteral("cSeuraava"), QStringLiteral("Seur."),
                           QStringLiteral("Siirry seuraavaan [Ctrl+D]"));
    cViimeinen = makeButton(central, QStringLiteral("cViimeinen"), QStringLiteral("Viim."), QString());
    cSulje = makeButton(central, QStringLiteral("cSulje"), QStringLiteral("Sulje"),
                        QStringLiteral("Sulje Jäsenrekisteri [Alt+F4]"));
    cEmail = makeButton(central, QStringLiteral("cEmail"), QStringLiteral("Email"),
                        QStringLiteral("Lähetä jäsenelle sähköpostia"));
    cEmail->setEnabled(false);
    // Record commands above, moves below: one row would not fit a laptop screen.
    auto* buttons = new QGridLayout;
    int column = 0;
    for (QPushButton* b : {cUusi, cTallenna, cPoista, cSelaa, cPeru, cHaku, cNimiHaku})
        buttons->addWidget(b, 0, column++);
    column = 0;
    for (QPushButton* b : {cEnsimmainen, cEdellinen, cSeuraava, cViimeinen, cEmail})
        buttons->addWidget(b, 1, column++);
    buttons->addWidget(cSulje, 1, 6);

    tvwNimet = new QTreeWidget(central);
    tvwNimet->setObjectName(QStringLiteral("tvwNimet"));
    tvwNimet->setHeaderHidden(true);
    tvwNimet->setMinimumWidth(200);
    cAvaaKaikki = makeButton(central, QStringLiteral("cAvaaKaikki"), QStringLiteral("&Avaa kaikki"), QString());
    cmbListaEhto = new QComboBox(central);
    cmbListaEhto->setObjectName(QStringLiteral("cmbListaEhto"));
    auto* left = new QVBoxLayout;
    left->addWidget(cmbListaEhto);
    left->addWidget(tvwNimet, 1);
    left->addWidget(cAvaaKaikki);

    auto* right = new QVBoxLayout;
    right->addWidget(Frame1);
    right->addLayout(tabs, 1);
    right->addLayout(buttons);

    auto* whole = new QHBoxLayout(central);
    whole->addLayout(left);
    whole->addLayout(right, 1);
    resize(1000, 640);
}

void frmJasen::buildMenus()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("&Tiedosto"));
    mSulje = makeAction(file, "mSulje", QStringLiteral("&Sulje"));

    QMenu* record = menuBar()->addMenu(QStringLiteral("T&ietue"));
    mUusi = makeAction(record, "mUusi", QStringLiteral("&Uusi"), Qt::Key_F2);
    mKopioiYhteystiedot = makeAction(record, "mKopioiYhteystiedot", QStringLiteral("Kopioi yhteystiedot"),
                                     QKeySequence(Qt::CTRL | Qt::Key_B));
    mKopioiYhteystiedot->setEnabled(false);
    mTallenna = makeAction(record, "mTallenna", QStringLiteral("&Tallenna"), Qt::Key_F3);
    mPoista = makeAction(record, "mPoista", QStringLiteral("&Poista"), Qt::Key_F4);
    mSelaa = makeAction(record, "mSelaa", QStringLiteral("Se&laa"), Qt::Key_F5);
    mPeru = makeAction(record, "mPeru", QStringLiteral("P&eru"), QKeySequence(Qt::CTRL | Qt::Key_Z));
    mHaku = makeAction(record, "mHaku", QStringLiteral("Haku"), Qt::Key_F6);
    mNimihaku = makeAction(record, "mNimihaku", QStringLiteral("Nimihaku"), Qt::Key_F9);
    record->addSeparator();
    mEnsimmainen = makeAction(record, "mEnsimmainen", QStringLiteral("Siirry ensimmäiseen"),
                              QKeySequence(Qt::CTRL | Qt::Key_A));
    mEdellinen = makeAction(record, "mEdellinen", QStringLiteral("Siirry edelliseen"), QKeySequence(Qt::CTRL | Qt::Key_S));
    mSeuraava = makeAction(record, "mSeuraava", QStringLiteral("Siirry seuraavaan"), QKeySequence(Qt::CTRL | Qt::Key_D));
    mViimeinen = makeAction(record, "mViimeinen", QStringLiteral("Siirry viimeiseen"), QKeySequence(Qt::CTRL | Qt::Key_F));

    mOminaisuudet = menuBar()->addMenu(QStringLiteral("&Ominaisuudet"));
    mOminaisuudet->setObjectName(QStringLiteral("mOminaisuudet"));
    mLisaaPiirre = makeAction(mOminaisuudet, "mLisaaPiirre", QStringLiteral("&Lisää"), QKeySequence(Qt::SHIFT | Qt::Key_F2));
    mPoistaPiirre = makeAction(mOminaisuudet, "mPoistaPiirre", QStringLiteral("&Poista"),
                               QKeySequence(Qt::SHIFT | Qt::Key_F4));
    mSelaaPiirre = makeAction(mOminaisuudet, "mSelaaPiirre", QStringLiteral("Se&laa"), QKeySequence(Qt::SHIFT | Qt::Key_F5));
    mOminaisuudet->addSeparator();
    mMoniliitos = makeAction(mOminaisuudet, "mMoniliitos", QStringLiteral("Moniliitos"));

    mRaportit = menuBar()->addMenu(QStringLiteral("&Raportit"));
    mRaportit->setObjectName(QStringLiteral("mRaportit"));
    mLuettelot = makeAction(mRaportit, "mLuettelot", QStringLiteral("Luettelot ja tarrat"));
    QMenu* history = mRaportit->addMenu(QStringLiteral("Jäsenien maksuhistoria"));
    mMaksuhistoriaRyhma = makeAction(history, "mMaksuhistoriaRyhma", QStringLiteral("Ryhmälle"));
    mMaksuhistoriaJasen = makeAction(history, "mMaksuhistoriaJasen", QStringLiteral("Jäsenelle"));
    QMenu* templates = mRaportit->addMenu(QStringLiteral("Muokattavat Raportit"));
    mMuokkaaRaportteja = makeAction(templates, "mMuokkaaRaportteja", QStringLiteral("Muokkaa raportteja"));
    templates->addSeparator();
    // The report-template items appear once the template editor exists to fill them.
    mMuokattavaRaporttiX0 = makeAction(templates, "mMuokattavaRaporttiX_0", QStringLiteral("Raportti X"));
    mMuokattavaRaporttiX0->setVisible(false);

    mTyokalut = menuBar()->addMenu(QStringLiteral("Työkalut"));
    mTyokalut->setObjectName(QStringLiteral("mTyokalut"));
    QMenu* mail = mTyokalut->addMenu(QStringLiteral("Sähköposti"));
    mEmailKaikille = makeAction(mail, "mEmailKaikille", QStringLiteral("Kaikille"));
    mEmailOminaisuudella = makeAction(mail, "mEmailOminaisuudella", QStringLiteral("Ominaisuudella"));
    QMenu* data = mTyokalut->addMenu(QStringLiteral("Rekisteritiedot"));
    mRekisteritiedotEmailiin = makeAction(data, "mRekisteritiedotEmailiin", QStringLiteral("Sähköpostitse"));
    mRekisteritiedotLeikepoydalle = makeAction(data, "mRekisteritiedotLeikepoydalle", QStringLiteral("Leikepöydälle"));
    mOsoitetietojenVienti = makeAction(mTyokalut, "mOsoitetietojenVienti", QStringLiteral("Osoitetietojen vienti"));

    // Entries served by windows of other parts stay visible and disabled until those parts
    // connect them (the extensions run after this).
    for (QAction* a : {mLisaaPiirre, mPoistaPiirre, mSelaaPiirre, mMoniliitos, mLuettelot, mMaksuhistoriaRyhma,
                       mMaksuhistoriaJasen, mMuokkaaRaportteja, mEmailKaikille, mEmailOminaisuudella,
                       mRekisteritiedotEmailiin, mRekisteritiedotLeikepoydalle, mOsoitetietojenVienti})
        a->setEnabled(false);
}

void frmJasen::connectCommands()
{
    const auto both = [this](QPushButton* button, QAction* action, void (frmJasen::*handler)()) {
        if (button)
            connect(button, &QPushButton::clicked, this, handler);
        if (action)
            connect(action, &QAction::triggered, this, handler);
    };
    both(cUusi, mUusi, &frmJasen::cUusi_Click);
    both(cTallenna, mTallenna, &frmJasen::cTallenna_Click);
    both(cPoista, mPoista, &frmJasen::cPoista_Click);
    both(cSelaa, mSelaa, &frmJasen::cSelaa_Click);
    both(cPeru, mPeru, &frmJasen::cPeru_Click);
    both(cHaku, mHaku, &frmJasen::cHaku_Click);
    both(cNimiHaku, mNimihaku, &frmJasen::cNimiHaku_Click);
    both(cSulje, mSulje, &frmJasen::cSulje_Click);
    both(cAvaaKaikki, nullptr, &frmJasen::cAvaaKaikki_Click);
    const std::array<std::tuple<QPushButton*, QAction*, MemberNavigation::Move>, 4> moves = {
        std::tuple{cEnsimmainen, mEnsimmainen, MemberNavigation::Move::First},
        std::tuple{cEdellinen, mEdellinen, MemberNavigation::Move::Previous},
        std::tuple{cSeuraava, mSeuraava, MemberNavigation::Move::Next},
        std::tuple{cViimeinen, mViimeinen, MemberNavigation::Move::Last}};
    for (const auto& [button, action, move] : moves) {
        connect(button, &QPushButton::clicked, this, [this, m = move] { navigate(m); });
        connect(action, &QAction::triggered, this, [this, m = move] { navigate(m); });
    }

    for (int i = 0; i < MemberCardFields::Count; ++i)
        connect(tYhteystiedot[std::size_t(i)], &QLineEdit::textChanged, this, [this, i] { tYhteystiedot_Change(i); });
    const std::array<QCheckBox*, 3> checks = {chkEmailLasku, chkJasenmaksu, chkMaanomistaja};
    for (std::size_t i = 0; i < checks.size(); ++i) {
        // A click of the user only: the card's own refresh sets the boxes without editing.
        connect(checks[i], &QCheckBox::clicked, this, [this, i] {
            m_checkChanged[i] = true;
            cardEdited();
        });
    }
    connect(tMuistio, &QPlainTextEdit::textChanged, this, [this] {
        if (m_filling)
            return;
        m_memoChanged = true;
        cardEdited();
    });
    connect(TabStrip1, &QTabBar::currentChanged, this, [this](int index) { TabStrip1_Click(index + 1); });
    connect(tvwNimet, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) { tvwNimet_NodeClick(item); });
    connect(tvwNimet, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) { listLetter(item); });
    // The user's choice only: filling the list at load is no choice of a filter.
    connect(cmbListaEhto, &QComboBox::activated, this, [this] { cmbListaEhto_Click(); });
}

// ---- loading and the card

bool frmJasen::load()
{
    IgnoreNodeClick = false;
    m_shownTab = 1;
    TabStrip1->setCurrentIndex(0);
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
    m_filling = true;
    cmbListaEhto->clear();
    cmbListaEhto->addItem(QStringLiteral(" - Kaikki - "), QVariant(qint64(0)));
    for (const MemberFeatures::Entry& d : MemberFeatures::definitions(Data1.database()))
        cmbListaEhto->addItem(d.name, QVariant(qint64(d.id)));
    const int at = cmbListaEhto->findData(QVariant(chosen));
    cmbListaEhto->setCurrentIndex(at < 0 ? 0 : at);
    m_filling = false;
}

qint64 frmJasen::filterFeatureId() const
{
    if (cmbListaEhto->currentIndex() < 1)
        return 0;
    return cmbListaEhto->currentData().toLongLong();
}

void frmJasen::RefreshCard()
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
    const std::array<QCheckBox*, 3> checks = {chkEmailLasku, chkJasenmaksu, chkMaanomistaja};
    for (std::size_t i = 0; i < checks.size(); ++i)
        checks[i]->setChecked(value(MemberCardFields::checkFields()[int(i)]).toBool());
    const QString memo = value(QStringLiteral("jrMuistio")).toString();
    if (tMuistio->toPlainText() != memo)
        tMuistio->setPlainText(memo);
    m_filling = false;
    m_boxChanged.fill(false);
    m_checkChanged.fill(false);
    m_memoChanged = false;
    memberChanged();
    moveFocusOutOfBoxes();
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
        tvwNimet->setFocus(Qt::OtherFocusReason);
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
    const std::array<QCheckBox*, 3> checks = {chkEmailLasku, chkJasenmaksu, chkMaanomistaja};
    for (std::size_t i = 0; i < checks.size(); ++i) {
        if (m_checkChanged[i])
            rs.setField(MemberCardFields::checkFields()[int(i)], Value(checks[i]->isChecked()));
    }
    if (m_memoChanged) {
        const QString memo = tMuistio->toPlainText();
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
    tvwNimet->clear();
    m_treeGroups = std::move(groups);
    auto* root = new QTreeWidgetItem(tvwNimet, QStringList{QStringLiteral("Aakkostettu")});
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
    QTreeWidgetItem* root = tvwNimet->topLevelItem(0);
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
        if (AskYesNo(QStringLiteral("Poistetaanko näytössä oleva jäsen?"))) {
            const qint64 id = Data1.currentId();
            Data1.deleteCurrent();
            // Only a listed letter has the member's node; an unlisted one must not list it later.
            const QString key = MemberTree::Member{id, {}}.key();
            for (QTreeWidgetItemIterator it(tvwNimet); *it; ++it) {
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
        tvwNimet->setFocus();
        // The Down-arrow the tree gets after a rebuild: its first node becomes the current one.
        if (tvwNimet->topLevelItemCount() > 0)
            tvwNimet->setCurrentItem(tvwNimet->topLevelItem(0));
        UpdateMemberCaption();
    });
}

void frmJasen::cAvaaKaikki_Click()
{
    tvwNimet->hide();
    cSelaa_Click();
    for (QTreeWidgetItem* letter : std::vector<QTreeWidgetItem*>(m_letterNodes))
        listLetter(letter);
    tvwNimet->expandAll();
    tvwNimet->show();
    tvwNimet->setFocus();
}

void frmJasen::cmbListaEhto_Click()
{
    if (!SaveMember()) {
        // The card could not be written (the user was told once): the old filter stays chosen.
        m_filling = true;
        const int at = cmbListaEhto->findData(QVariant(m_appliedFilter));
        cmbListaEhto->setCurrentIndex(at < 0 ? 0 : at);
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
            tvwNimet->setCurrentItem(node);
            tvwNimet->scrollToItem(node);
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
    for (int i = 1; i <= 3; ++i)
        frameTabs[std::size_t(i)]->setVisible(i == index);
    m_shownTab = index;
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
        if (watched == tvwNimet) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                tvwNimet_NodeClick(tvwNimet->currentItem());
                return true;
            }
        }
        break;
    case QEvent::FocusIn:
        if (auto* box = qobject_cast<QLineEdit*>(watched);
            box && box->parent() == Frame1 && SelectsAllOnFocus(static_cast<QFocusEvent*>(event)->reason()))
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
