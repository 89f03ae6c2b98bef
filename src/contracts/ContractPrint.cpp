#include "contracts/ContractPrint.h"

#include "contracts/cSopimus.h"
#include "printing/PrintChoices.h"
#include "printing/ReportEngine.h"
#include "printing/ReportServices.h"
#include "base/SharedState.h"
#include "printing/FormulaText.h"

namespace tikkeli {

namespace {

QString dateText(const QDate& d)
{
    return d.isValid() ? d.toString(QStringLiteral("d.M.yyyy")) : QString();
}

void prepare(const QString& file, qint64 contractId)
{
    const SharedState& s = State();
    ReportEngine& r = MainReport();
    ResetReportFormulas();
    r.ReportFileName = ReportFilePath(file);
    // The forms keep their own fonts.
    ClearSectionFonts(r);
    SetReportMargins(r, 0);
    r.Destination = Printing().PrintDestination;
    r.CopiesToPrinter = s.PrintCopies;
    r.setFormulas(0, FormulaText::named(QStringLiteral("ValRegName"), s.ClubName));
    r.setFormulas(1, FormulaText::named(QStringLiteral("ValRegHloName"), s.ContactPerson));
    r.setFormulas(2, FormulaText::named(QStringLiteral("ValRegOsoite"), s.ClubAddress));
    r.setFormulas(3, FormulaText::named(QStringLiteral("ValRegPostinumero"), s.ClubPostalCode));
    r.setFormulas(4, FormulaText::named(QStringLiteral("ValRegPostitoimipaikka"), s.ClubPostOffice));
    r.SelectionFormula = QStringLiteral("{vs.vsID}=") + QString::number(contractId);
}

} // namespace

QString ContractPrint::validityText(Database& db, qint64 contractId)
{
    cSopimus contract(db);
    if (!contract.Read(contractId))
        return QString();
    if (contract.Voimassa() == 1)
        return QStringLiteral("Toistaiseksi, irtisanomisaika %1 kk").arg(contract.VoimassaIrtisanomisaika());
    return dateText(contract.VoimassaAlkaen()) + QStringLiteral(" - ") + dateText(contract.VoimassaPaattyy());
}

void ContractPrint::prepareContract(Database& db, qint64 contractId, bool printValidity)
{
    const QString validity = printValidity ? validityText(db, contractId) : QStringLiteral(" ");
    prepare(QStringLiteral("vse.rpt"), contractId);
    MainReport().setFormulas(5, FormulaText::named(QStringLiteral("ValVsVoimassa"), validity));
}

void ContractPrint::prepareEmptyForm()
{
    prepare(QStringLiteral("vsempty.rpt"), 0);
}

} // namespace tikkeli
