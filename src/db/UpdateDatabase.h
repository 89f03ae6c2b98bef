#pragma once

#include <functional>
#include <vector>

namespace tikkeli {

class Database;

// Test seam: called before every statement an upgrade step runs (statement counts from 0 within the
// step). Throwing from it stands for a run stopped at that point.
struct UpgradeHooks {
    std::function<void(int step, int statement)> beforeStatement;
};

// Brings a club database of any earlier version, or a fresh template, up to the current schema:
// a fixed list of 70 guarded steps, each adding only what the file lacks, so it may run any number
// of times. Each step runs in one transaction, so a run stopped inside a step leaves that step
// wholly undone and the next run does it again. Names are compared without regard to letter case,
// as the engine resolves them. Asks one question (whether to widen the catch list's place field,
// which empties it) through the prompter. The first database error ends the run and reaches the
// caller; the steps before it stay done.
//
// Returns the numbers of the steps that changed the file, in order.
std::vector<int> UpdateDatabase(Database& db, const UpgradeHooks& hooks = {});

} // namespace tikkeli
