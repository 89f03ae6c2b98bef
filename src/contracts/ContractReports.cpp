#include "contracts/ContractReports.h"

#include "base/NullConversions.h"
#include "base/SharedState.h"
#include "contracts/ContractReportCriteria.h"
#include "contracts/ContractSelection.h"
#include "members/FeatureName.h"
#include "printing/PrintChoices.h"
#include "printing/ReportEngine.h"
#include "printing/ReportServices.h"
#include "printing/FormulaText.h"

namespace tikkeli {

namespace {

using C = ContractReports::Command;

struct CommandInfo {
    C command;
    const char* menuItem;
    int dialogs;
};

constexpr CommandInfo Commands[] = {
    {C::AnimalWithPeriod, "mRapMVAlueetElainNormaaliVuokraAika",
     ContractReports::AnimalDialog | ContractReports::ValidityDialog},
    {C::AnimalWithoutPeriod, "mRapMVAlueetElainNormaaliEiVuokraAika",
     ContractReports::AnimalDialog | ContractReports::ValidityDialog},
    {C::AnimalCompact, "mRapMVAlueetElainTiivis", ContractReports::AnimalDialog | ContractReports::ValidityDialog},
    {C::VillageWithPeriod, "mRapMVAlueetKylatVuokraAika", ContractReports::ValidityDialog},
    {C::VillageWithoutPeriod, "mRapMVAlueetKylatEiVuokraAika", ContractReports::ValidityDialog},
    {C::LandownerWithPeriod, "mRapMVAlueetMaanomNormaaliVuokraAika", ContractReports::ValidityDialog},
    {C::LandownerWithoutPeriod, "mRapMVAlueetMaanomNormaaliEiVuokraAika", ContractReports::ValidityDialog},
    {C::LandownerCompact, "mRapMVAlueetMaanomTiivis", ContractReports::ValidityDialog},
    {C::FeatureWithPeriod, "mRapMVAlueetOminNormaaliVuokraAika", ContractReports::FeatureDialog},
    {C::FeatureWithoutPeriod, "mRapMVAlueetOminNormaaliEiVuokraAika", ContractReports::FeatureDialog},
    {C::FeatureCompact, "mRapMVAlueetOminTiivis", ContractReports::FeatureDialog},
    {C::LessorList, "mRapMVLuettelo", ContractReports::ValidityDialog},
    {C::LessorLabels, "mRapMVOsoitetarrat", ContractReports::ValidityDialog},
    {C::RentList, "mRapLuetteloSopimuksista", ContractReports::RentDialog},
};

const CommandInfo& info(C c)
{
    return Commands[int(c)];
}

// Lessors' labels go on the same label sheets as the members' and keep to the margins set for
// those sheets, not to the page margins of the lists.
constexpr int LabelMargins = 1;

ReportEngine& start(const QString& file, bool fonts, bool clubName)
{
    ReportEngine& r = MainReport();
    ResetReportFormulas();
    r.Destination = Printing().PrintDestination;
    r.CopiesToPrinter = State().PrintCopies;
    r.ReportFileName = ReportFilePath(file);
    if (fonts)
        ApplySectionFonts(r, false);
    SetReportMargins(r, 0);
    if (clubName)
        r.setFormulas(0, FormulaText::named(QStringLiteral("Seurannimi"), State().ClubName));
    return r;
}

QString validityText(Database& db, const ContractCriteria& c)
{
    const qint32 feature = c.validity.VoimassaoloOminaisuus;
    return ContractReportText::ValidityFilterText(c.validity, feature ? FeatureName(db, feature) : QString());
}

} // namespace

int ContractReports::dialogs(Command c)
{
    return info(c).dialogs;
}

bool ContractReports::offersLabels(Command c)
{
    return c == C::FeatureWithPeriod || c == C::FeatureWithoutPeriod;
}

QString ContractReports::menuItem(Command c)
{
    return QString::fromLatin1(info(c).menuItem);
}

void ContractReports::selectByValidity(Database& db, const ContractCriteria& criteria, bool withAnimals)
{
    ContractSelection::ResetSelection(db);
    if (withAnimals)
        ContractSelection::FilterSelection(db, criteria.animals.RajausSQL);
    ContractSelection::FilterSelection(db, ContractReportText::validityQuery(criteria.validity));
    ContractSelection::FilterSelection(db, ContractReportText::validityFeatureQuery(criteria.validity));
}

void ContractReports::prepare(Database& db, Command c, const ContractCriteria& criteria)
{
    const auto validityFormula = [&] {
        return FormulaText::named(QStringLiteral("VoimassaoloTeksti"), validityText(db, criteria));
    };
    const QString groupText = ContractReportText::AnimalGroupText(criteria.animals);
    switch (c) {
    case C::AnimalWithPeriod:
    case C::AnimalWithoutPeriod: {
        const bool period = c == C::AnimalWithPeriod;
        selectByValidity(db, criteria, true);
        const auto& a = criteria.animals;
        const bool summary = a.KoskeeValinta == 1 || a.KoskeeValinta == 2 || a.MyosKaikkea;
        QString total;
        if (!summary)
            total = FormatLocaleNumber(ContractSelection::SumSelectedArea(db, ContractSelection::selected()));
        const QString file = summary ? (period ? QStringLiteral("mvluete2.rpt") : QStringLiteral("mvluete3.rpt"))
                                     : (period ? QStringLiteral("mvluetel.rpt") : QStringLiteral("mvluete4.rpt"));
        ReportEngine& r = start(file, true, true);
        r.setFormulas(1, validityFormula());
        if (!summary)
            r.setFormulas(2, FormulaText::named(QStringLiteral("ValTotalPASum"), total));
        if (!groupText.isEmpty())
            r.setFormulas(r.Formulas(2).isEmpty() ? 2 : 3, FormulaText::named(QStringLiteral("Ryhmateksti"), groupText));
        r.SelectionFormula = SelectedContracts;
        return;
    }
    case C::AnimalCompact: {
        selectByValidity(db, criteria, true);
        ReportEngine& r = start(QStringLiteral("mvluetet.rpt"), true, true);
        r.setFormulas(1, FormulaText::named(QStringLiteral("Ryhmateksti"), groupText));
        r.setFormulas(2, validityFormula());
        ContractSelection::RebuildSummaryTable(db, ContractSelection::selected());
        return;
    }
    case C::VillageWithPeriod:
    case C::VillageWithoutPeriod:
    case C::LandownerWithPeriod:
    case C::LandownerWithoutPeriod: {
        static const char* const files[] = {"mvluetl2.rpt", "mvluetl3.rpt", "mvluetle.rpt", "mvluetl4.rpt"};
        selectByValidity(db, criteria, false);
        ReportEngine& r = start(QString::fromLatin1(files[int(c) - int(C::VillageWithPeriod)]), true, true);
        r.setFormulas(1, validityFormula());
        r.SelectionFormula = SelectedContracts;
        return;
    }
    case C::LandownerCompact: {
        selectByValidity(db, criteria, false);
        start(QStringLiteral("mvlueto2.rpt"), false, true);
        ContractSelection::RebuildSummaryTable(db, ContractSelection::selected(true));
        return;
    }
    case C::FeatureWithPeriod:
    case C::FeatureWithoutPeriod: {
        const bool labels = criteria.feature.TulostusMuoto != 0;
        const QString file = labels ? QStringLiteral("mvosoite.rpt")
                                    : (c == C::FeatureWithPeriod ? QStringLiteral("mvluetom.rpt")
                                                                 : QStringLiteral("mvlueto3.rpt"));
        ReportEngine& r = start(file, true, !labels);
        if (labels)
            SetReportMargins(r, LabelMargins);
        r.SelectionFormula = ContractReportText::featureFormula(criteria.feature);
        return;
    }
    case C::FeatureCompact: {
        start(QStringLiteral("mvluetot.rpt"), true, true);
        ContractSelection::RebuildSummaryTable(db, ContractReportText::featureSummaryQuery(criteria.feature));
        return;
    }
    case C::LessorList:
    case C::LessorLabels:
        selectByValidity(db, criteria, false);
        PrepareRaport(c == C::LessorList ? QStringLiteral("mvluetlo.rpt") : QStringLiteral("mvosoite.rpt"),
                      SelectedContracts);
        if (c == C::LessorLabels)
            SetReportMargins(MainReport(), LabelMargins);
        return;
    case C::RentList: {
        ReportEngine& r = start(QStringLiteral("mvluets2.rpt"), true, true);
        const auto [selection, sort] = ContractReportText::rentFormula(criteria.rent);
        r.SelectionFormula = selection;
        if (!sort.isEmpty())
            r.setSortFields(0, sort);
        return;
    }
    }
}

} // namespace tikkeli
