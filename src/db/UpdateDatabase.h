#pragma once

#include <functional>
#include <vector>

namespace tikkeli {

class Database;

// What the caller supplies to the upgrade. The database layer never talks to the user: a step that
// needs a decision asks through these, and a missing hook answers "not now".
struct UpgradeHooks {
    // Test seam: called before every statement an upgrade step runs (statement counts from 0 within
    // the step). Throwing from it stands for a run stopped at that point.
    std::function<void(int step, int statement)> beforeStatement;
    // Whether to widen the catch list's place field now. Widening empties the field, so a club may
    // want to finish this year's catch report first; the question comes back on every run until yes.
    std::function<bool()> widenCatchPlace;
};

// Brings a club database of any earlier version, or a fresh template, up to the current schema:
// a fixed list of 76 guarded steps, each adding only what the file lacks, so it may run any number
// of times. Each step runs in one transaction, so a run stopped inside a step leaves that step
// wholly undone and the next run does it again. Names are compared without regard to letter case,
// as the engine resolves them. One step needs the caller's consent (`UpgradeHooks::widenCatchPlace`).
// The first database error ends the run and reaches the caller; the steps before it stay done.
//
// A run that leaves nothing undone marks the file current (PRAGMA user_version, from the list of
// steps and the file's schema text), and a run on a file so marked returns at once without reading
// the catalogue. Any later change of the schema, by whatever program, voids the mark.
//
// Returns the numbers of the steps that changed the file, in order.
std::vector<int> UpdateDatabase(Database& db, const UpgradeHooks& hooks = {});

// Whether the file carries the mark of a current schema that its schema text still matches.
bool SchemaMarkedCurrent(Database& db);

} // namespace tikkeli
