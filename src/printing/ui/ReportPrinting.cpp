#include "printing/ui/ReportPrinting.h"

#include "printing/PagePainter.h"
#include "printing/PrintChoices.h"
#include "printing/ReportEngine.h"
#include "printing/ReportDefinition.h"
#include "printing/ReportError.h"
#include "printing/ReportServices.h"
#include "printing/ui/ReportPreview.h"
#include "printing/ui/frmTulostus.h"

#include "base/Prompter.h"
#include "base/SharedState.h"
#include "db/Database.h"
#include "db/OutputTarget.h"

#include <QCoreApplication>
#include <QDir>
#include <QPageLayout>
#include <QPrinter>
#include <QTimer>
#include <tuple>

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

bool PrinterMissing(const QPrinter& printer)
{
    return printer.outputFileName().isEmpty() && (printer.printerName().isEmpty() || !printer.isValid());
}

QString PrinterMissingText()
{
    return QStringLiteral("Tulostinta ei löydy. Valitse tulostusasetuksissa tulostus ikkunaan ja tallenna sivut "
                          "sieltä PDF-tiedostoksi, tai valitse Tulostin-painikkeella tulostus PDF-tiedostoon. "
                          "Tulostimen voi lisätä käyttöjärjestelmän tulostinasetuksista.");
}

void TellWherePrinted(const QPrinter& printer)
{
    if (printer.outputFileName().isEmpty())
        return;
    const QString text = QStringLiteral("Tulostettiin tiedostoon ") + QDir::toNativeSeparators(printer.outputFileName());
    // A print that records what it printed runs inside the write transaction; a message box waiting
    // there would keep every other writer of the club's database out, so it comes once the command
    // has ended.
    if (ConnectionRegistry::inTransaction(State().DatabasePath))
        QTimer::singleShot(0, QCoreApplication::instance(), [text] { ShowInfo(text); });
    else
        ShowInfo(text);
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

namespace {

// Sets the printer to the report's paper and orientation, or to those of the printer setup, in
// full-page mode. Returns how many times over the pages must be sent: a printer that cannot
// make copies itself gets them so.
int SetUpPrinter(const ReportDocument& report, QPrinter& printer)
{
    QSizeF portrait = report.pageSize;
    if (report.orientation == QPageLayout::Landscape)
        portrait.transpose();
    const PrinterSetupChoice& setup = PrinterSetup();
    const QPageSize paper = setup.paper && setup.paper->isValid()
                                ? *setup.paper
                                : QPageSize(portrait / ReportDefinition::PointsPerMm, QPageSize::Millimeter, QString(),
                                            QPageSize::FuzzyMatch);
    printer.setFullPage(true);
    printer.setPageLayout(QPageLayout(paper, setup.orientation.value_or(report.orientation), QMarginsF(0, 0, 0, 0)));
    printer.setDocName(report.title.isEmpty() ? QStringLiteral("Tikkeli") : report.title);
    int copies = 1;
    if (!printer.supportsMultipleCopies()) {
        copies = printer.copyCount();
        printer.setCopyCount(1);
    }
    return copies;
}

// A printer that prints into a file writes that file itself, in place from the first page: the file
// is looked at as every file written for the user is, right before the printer opens it.
void RefuseClubFile(const QPrinter& printer)
{
    if (printer.outputFileName().isEmpty())
        return;
    if (const std::optional<FileError> refused = OutputTarget::refusal(printer.outputFileName()))
        throw ReportException(ReportErr::PrinterError, refused->description);
}

// The page range the user chose in the print dialog, from 0; `to` is -1 for "to the end".
std::pair<int, int> ChosenRange(const QPrinter& printer)
{
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0)
        return {printer.fromPage() - 1, printer.toPage() > 0 ? printer.toPage() - 1 : -1};
    return {0, -1};
}

[[noreturn]] void PrinterFailed(const QPrinter& printer)
{
    if (PrinterMissing(printer))
        throw ReportException(ReportErr::PrinterError, PrinterMissingText());
    throw ReportException(ReportErr::PrinterError,
                          QStringLiteral("Tulostus tulostimelle %1 epäonnistui.").arg(printer.printerName()));
}

// Prints the pages of the chosen range as they are laid out.
class PrinterPages : public PageSink {
public:
    explicit PrinterPages(std::unique_ptr<QPrinter> printer) : m_printer(std::move(printer)), m_pages(*m_printer) {}

    void begin(const ReportDocument& report) override
    {
        SetUpPrinter(report, *m_printer);
        std::tie(m_from, m_to) = ChosenRange(*m_printer);
        if (!m_printer->isValid())
            PrinterFailed(*m_printer);
        RefuseClubFile(*m_printer);
        m_pages.begin(report);
        if (!m_pages.ok())
            PrinterFailed(*m_printer);
    }
    void page(const ReportDocument::Page& page) override
    {
        const int index = m_next++;
        if (index >= m_from && (m_to < 0 || index <= m_to))
            m_pages.page(page);
        if (!m_pages.ok())
            PrinterFailed(*m_printer);
    }
    void end() override
    {
        m_pages.end();
        if (!m_pages.ok())
            PrinterFailed(*m_printer);
        TellWherePrinted(*m_printer);
    }

private:
    std::unique_ptr<QPrinter> m_printer;
    DevicePages m_pages;
    int m_from = 0, m_to = -1, m_next = 0;
};

// The printer the engine's settings and the printer setup name.
std::unique_ptr<QPrinter> EnginePrinter(const ReportEngine& engine)
{
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    if (!engine.PrinterName.isEmpty())
        printer->setPrinterName(engine.PrinterName);
    ApplyPrinterSetup(*printer);
    printer->setCopyCount(std::max<int>(1, engine.CopiesToPrinter));
    return printer;
}

} // namespace

void PrintDocument(const ReportDocument& doc, QPrinter& printer)
{
    const int copies = SetUpPrinter(doc, printer);
    auto [from, to] = ChosenRange(printer);
    if (to < 0 || to > int(doc.pages.size()) - 1)
        to = int(doc.pages.size()) - 1;
    RefuseClubFile(printer);
    if (!printer.isValid() || !PagePainter::paintPages(printer, doc, from, to, copies))
        PrinterFailed(printer);
    TellWherePrinted(printer);
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
        auto printer = EnginePrinter(engine);
        PrintDocument(*doc, *printer);
    });
    MainReport().setPagePrinter([](const ReportEngine& engine) -> std::unique_ptr<PageSink> {
        auto printer = EnginePrinter(engine);
        // Copies the printer does not make itself need the pages more than once: those are kept.
        if (!printer->supportsMultipleCopies() && printer->copyCount() > 1)
            return nullptr;
        return std::make_unique<PrinterPages>(std::move(printer));
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
