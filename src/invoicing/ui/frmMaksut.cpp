#include "invoicing/ui/frmMaksut.h"

#include "ui/WindowHooks.h"

#include "ui_frmMaksut.h"

#include "base/NullConversions.h"
#include "base/Prompter.h"
#include "base/ReferenceNumber.h"
#include "base/SharedState.h"
#include "ui/FormRegistry.h"
#include "ui/TextBoxHelpers.h"
#include "ui/cMouseCursor.h"
#include "db/DbError.h"
#include "db/Recordset.h"
#include "invoicing/AddressLabels.h"
#include "invoicing/InvoicePayments.h"
#include "invoicing/InvoicePrintOrder.h"
#include "invoicing/InvoicePrints.h"
#include "invoicing/PaymentBookData.h"
#include "invoicing/ui/frmLaskujenRajaus.h"
#include "invoicing/ui/frmLaskumalli.h"
#include "invoicing/ui/frmMaksutListana.h"
#include "ui/ConfiguredDatabaseWindow.h"
#include "printing/PrintChoices.h"
#include "printing/ReportEngine.h"
#include "printing/ReportError.h"
#include "printing/ReportServices.h"
#include "printing/ui/frmTulostus.h"
#include "ui/FormPlacement.h"
#include "db/ReplacedFile.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMenuBar>
#include <QStyle>
#include <QTimer>

namespace tikkeli {

namespace {

QString plain(const Value& v)
{
    return NullToString(v);
}

} // namespace

frmMaksut::frmMaksut(QWidget* parent) : QMainWindow(parent), ui(std::make_unique<Ui::frmMaksut>())
{
    ui->setupUi(this);
    setWindowTitle(State().ProgramTitle + QStringLiteral(" - Maksukirja"));
    ui->cHaeTiedot->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));
    ui->cHaeTiedot->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("Timer1"));
    connect(m_timer, &QTimer::timeout, this, [this] { m_reminderTimerElapsed = true; });

    const std::pair<QAbstractButton*, QAction*> commands[] = {
        {ui->cHaeTiedot, ui->mHae},         {ui->cMaksetuksi, ui->mMaksetuksi},
        {ui->cViitteeksi, ui->mViitteeksi}, {ui->cTulosta, ui->mTulosta},
        {ui->cKopiot, ui->mKopiot},         {ui->cMuistutukset, ui->mMuistutukset},
        {ui->cEmail, ui->mEmail},           {ui->cEmailPreview, ui->mEmailPreview},
        {ui->cSulje, ui->mSulje},
    };
    for (const auto& [button, action] : commands)
        connect(button, &QAbstractButton::clicked, action, &QAction::trigger);
    for (QAction* a : findChildren<QAction*>()) {
        a->setShortcutContext(Qt::WindowShortcut);
        addAction(a);
    }
    connect(ui->mHae, &QAction::triggered, this, &frmMaksut::FindInvoiceByReference);
    connect(ui->mMaksetuksi, &QAction::triggered, this, &frmMaksut::MarkShownInvoicePaid);
    connect(ui->mViitteeksi, &QAction::triggered, this, &frmMaksut::AppendCheckDigit);
    connect(ui->mTulosta, &QAction::triggered, this, &frmMaksut::ReprintInvoice);
    connect(ui->mKopiot, &QAction::triggered, this, &frmMaksut::PrintInvoiceCopies);
    connect(ui->mPoistaMaksetut, &QAction::triggered, this, &frmMaksut::DeletePaid);
    connect(ui->mPoistaKaikki, &QAction::triggered, this, &frmMaksut::DeleteAll);
    connect(ui->mTarrat, &QAction::triggered, this, &frmMaksut::PrintLabels);
    connect(ui->mSulje, &QAction::triggered, this, &QWidget::close);
    const struct {
        QAction* action;
        const char* file;
        const char* selection;
        const char* title;
    } lists[] = {
        {ui->mTulostallista, "jmllista.rpt", "", "LASKUTUSLISTA"},
        {ui->mMuistutetutLL, "jmllista.rpt", "{jmhist.jmhjmMaksettu} = False and {jmhist.jmhjmMuistutusNumero} > 0",
         "LASKUTUSLISTA / MUISTUTETUT"},
        {ui->mTulostaViiteLista, "jmvlista.rpt", "", "VIITELISTA"},
        {ui->mMuistutetutVL, "jmvlista.rpt", "{jmhist.jmhjmMaksettu} = false and {jmhist.jmhjmMuistutusNumero} > 0",
         "VIITELISTA / MUISTUTETUT"},
    };
    for (const auto& l : lists) {
        const QString file = QString::fromLatin1(l.file);
        const QString selection = QString::fromLatin1(l.selection);
        const QString title = QString::fromLatin1(l.title);
        connect(l.action, &QAction::triggered, this,
                [this, file, selection, title] { PrintHistoryList(file, selection, title); });
    }
    connect(ui->mAvaaPikakirjaus, &QAction::triggered, this,
            [] { FormRegistry::open<frmMaksutListana>(QStringLiteral("frmMaksutListana")); });
    const auto hook = [this](QAction* action, WindowHook h) {
        action->setEnabled(WindowHooks::has(h));
        connect(action, &QAction::triggered, this, [this, h] { WindowHooks::run(h, this); });
    };
    hook(ui->mMuistutukset, WindowHook::ReminderPrint);
    hook(ui->mEmail, WindowHook::ReminderEmail);
    hook(ui->mEmailPreview, WindowHook::ReminderEmailPreview);
    hook(ui->mLueViitemaksut, WindowHook::ReferencePayments);
    ui->cMuistutukset->setEnabled(WindowHooks::has(WindowHook::ReminderPrint));
    ui->cEmail->setEnabled(WindowHooks::has(WindowHook::ReminderEmail));
    ui->cEmailPreview->setEnabled(WindowHooks::has(WindowHook::ReminderEmailPreview));

    ui->tViitenumero->installEventFilter(this);
    // Enter after typing a reference finds its invoice, as F2 does.
    connect(ui->tViitenumero, &QLineEdit::returnPressed, ui->mHae, &QAction::trigger);
    ProgressBar1()->setRange(0, 100);
    RestoreFormPlacement(this);
    load();
}

frmMaksut::~frmMaksut() = default;

QProgressBar* frmMaksut::ProgressBar1() const
{
    return ui->ProgressBar1;
}

void frmMaksut::setBusy(bool busy)
{
    if (busy == m_busy)
        return;
    m_busy = busy;
    // The actions carry the function keys, which would still fire with only the menu bar off.
    if (busy) {
        m_enabledBeforeBusy.clear();
        for (QAction* a : actions()) {
            m_enabledBeforeBusy.insert(a, a->isEnabled());
            a->setEnabled(false);
        }
    } else {
        for (auto it = m_enabledBeforeBusy.cbegin(); it != m_enabledBeforeBusy.cend(); ++it)
            it.key()->setEnabled(it.value());
        m_enabledBeforeBusy.clear();
    }
    centralWidget()->setEnabled(!busy);
    menuBar()->setEnabled(!busy);
}

frmLaskujenRajaus& frmMaksut::rangeDialog()
{
    if (!m_range)
        m_range = new frmLaskujenRajaus(this);
    return *m_range;
}

void frmMaksut::load()
{
    OpenWindowDatabase(*this, m_db, [this] { PaymentBookData::TarkistaJmHistOsoitteet(m_db); });
    FollowReplacedFile(
        this, [this] { return m_db.path(); }, [this] { ReadReplacedFile(); });
}

void frmMaksut::ReadReplacedFile()
{
    // The invoice shown was read from the file that is gone: the one of the same reference is
    // shown from the file now at the path, or none. The reference typed stays.
    const QString reference = ui->lblViitenumero->text();
    const bool shown = m_currentHistoryId != 0;
    const QString typed = ui->tViitenumero->text();
    ClearInvoiceDisplay();
    ui->tViitenumero->setText(typed);
    m_currentHistoryId = 0;
    m_currentMemberId = 0;
    if (!shown || reference.isEmpty())
        return;
    if (const auto id = InvoicePayments::FindHistoryByReference(m_db, reference))
        showInvoice(*id, reference);
}

bool frmMaksut::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui->tViitenumero && event->type() == QEvent::FocusIn)
        SelectAllText(ui->tViitenumero);
    return QMainWindow::eventFilter(watched, event);
}

void frmMaksut::closeEvent(QCloseEvent* event)
{
    // A send loop reads the window's database and reports into its progress bar until it ends.
    if (m_busy) {
        event->ignore();
        return;
    }
    SaveFormPlacement(this);
    event->accept();
}

void frmMaksut::ClearInvoiceDisplay()
{
    ui->tViitenumero->clear();
    for (QLabel* l : {ui->lblNimi, ui->lblErapaiva, ui->lblLaskunumero, ui->lblViitenumero, ui->lblHinta, ui->lblTeksti,
                      ui->lblLaskupaiva, ui->lblOtsake, ui->lblMaksettu, ui->lblJasenmaksu})
        l->clear();
}

bool frmMaksut::showInvoice(qint64 historyId, const QString& reference)
{
    Recordset h = m_db.openRecordset(QStringLiteral("SELECT * FROM jmhist WHERE jmhID = ?"), RecordsetType::Snapshot,
                                     {Value(historyId)});
    if (h.eof())
        return false;
    m_currentHistoryId = historyId;
    Recordset jr = m_db.openRecordset(QStringLiteral("SELECT * FROM jr WHERE jrID = ?"), RecordsetType::Snapshot,
                                      {Value(qint64(NullToLong(h[QStringLiteral("jmhjmjrID")])))});
    if (jr.eof()) {
        m_currentMemberId = 0;
        ShowInfo(QStringLiteral("Henkilöä annetulle viitenumerolle ") + reference + QStringLiteral(" ei enää löydy."));
        return true;
    }
    m_currentMemberId = jr[QStringLiteral("jrID")].toInt64();
    ui->lblNimi->setText(plain(jr[QStringLiteral("jrSukunimi")]) + QLatin1Char(' ')
                         + plain(jr[QStringLiteral("jrEtunimi")]));
    ui->lblOtsake->setText(plain(h[QStringLiteral("jmhjmOtsake")]));
    ui->lblErapaiva->setText(plain(h[QStringLiteral("jmhjmErapaiva")]));
    ui->lblLaskupaiva->setText(plain(h[QStringLiteral("jmhjmLaskupaiva")]));
    ui->lblLaskunumero->setText(plain(h[QStringLiteral("jmhjmLaskunumero")]));
    ui->lblViitenumero->setText(plain(h[QStringLiteral("jmhjmViitenumero")]));
    ui->lblHinta->setText(plain(h[QStringLiteral("jmhjmHinta")]));
    ui->lblTeksti->setText(plain(h[QStringLiteral("jmhjmTeksti")]));
    ui->lblMaksettu->setText(NullToBoolean(h[QStringLiteral("jmhjmMaksettu")]) ? QStringLiteral("Kyllä")
                                                                               : QStringLiteral("Ei"));
    const Value fee = h[QStringLiteral("jmhjmJasMak")];
    ui->lblJasenmaksu->setText(fee.isNull()   ? QStringLiteral("-")
                               : fee.toBool() ? QStringLiteral("Kyllä")
                                              : QStringLiteral("Ei"));
    return true;
}

std::optional<qint64> frmMaksut::typedReferenceInvoice(const QString& reference)
{
    const auto id = InvoicePayments::FindHistoryByReference(m_db, reference);
    if (!id)
        ShowInfo(QStringLiteral("Laskua viitenumerolla: ") + reference + QStringLiteral(" ei löydy."));
    return id;
}

void frmMaksut::FindInvoiceByReference()
{
    const QString r = ui->tViitenumero->text().trimmed();
    try {
        const auto id = typedReferenceInvoice(r);
        if (!id)
            return;
        showInvoice(*id, r);
    } catch (const DbException& e) {
        ShowWarning(QStringLiteral("Virhe: ") + e.description());
    }
}

void frmMaksut::MarkShownInvoicePaid()
{
    const QString r = ui->tViitenumero->text().trimmed();
    try {
        const auto id = typedReferenceInvoice(r);
        if (!id)
            return;
        if (InvoicePayments::MarkReminderPaid(m_db, *id)) {
            if (ui->chkPoistamaksettu->isChecked()) {
                InvoicePayments::DeleteInvoiceRows(m_db, *id);
                ClearInvoiceDisplay();
            } else {
                // The invoice just marked, not whichever invoice the reference now finds first.
                showInvoice(*id, r);
            }
        }
    } catch (const DbException& e) {
        ShowWarning(QStringLiteral("Virhe: ") + e.description());
    }
    m_currentMemberId = 0;
}

void frmMaksut::AppendCheckDigit()
{
    const QString base = ui->tViitenumero->text();
    const auto checked = ReferenceNumber::checked(base);
    if (!checked.ok()) {
        ShowInfo(QStringLiteral("Syötä viitenumeroksi ainoastaan viitenumero!"));
        return;
    }
    ui->tViitenumero->setText(base + ReferenceCheckDigit(base).trimmed());
}

bool frmMaksut::askPrint()
{
    frmTulostus dialog(this);
    dialog.exec();
    return !Printing().PrintCancelled;
}

void frmMaksut::runPrint(const QString& errorPrefix, const std::function<void()>& prepare)
{
    SetBusyCursor(this);
    try {
        prepare();
        MainReport().setAction(1);
        SetDefaultCursor(this);
        return;
    } catch (const ReportException& e) {
        SetDefaultCursor(this);
        ShowWarning(errorPrefix + QString::number(e.number()) + QStringLiteral(" / ") + e.description());
    } catch (const DbException& e) {
        SetDefaultCursor(this);
        ShowWarning(errorPrefix + QString::number(e.number()) + QStringLiteral(" / ") + e.description());
    }
}

void frmMaksut::ReprintInvoice()
{
    if (!AskInvoiceLayout(this))
        return;
    if (m_currentMemberId < 1) {
        ShowInfo(QStringLiteral("Hae tulostettava lasku viitenumerolla ennen tulostusta"));
        return;
    }
    if (!askPrint())
        return;
    const qint64 id = m_currentHistoryId;
    runPrint(QStringLiteral("Virhe laskun tulostuksessa: "), [id] { InvoicePrints::PrepareHistoryInvoice(id); });
}

void frmMaksut::PrintInvoiceCopies()
{
    if (!AskYesNo(QStringLiteral("Tulostetaanko kopioita laskuista?")))
        return;
    frmLaskujenRajaus& range = rangeDialog();
    range.DeaktivoiLaskunLaji(0);
    const bool answered = range.ask();
    const HistoryRange r = range.range();
    // The copies start every time from a fresh dialog.
    range.resetToDefaults();
    if (!answered || !AskInvoiceLayout(this) || !askPrint())
        return;
    const QString prefix = QStringLiteral("Virhe laskukopioiden tulostuksessa: ");
    int marked = 0;
    try {
        Params params;
        const QString where = r.sqlCondition(params, false);
        InvoicePrintOrder::NumberReminderPrintOrder(m_db, Printing().TulostusJarjestys);
        marked = InvoicePrintOrder::MarkRemindersForPrint(m_db, where, params);
    } catch (const DbException& e) {
        ShowWarning(prefix + QString::number(e.number()) + QStringLiteral(" / ") + e.description());
        return;
    }
    if (marked == 0) {
        ShowInfo(r.nothingFoundText());
        return;
    }
    runPrint(prefix, [] { InvoicePrints::PrepareMarkedHistoryInvoices(); });
}

void frmMaksut::PrintHistoryList(const QString& file, const QString& initialSelection, const QString& title)
{
    frmLaskujenRajaus& range = rangeDialog();
    range.AktivoiKaikki();
    if (!range.ask() || !askPrint())
        return;
    const HistoryRange r = range.range();
    runPrint(QStringLiteral("Virhe listan tulostuksessa: "),
             [&] { InvoicePrints::PrepareHistoryList(file, initialSelection, title, r); });
}

void frmMaksut::PrintLabels()
{
    frmLaskujenRajaus& range = rangeDialog();
    range.AktivoiKaikki();
    const bool answered = range.ask();
    const HistoryRange r = range.range();
    range.resetToDefaults();
    if (!answered || !askPrint())
        return;
    runPrint(QStringLiteral("Virhe tarrojen tulostuksessa: "), [this, r] {
        AddressLabels::PrepareLabels(m_db, r);
        InvoicePrints::PrepareLabels();
    });
    SetReportMargins(MainReport(), 0);
}

void frmMaksut::DeletePaid()
{
    deleteHistory(
        QStringLiteral(
            "Poistetaanko maksetut maksut historiasta?\r\nPoiston jälkeen et enää voi tulostaa maksaneiden luetteloa."),
        &PaymentBookData::DeletePaidHistory);
}

void frmMaksut::DeleteAll()
{
    deleteHistory(
        QStringLiteral("Poistetaanko kaikki maksut historiasta?\r\nPoiston jälkeen et enää voi tulostaa laskutuslistoja."),
        &PaymentBookData::DeleteAllHistory);
}

void frmMaksut::deleteHistory(const QString& question, const std::function<void(Database&)>& deletion)
{
    if (!AskYesNo(question))
        return;
    try {
        deletion(m_db);
    } catch (const DbException& e) {
        ShowWarning(QStringLiteral("Virhe: ") + e.description());
    }
}

} // namespace tikkeli
