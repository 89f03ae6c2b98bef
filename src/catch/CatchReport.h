#pragma once

#include "catch/CatchCounts.h"
#include "db/Database.h"

#include <QString>
#include <QStringList>

namespace tikkeli {

// What the catch report window hands over for the print of "si.rpt": the species, the permit,
// the counts of the species when it was handed over, and the free texts of the police permits,
// the permit region's area and the population left after the hunt.
struct CatchReportRequest {
    QString species;
    QString permitNumber;
    QString permitHolder;
    CatchCounts counts;
    QString policePermitsMoose;
    QString policePermitsDeer;
    QString area;
    QString leftMoose;
    QString leftWhiteTailedDeer;
    QString leftRoeDeer;
    QString leftFallowDeer;
};

// The catch report "si.rpt": its named formulas, its selection and the permit data kept in the
// database's settings.
class CatchReport {
public:
    static const QString& reportFile();

    // The 17 formulas in index order, each "Name= 'value'"; a value is handed as it stands, so an
    // apostrophe in it is printed as typed.
    static QStringList formulas(const QString& clubName, const CatchReportRequest& request);
    // The rows of the species however their letters are cased, as CatchCounts counts them; the
    // species is a quoted value of the formula (never formula text).
    static QString selection(const QString& species);

    // Fills the report control (MainReport) after the print dialog has answered: the report file,
    // the report's own fonts, the page margins, destination and copies, the formulas and the
    // selection. The caller has reset the control and runs the print.
    static void prepare(const CatchReportRequest& request);

    // The permit number and holder kept in the settings ("Lupanumero", "Luvansaaja").
    static QString permitNumber(Database& db);
    static QString permitHolder(Database& db);
    // Keeps both or neither; DbException when the settings cannot be written.
    static void rememberPermit(Database& db, const QString& number, const QString& holder);
};

} // namespace tikkeli
