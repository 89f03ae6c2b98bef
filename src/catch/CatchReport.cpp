#include "catch/CatchReport.h"

#include "base/SharedState.h"
#include "db/Transaction.h"
#include "printing/FormulaText.h"
#include "printing/PrintChoices.h"
#include "printing/ReportEngine.h"
#include "printing/ReportServices.h"
#include "settings/DatabaseSettingsStore.h"

namespace tikkeli {

const QString& CatchReport::reportFile()
{
    static const QString file = QStringLiteral("si.rpt");
    return file;
}

QStringList CatchReport::formulas(const QString& clubName, const CatchReportRequest& r)
{
    const auto n = [](int count) { return QString::number(count); };
    return {
        FormulaText::named(QStringLiteral("Seurannimi"), clubName),
        FormulaText::named(QStringLiteral("HirviElainLaji"), r.species),
        FormulaText::named(QStringLiteral("Lupanumero"), r.permitNumber),
        FormulaText::named(QStringLiteral("Luvansaaja"), r.permitHolder),
        FormulaText::named(QStringLiteral("SumAikU"), n(r.counts.adultMales)),
        FormulaText::named(QStringLiteral("SumAikN"), n(r.counts.adultFemales)),
        FormulaText::named(QStringLiteral("SumVasaU"), n(r.counts.calfMales)),
        FormulaText::named(QStringLiteral("SumVasaN"), n(r.counts.calfFemales)),
        FormulaText::named(QStringLiteral("SumAikYht"), n(r.counts.adults())),
        FormulaText::named(QStringLiteral("SumVasaYht"), n(r.counts.calves())),
        FormulaText::named(QStringLiteral("PolLupaA"), r.policePermitsMoose),
        FormulaText::named(QStringLiteral("PolLupaV"), r.policePermitsDeer),
        FormulaText::named(QStringLiteral("JHirvia"), r.leftMoose),
        FormulaText::named(QStringLiteral("JValkoH"), r.leftWhiteTailedDeer),
        FormulaText::named(QStringLiteral("JMetsaK"), r.leftRoeDeer),
        FormulaText::named(QStringLiteral("JKuusiP"), r.leftFallowDeer),
        FormulaText::named(QStringLiteral("LupaAlueenPintaAla"), QStringLiteral("Lupa-alueelle, jonka pinta-ala on ")
                                                                     + r.area
                                                                     + QStringLiteral(" ha jäi metsästyksen jälkeen:")),
    };
}

QString CatchReport::selection(const QString& species)
{
    // The rows the counts count: the species however its letters are cased, as a like pattern
    // that matches its own text only ([*], [?] and [[] stand for the characters themselves).
    QString pattern;
    for (const QChar c : species) {
        if (c == u'*' || c == u'?' || c == u'[')
            pattern += QLatin1Char('[') + c + QLatin1Char(']');
        else if (c == u'\'')
            pattern += QStringLiteral("''");
        else
            pattern += c;
    }
    return QStringLiteral("{si.siLaji} like '") + pattern + QLatin1Char('\'');
}

void CatchReport::prepare(const CatchReportRequest& request)
{
    ReportEngine& r = MainReport();
    r.ReportFileName = ReportFilePath(reportFile());
    ClearSectionFonts(r);
    // Margins of an earlier print (labels) would otherwise stay on the control.
    SetReportMargins(r, 0);
    r.Destination = Printing().PrintDestination;
    r.CopiesToPrinter = State().PrintCopies;
    const QStringList texts = formulas(State().ClubName, request);
    for (int i = 0; i < texts.size(); ++i)
        r.setFormulas(i, texts[i]);
    r.SelectionFormula = selection(request.species);
}

QString CatchReport::permitNumber(Database& db)
{
    return DatabaseSettingsStore(db).read(QStringLiteral("Lupanumero"));
}

QString CatchReport::permitHolder(Database& db)
{
    return DatabaseSettingsStore(db).read(QStringLiteral("Luvansaaja"));
}

void CatchReport::rememberPermit(Database& db, const QString& number, const QString& holder)
{
    DatabaseSettingsStore store(db);
    Transaction tx(db);
    store.write(number, QStringLiteral("Lupanumero"));
    store.write(holder, QStringLiteral("Luvansaaja"));
    tx.commit();
}

} // namespace tikkeli
