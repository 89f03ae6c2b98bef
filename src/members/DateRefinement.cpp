#include "members/DateRefinement.h"

#include "printing/FormulaText.h"

namespace tikkeli {

namespace DateRefinement {

SqlTest sql(const QString& column, const DateCriterion& d, qint16 op)
{
    if (d.isYearPattern())
        return {QStringLiteral(" AND substr(%1, 1, 4) GLOB ?").arg(column), d.yearPattern};
    return {QStringLiteral(" AND substr(%1, 1, 10) %2 ?").arg(column, FormulaText::comparison(op)),
            d.date.toString(QStringLiteral("yyyy-MM-dd"))};
}

QString formula(const QString& field, const DateCriterion& d, qint16 op)
{
    if (d.isYearPattern())
        return QStringLiteral(" and ToText(Year(%1),0) like ").arg(field) + FormulaText::string(d.yearPattern);
    // The formula compares a Date() with the day of a stored date-time.
    return QStringLiteral(" and %1 %2 Date(%3,%4,%5)")
        .arg(field, FormulaText::comparison(op))
        .arg(d.date.year())
        .arg(d.date.month())
        .arg(d.date.day());
}

} // namespace DateRefinement

} // namespace tikkeli
