#pragma once

#include "catch/CatchEntry.h"
#include "db/RecordCatalogue.h"

#include <QString>
#include <optional>

namespace tikkeli {

// The club's catch list (table si) as the catch entry window edits it: one catch at a time in
// table order over the whole table, with a pending new catch that can be dropped again.
class CatchList : public RecordCatalogue {
public:
    // Opens the recordset and shows the first catch. DbException on failure.
    explicit CatchList(Database db);

    int catchCount() { return rowCount(); }
    // The shown catch as stored; a new catch's defaults while one is being added, and the same
    // without any catch.
    CatchEntry current() const;

    // Stores the typed catch into the shown row when it differs from the stored one, or adds the
    // new one; a new catch left as it started is dropped instead (the row shown before it is
    // shown again), so an untouched New stores nothing. The Finnish reason when
    // the catch cannot be stored as typed, the database's own when it refuses; the row is left
    // as it was then and the pending new catch stays pending.
    std::optional<QString> write(const CatchEntry& typed);

    // Removes the shown catch (drops a new one); the first catch is shown afterwards.
    void deleteCurrent();
    // Removes every catch; the pending new one too.
    void deleteAll();
    // The catch rows of one species, however their letters are cased; the number removed.
    static int deleteSpecies(Database& db, const QString& species);
};

} // namespace tikkeli
