#pragma once

#include "contracts/ContractCriteria.h"
#include "members/CriteriaValues.h"

#include <QString>
#include <optional>
#include <utility>
#include <vector>

namespace tikkeli {

// What the contract lists make of their criteria: selection queries (values bound), report
// selection formulas (values as formula data, never as typed text) and the headings.
namespace ContractReportText {

// The validity criterion as a query over vs; empty for "all contracts".
ContractQuery validityQuery(const ContractCriteria::Validity& v);
// The contracts carrying the validity dialog's feature; empty for none.
ContractQuery validityFeatureQuery(const ContractCriteria::Validity& v);
// "Kaikki sopimukset", "Voimassa olevat sopimukset: 31.12.2026", "Erääntyneet sopimukset: ...",
// after "<feature name>: " when a feature is required.
QString ValidityFilterText(const ContractCriteria::Validity& v, const QString& featureName);
// The heading of the animal lists.
QString AnimalGroupText(const ContractCriteria::Animals& a);

// The value tests of the feature criteria, read by the member criteria's readers
// (CriteriaValues): a date or a year pattern ("19*", "198?"), a whole number (half to even),
// money with its decimals. A text that does not read as its kind adds no test.
struct FeatureTests {
    std::optional<DateCriterion> date; // tested by DateRefinement
    std::optional<qint64> number;
    std::optional<Currency> money;
};
FeatureTests featureTests(const ContractCriteria::Feature& f);
// The selection formula of the feature lists over vs, mt and pi.
QString featureFormula(const ContractCriteria::Feature& f);
// The query of the compact feature list: the contracts with the feature passing the tests, by name.
ContractQuery featureSummaryQuery(const ContractCriteria::Feature& f);

// The rent list's selection formula and its sort field ("" for the kinds without a due date).
// Both due-date bounds apply when both are given.
std::pair<QString, QString> rentFormula(const ContractCriteria::Rent& r);

} // namespace ContractReportText

// The animal dialog's choice turned into its formula and query (option 0..3 of the dialog).
struct AnimalChoice {
    int option = 0; // 0 all hunting, 1 cervids, 2 the listed animals, 3 not the listed animals
    bool kaikkea = false;
    bool hirvi = false;
    std::vector<std::pair<qint32, QString>> animals; // chosen (elID, name) in list order
};
// Fills every field of the animal criteria; Keskeytetty when a list option has no animals.
ContractCriteria::Animals BuildAnimalCriteria(const AnimalChoice& choice);

} // namespace tikkeli
