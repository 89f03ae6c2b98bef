#pragma once

#include "db/Catalogue.h"
#include "db/Database.h"

#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace tikkeli::test {

// The club database's catalogue as the system's documentation lays it down, written out by hand
// (not derived from the program's own schema list, which it is there to check).
const std::vector<TableDef>& expectedTables();
QString expectedFeatureQuery();

enum class FieldOrder { Exact, Any };
// Compares a catalogue with the expected one; the failures name what differs.
::testing::AssertionResult catalogueMatches(const Catalogue& actual, FieldOrder order = FieldOrder::Exact);

// A new database file in dir holding only the template's base tables.
Database newBaseDatabase(const QTemporaryDir& dir, const QString& name = QStringLiteral("t.mdb"));
// A new database at the current schema (base tables plus the upgrade).
Database newCurrentDatabase(const QTemporaryDir& dir, const QString& name = QStringLiteral("t.mdb"));

// The schema's text as the file holds it (every object's SQL), for "nothing changed" checks.
QString schemaText(Database& db);

} // namespace tikkeli::test
