#include "members/ui/frmPiirre.h"

#include "base/ErrorHandling.h"
#include "base/NullConversions.h"
#include "base/Prompter.h"
#include "base/ui/cMouseCursor.h"
#include "db/DbError.h"
#include "members/FeatureCatalogue.h"
#include "members/FeatureEvents.h"
#include "members/ui/FeatureValueBoxes.h"
#include "printing/ui/ReportPrinting.h"
#include "base/SharedState.h"
#include "settings/ui/FormPlacement.h"

#include <QAction>
#include <QBoxLayout>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QTreeWidget>

namespace tikkeli {

namespace {

constexpr int KeyRole = Qt::UserRole;

const QString& checkDatabaseText()
{
    static const QString text = QStringLiteral("Tarkista tietokanta asetukset asetusikkunasta!");
    return text;
}

bool isRecordKey(const QKeyEvent* e)
{
    const auto mods = e->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (mods == Qt::NoModifier)
        return e->key() >= Qt::Key_F2 && e->key() <= Qt::Key_F5;
    if (mods == Qt::ControlModifier)
        switch (e->key()) {
        case Qt::Key_A:
        case Qt::Key_S:
        case Qt::Key_D:
        case Qt::Key_F:
        case Qt::Key_Z:
            return true;
        default:
            break;
        }
    return false;
}

enum NavigateTo { First, Previous, Next, Last };

} // namespace

frmPiirre::frmPiirre(QWidget* parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmPiirre"));
    setWindowTitle(QStringLiteral("Tikkeli - Ominaisuudet"));
    buildUi();
    RestoreFormPlacement(this);
    load();
}

frmPiirre::~frmPiirre() = default;

void frmPiirre::buildUi()
{
    auto* layout = new QVBoxLayout(this);
    auto* menuBar = new QMenuBar(this);
    const auto action = [this](QMenu* menu, const char* name, const QString& caption, const QKeySequence& key = {}) {
        QAction* a = menu->addAction(caption);
        a->setObjectName(QString::fromUtf8(name));
        a->setShortcut(key);
        a->setShortcutContext(Qt::WindowShortcut);
        addAction(a);
        return a;
    };
    QMenu* mTiedosto = menuBar->addMenu(QStringLiteral("&Tiedosto"));
    mTiedosto->setObjectName(QStringLiteral("mTiedosto"));
    mSiivoaVanhatOminaisuudet = action(mTiedosto, "mSiivoaVanhatOminaisuudet", QStringLiteral("Siivoa vanhat ominaisuudet"));
    mTiedosto->addSeparator();
    mSulje = action(mTiedosto, "mSulje", QStringLiteral("&Sulje"));
    QMenu* mTietue = menuBar->addMenu(QStringLiteral("T&ietue"));
    mTietue->setObjectName(QStringLiteral("mTietue"));
    mUusi = action(mTietue, "mUusi", QStringLiteral("&Uusi"), Qt::Key_F2);
    mTallenna = action(mTietue, "mTallenna", QStringLiteral("&Tallenna"), Qt::Key_F3);
    mPoista = action(mTietue, "mPoista", QStringLiteral("&Poista"), Qt::Key_F4);
    mSelaa = action(mTietue, "mSelaa", QStringLiteral("Se&laa"), Qt::Key_F5);
    mPeru = action(mTietue, "mPeru", QStringLiteral("P&eru"), QKeySequence(Qt::CTRL | Qt::Key_Z));
    mTietue->addSeparator();
    mEnsimmainen = action(mTietue, "mEnsimmäinen", QStringLiteral("Siirry ensimmäiseen"), QKeySequence(Qt::CTRL | Qt::Key_A));
    mEdellinen = action(mTietue, "mEdellinen", QStringLiteral("Siirry edelliseen"), QKeySequence(Qt::CTRL | Qt::Key_S));
    mSeuraava = action(mTietue, "mSeuraava", QStringLiteral("Siirry seuraavaan"), QKeySequence(Qt::CTRL | Qt::Key_D));
    mViimeinen = action(mTietue, "mViimeinen", QStringLiteral("Siirry viimeiseen"), QKeySequence(Qt::CTRL | Qt::Key_F));
    QMenu* mRaportit = menuBar->addMenu(QStringLiteral("&Raportit"));
    mRaportit->setObjectName(QStringLiteral("mRaportit"));
    mRapLuettelo = action(mRaportit, "mRapLuettelo", QStringLiteral("Luettelo ominaisuuksista"));
    layout->setMenuBar(menuBar);

    auto* body = new QHBoxLayout;
    layout->addLayout(body, 1);
    tvwPiirteet = new QTreeWidget(this);
    tvwPiirteet->setObjectName(QStringLiteral("tvwPiirteet"));
    tvwPiirteet->setHeaderHidden(true);
    tvwPiirteet->installEventFilter(this);
    body->addWidget(tvwPiirteet, 1);

    auto* card = new QVBoxLayout;
    body->addLayout(card, 2);
    auto* perustiedot = new QGroupBox(QStringLiteral("Perustiedot"), this);
    auto* basic = new QFormLayout(perustiedot);
    tNimi = new QLineEdit(this);
    tNimi->setObjectName(QStringLiteral("tNimi"));
    tNimi->setMaxLength(50);
    basic->addRow(QStringLiteral("Nimi:"), tNimi);
    tKuvaus = new QPlainTextEdit(this);
    tKuvaus->setObjectName(QStringLiteral("tKuvaus"));
    basic->addRow(QStringLiteral("Kuvaus:"), tKuvaus);
    auto* typeRow = new QHBoxLayout;
    auto* typeGroup = new QButtonGroup(this);
    const QString typeCaptions[] = {{}, QStringLiteral("Jäsenrekisteri"), QStringLiteral("Maanvuokraus")};
    for (int i = 1; i <= 2; ++i) {
        optType[std::size_t(i)] = new QRadioButton(typeCaptions[i], this);
        optType[std::size_t(i)]->setObjectName(QStringLiteral("optType%1").arg(i));
        typeGroup->addButton(optType[std::size_t(i)], i);
        typeRow->addWidget(optType[std::size_t(i)]);
        connect(optType[std::size_t(i)], &QRadioButton::clicked, this, [this, i] { typeClicked(i); });
    }
    basic->addRow(QStringLiteral("Tyyppi:"), typeRow);
    card->addWidget(perustiedot);

    auto* oletusarvot = new QGroupBox(QStringLiteral("Oletusarvot"), this);
    auto* defaults = new QGridLayout(oletusarvot);
    const auto kind = [&](QCheckBox*& box, const char* name, const QString& caption, QWidget* value, int row) {
        box = new QCheckBox(caption, this);
        box->setObjectName(QString::fromLatin1(name));
        defaults->addWidget(box, row, 0, Qt::AlignTop);
        defaults->addWidget(value, row, 1);
    };
    const auto lineEdit = [this](const char* name) {
        auto* e = new QLineEdit(this);
        e->setObjectName(QString::fromLatin1(name));
        return e;
    };
    tDate = lineEdit("tDate");
    tLong = lineEdit("tLong");
    tCurrency = lineEdit("tCurrency");
    tMemo = new QPlainTextEdit(this);
    tMemo->setObjectName(QStringLiteral("tMemo"));
    // Tab leaves the multi-line boxes as it leaves the others.
    tKuvaus->setTabChangesFocus(true);
    tMemo->setTabChangesFocus(true);
    kind(chkDate, "chkDate", QStringLiteral("Päivämäärä:"), tDate, 0);
    kind(chkLong, "chkLong", QStringLiteral("Luku:"), tLong, 1);
    kind(chkCurrency, "chkCurrency", QStringLiteral("Arvo:"), tCurrency, 2);
    kind(chkMemo, "chkMemo", QStringLiteral("Muistio:"), tMemo, 3);
    card->addWidget(oletusarvot, 1);
    // The value boxes were made before their check boxes: Tab goes from each check box to its box.
    QWidget* chain[] = {tNimi, tKuvaus, optType[1], optType[2], chkDate, tDate, chkLong, tLong,
                        chkCurrency, tCurrency, chkMemo, tMemo};
    for (std::size_t i = 1; i < std::size(chain); ++i)
        setTabOrder(chain[i - 1], chain[i]);
    connect(chkDate, &QCheckBox::clicked, this, [this] { kindClicked(chkDate, tDate, m_dateTouched); });
    connect(chkLong, &QCheckBox::clicked, this, [this] { kindClicked(chkLong, tLong, m_longTouched); });
    connect(chkCurrency, &QCheckBox::clicked, this,
            [this] { kindClicked(chkCurrency, tCurrency, m_currencyTouched); });
    connect(chkMemo, &QCheckBox::clicked, this, [this] { kindClicked(chkMemo, tMemo, m_memoTouched); });
    for (QWidget* w : std::initializer_list<QWidget*>{tNimi, tKuvaus, tDate, tLong, tCurrency, tMemo})
        w->installEventFilter(this);
    connect(tNimi, &QLineEdit::textEdited, this, &frmPiirre::nameEdited);

    auto* buttons = new QGridLayout;
    const auto button = [this, buttons](QPushButton*& b, const char* name, const QString& caption,
                                        const QString& tip, int row, int column) {
        b = new QPushButton(caption, this);
        b->setObjectName(QString::fromUtf8(name));
        b->setToolTip(tip);
        b->setFocusPolicy(Qt::TabFocus);
        buttons->addWidget(b, row, column);
    };
    button(cUusi, "cUusi", QStringLiteral("Uusi"), QStringLiteral("Tee uusi ominaisuus [F2]"), 0, 0);
    button(cTallenna, "cTallenna", QStringLiteral("Tallenna"), QStringLiteral("Tallenna näytöllä oleva ominaisuus [F3]"), 0, 1);
    button(cPoista, "cPoista", QStringLiteral("Poista"), QStringLiteral("Poista näytössä oleva ominaisuus [F4]"), 0, 2);
    button(cSelaa, "cSelaa", QStringLiteral("Selaa"), QStringLiteral("Selaa ominaisuusluetteloa [F5]"), 0, 3);
    button(cPeru, "cPeru", QStringLiteral("Peru"), QStringLiteral("Peru tekemäsi muutokset [Ctrl+Z]"), 0, 4);
    button(cEnsimmainen, "cEnsimmäinen", QStringLiteral("Ensimm."), QStringLiteral("Siirry ensimmäiseen [Ctrl+A]"), 1, 0);
    button(cEdellinen, "cEdellinen", QStringLiteral("Edel."), QStringLiteral("Siirry edelliseen [Ctrl+S]"), 1, 1);
    button(cSeuraava, "cSeuraava", QStringLiteral("Seur."), QStringLiteral("Siirry seuraavaan [Ctrl+D]"), 1, 2);
    button(cViimeinen, "cViimeinen", QStringLiteral("Viim."), {}, 1, 3);
    button(cSulje, "cSulje", QStringLiteral("Sulje"), QStringLiteral("Sulje Ominaisuudet [Alt+F4]"), 1, 4);
    layout->addLayout(buttons);

    const std::pair<QPushButton*, QAction*> pairs[] = {
        {cUusi, mUusi}, {cTallenna, mTallenna}, {cPoista, mPoista}, {cSelaa, mSelaa}, {cPeru, mPeru},
        {cEnsimmainen, mEnsimmainen}, {cEdellinen, mEdellinen}, {cSeuraava, mSeuraava}, {cViimeinen, mViimeinen},
        {cSulje, mSulje},
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
    connect(tvwPiirteet, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* node) { valitseSolmu(node); });
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
        if (isRecordKey(static_cast<QKeyEvent*>(event)))
            return true;
        break;
    case QEvent::KeyPress: {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (watched == tvwPiirteet && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
            valitseSolmu(tvwPiirteet->currentItem());
            return true;
        }
        break;
    }
    case QEvent::FocusIn:
        SelectAllOnFocus(watched, event);
        break;
    case QEvent::FocusOut:
        if (watched == tLong || watched == tCurrency)
            CheckNumberOnLeave(static_cast<QLineEdit*>(watched), false);
        else if (watched == tDate)
            CheckDateOnLeave(tDate, false);
        break;
    default:
        break;
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
    tvwPiirteet->clear();
    const QString roots[] = {QStringLiteral("Jäsenrekisteri"), QStringLiteral("Maanvuokrasopimukset")};
    for (int type = 1; type <= 2; ++type) {
        auto* root = new QTreeWidgetItem(tvwPiirteet, {roots[type - 1]});
        for (const FeatureLetterGroup& group : m_catalogue->treeGroups(type)) {
            auto* letter = new QTreeWidgetItem(root, {group.letter});
            for (const FeatureTreeEntry& entry : group.entries) {
                auto* node = new QTreeWidgetItem(letter, {entry.name});
                node->setData(0, KeyRole, FeatureCatalogue::treeKey(entry.id));
            }
        }
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
    tNimi->setText(v.nimi);
    tKuvaus->setPlainText(v.kuvaus);
    tMemo->setPlainText(v.memo);
    tDate->setText(v.date);
    tLong->setText(v.longValue);
    tCurrency->setText(v.currency);
    if (v.type == 1 || v.type == 2)
        optType[std::size_t(v.type)]->setChecked(true);
    const std::tuple<QCheckBox*, QWidget*, std::optional<bool>> kinds[] = {
        {chkDate, tDate, v.enabledDate}, {chkLong, tLong, v.enabledLong},
        {chkCurrency, tCurrency, v.enabledCurrency}, {chkMemo, tMemo, v.enabledMemo}};
    for (const auto& [box, value, enabled] : kinds) {
        if (!enabled)
            continue;
        box->setChecked(*enabled);
        value->setEnabled(*enabled);
    }
}

FeatureDefinitionInput frmPiirre::collect() const
{
    FeatureDefinitionInput in;
    in.nimi = tNimi->text();
    in.kuvaus = tKuvaus->toPlainText();
    in.memo = tMemo->toPlainText();
    in.date = tDate->text();
    in.longValue = tLong->text();
    in.currency = tCurrency->text();
    in.type = optType[1]->isChecked() ? 1 : optType[2]->isChecked() ? 2 : 0;
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
        const std::optional<qint64> before = m_catalogue->currentId();
        const FeatureDefinitionView stored = m_catalogue->current();
        refused = m_catalogue->write(collect());
        if (!refused && (!before || stored.nimi != tNimi->text() || stored.type != collect().type))
            FeatureEvents::definitionsChanged();
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
    tNimi->setFocus();
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

void frmPiirre::ensimmainen() { navigate(First); }
void frmPiirre::edellinen() { navigate(Previous); }
void frmPiirre::seuraava() { navigate(Next); }
void frmPiirre::viimeinen() { navigate(Last); }

void frmPiirre::selaa()
{
    if (!m_catalogue || !writeCurrent())
        return;
    try {
        FillFeatureTree();
    } catch (const DbException& e) {
        ShowWarning(e.description());
    }
    tvwPiirteet->setFocus();
    if (!tvwPiirteet->currentItem() && tvwPiirteet->topLevelItemCount() > 0)
        tvwPiirteet->setCurrentItem(tvwPiirteet->topLevelItem(0));
    UpdateFeatureCaption();
}

void frmPiirre::valitseSolmu(QTreeWidgetItem* node)
{
    if (!m_catalogue || !writeCurrent())
        return;
    showCurrent();
    if (!node)
        return;
    const auto id = FeatureCatalogue::idFromTreeKey(node->data(0, KeyRole).toString());
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
    if (!AskYesNo(QStringLiteral("Poistetaanko näytössä oleva ominaisuus?"), MsgIcon::Question, State().ProgramTitle))
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
    const QString key = FeatureCatalogue::treeKey(*id);
    for (QTreeWidgetItemIterator it(tvwPiirteet); *it; ++it)
        if ((*it)->data(0, KeyRole).toString() == key) {
            delete *it;
            break;
        }
    // The card shows the row the recordset arrived at, as it is stored: a cleared display would
    // otherwise be written into that row by the next save.
    showCurrent();
    UpdateFeatureCaption();
    FeatureEvents::definitionsChanged();
    FeatureEvents::memberValuesChanged();
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
    FeatureEvents::memberValuesChanged();
}

void frmPiirre::tulostaLuettelo()
{
    ReportingErrors(QStringLiteral("Virhe: "), [] { PrintRaport(QStringLiteral("pilista.rpt"), {}); });
}

void frmPiirre::kindClicked(QCheckBox* box, QWidget* valueBox, std::optional<bool>& touched)
{
    if (!m_catalogue || !m_catalogue->hasCurrent()) {
        box->setChecked(!box->isChecked());
        return;
    }
    const bool on = box->isChecked();
    if (!on) {
        if (auto* line = qobject_cast<QLineEdit*>(valueBox))
            line->clear();
        else if (auto* text = qobject_cast<QPlainTextEdit*>(valueBox))
            text->clear();
    }
    valueBox->setEnabled(on);
    touched = on;
}

void frmPiirre::typeClicked(int index)
{
    if (!m_catalogue || !m_catalogue->hasCurrent()) {
        ShowNewFeatureHint();
        return;
    }
    optType[std::size_t(index)]->setChecked(true);
}

void frmPiirre::nameEdited(const QString& text)
{
    if (!text.isEmpty() && text.at(0).toUpper().unicode() < u'A')
        ShowInfo(QStringLiteral("Ominaisuuden nimen tulee alkaa kirjaimella."));
}



} // namespace tikkeli
