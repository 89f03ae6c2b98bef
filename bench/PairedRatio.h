#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// Our code against a plain baseline doing the same work, measured fairly: the two sides run
// alternately in one process (the order swapped every round, so neither always finds warm caches),
// and the ratio is of the medians. Each benchmark adds its row; printPairedRatios() lists them.
struct PairedRow {
    std::string name;
    double baselineMs;
    double oursMs;
    // None for a row that measures a floor our code stands on rather than our code.
    std::optional<double> target;
};

inline std::vector<PairedRow>& pairedRows()
{
    static std::vector<PairedRow> rows;
    return rows;
}

inline double medianOf(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n == 0 ? 0 : (n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2);
}

// One side of a pair: what puts things as the side expects them (untimed), then its timed work.
struct PairedSide {
    std::function<void()> before;
    std::function<void()> run;
};

// Use with ->Iterations(rounds)->Unit(benchmark::kMillisecond)->UseManualTime(): each iteration is
// one round of both sides; the manual time reported is ours.
inline void RunPairedSides(benchmark::State& state, const std::string& label, std::optional<double> target,
                           const PairedSide& baseline, const PairedSide& ours)
{
    using Clock = std::chrono::steady_clock;
    const auto timed = [&](const PairedSide& side) {
        if (side.before)
            side.before();
        const auto t0 = Clock::now();
        side.run();
        return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
    };
    std::vector<double> base, mine;
    bool oursFirst = false;
    for (auto _ : state) {
        double b = 0, o = 0;
        if (oursFirst) {
            o = timed(ours);
            b = timed(baseline);
        } else {
            b = timed(baseline);
            o = timed(ours);
        }
        oursFirst = !oursFirst;
        base.push_back(b);
        mine.push_back(o);
        state.SetIterationTime(o / 1000.0);
    }
    const double mb = medianOf(base), mo = medianOf(mine);
    state.counters["baseline_ms"] = mb;
    state.counters["ours_ms"] = mo;
    state.counters["ratio"] = mb > 0 ? mo / mb : 0;
    pairedRows().push_back({label, mb, mo, target});
}

// Both sides with the same preparation: `before` puts the data back as each side expects it (an
// empty table, say), untimed.
inline void RunPaired(benchmark::State& state, const std::string& label, std::optional<double> target,
                      const std::function<void()>& baseline, const std::function<void()>& ours,
                      const std::function<void()>& before = {})
{
    RunPairedSides(state, label, target, {before, baseline}, {before, ours});
}

inline void printPairedRatios()
{
    std::printf("\n%-60s %12s %12s %8s %8s\n", "benchmark", "baseline ms", "ours ms", "ratio", "target");
    for (const PairedRow& r : pairedRows()) {
        const double ratio = r.baselineMs > 0 ? r.oursMs / r.baselineMs : 0.0;
        std::printf("%-60s %12.3f %12.3f %8.2f ", r.name.c_str(), r.baselineMs, r.oursMs, ratio);
        if (r.target)
            std::printf("%8s%g %s\n", "<= ", *r.target, r.baselineMs > 0 && ratio <= *r.target ? "ok" : "OVER");
        else
            std::printf("%8s\n", "(floor)");
    }
}

// The whole of a paired benchmark program's main() after its application object: run what the
// command line selects (after `setup`, which builds shared data once) and list the ratios.
inline int RunPairedBenchmarks(int& argc, char** argv, const std::function<void()>& setup = {})
{
    benchmark::Initialize(&argc, argv);
    if (setup)
        setup();
    benchmark::RunSpecifiedBenchmarks();
    printPairedRatios();
    benchmark::Shutdown();
    return 0;
}
