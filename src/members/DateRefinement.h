#pragma once

#include "members/CriteriaValues.h"

#include <QString>
#include <QtGlobal>

namespace tikkeli {

// The one rule by which a date refinement (the member and contract feature criteria) tests a
// stored date: a day compares with the stored value's day, so a time of day kept with the value
// ("5.3.2024 12:00") never moves it across "=", "<" or ">"; a year pattern matches the value's
// four-digit year. A value without a date matches no test, not even a pattern such as "*" or
// "0*". Every selection, count and report formula that refines by a date goes through here, so a
// list and its count can never disagree on a date.
namespace DateRefinement {

// The test on a column holding "yyyy-MM-dd hh:mm:ss", with its one bound value. The SQL starts
// with " AND ".
struct SqlTest {
    QString sql;
    QString value;
};
SqlTest sql(const QString& column, const DateCriterion& d, qint16 op);

// The same test in the report's selection formula, on a field such as "{pt.ptValDate}"; starts
// with " and ".
QString formula(const QString& field, const DateCriterion& d, qint16 op);

} // namespace DateRefinement

} // namespace tikkeli
