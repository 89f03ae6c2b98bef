#pragma once

#include "base/Value.h"

#include <QString>
#include <functional>
#include <vector>

namespace tikkeli {

// Translates a record-selection formula into an SQLite WHERE clause whose values are all bound
// parameters. The language: {table.field}, = <> < > <= >=, and/or/not, parentheses, numbers,
// 'strings' and "strings", true/false, Date(y,m,d), Year(x), ToText(x[,decimals]), ToNumber(x),
// x like "pattern" (* and ?; [*], [?] and [[] for the characters themselves), x in [a, b, ...].
// A Null stays Null through Year, ToText and ToNumber: a field without a value matches no
// comparison and no pattern.
// Anything else is refused with ReportException 20515 before any SQL is built.
class SelectionFormula {
public:
    // Gives the SQL of a field reference ("jr"."jrSukunimi"), or throws for an unknown field.
    using FieldResolver = std::function<QString(const QString& table, const QString& field)>;

    struct Sql {
        QString where; // empty for an empty formula
        std::vector<Value> params;
    };

    static Sql translate(const QString& formula, const FieldResolver& resolve);

    struct SortField {
        bool ascending = true;
        QString table;
        QString field;
    };
    // "+{table.field}" or "-{table.field}"; throws 20515 for anything else.
    static SortField parseSortField(const QString& text);
};

} // namespace tikkeli
