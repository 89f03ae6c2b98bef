#pragma once

#include "support/Controls.h"

#include "printing/ReportDocument.h"
#include "printing/ui/ReportPreview.h"

#include <QPushButton>
#include <memory>

namespace tikkeli::test {

// The print preview of a one-page report, its PDF button pressed: the save dialog and what follows
// are the prompter's to answer.
inline void SavePdfFromAOnePagePreview()
{
    ReportDocument doc;
    doc.pageSize = QSizeF(595, 842);
    doc.pages.resize(1);
    auto* preview = new ReportPreview(std::make_shared<const ReportDocument>(doc));
    preview->show();
    Control<QPushButton>(*preview, "cSavePdf")->click();
    preview->close();
}

} // namespace tikkeli::test
