#include "members/ui/frmNimiHaku.h"
#include "ui_frmNimiHaku.h"

#include "base/Prompter.h"
#include "ui/cMouseCursor.h"
#include "db/ConfiguredDatabase.h"
#include "members/MemberNameSearch.h"
#include "ui/SelectAllOnFocus.h"
#include "ui/FormPlacement.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace tikkeli {

frmNimiHaku::frmNimiHaku(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::frmNimiHaku>())
{
    ui->setupUi(this);
    wireUi();
    RestoreFormPlacement(this);
    QString message;
    if (auto db = OpenConfiguredDatabase(&message)) {
        m_db = *db;
        m_loaded = true;
    } else {
        ShowInfo(message);
    }
}

frmNimiHaku::~frmNimiHaku() = default;

bool frmNimiHaku::showModal(QWidget* parent)
{
    frmNimiHaku dialog(parent);
    return dialog.isLoaded() && dialog.exec() == QDialog::Accepted;
}

void frmNimiHaku::wireUi()
{
    for (QLineEdit* box : {ui->tSukunimi, ui->tEtunimi}) {
        SelectAllOnFocus(box);
        box->installEventFilter(this);
    }
    ui->lstFoundJR->installEventFilter(this);
    connect(ui->cSearch, &QPushButton::clicked, this, &frmNimiHaku::cSearch_Click);
    connect(ui->cOpen, &QPushButton::clicked, this, &frmNimiHaku::cOpen_Click);
    connect(ui->cUndo, &QPushButton::clicked, this, &frmNimiHaku::cUndo_Click);
    connect(ui->lstFoundJR, &QListWidget::itemDoubleClicked, this, &frmNimiHaku::cOpen_Click);
}

bool frmNimiHaku::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (watched == ui->lstFoundJR)
                cOpen_Click();
            else
                cSearch_Click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmNimiHaku::cSearch_Click()
{
    ui->lblSearchMessage->clear();
    ui->lstFoundJR->clear();
    m_foundIds.clear();
    if (!MemberNameSearch::hasCriteria(ui->tSukunimi->text(), ui->tEtunimi->text())) {
        ShowInfo(QStringLiteral("Kirjoita haettava nimi."));
        return;
    }
    cMouseCursor pointer;
    pointer.SetCursor(this, BusyPointer);
    std::vector<MemberSearchEntry> found;
    try {
        found = MemberNameSearch::find(m_db, ui->tSukunimi->text(), ui->tEtunimi->text());
    } catch (const DbException& e) {
        ShowWarning(QStringLiteral("Haku ei onnistunut: ") + e.description());
        return;
    }
    // All rows in one insertion, the members' ids beside the list: rows added one by one, each
    // with its own data, cost time growing with the square of the hits.
    QStringList texts;
    texts.reserve(qsizetype(found.size()));
    m_foundIds.reserve(found.size());
    for (const MemberSearchEntry& e : found) {
        texts.append(e.text);
        m_foundIds.push_back(e.jrID);
    }
    ui->lstFoundJR->addItems(texts);
    if (found.empty()) {
        ui->lblSearchMessage->setText(QStringLiteral("Ei löytynyt."));
    } else {
        ui->lblSearchMessage->setText(QStringLiteral("Löytyi: %1").arg(found.size()));
        // The first hit is chosen, so that Enter opens it at once.
        ui->lstFoundJR->setCurrentRow(0);
        ui->lstFoundJR->setFocus();
    }
}

void frmNimiHaku::cOpen_Click()
{
    const QList<QListWidgetItem*> selected = ui->lstFoundJR->selectedItems();
    if (selected.isEmpty()) {
        // Nothing chosen to open: the dialog stays for a search or a choice.
        SelectedMemberId = 0;
        Prompter::instance().beep();
        return;
    }
    const int row = ui->lstFoundJR->row(selected.first());
    SelectedMemberId = row >= 0 && std::size_t(row) < m_foundIds.size() ? m_foundIds[std::size_t(row)] : 0;
    accept();
}

void frmNimiHaku::cUndo_Click()
{
    SelectedMemberId = 0;
    reject();
}

void frmNimiHaku::done(int result)
{
    SaveFormPlacement(this);
    QDialog::done(result);
}

} // namespace tikkeli
