#include "invoicing/InvoicePrints.h"

#include "base/SharedState.h"
#include "printing/PrintChoices.h"
#include "printing/ReportEngine.h"
#include "printing/ReportServices.h"
#include "printing/FormulaText.h"

namespace tikkeli {

InvoiceLayoutChoice& InvoiceLayout()
{
    static InvoiceLayoutChoice choice;
    return choice;
}

namespace {

ReportEngine& reset(const QString& file)
{
    ReportEngine& r = MainReport();
    ResetReportFormulas();
    r.ReportFileName = ReportFilePath(file);
    r.Destination = Printing().PrintDestination;
    r.CopiesToPrinter = State().PrintCopies;
    return r;
}

ReportEngine& resetInvoice(const QString& file)
{
    ReportEngine& r = reset(file);
    ApplySectionFonts(r, InvoiceLayout().InvoiceGiroForm);
    SetReportMargins(r, 0);
    SetClubFormulas(r);
    return r;
}

} // namespace

QString InvoicePrints::InvoiceReportFile(bool giro, bool finnishOnly)
{
    return QStringLiteral("%1%2.rpt")
        .arg(giro ? QStringLiteral("latilis") : QStringLiteral("lalask"),
             finnishOnly ? QStringLiteral("1") : QStringLiteral("2"));
}

QString InvoicePrints::HistoryReportFile(bool giro, bool finnishOnly)
{
    return QStringLiteral("%1%2.rpt")
        .arg(giro ? QStringLiteral("lhtilis") : QStringLiteral("lhlask"),
             finnishOnly ? QStringLiteral("1") : QStringLiteral("2"));
}

void InvoicePrints::PrepareRunInvoices(qint64 memberId, bool onlyNotEmailed)
{
    const InvoiceLayoutChoice& l = InvoiceLayout();
    ReportEngine& r = resetInvoice(InvoiceReportFile(l.InvoiceGiroForm, l.InvoiceFinnishOnly));
    if (memberId >= 1) {
        r.SelectionFormula = QStringLiteral("{jm.jmjrID}=%1").arg(memberId);
    } else {
        r.SelectionFormula = onlyNotEmailed ? QStringLiteral("{jm.jmEmailed} = False") : QString();
    }
    r.setSortFields(0, QStringLiteral("+{jm.jmTulostusJarjestysID}"));
}

void InvoicePrints::PrepareHistoryInvoice(qint64 historyId)
{
    const InvoiceLayoutChoice& l = InvoiceLayout();
    ReportEngine& r = resetInvoice(HistoryReportFile(l.InvoiceGiroForm, l.InvoiceFinnishOnly));
    r.SelectionFormula = QStringLiteral("{jmhist.jmhID}=%1").arg(historyId);
}

void InvoicePrints::PrepareMarkedHistoryInvoices()
{
    const InvoiceLayoutChoice& l = InvoiceLayout();
    ReportEngine& r = resetInvoice(HistoryReportFile(l.InvoiceGiroForm, l.InvoiceFinnishOnly));
    r.SelectionFormula = QStringLiteral("{jmhist.jmhTulosta}=true");
    r.setSortFields(0, QStringLiteral("+{jmhist.jmhTulostusJarjestysID}"));
}

void InvoicePrints::PrepareReminders(bool onlyNotEmailed)
{
    ReportEngine& r = reset(QStringLiteral("mutilis1.rpt"));
    ApplySectionFonts(r, true);
    SetReportMargins(r, 0);
    SetReminderClubFormulas(r);
    r.SelectionFormula = onlyNotEmailed ? QStringLiteral("{jmhist.jmhTulosta}=true and {jmhist.jmhMuistutusEmailed} = False")
                                        : QStringLiteral("{jmhist.jmhTulosta}=true");
    r.setSortFields(0, QStringLiteral("+{jmhist.jmhTulostusJarjestysID}"));
}

void InvoicePrints::PrepareHistoryList(const QString& file, const QString& initialSelection, const QString& title,
                                       const HistoryRange& range)
{
    ReportEngine& r = reset(file);
    ClearReportFormulaList();
    SetReportMargins(r, 0);
    r.setFormulas(0, FormulaText::named(QStringLiteral("Seurannimi"), State().ClubName));
    const QString heading = range.listHeading(title);
    if (!heading.isEmpty())
        r.setFormulas(1, FormulaText::named(QStringLiteral("Otsikko"), heading));
    r.SelectionFormula = range.listSelection(initialSelection);
    r.setSortFields(0, QStringLiteral("+{jmhist.jmhjmLaskunumero}"));
}

void InvoicePrints::PrepareLabels()
{
    ReportEngine& r = reset(QStringLiteral("tarrat.rpt"));
    r.SelectionFormula.clear();
    SetReportMargins(r, 1);
    r.setSortFields(0, QStringLiteral("+{Tarra.Tarra_ID}"));
}

} // namespace tikkeli
