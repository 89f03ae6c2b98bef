#include "lists/MemberListReports.h"

#include "base/SharedState.h"
#include "lists/MemberSelection.h"
#include "printing/FormulaText.h"
#include "printing/PrintChoices.h"
#include "printing/ReportError.h"
#include "printing/ReportServices.h"

namespace tikkeli {

namespace {

QString clubFormula()
{
    return FormulaText::named(QStringLiteral("Seurannimi"), State().ClubName);
}

QString listTitle()
{
    return FormulaText::named(QStringLiteral("Otsake"), QStringLiteral("Jäsenluettelo"));
}

// The steps every member print starts with once the print dialog has answered.
void startPrint(ReportEngine& r)
{
    ResetReportFormulas();
    r.Destination = Printing().PrintDestination;
    r.CopiesToPrinter = State().PrintCopies;
}

void prepareHistory(ReportEngine& r, const QString& selection)
{
    startPrint(r);
    r.ReportFileName = ReportFilePath(MemberListReports::HistoryFile);
    ApplySectionFonts(r, false);
    SetReportMargins(r, 0);
    r.setFormulas(0, clubFormula());
    r.SelectionFormula = selection;
}

} // namespace

std::optional<MemberListReports::Form> MemberListReports::form(int printForm)
{
    switch (printForm) {
    case 0: return Form{QStringLiteral("jrluetlo.rpt"), false, {listTitle(), clubFormula()}};
    case 1: return Form{QStringLiteral("jrlomins.rpt"), false, {clubFormula()}};
    case 2: return Form{QStringLiteral("jrlaajlu.rpt"), false, {listTitle(), clubFormula()}};
    case 3: return Form{QStringLiteral("jrosoite.rpt"), true, {}};
    case 4: return Form{QStringLiteral("jrosoitt.rpt"), true, {}};
    default: return std::nullopt;
    }
}

QString MemberListReports::PrepareMemberListReport(ReportEngine& report, int printForm)
{
    ClearReportFormulaList();
    ApplySectionFonts(report, false);
    const auto f = form(printForm);
    SetReportMargins(report, f && f->labelMargins ? 1 : 0);
    if (!f)
        return {};
    for (int i = 0; i < f->formulas.size(); ++i)
        PendingReportFormulas()[std::size_t(i)] = f->formulas.at(i);
    return f->file;
}

QString MemberListReports::MemberListSelectionFormula(Database& db, const MemberCriteria& criteria, int printForm)
{
    MemberSelection::Mark(db, criteria);
    // The list with feature values shows the chosen feature's values that pass the refinements
    // under each member; every member marked has at least one of them.
    if (printForm == 1)
        if (const QString values = MemberSelection::featureValueFormula(criteria); !values.isEmpty())
            return SelectedMembers + QStringLiteral(" and ") + values;
    return SelectedMembers;
}

void MemberListReports::PrintMemberList(Database& db, const MemberCriteria& criteria, int printForm, int sortOrder)
{
    ReportEngine& r = MainReport();
    startPrint(r);
    const QString file = PrepareMemberListReport(r, printForm);
    if (file.isEmpty())
        throw ReportException(ReportErr::CannotOpenReport, QStringLiteral("Tuntematon tulostusmuoto %1.").arg(printForm));
    r.ReportFileName = ReportFilePath(file);
    r.SelectionFormula = MemberListSelectionFormula(db, criteria, printForm);
    // The first empty entry ends the list.
    for (int i = 0; i < int(PendingReportFormulas().size()) && !PendingReportFormulas()[std::size_t(i)].isEmpty(); ++i)
        r.setFormulas(i, PendingReportFormulas()[std::size_t(i)]);
    const QStringList sorts = MemberSelection::sortFields(sortOrder);
    for (int i = 0; i < sorts.size(); ++i)
        r.setSortFields(i, sorts.at(i));
}

void MemberListReports::MemberHistory(qint64 memberId)
{
    prepareHistory(MainReport(), QStringLiteral("{jr.jrID} = ") + QString::number(memberId));
}

void MemberListReports::GroupHistory(Database& db, qint32 featureId)
{
    MemberSelection::MarkFeatureGroup(db, featureId);
    prepareHistory(MainReport(), SelectedMembers);
}

} // namespace tikkeli
