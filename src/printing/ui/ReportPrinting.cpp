#include "printing/ui/ReportPrinting.h"

#include "printing/PagePainter.h"
#include "printing/PrintChoices.h"
#include "printing/ReportEngine.h"
#include "printing/ReportDefinition.h"
#include "printing/ReportError.h"
#include "printing/ReportServices.h"
#include "printing/ui/ReportPreview.h"
#include "printing/ui/frmTulostus.h"

#include <QPageLayout>
#include <QPrinter>

namespace tikkeli {

void RememberPrinterSetup(const QPrinter& printer, const QPageLayout& shown)
{
    MainReport().PrinterDriver = QString();
    MainReport().PrinterName = printer.printerName();
    MainReport().PrinterPort = printer.outputFileName();
    PrinterSetupChoice& setup = PrinterSetup();
    setup.outputFile = printer.outputFormat() == QPrinter::PdfFormat ? printer.outputFileName() : QString();
    const QPageLayout chosen = printer.pageLayout();
    if (setup.paper || !chosen.pageSize().isEquivalentTo(shown.pageSize()))
        setup.paper = chosen.pageSize();
    if (setup.orientation || chosen.orientation() != shown.orientation())
        setup.orientation = chosen.orientation();
}

void ApplyPrinterSetup(QPrinter& printer)
{
    const PrinterSetupChoice& setup = PrinterSetup();
    if (!setup.outputFile.isEmpty()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(setup.outputFile);
    }
    if (setup.paper)
        printer.setPageSize(*setup.paper);
    if (setup.orientation)
        printer.setPageOrientation(*setup.orientation);
}

void PrintDocument(const ReportDocument& doc, QPrinter& printer)
{
    QSizeF portrait = doc.pageSize;
    if (doc.orientation == QPageLayout::Landscape)
        portrait.transpose();
    const PrinterSetupChoice& setup = PrinterSetup();
    const QPageSize paper = setup.paper && setup.paper->isValid()
                                ? *setup.paper
                                : QPageSize(portrait / ReportDefinition::PointsPerMm, QPageSize::Millimeter, QString(),
                                            QPageSize::FuzzyMatch);
    printer.setFullPage(true);
    printer.setPageLayout(QPageLayout(paper, setup.orientation.value_or(doc.orientation), QMarginsF(0, 0, 0, 0)));
    printer.setDocName(doc.title.isEmpty() ? QStringLiteral("Tikkeli") : doc.title);
    // A printer that cannot make copies itself gets the pages as many times over.
    int copies = 1;
    if (!printer.supportsMultipleCopies()) {
        copies = printer.copyCount();
        printer.setCopyCount(1);
    }
    // The page range the user chose in the print dialog.
    int from = 0;
    int to = int(doc.pages.size()) - 1;
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        from = printer.fromPage() - 1;
        if (printer.toPage() > 0)
            to = std::min(to, printer.toPage() - 1);
    }
    if (!printer.isValid() || !PagePainter::paintPages(printer, doc, from, to, copies))
        throw ReportException(ReportErr::PrinterError,
                              QStringLiteral("Tulostus tulostimelle %1 epäonnistui.").arg(printer.printerName()));
}

void InstallReportOutput()
{
    if (MainReport().hasOutputHandler())
        return;
    MainReport().setOutputHandler([](std::shared_ptr<const ReportDocument> doc, const ReportEngine& engine) {
        if (engine.Destination == ReportEngine::ToWindow) {
            auto* preview = new ReportPreview(std::move(doc));
            preview->showFor(engine);
            return;
        }
        QPrinter printer(QPrinter::HighResolution);
        if (!engine.PrinterName.isEmpty())
            printer.setPrinterName(engine.PrinterName);
        ApplyPrinterSetup(printer);
        printer.setCopyCount(std::max<int>(1, engine.CopiesToPrinter));
        PrintDocument(*doc, printer);
    });
}

void PrintRaport(const QString& file, const QString& selection)
{
    {
        frmTulostus dialog;
        dialog.exec();
    }
    if (Printing().PrintCancelled)
        return;
    PrepareRaport(file, selection);
    MainReport().setAction(1);
}

} // namespace tikkeli
