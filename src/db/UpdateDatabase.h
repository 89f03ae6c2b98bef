#pragma once

#include <QString>
#include <functional>
#include <vector>

namespace tikkeli {

class Catalogue;
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

// A step added after the program's own (how a test stands in for a later version): `plan` gives
// the statements the file needs, none when the file already has what the step makes. The mark
// knows the step by its number and name.
struct UpgradeStep {
    int no = 0;
    QString name;
    std::function<std::vector<QString>(const Catalogue&)> plan;
};

// The steps an upgrade runs, in order, and from which a file's mark is computed: the program's own
// list, or that list with steps added after it. Every step takes part in the mark, so a file
// marked by the list without a step is checked, and upgraded, again.
class UpgradeSteps {
public:
    static const UpgradeSteps& program();
    // This list with step after its last.
    UpgradeSteps with(UpgradeStep step) const;

    const std::vector<UpgradeStep>& added() const { return m_added; }
    // A digest of every step of the list.
    quint64 digest() const { return m_digest; }

private:
    UpgradeSteps();
    std::vector<UpgradeStep> m_added;
    quint64 m_digest = 0;
};

// Brings a club database of any earlier version, or a fresh template, up to the current schema:
// the program's fixed list of 77 guarded steps (and any added to `steps`), each adding only what the file lacks, so it may run any number
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
std::vector<int> UpdateDatabase(Database& db, const UpgradeHooks& hooks = {},
                                const UpgradeSteps& steps = UpgradeSteps::program());

// Whether the file carries the mark that steps give its schema text.
bool SchemaMarkedCurrent(Database& db, const UpgradeSteps& steps = UpgradeSteps::program());

} // namespace tikkeli
