#pragma once

#include <QPageLayout>
#include <QPageSize>
#include <QString>
#include <QtGlobal>

#include <optional>

namespace tikkeli {

// Answers of the print dialogs that the printing windows read after the dialog has closed.
// PrintCopies lives in the shared settings state (State().PrintCopies).
struct PrintChoices {
    qint16 PrintDestination = 0; // 0 preview window, 1 printer
    bool PrintCancelled = false;
    qint16 TulostusMuoto = 0;     // list type of the member-list print
    qint16 TulostusJarjestys = 0; // order of the member-list print
};

PrintChoices& Printing();

// What the user chose in the printer setup (or in the print dialog of the preview): every print
// to a printer honours it until the next setup.
struct PrinterSetupChoice {
    QString outputFile; // not empty: a PDF file instead of the printer
    std::optional<QPageSize> paper;
    std::optional<QPageLayout::Orientation> orientation;
};

PrinterSetupChoice& PrinterSetup();

} // namespace tikkeli
