#include "invoicing/ui/frmMaksujenLuonti.h"

#include "ui/WindowHooks.h"

#include "base/Clock.h"
#include "base/ErrorHandling.h"
#include "ui_frmMaksujenLuonti.h"

#include "base/Prompter.h"
#include "ui/FormRegistry.h"
#include "db/ReplacedFile.h"
#include "ui/WindowTeardown.h"
#include "ui/cMouseCursor.h"
#include "db/DbError.h"
#include "invoicing/InvoiceHistory.h"
#include "invoicing/InvoiceInput.h"
#include "invoicing/InvoiceRecipients.h"
#include "invoicing/InvoiceRun.h"
#include "invoicing/PayeeCheck.h"
#include "invoicing/InvoiceTitles.h"
#include "invoicing/EmailSendLoop.h"
#include "invoicing/ui/EmailRunProgress.h"
#include "invoicing/EmailTemplate.h"
#include "invoicing/ui/frmEmailPreview.h"
#include "ui/ConfiguredDatabaseWindow.h"
#include "base/SharedState.h"
#include "ui/FormPlacement.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QEventLoop>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <stdexcept>

namespace tikkeli {

namespace {

constexpr int CodeRole = Qt::UserRole;
constexpr int KindRole = Qt::UserRole + 1;
constexpr int IdRole = Qt::UserRole + 2;

QString errorText(const std::exception& e)
{
    if (const auto* db = dynamic_cast<const DbException*>(&e))
        return QStringLiteral("Virhe numero: ") + QString::number(db->number()) + QStringLiteral("\r\nTeksti: ")
               + db->description();
    return QStringLiteral("Teksti: ") + QString::fromStdString(e.what());
}

// Leaving a box by moving elsewhere in the window; not a menu or another window taking the focus.
bool leftByUser(const QEvent* event)
{
    const auto reason = static_cast<const QFocusEvent*>(event)->reason();
    return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason && reason != Qt::MenuBarFocusReason;
}

} // namespace

frmMaksujenLuonti::frmMaksujenLuonti(QWidget* parent) : QMainWindow(parent), ui(std::make_unique<Ui::frmMaksujenLuonti>())
{
    ui->setupUi(this);
    setWindowTitle(State().ProgramTitle + QStringLiteral(" - Laskutus"));
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("lblStatus"));
    ui->StatusBar1->addWidget(m_status, 1);
    // In the status bar, which stays enabled while the rest of the window waits for a send.
    m_cancel = new QPushButton(QStringLiteral("Keskeytä"), this);
    m_cancel->setObjectName(QStringLiteral("cKeskeyta"));
    m_cancel->setToolTip(QStringLiteral("Keskeytä sähköpostien lähetys"));
    m_cancel->hide();
    ui->StatusBar1->addPermanentWidget(m_cancel);
    connect(m_cancel, &QPushButton::clicked, this, &frmMaksujenLuonti::cancelSending);
    ui->ProgressBar1->setRange(0, 100);
    ui->ProgressBar1->setValue(0);

    const std::pair<QAbstractButton*, QAction*> commands[] = {
        {ui->cYksittain, ui->mLisaaYksittainen},
        {ui->cTulosta, ui->mTulosta},
        {ui->cEmail, ui->mTulostaEmailiin},
        {ui->cEmailPreview, ui->mPreviewEmailInvoice},
        {ui->cHistoriaan, ui->mHistoriaan},
        {ui->cPoista, ui->mPoista},
        {ui->cSulje, ui->mSulje},
    };
    for (const auto& [button, action] : commands) {
        action->setShortcutContext(Qt::WindowShortcut);
        addAction(action);
        connect(button, &QAbstractButton::clicked, action, &QAction::trigger);
    }
    connect(ui->mLisaaYksittainen, &QAction::triggered, this, &frmMaksujenLuonti::Lisaa);
    connect(ui->mHistoriaan, &QAction::triggered, this, &frmMaksujenLuonti::Historiaan);
    connect(ui->mPoista, &QAction::triggered, this, &frmMaksujenLuonti::Poista);
    connect(ui->mSulje, &QAction::triggered, this, &QWidget::close);
    connect(ui->mTulosta, &QAction::triggered, this, [this] { WindowHooks::run(WindowHook::InvoiceRunPrint, this); });
    connect(ui->mTulostaEmailiin, &QAction::triggered, this, &frmMaksujenLuonti::SendInvoiceEmails);
    connect(ui->mPreviewEmailInvoice, &QAction::triggered, this, &frmMaksujenLuonti::PreviewInvoiceEmails);

    QCheckBox* const checks[] = {ui->chkRivi0, ui->chkRivi1, ui->chkRivi2, ui->chkRivi3};
    QLineEdit* const prices[] = {ui->tRiviSumma0, ui->tRiviSumma1, ui->tRiviSumma2, ui->tRiviSumma3};
    QLineEdit* const texts[] = {ui->tRiviTeksti0, ui->tRiviTeksti1, ui->tRiviTeksti2, ui->tRiviTeksti3};
    for (int i = 0; i < 4; ++i) {
        connect(checks[i], &QCheckBox::toggled, this, [this, i] { rowClicked(i); });
        // On every change, also when unticking empties the box, so the total follows at once.
        connect(prices[i], &QLineEdit::textChanged, this, &frmMaksujenLuonti::RecalculateTotal);
        prices[i]->installEventFilter(this);
        texts[i]->installEventFilter(this);
    }
    for (QWidget* w : {static_cast<QWidget*>(ui->tAiheTeksti), static_cast<QWidget*>(ui->tLaskunPaiva),
                       static_cast<QWidget*>(ui->tLaskunErapaiva), static_cast<QWidget*>(ui->tLisatietoja),
                       static_cast<QWidget*>(ui->tSumma), static_cast<QWidget*>(ui->cmbMaksunOtsake)})
        w->installEventFilter(this);

    RestoreFormPlacement(this);
    load();
    FollowReplacedFile(
        this, [this] { return m_db.path(); }, [this] { ReadReplacedFile(); });
}

frmMaksujenLuonti::~frmMaksujenLuonti()
{
    DetachControls(this);
}

qint64 frmMaksujenLuonti::selectedRecipientCode() const
{
    return ui->cmbNimet->currentData().toLongLong();
}

void frmMaksujenLuonti::load()
{
    OpenWindowDatabase(*this, m_db, [this] {
        FillRecipients();
        FillTitleList();
        UpdateInvoiceStatus();
        ui->tLaskunPaiva->setText(InvoiceInput::formatDate(tikkeli::Today()));
        ResetRowEditors();
        RecalculateTotal();
    });
}

void frmMaksujenLuonti::ReadReplacedFile()
{
    // The recipients and the titles offered were read from the file that is gone: the recipients
    // chosen stay chosen only where the new file lists them under the same name, else none are,
    // and the run waits for the user's choice. The run's own texts, dates and prices stay.
    const qint64 code = selectedRecipientCode();
    const QString recipient = ui->cmbNimet->currentText();
    const QString title = ui->cmbMaksunOtsake->currentText();
    m_note.clear();
    IgnoringErrors("frmMaksujenLuonti::ReadReplacedFile: the recipients", [&] {
        FillRecipients();
        int again = -1;
        for (int i = 0; i < ui->cmbNimet->count() && again < 0; ++i) {
            if (ui->cmbNimet->itemData(i, CodeRole).toLongLong() == code && ui->cmbNimet->itemText(i) == recipient)
                again = i;
        }
        ui->cmbNimet->setCurrentIndex(again);
    });
    FillTitleList();
    ui->cmbMaksunOtsake->setEditText(title);
    IgnoringErrors("frmMaksujenLuonti::ReadReplacedFile: the run", [&] { UpdateInvoiceStatus(); });
}

void frmMaksujenLuonti::closeEvent(QCloseEvent* event)
{
    // A run holds its transaction open while it shows progress; it must end before the window.
    if (m_busy) {
        event->ignore();
        return;
    }
    SaveFormPlacement(this);
    event->accept();
}

bool frmMaksujenLuonti::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::FocusIn:
        if (auto* box = qobject_cast<QLineEdit*>(watched))
            QTimer::singleShot(0, box, &QLineEdit::selectAll);
        else if (watched == ui->tLisatietoja)
            QTimer::singleShot(0, ui->tLisatietoja, &QPlainTextEdit::selectAll);
        break;
    case QEvent::FocusOut:
        if (!leftByUser(event) || !loaded())
            break;
        if (watched == ui->tLaskunPaiva || watched == ui->tLaskunErapaiva)
            checkDateOnLeave(static_cast<QLineEdit*>(watched));
        else if (watched == ui->tSumma)
            checkTotalOnLeave();
        else if (watched == ui->cmbMaksunOtsake)
            saveTypedTitle();
        break;
    case QEvent::KeyPress:
        if (watched == ui->cmbMaksunOtsake) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_D && (key->modifiers() & Qt::AltModifier)) {
                deleteTitle();
                return true;
            }
        }
        break;
    default: break;
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmMaksujenLuonti::FillRecipients()
{
    ui->cmbNimet->clear();
    for (const RecipientChoice& c : InvoiceRecipients::list(m_db)) {
        ui->cmbNimet->addItem(c.text, c.code());
        const int i = ui->cmbNimet->count() - 1;
        ui->cmbNimet->setItemData(i, int(c.kind), KindRole);
        ui->cmbNimet->setItemData(i, c.id, IdRole);
    }
    ui->cmbNimet->setCurrentIndex(0);
}

void frmMaksujenLuonti::FillTitleList()
{
    ui->cmbMaksunOtsake->clear();
    // The titles only help typing; the window works without them.
    IgnoringErrors("frmMaksujenLuonti::FillTitleList", [&] {
        for (const SavedTitle& t : InvoiceTitles::list(m_db))
            ui->cmbMaksunOtsake->addItem(t.name, t.id);
    });
    if (ui->cmbMaksunOtsake->count() > 0)
        ui->cmbMaksunOtsake->setCurrentIndex(0);
}

void frmMaksujenLuonti::EnableRunButtons(bool runAllowed)
{
    ui->cYksittain->setEnabled(runAllowed);
    ui->mLisaaYksittainen->setEnabled(runAllowed);
    const std::pair<QWidget*, QAction*> batch[] = {{ui->cHistoriaan, ui->mHistoriaan}, {ui->cPoista, ui->mPoista}};
    for (const auto& [b, a] : batch) {
        b->setEnabled(!runAllowed);
        a->setEnabled(!runAllowed);
    }
    const std::tuple<QWidget*, QAction*, bool> later[] = {
        {ui->cTulosta, ui->mTulosta, WindowHooks::has(WindowHook::InvoiceRunPrint)},
        {ui->cEmail, ui->mTulostaEmailiin, true},
        {ui->cEmailPreview, ui->mPreviewEmailInvoice, true},
    };
    for (const auto& [b, a, available] : later) {
        b->setEnabled(!runAllowed && available);
        a->setEnabled(!runAllowed && available);
    }
}

void frmMaksujenLuonti::UpdateInvoiceStatus()
{
    const int count = InvoiceHistory::CountRunInvoices(m_db);
    if (count == 0) {
        m_note.clear();
        EnableRunButtons(true);
        m_status->setText(QStringLiteral("Ei tulostettavia laskuja."));
        return;
    }
    EnableRunButtons(false);
    QString text = QStringLiteral("Lisättyjä laskuja: ") + QString::number(count) + QStringLiteral(", sähköpostitettuja: ")
                   + QString::number(InvoiceHistory::CountEmailedInvoices(m_db));
    if (!m_note.isEmpty())
        text += QStringLiteral(". ") + m_note;
    m_status->setText(text);
    m_status->setToolTip(text); // the whole line, should a narrow window cut it
}

void frmMaksujenLuonti::RecalculateTotal()
{
    Currency sum;
    try {
        for (QLineEdit* price : {ui->tRiviSumma0, ui->tRiviSumma1, ui->tRiviSumma2, ui->tRiviSumma3})
            if (const auto amount = InvoiceInput::parseMoney(price->text()))
                sum += *amount;
    } catch (const std::out_of_range&) {
        // Beyond any amount money can hold: no total, which the run then refuses.
        ui->tSumma->clear();
        return;
    }
    ui->tSumma->setText(InvoiceInput::formatMoney(sum));
}

void frmMaksujenLuonti::rowClicked(int index)
{
    QCheckBox* const checks[] = {ui->chkRivi0, ui->chkRivi1, ui->chkRivi2, ui->chkRivi3};
    QLineEdit* const prices[] = {ui->tRiviSumma0, ui->tRiviSumma1, ui->tRiviSumma2, ui->tRiviSumma3};
    QLineEdit* const texts[] = {ui->tRiviTeksti0, ui->tRiviTeksti1, ui->tRiviTeksti2, ui->tRiviTeksti3};
    const bool on = checks[index]->isChecked();
    // An unticked row never holds a price that would count in the total.
    if (!on) {
        prices[index]->clear();
        texts[index]->clear();
    }
    prices[index]->setEnabled(on);
    texts[index]->setEnabled(on);
}

void frmMaksujenLuonti::ResetRowEditors()
{
    for (QLineEdit* box : {ui->tRiviSumma0, ui->tRiviSumma1, ui->tRiviSumma2, ui->tRiviSumma3, ui->tRiviTeksti0,
                           ui->tRiviTeksti1, ui->tRiviTeksti2, ui->tRiviTeksti3}) {
        box->clear();
        box->setEnabled(false);
    }
}

void frmMaksujenLuonti::checkDateOnLeave(QLineEdit* box)
{
    if (box->text().isEmpty())
        return;
    if (const auto date = InvoiceInput::parseDate(box->text())) {
        box->setText(InvoiceInput::formatDate(*date));
        return;
    }
    ShowInfo(QStringLiteral("Syötetyn päivämäärän muoto ei ole kelvollinen."));
    box->clear();
}

void frmMaksujenLuonti::checkTotalOnLeave()
{
    const QString text = ui->tSumma->text();
    if (!text.isEmpty() && !InvoiceInput::parseMoney(text))
        ShowInfo(QStringLiteral("Syötetyn summan muoto ei ole kelvollinen."));
}

void frmMaksujenLuonti::saveTypedTitle()
{
    try {
        if (const auto added = InvoiceTitles::addIfNew(m_db, ui->cmbMaksunOtsake->currentText())) {
            const QString text = ui->cmbMaksunOtsake->currentText();
            ui->cmbMaksunOtsake->addItem(added->name, added->id);
            ui->cmbMaksunOtsake->setEditText(text);
        }
    } catch (const DbException& e) {
        ShowInfo(e.description());
    }
}

void frmMaksujenLuonti::deleteTitle()
{
    const QString text = ui->cmbMaksunOtsake->currentText();
    if (!AskYesNo(QStringLiteral("Haluatko poistaa '") + text + QStringLiteral("' tietokannasta?")))
        return;
    try {
        // The title of exactly the text shown goes, never an entry the box merely had selected.
        InvoiceTitles::remove(m_db, text);
    } catch (const DbException& e) {
        ShowInfo(e.description());
    }
    FillTitleList();
}

InvoiceRunRequest frmMaksujenLuonti::request() const
{
    InvoiceRunRequest r;
    const int i = ui->cmbNimet->currentIndex();
    r.kind = RecipientKind(ui->cmbNimet->itemData(i, KindRole).toInt());
    r.id = ui->cmbNimet->itemData(i, IdRole).toLongLong();
    r.others = ui->chkMuille->isChecked();
    r.personalReference = ui->chkHenkKohtViite->isChecked();
    r.noReference = ui->chkEiViitetta->isChecked();
    r.feeInvoice = ui->chkJasenmaksu->isChecked();
    r.title = ui->cmbMaksunOtsake->currentText();
    r.invoiceDate = ui->tLaskunPaiva->text();
    r.dueDate = ui->tLaskunErapaiva->text();
    r.giroText = ui->tAiheTeksti->text();
    r.runText = ui->tLisatietoja->toPlainText();
    r.total = ui->tSumma->text();
    QCheckBox* const checks[] = {ui->chkRivi0, ui->chkRivi1, ui->chkRivi2, ui->chkRivi3};
    QLineEdit* const prices[] = {ui->tRiviSumma0, ui->tRiviSumma1, ui->tRiviSumma2, ui->tRiviSumma3};
    QLineEdit* const texts[] = {ui->tRiviTeksti0, ui->tRiviTeksti1, ui->tRiviTeksti2, ui->tRiviTeksti3};
    for (std::size_t k = 0; k < 4; ++k)
        r.rows[k] = {checks[k]->isChecked(), texts[k]->text(), prices[k]->text()};
    return r;
}

void frmMaksujenLuonti::setBusy(bool busy)
{
    m_busy = busy;
    ui->centralwidget->setEnabled(!busy);
    menuBar()->setEnabled(!busy);
    for (QAction* a : actions())
        a->setEnabled(!busy);
}

void frmMaksujenLuonti::showProgress(int done, int total)
{
    ui->ProgressBar1->setMaximum(std::max(total, 1));
    ui->ProgressBar1->setValue(std::min(done, ui->ProgressBar1->maximum()));
    // Repaints only: the run's transaction is open, and no other window may write into it.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void frmMaksujenLuonti::Lisaa()
{
    if (!loaded() || m_busy)
        return;
    if (ui->cmbNimet->currentIndex() < 0) {
        ShowInfo(QStringLiteral("Valitse laskutettavat ennen lisäystä."));
        ui->cmbNimet->setFocus();
        return;
    }
    InvoiceRun run(m_db);
    const InvoiceRunRequest r = request();
    try {
        const RunCheck refused = run.check(r);
        if (!refused.ok()) {
            ShowInfo(refused.message);
            QWidget* const focus[] = {nullptr, ui->cmbMaksunOtsake, ui->tLaskunPaiva, ui->tLaskunErapaiva, ui->tSumma};
            if (QWidget* w = focus[int(refused.focus)])
                w->setFocus();
            return;
        }
        if (InvoiceRun::dueBeforeInvoiceDate(r) && !AskYesNo(InvoiceRun::dueBeforeInvoiceDateQuestion())) {
            ui->tLaskunErapaiva->setFocus();
            return;
        }
    } catch (const std::exception& e) {
        ShowInfo(QStringLiteral("Laskuja ei voitu lisätä.\r\n") + errorText(e));
        return;
    }
    InvoiceRunResult result;
    {
        cMouseCursor cursor;
        cursor.SetCursor(this, BusyPointer);
        setBusy(true);
        ui->ProgressBar1->setRange(0, 100);
        ui->ProgressBar1->setValue(0);
        try {
            result = run.run(r, [this](int done, int total) { showProgress(done, total); });
        } catch (const std::exception& e) {
            setBusy(false);
            ui->ProgressBar1->setValue(0);
            UpdateInvoiceStatus();
            ShowInfo(QStringLiteral("Laskuja ei voitu lisätä, mitään ei tallennettu.\r\n") + errorText(e));
            return;
        }
        setBusy(false);
    }
    ui->ProgressBar1->setValue(ui->ProgressBar1->maximum());
    m_note = result.shortReferences ? InvoiceRun::shortReferenceNote() : QString();
    UpdateInvoiceStatus();
    ShowInfo(result.message);
}

void frmMaksujenLuonti::Historiaan()
{
    if (!loaded() || m_busy)
        return;
    bool moved = false;
    {
        cMouseCursor cursor;
        cursor.SetCursor(this, BusyPointer);
        setBusy(true);
        try {
            InvoiceHistory::MoveToHistory(m_db, [this](int done, int total) { showProgress(done, total); });
            moved = true;
        } catch (const std::exception& e) {
            setBusy(false);
            UpdateInvoiceStatus();
            ShowInfo(QStringLiteral("Tietoja ei saada siirrettyä historiaan.\r\n") + errorText(e));
            return;
        }
        setBusy(false);
    }
    UpdateInvoiceStatus();
    if (moved)
        ShowInfo(QStringLiteral("Laskut siirretty historiaan."));
}

void frmMaksujenLuonti::Poista()
{
    if (!loaded() || m_busy)
        return;
    // The member window shows fee flags and invoices this command changes behind its back.
    if (IsFormLoaded(QStringLiteral("frmJasen"))) {
        ShowInfo(QStringLiteral("Jäsenrekisteri-ikkuna tulee sulkea ennen laskujen poistoa, poisto keskeytetty."));
        return;
    }
    try {
        if (!AskYesNo(InvoiceHistory::DeleteQuestion(m_db)))
            return;
        InvoiceHistory::DeleteAll(m_db);
    } catch (const std::exception& e) {
        UpdateInvoiceStatus();
        ShowInfo(QStringLiteral("Laskuja ei voitu poistaa, mitään ei poistettu.\r\n") + errorText(e));
        return;
    }
    ShowInfo(QStringLiteral("Kaikki lisätyt laskut poistettu."));
    UpdateInvoiceStatus();
}

void frmMaksujenLuonti::cancelSending()
{
    if (m_cancelSending)
        m_cancelSending();
}

void frmMaksujenLuonti::SendInvoiceEmails()
{
    if (!loaded() || m_busy)
        return;
    try {
        if (const QString wrong = PayeeCheck::problems(PayeeCheck::runReferences(m_db)); !wrong.isEmpty()) {
            ShowWarning(wrong);
            return;
        }
    } catch (const std::exception& e) {
        ShowInfo(errorText(e));
        return;
    }
    QString templ, why;
    if (!EmailTemplate::LoadInvoiceTemplate(templ, &why)) {
        ShowInfo(QStringLiteral("Laskupohjaa ei voida avata. Tarkista asetuksista Email laskupohja.")
                 + (why.isEmpty() ? QString() : QStringLiteral("\n\n") + why));
        return;
    }
    EmailSendLoop loop(m_db, EmailSendLoop::Kind::Invoices, templ);
    QEventLoop wait;
    FollowEmailRun(loop, ui->ProgressBar1);
    connect(&loop, &EmailSendLoop::finished, &wait, &QEventLoop::quit);
    // While the messages are made and go, the window's commands stay off and it refuses to close:
    // nothing may change or delete the invoices the loop is reading.
    setBusy(true);
    m_cancelSending = [&loop] { loop.cancel(); };
    m_cancel->setEnabled(true);
    m_cancel->show();
    loop.start();
    if (loop.running())
        wait.exec();
    m_cancel->hide();
    m_cancelSending = nullptr;
    setBusy(false);
    UpdateInvoiceStatus();
    ShowInfo(loop.summary());
}

void frmMaksujenLuonti::PreviewInvoiceEmails()
{
    if (!loaded() || m_busy)
        return;
    frmEmailPreview preview(this);
    if (!preview.loaded())
        return;
    preview.SetRecordSource(true, QStringLiteral("SELECT * FROM jm"));
    preview.exec();
}

} // namespace tikkeli
