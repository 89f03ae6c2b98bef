#include "members/ui/frmHaku.h"

#include "base/Prompter.h"
#include "settings/ui/FormPlacement.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tikkeli {

namespace {

QComboBox* makeCombo(QWidget* parent, const char* name)
{
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QLatin1String(name));
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setCompleter(nullptr);   // a typed value is searched as typed, never completed
    combo->setMinimumContentsLength(24);
    combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    return combo;
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    return button;
}

// The entry the user chose from the list, -1 when the text was typed (also when a chosen entry's
// text was edited afterwards).
int listIndex(const QComboBox* combo)
{
    const int index = combo->currentIndex();
    return index >= 0 && combo->itemText(index) == combo->currentText() ? index : -1;
}

qint32 itemId(const QComboBox* combo, int index)
{
    return combo->itemData(index).toInt();
}

} // namespace

frmHaku::frmHaku(Database db, QWidget* parent) : QDialog(parent), m_search(std::move(db))
{
    setObjectName(QStringLiteral("frmHaku"));
    setWindowTitle(QStringLiteral("Perushaku"));
    setModal(true);
    buildUi();
    RestoreFormPlacement(this);
    fillLists();
    HakuJasenID = 0;
    // The dialog opens ready for typing a member number.
    cmbJasenNro->setFocus(Qt::OtherFocusReason);
}

bool frmHaku::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            // Enter in a box runs the search of the box's own frame.
            for (auto* w = qobject_cast<QWidget*>(watched); w; w = w->parentWidget()) {
                if (w == fraJasenNro) {
                    cHae_Click();
                    return true;
                }
                if (w == fraYhteystiedot) {
                    cYhteysHaku_Click();
                    return true;
                }
                if (w == fraMuistio) {
                    cMuistioHaku_Click();
                    return true;
                }
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmHaku::buildUi()
{
    auto* main = new QVBoxLayout(this);
    const auto frame = [&](QGroupBox*& box, const char* name, const QString& caption, QPushButton*& search,
                           const char* searchName, int cancelIndex) {
        box = new QGroupBox(caption, this);
        box->setObjectName(QLatin1String(name));
        auto* form = new QFormLayout;
        auto* buttons = new QHBoxLayout;
        search = makeButton(box, searchName, QStringLiteral("Hae"));
        cPeruHaku[size_t(cancelIndex)] = makeButton(box, "", QStringLiteral("Peruuta"));
        cPeruHaku[size_t(cancelIndex)]->setObjectName(QStringLiteral("cPeruHaku_%1").arg(cancelIndex));
        buttons->addStretch();
        buttons->addWidget(search);
        buttons->addWidget(cPeruHaku[size_t(cancelIndex)]);
        auto* inner = new QVBoxLayout(box);
        inner->addLayout(form);
        inner->addLayout(buttons);
        main->addWidget(box);
        return form;
    };

    QFormLayout* form = frame(fraJasenNro, "fraJasenNro", QStringLiteral("Jäsennumerohaku"), cHae, "cHae", 0);
    cmbJasenNro = makeCombo(fraJasenNro, "cmbJasenNro");
    form->addRow(QStringLiteral("Jäsennumero:"), cmbJasenNro);

    form = frame(fraYhteystiedot, "fraYhteystiedot", QStringLiteral("Yhteystiedoilla"), cYhteysHaku, "cYhteysHaku", 1);
    cmbOsoite = makeCombo(fraYhteystiedot, "cmbOsoite");
    cmbPuhelin = makeCombo(fraYhteystiedot, "cmbPuhelin");
    cmbMatkapuhelin = makeCombo(fraYhteystiedot, "cmbMatkapuhelin");
    cmbEmail = makeCombo(fraYhteystiedot, "cmbEmail");
    form->addRow(QStringLiteral("Osoite:"), cmbOsoite);
    form->addRow(QStringLiteral("Puhelin:"), cmbPuhelin);
    form->addRow(QStringLiteral("Matkapuhelin:"), cmbMatkapuhelin);
    form->addRow(QStringLiteral("Email:"), cmbEmail);
    m_contactCombos = {cmbOsoite, cmbPuhelin, cmbMatkapuhelin, cmbEmail};

    form = frame(fraMuistio, "fraMuistio", QStringLiteral("Muistiohaku"), cMuistioHaku, "cMuistioHaku", 2);
    cmbMuistioAlut = makeCombo(fraMuistio, "cmbMuistioAlut");
    tMuistioHakuSana = new QLineEdit(fraMuistio);
    tMuistioHakuSana->setObjectName(QStringLiteral("tMuistioHakuSana"));
    form->addRow(QStringLiteral("Muistion alku:"), cmbMuistioAlut);
    form->addRow(QStringLiteral("Täyshaku:"), tMuistioHakuSana);

    for (QComboBox* combo : {cmbJasenNro, cmbOsoite, cmbPuhelin, cmbMatkapuhelin, cmbEmail, cmbMuistioAlut}) {
        combo->installEventFilter(this);
        if (combo->lineEdit())
            combo->lineEdit()->installEventFilter(this);
    }
    tMuistioHakuSana->installEventFilter(this);
    connect(cHae, &QPushButton::clicked, this, &frmHaku::cHae_Click);
    connect(cYhteysHaku, &QPushButton::clicked, this, &frmHaku::cYhteysHaku_Click);
    connect(cMuistioHaku, &QPushButton::clicked, this, &frmHaku::cMuistioHaku_Click);
    for (QPushButton* cancel : cPeruHaku)
        connect(cancel, &QPushButton::clicked, this, &frmHaku::cPeruHaku_Click);
    for (QComboBox* combo : m_contactCombos)
        connect(combo, &QComboBox::currentTextChanged, this, [this, combo](const QString& text) { contactChanged(combo, text); });
}

template <class F>
bool frmHaku::guarded(F&& search)
{
    try {
        search();
        return true;
    } catch (const DbException& e) {
        ShowWarning(QStringLiteral("Haku ei onnistunut: ") + e.description());
        return false;
    }
}

void frmHaku::fillLists()
{
    guarded([this] {
        FillMemoBeginnings();
        FillContactCombo(cmbJasenNro, MemberQuickSearch::Field::Jasennumero);
        FillContactCombo(cmbOsoite, MemberQuickSearch::Field::Osoite);
        FillContactCombo(cmbPuhelin, MemberQuickSearch::Field::Puhelin);
        FillContactCombo(cmbMatkapuhelin, MemberQuickSearch::Field::Matkapuhelin);
        FillContactCombo(cmbEmail, MemberQuickSearch::Field::Email);
    });
}

void frmHaku::FillContactCombo(QComboBox* combo, MemberQuickSearch::Field field)
{
    combo->setEditText(QString());
    for (const MemberSearchEntry& e : m_search.fieldEntries(field))
        combo->addItem(e.text, e.jrID);
    combo->setCurrentIndex(-1);
}

void frmHaku::FillMemoBeginnings()
{
    for (const MemberSearchEntry& e : m_search.memoBeginnings())
        cmbMuistioAlut->addItem(e.text, e.jrID);
    cmbMuistioAlut->setCurrentIndex(-1);
}

void frmHaku::contactChanged(QComboBox* changed, const QString& text)
{
    if (text.isEmpty())
        return;
    for (QComboBox* other : m_contactCombos)
        if (other != changed)
            other->setEditText(QString());
}

void frmHaku::cHae_Click()
{
    const int index = listIndex(cmbJasenNro);
    if (index != -1) {
        HakuJasenID = itemId(cmbJasenNro, index);
        accept();
        return;
    }
    std::optional<qint32> found;
    if (!guarded([&] { found = m_search.findEqual(MemberQuickSearch::Field::Jasennumero, cmbJasenNro->currentText()); }))
        return;
    if (!found) {
        ShowInfo(QStringLiteral("Jäsennumerolla ei löydy jäsentä."));
        return;
    }
    HakuJasenID = *found;
    accept();
}

void frmHaku::cYhteysHaku_Click()
{
    static const MemberQuickSearch::Field fields[] = {MemberQuickSearch::Field::Osoite, MemberQuickSearch::Field::Puhelin,
                                                      MemberQuickSearch::Field::Matkapuhelin,
                                                      MemberQuickSearch::Field::Email};
    int chosen = 0;
    QString value;
    MemberQuickSearch::Field field = fields[0];
    for (size_t i = 0; i < m_contactCombos.size(); ++i) {
        QComboBox* combo = m_contactCombos[i];
        if (combo->currentText().isEmpty())
            continue;
        value = combo->currentText();
        field = fields[i];
        chosen = listIndex(combo);
        if (chosen != -1)
            HakuJasenID = itemId(combo, chosen);
    }
    if (chosen == -1) {
        std::optional<qint32> found;
        if (!guarded([&] { found = m_search.findEqual(field, value); }))
            return;
        if (!found) {
            ShowInfo(QStringLiteral("Ei löydy jäsentä."));
            return;
        }
        HakuJasenID = *found;
    }
    accept();
}

void frmHaku::cMuistioHaku_Click()
{
    const QString notFound = QStringLiteral("Muistiosta ei löydy annettua tietoa.");
    MemberQuickSearch::MemoHits hits;
    if (!tMuistioHakuSana->text().isEmpty()) {
        if (!guarded([&] { hits = m_search.findInMemos(tMuistioHakuSana->text()); }))
            return;
        if (hits.count == 0) {
            ShowInfo(notFound);
            return;
        }
        if (hits.count > 1)
            ShowInfo(QStringLiteral("Löytyi useita mahdollisia (%1). Siirrytään ensimmäiseen löydettyyn.").arg(hits.count));
        HakuJasenID = hits.firstId;
    } else if (const int index = listIndex(cmbMuistioAlut); index != -1) {
        HakuJasenID = itemId(cmbMuistioAlut, index);
    } else {
        if (!guarded([&] { hits = m_search.findMemoBeginning(cmbMuistioAlut->currentText()); }))
            return;
        if (hits.count == 0) {
            ShowInfo(notFound);
            return;
        }
        HakuJasenID = hits.firstId;
    }
    accept();
}

void frmHaku::cPeruHaku_Click()
{
    reject();
}

void frmHaku::done(int result)
{
    // The close box counts as "Peruuta": nothing chosen.
    if (result == QDialog::Rejected)
        HakuJasenID = 0;
    SaveFormPlacement(this);
    QDialog::done(result);
}

} // namespace tikkeli
