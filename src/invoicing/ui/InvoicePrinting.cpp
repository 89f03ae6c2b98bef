#include "invoicing/ui/InvoicePrinting.h"

#include "base/Prompter.h"
#include "ui/cMouseCursor.h"
#include "db/DbError.h"
#include "invoicing/InvoiceHistory.h"
#include "invoicing/InvoicePrintOrder.h"
#include "invoicing/InvoicePrints.h"
#include "invoicing/PayeeCheck.h"
#include "invoicing/ui/frmLaskumalli.h"
#include "invoicing/ui/frmMaksujenLuonti.h"
#include "printing/PrintChoices.h"
#include "printing/ReportEngine.h"
#include "printing/ReportError.h"
#include "printing/ui/frmTulostus.h"

namespace tikkeli {

void PrintRunInvoices(frmMaksujenLuonti& window)
{
    try {
        const qint64 id = window.selectedRecipientCode();
        if (const QString wrong = PayeeCheck::problems(PayeeCheck::runReferences(window.database(), id)); !wrong.isEmpty()) {
            ShowWarning(wrong);
            return;
        }
        if (!AskInvoiceLayout(&window))
            return;
        InvoicePrintOrder::NumberInvoicePrintOrder(window.database(), 0);
        {
            frmTulostus dialog(&window);
            dialog.exec();
        }
        if (Printing().PrintCancelled)
            return;
        bool onlyNotEmailed = false;
        if (id < 1 && InvoiceHistory::CountEmailedInvoices(window.database()) > 0)
            onlyNotEmailed = AskYesNo(QStringLiteral("Tulostetaanko vain ne laskut, joita ei lähetetty sähköpostitse?"));
        SetBusyCursor(&window);
        InvoicePrints::PrepareRunInvoices(id, onlyNotEmailed);
        // Marked before the pages go out: should the print fail half-way, keeping the numbers
        // of a run that may be partly in members' hands is the safe side.
        InvoiceHistory::MarkRunPrinted(window.database());
        MainReport().setAction(1);
        SetDefaultCursor(&window);
    } catch (const ReportException& e) {
        SetDefaultCursor(&window);
        if (e.number() == ReportErr::CannotOpenReport)
            ShowWarning(QStringLiteral("Laskupohjatiedostoa ei löydy.\r\n\r\nOhjelma on todennäköisesti käynnistetty eri "
                                       "kansiosta kuin mihin se on asennettu."));
        else
            ShowWarning(QStringLiteral("Laskujen tulostuksessa virhe: %1: %2").arg(e.number()).arg(e.description()));
    } catch (const DbException& e) {
        SetDefaultCursor(&window);
        ShowWarning(QStringLiteral("Laskujen tulostuksessa virhe: %1: %2").arg(e.number()).arg(e.description()));
    }
}

} // namespace tikkeli
