#include "invoicing/ui/ReminderCommands.h"

#include "base/Clock.h"
#include "base/Prompter.h"
#include "ui/cMouseCursor.h"
#include "base/Error.h"
#include "db/Transaction.h"
#include "invoicing/EmailSendLoop.h"
#include "invoicing/EmailTemplate.h"
#include "invoicing/InvoicePrintOrder.h"
#include "invoicing/InvoicePrints.h"
#include "invoicing/PayeeCheck.h"
#include "invoicing/Reminders.h"
#include "invoicing/ui/EmailRunProgress.h"
#include "invoicing/ui/frmEmailPreview.h"
#include "invoicing/ui/frmLaskujenRajaus.h"
#include "invoicing/ui/frmMaksut.h"
#include "printing/PrintChoices.h"
#include "printing/ReportEngine.h"
#include "printing/ui/frmTulostus.h"

#include <QEventLoop>
#include <QPushButton>
#include <QStatusBar>

namespace tikkeli {

namespace {

std::optional<qint32> number(const QString& text)
{
    bool ok = false;
    const qint32 n = text.trimmed().toInt(&ok);
    return ok ? std::optional<qint32>(n) : std::nullopt;
}

// Asks for the range and counts what it holds. The range when it has invoices to remind (the
// user has been told of those left out as not yet due); nothing when the user cancelled or
// nothing is due (the user has then been told). Nothing is recorded here: each command records
// its reminders only once it knows they go out.
std::optional<ReminderRange> AskReminderRange(frmMaksut& window, bool toPayers = true)
{
    frmLaskujenRajaus& dialog = window.rangeDialog();
    dialog.DeaktivoiLaskunLaji(0);
    dialog.DeaktivoiLaskunTila(2);
    const bool answered = dialog.ask();
    const ReminderRange range{number(dialog.LaskunroAlku()), number(dialog.LaskunroLoppu())};
    dialog.resetToDefaults();
    if (!answered)
        return std::nullopt;
    const Reminders::Candidates candidates = Reminders::CountCandidates(window.database(), range, Today());
    const QString leftOut = Reminders::NotYetDueText(candidates.notYetDue);
    if (candidates.due == 0) {
        ShowInfo(Reminders::NothingToRemindText(range) + (leftOut.isEmpty() ? QString() : QStringLiteral("\r\n") + leftOut));
        return std::nullopt;
    }
    if (!leftOut.isEmpty())
        ShowInfo(leftOut);
    if (toPayers) {
        if (const QString wrong = PayeeCheck::problems(PayeeCheck::reminderReferences(window.database(), range, Today()));
            !wrong.isEmpty()) {
            ShowWarning(wrong);
            return std::nullopt;
        }
    }
    return range;
}

QString errorText(const std::exception& e)
{
    if (const auto* numbered = dynamic_cast<const NumberedError*>(&e))
        return QString::number(numbered->number()) + QStringLiteral(" / ") + numbered->description();
    return QStringLiteral("0 / ") + QString::fromStdString(e.what());
}

void runLoop(frmMaksut& window, EmailSendLoop& loop)
{
    QEventLoop wait;
    FollowEmailRun(loop, window.ProgressBar1());
    QObject::connect(&loop, &EmailSendLoop::finished, &wait, &QEventLoop::quit);
    // The window's commands stay off and it does not close until the loop ends; only the cancel
    // button in its status bar answers meanwhile.
    window.setBusy(true);
    auto* cancel = new QPushButton(QStringLiteral("Keskeytä"), &window);
    cancel->setObjectName(QStringLiteral("cKeskeyta"));
    window.statusBar()->addPermanentWidget(cancel);
    QObject::connect(cancel, &QPushButton::clicked, &loop, &EmailSendLoop::cancel);
    loop.start();
    if (loop.running())
        wait.exec();
    delete cancel;
    window.setBusy(false);
    ShowInfo(loop.summary());
}

} // namespace

void PrintPaymentReminders(frmMaksut& window)
{
    if (!window.loaded())
        return;
    if (!AskYesNo(QStringLiteral("Tulostetaanko maksumuistutukset maksamattomille laskuille?")))
        return;
    try {
        const std::optional<ReminderRange> range = AskReminderRange(window);
        if (!range)
            return;
        // The reminder has one layout: the Finnish transfer form.
        InvoiceLayout() = InvoiceLayoutChoice{true, true, false};
        {
            frmTulostus dialog(&window);
            dialog.exec();
        }
        if (Printing().PrintCancelled)
            return;
        bool onlyNotEmailed = false;
        if (EmailSendLoop::AnyRemindersEmailed(window.database()))
            onlyNotEmailed = AskYesNo(
                QStringLiteral("Tulostetaanko vain ne muistutukset, joita ei lähetetty sähköpostitse?"));
        SetBusyCursor(&window);
        // Recorded and printed together: a print that fails leaves no reminder recorded, and one
        // that leaves out the e-mailed reminders records none for them.
        Transaction transaction(window.database());
        Reminders::CreateReminders(window.database(), *range, Today(), onlyNotEmailed);
        InvoicePrintOrder::NumberReminderPrintOrder(window.database(), Printing().TulostusJarjestys);
        InvoicePrints::PrepareReminders(onlyNotEmailed);
        MainReport().setAction(1);
        transaction.commit();
        SetDefaultCursor(&window);
    } catch (const std::exception& e) {
        SetDefaultCursor(&window);
        ShowInfo(QStringLiteral("Virhe maksumuistutusten tulostuksessa: ") + errorText(e));
    }
}

void EmailPaymentReminders(frmMaksut& window)
{
    if (!window.loaded())
        return;
    if (!AskYesNo(QStringLiteral("Lähetetäänkö maksumuistutukset maksamattomista laskuista sähköpostitse?")))
        return;
    try {
        const std::optional<ReminderRange> range = AskReminderRange(window);
        if (!range)
            return;
        QString templ, why;
        if (!EmailTemplate::LoadReminderTemplate(templ, &why)) {
            ShowInfo(QStringLiteral("Muistutuspohjaa ei voida avata. Tarkista asetuksista Email muistutuspohja.")
                     + (why.isEmpty() ? QString() : QStringLiteral("\n\n") + why));
            return;
        }
        // Only a reminder that goes out is recorded: a member without e-mail, or whose message
        // failed, gets the same number on paper later.
        if (const QString sent = Reminders::EmailedTodayText(Reminders::EmailedToday(window.database(), *range, Today()));
            !sent.isEmpty())
            ShowInfo(sent);
        Reminders::MarkDue(window.database(), *range, Today());
        EmailSendLoop loop(window.database(), EmailSendLoop::Kind::Reminders, templ);
        loop.recordRemindersOn(Today());
        runLoop(window, loop);
    } catch (const std::exception& e) {
        ShowInfo(QStringLiteral("Virhe maksumuistutusten lähetyksessä: ") + errorText(e));
    }
}

void PreviewPaymentReminderEmails(frmMaksut& window)
{
    if (!window.loaded())
        return;
    if (!AskYesNo(QStringLiteral("Luodaanko maksumuistutukset maksamattomista laskuista ja avataan esikatseluun?")))
        return;
    try {
        const std::optional<ReminderRange> range = AskReminderRange(window, false);
        if (!range)
            return;
        // The preview shows the reminders as they would go out, but looking sends nothing: what it
        // recorded to show them is undone when it closes.
        Transaction transaction(window.database());
        Reminders::CreateReminders(window.database(), *range, Today());
        frmEmailPreview preview(&window);
        if (!preview.loaded())
            return;
        preview.SetRecordSource(false, QStringLiteral("SELECT * FROM jmhist WHERE jmhMuistutusEmailed = False AND"
                                                      " jmhTulosta = True"));
        preview.exec();
    } catch (const std::exception& e) {
        ShowInfo(QStringLiteral("Virhe maksumuistutusten esikatselussa: ") + errorText(e));
    }
}

} // namespace tikkeli
