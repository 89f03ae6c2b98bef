#pragma once

#include "db/Schema.h"
#include "db/SchemaDdl.h"

#include <QString>

#include <functional>

// The statements that create the club tables (those `wanted` names, else all) with their
// secondary indexes, as a real club database has them: a benchmark's lookups use the same indexes.
inline QString SchemaScript(const std::function<bool(const QString&)>& wanted = {})
{
    QString ddl;
    for (const tikkeli::TableDef& t : tikkeli::Schema::tables()) {
        if (wanted && !wanted(t.name))
            continue;
        ddl += tikkeli::SchemaDdl::createTable(t) + QLatin1Char(';');
        for (const tikkeli::IndexDef& index : t.indexes)
            if (!index.primary)
                ddl += tikkeli::SchemaDdl::createIndex(t.name, index) + QLatin1Char(';');
    }
    return ddl;
}
