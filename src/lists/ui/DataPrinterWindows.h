#pragma once

#include <QtGlobal>

class QWidget;

namespace tikkeli {

// Sets the member window's hooks for the report templates (the editor, the menu of templates and
// their print) and the single and group e-mail windows.
void RegisterTemplateAndEmailWindows();

// Prints the report template rpID for the member window (owner): "Jäsenistön rajaus", the order,
// the print dialog (a dialog closed or cancelled ends it with nothing marked or printed), then the
// members of the one member selection as the template's table to the dialog's destination.
void PrintReportTemplate(QWidget* owner, qint64 templateId);

} // namespace tikkeli
