#include "members/ui/frmNimiHaku.h"

#include "base/Prompter.h"
#include "base/ui/cMouseCursor.h"
#include "members/ConfiguredDatabase.h"
#include "members/MemberNameSearch.h"
#include "members/ui/SelectAllOnFocus.h"
#include "settings/ui/FormPlacement.h"

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

frmNimiHaku::frmNimiHaku(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmNimiHaku"));
    setWindowTitle(QStringLiteral("Tikkeli - Nimihaku"));
    setModal(true);
    buildUi();
    RestoreFormPlacement(this);
    QString message;
    if (auto db = OpenConfiguredDatabase(&message)) {
        m_db = *db;
        m_loaded = true;
    } else {
        ShowInfo(message);
    }
}

bool frmNimiHaku::showModal(QWidget* parent)
{
    frmNimiHaku dialog(parent);
    return dialog.isLoaded() && dialog.exec() == QDialog::Accepted;
}

void frmNimiHaku::buildUi()
{
    fraHakuehdot = new QGroupBox(QStringLiteral("Hakuehdot"), this);
    fraHakuehdot->setObjectName(QStringLiteral("fraHakuehdot"));
    tSukunimi = new QLineEdit(fraHakuehdot);
    tSukunimi->setObjectName(QStringLiteral("tSukunimi"));
    tEtunimi = new QLineEdit(fraHakuehdot);
    tEtunimi->setObjectName(QStringLiteral("tEtunimi"));
    cSearch = new QPushButton(QStringLiteral("&Etsi"), fraHakuehdot);
    cSearch->setObjectName(QStringLiteral("cSearch"));
    auto* criteria = new QFormLayout(fraHakuehdot);
    criteria->addRow(QStringLiteral("Sukunimi:"), tSukunimi);
    criteria->addRow(QStringLiteral("Etunimi:"), tEtunimi);
    criteria->addRow(QString(), cSearch);

    lstFoundJR = new QListWidget(this);
    lstFoundJR->setObjectName(QStringLiteral("lstFoundJR"));
    lblSearchMessage = new QLabel(this);
    lblSearchMessage->setObjectName(QStringLiteral("lblSearchMessage"));
    cOpen = new QPushButton(QStringLiteral("Avaa"), this);
    cOpen->setObjectName(QStringLiteral("cOpen"));
    cUndo = new QPushButton(QStringLiteral("Peru"), this);
    cUndo->setObjectName(QStringLiteral("cUndo"));
    for (QPushButton* b : {cSearch, cOpen, cUndo})
        b->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(lblSearchMessage, 1);
    buttons->addWidget(cOpen);
    buttons->addWidget(cUndo);
    auto* main = new QVBoxLayout(this);
    main->addWidget(fraHakuehdot);
    main->addWidget(lstFoundJR, 1);
    main->addLayout(buttons);

    for (QLineEdit* box : {tSukunimi, tEtunimi}) {
        SelectAllOnFocus(box);
        box->installEventFilter(this);
    }
    lstFoundJR->installEventFilter(this);
    connect(cSearch, &QPushButton::clicked, this, &frmNimiHaku::cSearch_Click);
    connect(cOpen, &QPushButton::clicked, this, &frmNimiHaku::cOpen_Click);
    connect(cUndo, &QPushButton::clicked, this, &frmNimiHaku::cUndo_Click);
    connect(lstFoundJR, &QListWidget::itemDoubleClicked, this, &frmNimiHaku::cOpen_Click);
}

bool frmNimiHaku::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (watched == lstFoundJR)
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
    lblSearchMessage->clear();
    lstFoundJR->clear();
    if (!MemberNameSearch::hasCriteria(tSukunimi->text(), tEtunimi->text())) {
        ShowInfo(QStringLiteral("Kirjoita haettava nimi."));
        return;
    }
    cMouseCursor pointer;
    pointer.SetCursor(this, BusyPointer);
    std::vector<MemberSearchEntry> found;
    try {
        found = MemberNameSearch::find(m_db, tSukunimi->text(), tEtunimi->text());
    } catch (const DbException& e) {
        ShowWarning(QStringLiteral("Haku ei onnistunut: ") + e.description());
        return;
    }
    for (const MemberSearchEntry& e : found) {
        auto* item = new QListWidgetItem(e.text, lstFoundJR);
        item->setData(Qt::UserRole, e.jrID);
    }
    if (found.empty()) {
        lblSearchMessage->setText(QStringLiteral("Ei löytynyt."));
    } else {
        lblSearchMessage->setText(QStringLiteral("Löytyi: %1").arg(found.size()));
        // The first hit is chosen, so that Enter opens it at once.
        lstFoundJR->setCurrentRow(0);
        lstFoundJR->setFocus();
    }
}

void frmNimiHaku::cOpen_Click()
{
    const QList<QListWidgetItem*> selected = lstFoundJR->selectedItems();
    if (selected.isEmpty()) {
        // Nothing chosen to open: the dialog stays for a search or a choice.
        SelectedMemberId = 0;
        Prompter::instance().beep();
        return;
    }
    SelectedMemberId = selected.first()->data(Qt::UserRole).toInt();
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
