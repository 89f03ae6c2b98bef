#pragma once

#include <QtGlobal>

namespace tikkeli {

// Answers of the print dialogs that the printing windows read after the dialog has closed.
// PrintCopies lives in the shared settings state (State().PrintCopies).
struct PrintChoices {
    qint16 PrintDestination = 0;   // 0 preview window, 1 printer
    bool PrintCancelled = false;
    qint16 TulostusMuoto = 0;      // list type of the member-list print
    qint16 TulostusJarjestys = 0;  // order of the member-list print
};

PrintChoices& Printing();

} // namespace tikkeli
