#pragma once

#include "db/Database.h"
#include "members/MemberCriteria.h"
#include "printing/ReportEngine.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace tikkeli {

// The member lists, labels and payment histories of the member window's "Raportit" menu. Each
// fills the report control (MainReport()) after the print dialog has answered: the report file,
// its formulas, the selection on the flag jr.jrMukaan written by MemberSelection, the sort field,
// fonts and margins. The window then runs it. Errors (the database's, the
// report engine's) are thrown before the control is run, so nothing is printed.
class MemberListReports {
public:
    // The print form (TulostusMuoto) 0 "Luettelo", 1 "Luett. omin.", 2 "Laaja luettelo",
    // 3 "Tarrat", 4 "Tarrat tittelillä".
    struct Form {
        QString file;
        bool labelMargins = false;
        QStringList formulas; // handed to the report as formulas 0, 1, ...
    };
    static std::optional<Form> form(int printForm);

    // Empties PendingReportFormulas, sets the ungrouped section fonts and the margins of the form
    // on report, fills PendingReportFormulas; returns the report file name ("" for an unknown form).
    static QString PrepareMemberListReport(ReportEngine& report, int printForm);
    // Marks the members of the criteria (MemberSelection::Mark) and returns the selection
    // formula of the form: the flag, and for the list with feature values the one chosen feature.
    static QString MemberListSelectionFormula(Database& db, const MemberCriteria& criteria, int printForm);
    // The whole list print after the dialogs: reset, destination and copies from Printing() and
    // the settings, file, selection, pending formulas and the sort field of TulostusJarjestys.
    static void PrintMemberList(Database& db, const MemberCriteria& criteria, int printForm, int sortOrder);

    // The payment history of one member (memberId > 0) / of the members having the feature of
    // the member window's list filter (0: every member).
    static void MemberHistory(qint64 memberId);
    static void GroupHistory(Database& db, qint32 featureId);

    static inline const QString SelectedMembers = QStringLiteral("{jr.jrMukaan} = true");
    static inline const QString HistoryFile = QStringLiteral("jmmakhis.rpt");
};

} // namespace tikkeli
