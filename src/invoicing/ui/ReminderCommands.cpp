#include "invoicing/ui/ReminderCommands.h"

#include "base/Clock.h"
#include "base/Prompter.h"
#include "base/ui/cMouseCursor.h"
#include "base/Error.h"
#include "invoicing/EmailSendLoop.h"
#include "invoicing/EmailTemplate.h"
#include "invoicing/InvoicePrintOrder.h"
#include "invoicing/InvoicePrints.h"
#include "invoicing/Reminders.h"
#include "invoicing/ui/frmEmailPreview.h"
#include "invoicing/ui/frmLaskujenRajaus.h"
#include "invoicing/ui/frmMaksut.h"
#include "printing/PrintChoices.h"
#include "printing/ReportEngine.h"
#include "printing/ui/frmTulostus.h"

#include <QEventLoop>
#include <QProgressBar>
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

// Asks for the range and records the reminders; their number, 0 when the user cancelled or none
// was found (the user has then been told).
int CreateReminders(frmMaksut& window)
{
    frmLaskujenRajaus& dialog = window.rangeDialog();
    dialog.DeaktivoiLaskunLaji(0);
    dialog.DeaktivoiLaskunTila(2);
    const bool answered = dialog.ask();
    const ReminderRange range{number(dialog.LaskunroAlku()), number(dialog.LaskunroLoppu())};
    dialog.resetToDefaults();
    if (!answered)
        return 0;
    const int count = Reminders::CreateReminders(window.database(), range, Today());
    if (count == 0)
        ShowInfo(Reminders::NothingToRemindText(range));
    return count;
}

QString errorText(const std::exception& e)
{
    if (const auto* numbered = dynamic_cast<const NumberedError*>(&e))
        return QString::number(numbered->number()) + QStringLiteral(" / ") + numbered->description();
    return QStringLiteral("0 / ") + QString::fromStdString(e.what());
}

void runLoop(frmMaksut& window, EmailSendLoop& loop)
{
    QProgressBar* bar = window.ProgressBar1();
    QEventLoop wait;
    QObject::connect(&loop, &EmailSendLoop::progress, &window, [bar](int done, int total) {
        bar->setMaximum(std::max(total, 1));
        bar->setValue(std::min(done, bar->maximum()));
    });
    QObject::connect(&loop, &EmailSendLoop::finished, &wait, &QEventLoop::quit);
    // The window's commands stay off and it does not close until the loop ends; only the cancel
    // button in its status bar answers meanwhile.
    window.setBusy(true);
    auto* cancel = new QPushButton(QStringLiteral("Keskeytä"), &window);
    cancel->setObjectName(QStringLiteral("cKeskeyta"));
    window.statusBar()->addPermanentWidget(cancel);
    QObject::connect(cancel, &QPushButton::clicked, &loop, &EmailSendLoop::cancel);
    bar->setValue(0);
    loop.start();
    if (loop.running())
        wait.exec();
    delete cancel;
    window.setBusy(false);
    QString message = loop.summary();
    if (!loop.error().isEmpty())
        message += QStringLiteral("\r\n\r\nLähetys keskeytyi virheeseen: ") + loop.error();
    ShowInfo(message);
}

} // namespace

void PrintPaymentReminders(frmMaksut& window)
{
    if (!window.loaded())
        return;
    if (!AskYesNo(QStringLiteral("Tulostetaanko maksumuistutukset maksamattomille laskuille?")))
        return;
    try {
        if (CreateReminders(window) <= 0)
            return;
        // The reminder has one layout: the Finnish transfer form.
        InvoiceLayout() = InvoiceLayoutChoice{true, true, false};
        {
            frmTulostus dialog(&window);
            dialog.exec();
        }
        if (Printing().PrintCancelled)
            return;
        InvoicePrintOrder::NumberReminderPrintOrder(window.database(), Printing().TulostusJarjestys);
        bool onlyNotEmailed = false;
        if (EmailSendLoop::AnyRemindersEmailed(window.database()))
            onlyNotEmailed = AskYesNo(
                QStringLiteral("Tulostetaanko vain ne muistutukset, joita ei lähetetty sähköpostitse?"));
        SetBusyCursor(&window);
        InvoicePrints::PrepareReminders(onlyNotEmailed);
        MainReport().setAction(1);
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
        if (CreateReminders(window) <= 0)
            return;
        QString templ, why;
        if (!EmailTemplate::LoadReminderTemplate(templ, &why)) {
            ShowInfo(QStringLiteral("Muistutuspohjaa ei voida avata. Tarkista asetuksista Email muistutuspohja.")
                     + (why.isEmpty() ? QString() : QStringLiteral("\n\n") + why));
            return;
        }
        EmailSendLoop loop(window.database(), EmailSendLoop::Kind::Reminders, templ);
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
        if (CreateReminders(window) <= 0)
            return;
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
