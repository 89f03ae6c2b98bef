#pragma once

#include "printing/ReportDocument.h"

#include <QString>
#include <memory>

class QPageLayout;
class QPrinter;

namespace tikkeli {

// frmMain.PrintRaport: the print dialog, then the one-call print of a report file of the program
// folder with a selection formula. Prints nothing when the dialog is cancelled; errors of the
// engine (ReportException) reach the caller.
void PrintRaport(const QString& file, const QString& selection);

// Lets MainReport() show its pages in the preview window and send them to the printer.
void InstallReportOutput();

// Prints the pages on a printer set up by the caller (name, copies); sets the page size and
// orientation (the report's own, or those of the printer setup) and full-page mode. Throws
// ReportException 20544 when the printer refuses. A print into a PDF file ends by saying where it
// went (TellWherePrinted).
void PrintDocument(const ReportDocument& doc, QPrinter& printer);

// Whether a print to this printer has nowhere to go: no printer is installed (the printer is then
// a PDF file without a name) and no PDF file was chosen in the printer setup.
bool PrinterMissing(const QPrinter& printer);
// What the user can do then, in the words of the print dialogs.
QString PrinterMissingText();

// "Tulostettiin tiedostoon …" when the printer wrote a PDF file; nothing for a real printer.
void TellWherePrinted(const QPrinter& printer);

// Keeps what a print dialog chose (printer, print to file, paper, orientation) for every later
// print. shown: the page layout the dialog opened with; a paper or orientation the user left as
// it was shown is no choice, and the report's own stays.
void RememberPrinterSetup(const QPrinter& printer, const QPageLayout& shown);
// Points a printer at the earlier choices: the PDF file, the paper and the orientation.
void ApplyPrinterSetup(QPrinter& printer);

} // namespace tikkeli
