#include "members/ui/frmHaku.h"
#include "ui_frmHaku.h"

#include "base/Prompter.h"
#include "ui/WindowTeardown.h"
#include "ui/FormPlacement.h"

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

// The entry the user chose from the list, -1 when the text was typed (also when a chosen entry's
// text was edited afterwards).
int listIndex(const QComboBox* combo)
{
    const int index = combo->currentIndex();
    return index >= 0 && combo->itemText(index) == combo->currentText() ? index : -1;
}

} // namespace

frmHaku::frmHaku(Database db, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::frmHaku>()), m_search(std::move(db))
{
    ui->setupUi(this);
    wireUi();
    RestoreFormPlacement(this);
    fillLists();
    HakuJasenID = 0;
    // The dialog opens ready for typing a member number.
    ui->cmbJasenNro->setFocus(Qt::OtherFocusReason);
}

frmHaku::~frmHaku()
{
    DetachControls(this);
}

bool frmHaku::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            // Enter in a box runs the search of the box's own frame.
            for (auto* w = qobject_cast<QWidget*>(watched); w; w = w->parentWidget()) {
                if (w == ui->fraJasenNro) {
                    cHae_Click();
                    return true;
                }
                if (w == ui->fraYhteystiedot) {
                    cYhteysHaku_Click();
                    return true;
                }
                if (w == ui->fraMuistio) {
                    cMuistioHaku_Click();
                    return true;
                }
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmHaku::wireUi()
{
    m_contactCombos = {ui->cmbOsoite, ui->cmbPuhelin, ui->cmbMatkapuhelin, ui->cmbEmail};
    for (QComboBox* combo :
         {ui->cmbJasenNro, ui->cmbOsoite, ui->cmbPuhelin, ui->cmbMatkapuhelin, ui->cmbEmail, ui->cmbMuistioAlut}) {
        combo->setCompleter(nullptr); // a typed value is searched as typed, never completed
        combo->installEventFilter(this);
        if (combo->lineEdit())
            combo->lineEdit()->installEventFilter(this);
    }
    ui->tMuistioHakuSana->installEventFilter(this);
    connect(ui->cHae, &QPushButton::clicked, this, &frmHaku::cHae_Click);
    connect(ui->cYhteysHaku, &QPushButton::clicked, this, &frmHaku::cYhteysHaku_Click);
    connect(ui->cMuistioHaku, &QPushButton::clicked, this, &frmHaku::cMuistioHaku_Click);
    for (QPushButton* cancel : {ui->cPeruHaku_0, ui->cPeruHaku_1, ui->cPeruHaku_2})
        connect(cancel, &QPushButton::clicked, this, &frmHaku::cPeruHaku_Click);
    for (QComboBox* combo : m_contactCombos)
        connect(combo, &QComboBox::currentTextChanged, this,
                [this, combo](const QString& text) { contactChanged(combo, text); });
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
        FillContactCombo(ui->cmbJasenNro, MemberQuickSearch::Field::Jasennumero);
        FillContactCombo(ui->cmbOsoite, MemberQuickSearch::Field::Osoite);
        FillContactCombo(ui->cmbPuhelin, MemberQuickSearch::Field::Puhelin);
        FillContactCombo(ui->cmbMatkapuhelin, MemberQuickSearch::Field::Matkapuhelin);
        FillContactCombo(ui->cmbEmail, MemberQuickSearch::Field::Email);
    });
}

void frmHaku::fillCombo(QComboBox* combo, const std::vector<MemberSearchEntry>& entries)
{
    // All entries in one insertion, the members' ids beside the combo: entries added one by one,
    // each with its own data, cost a large register seconds.
    QStringList texts;
    texts.reserve(qsizetype(entries.size()));
    std::vector<qint32>& ids = m_itemIds[combo];
    ids.clear();
    ids.reserve(entries.size());
    for (const MemberSearchEntry& e : entries) {
        texts.append(e.text);
        ids.push_back(e.jrID);
    }
    combo->addItems(texts);
    combo->setCurrentIndex(-1);
}

qint32 frmHaku::itemId(QComboBox* combo, int index) const
{
    const auto it = m_itemIds.find(combo);
    if (it == m_itemIds.end() || index < 0 || std::size_t(index) >= it->second.size())
        return 0;
    return it->second[std::size_t(index)];
}

void frmHaku::FillContactCombo(QComboBox* combo, MemberQuickSearch::Field field)
{
    combo->setEditText(QString());
    fillCombo(combo, m_search.keptFieldEntries(field));
}

void frmHaku::FillMemoBeginnings()
{
    fillCombo(ui->cmbMuistioAlut, m_search.keptMemoBeginnings());
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
    const int index = listIndex(ui->cmbJasenNro);
    if (index != -1) {
        HakuJasenID = itemId(ui->cmbJasenNro, index);
        accept();
        return;
    }
    std::optional<qint32> found;
    if (!guarded([&] { found = m_search.findEqual(MemberQuickSearch::Field::Jasennumero, ui->cmbJasenNro->currentText()); }))
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
    if (!ui->tMuistioHakuSana->text().isEmpty()) {
        if (!guarded([&] { hits = m_search.findInMemos(ui->tMuistioHakuSana->text()); }))
            return;
        if (hits.count == 0) {
            ShowInfo(notFound);
            return;
        }
        if (hits.count > 1)
            ShowInfo(QStringLiteral("Löytyi useita mahdollisia (%1). Siirrytään ensimmäiseen löydettyyn.").arg(hits.count));
        HakuJasenID = hits.firstId;
    } else if (const int index = listIndex(ui->cmbMuistioAlut); index != -1) {
        HakuJasenID = itemId(ui->cmbMuistioAlut, index);
    } else {
        if (!guarded([&] { hits = m_search.findMemoBeginning(ui->cmbMuistioAlut->currentText()); }))
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
