#pragma once

#include "db/Database.h"
#include "printing/ReportDefinition.h"
#include "printing/ReportRows.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

namespace tikkeli {

// Builds the one SELECT a report reads: the main table, the joins the report actually refers to,
// the selection formula as a WHERE clause with bound values, and the order of groups, then sort
// fields. Every table and field name is checked against the database before it enters SQL.
class ReportQuery {
public:
    ReportQuery(Database db, ReportDefinition& definition);

    // Fills the columns of the definition's fields and builds the statement. Throws
    // ReportException 20515 for an unknown table or field and for a refused formula.
    void build(const QString& selectionFormula, const QStringList& sortFields);

    const QString& sql() const { return m_sql; }
    const std::vector<Value>& params() const { return m_params; }
    // Runs the statement; throws 20532 when the database refuses it.
    std::vector<std::vector<Value>> fetch();
    // The same rows kept as the database layer reads them (text as UTF-8, in blocks), each made
    // into Values only when the layout reads it: a long report's rows then take a fraction of
    // the memory.
    std::unique_ptr<ReportRows> fetchRows();

private:
    struct Table {
        QString name; // as the database spells it
        bool isView = false;
        QHash<QString, QString> fields; // lower case → as the database spells it
        bool fieldsRead = false;
    };

    Table& table(const QString& name);
    // "table"."field" of a reference, checked; records the table as used.
    QString resolve(const QString& table, const QString& field, bool fromSelection);
    int column(const QString& tableDotField);
    QString quoted(const QString& identifier) const;

    Database m_db;
    ReportDefinition& m_def;
    QHash<QString, Table> m_tables; // lower case name → table
    bool m_tablesRead = false;
    QStringList m_reportTables;  // lower case: main table and declared joins
    QStringList m_used;          // lower case, in order of first use
    QStringList m_selectionOnly; // lower case tables only the formula brought in
    QStringList m_columns;       // SQL of the selected columns
    QString m_sql;
    std::vector<Value> m_params;
};

} // namespace tikkeli
