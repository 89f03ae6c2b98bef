#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

// Console output as usual, plus each benchmark's time kept by name, so a program can print the
// ratios its targets are stated in (ours against a plain baseline measured in the same run).
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& r : runs)
            times[r.benchmark_name()] = r.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }

    // Prints "ours / baseline = r (target <= t)"; nothing when either did not run.
    void printRatio(const std::string& ours, const std::string& baseline, double target) const
    {
        const auto a = times.find(ours), b = times.find(baseline);
        if (a == times.end() || b == times.end() || b->second <= 0)
            return;
        std::printf("%s / %s = %.2f (target <= %g)\n", ours.c_str(), baseline.c_str(), a->second / b->second, target);
    }

    std::map<std::string, double> times;
};
