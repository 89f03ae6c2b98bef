#pragma once

#include "printing/ReportEngine.h"

#include <QString>
#include <QStringList>
#include <array>

namespace tikkeli {

// The operations every print uses to reset and fill the report control (MainReport()).

// Prepares MainReport() for a new print: fonts, window options, data files 0..22 = DatabasePath,
// no selection, formulas 0..20 empty, no sort fields. Never reports an error.
void ResetReportFormulas();
// Section font 0 = "DETAIL;<ReportFontName>;<ReportFontSize>;X;X;X;X", 1..8 = "".
void ResetReportFonts(ReportEngine& report);
// mode 1: label margins, otherwise page margins; each setting × 48 twips.
void SetReportMargins(ReportEngine& report, int mode);
void ClearSectionFonts(ReportEngine& report);
void ApplySectionFonts(ReportEngine& report, bool grouped);
void SetClubFormulas(ReportEngine& report);
void SetReminderClubFormulas(ReportEngine& report);

// The member-list print's formulas waiting for the next print (indexes 0..10).
std::array<QString, 11>& PendingReportFormulas();
void ClearReportFormulaList();

// The report files that PrintRaport gives the club-name formula (compared case-sensitively).
const QStringList& ClubNameReportFiles();
// Steps of the one-call print after the print dialog: reset, destination and copies from the
// dialog's answer, the report file, fonts, page margins, the club name for the listed files and
// the selection formula. PrintRaport (printing/ui) shows the dialog, calls this and runs.
void PrepareRaport(const QString& file, const QString& selection);

// Connects the start-up and the settings load to MainReport() (ProgramHooks): the page margins
// pushed at load (twips), the reset of the control's window position and ResetReportFormulas.
void InstallReportHooks();

} // namespace tikkeli
