#pragma once

#include "db/Database.h"

#include <QString>

namespace tikkeli {

class DataPrinterSettings;
struct MemberCriteria;

// The chosen features as a readable expression: "A TAI B", "A JA B", "EI (A JA B)".
QString FeatureCriteriaText(Database& db, const MemberCriteria& criteria);
// The member criteria as the line printed under a template's title, parts joined with " JA ":
// features (with their refinements), fee, birth and joining date, postcode range, owner type.
// Empty when nothing narrows the selection.
QString TemplateCriteriaText(Database& db, const MemberCriteria& criteria);

// The statement that reads the selected members (jrMukaan set by the one member selection) for a
// template: the template's known fields only, one row per member, or one per member and feature
// value when a feature column is printed (the one chosen feature's values that pass the
// refinements, otherwise all the member's, as the member lists show them). sortOrder: 0 surname,
// 1 postcode, 2 birth date.
struct TemplateQuery {
    QString sql;
    Params params;
};
TemplateQuery TemplateCriteriaSql(const DataPrinterSettings& settings, const MemberCriteria& criteria, int sortOrder);

} // namespace tikkeli
