#pragma once

#include "db/SchemaTypes.h"

#include <QStringList>
#include <vector>

namespace tikkeli {

class Database;

// The club database as this version of the program wants it: every table with its fields in their
// order, each field and index marked with the upgrade step that makes it (0 for the template's own
// fields). The upgrade, the template builder and the tests all read this one list.
class Schema {
public:
    // Every table, in the order a new database gets them: the template's tables, then the ones the
    // upgrade creates in step order.
    static const std::vector<TableDef>& tables();
    static const TableDef* table(const QString& name);

    // The tables that come with the template file; the upgrade only adds fields to them.
    static const QStringList& baseTableNames();
    // The fields and indexes of the table that one upgrade step makes, in their order (step 0: the
    // template's own, so a base table as the template holds it).
    static TableDef madeBy(const QString& name, int step);
    static TableDef templateShape(const QString& name) { return madeBy(name, 0); }
    // Creates the base tables in their template shape in one transaction (a new template or sample).
    static void createBaseTables(Database& db);

    // The saved query "piirteet": member feature values joined with their definitions.
    static const QueryDef& featureQuery();
};

} // namespace tikkeli
