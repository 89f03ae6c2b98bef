#pragma once

#include "printing/ReportDocument.h"

#include <QString>
#include <memory>

class QPrinter;

namespace tikkeli {

// frmMain.PrintRaport: the print dialog, then the one-call print of a report file of the program
// folder with a selection formula. Prints nothing when the dialog is cancelled; errors of the
// engine (ReportException) reach the caller.
void PrintRaport(const QString& file, const QString& selection);

// Lets MainReport() show its pages in the preview window and send them to the printer.
void InstallReportOutput();

// Prints the pages on a printer set up by the caller (name, copies); sets the page size,
// orientation and full-page mode. Throws ReportException 20544 when the printer refuses.
void PrintDocument(const ReportDocument& doc, QPrinter& printer);

} // namespace tikkeli
