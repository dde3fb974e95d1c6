#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace tavik::bench {

// Keeps the seconds per iteration of every benchmark so that ratios can be
// printed after the run.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    // CPU time suits work that never waits (the codec); wall time suits file
    // work, whose waiting for the disk is part of the cost.
    explicit RatioReporter(bool cpuTime) : FCpuTime(cpuTime) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        // The best of the repetitions: the machine is shared, and interference
        // only ever adds time.
        for (const auto& run : runs) {
            if (run.iterations == 0 || run.run_type != Run::RT_Iteration)
                continue;
            const double seconds =
                (FCpuTime ? run.GetAdjustedCPUTime() : run.GetAdjustedRealTime()) /
                benchmark::GetTimeUnitMultiplier(run.time_unit);
            // A benchmark run with arguments is named with them: "BM_Fill/1".
            std::string name = run.run_name.function_name;
            if (!run.run_name.args.empty())
                name += "/" + run.run_name.args;
            auto [it, added] = FSeconds.emplace(name, seconds);
            if (!added)
                it->second = std::min(it->second, seconds);
        }
        ConsoleReporter::ReportRuns(runs);
    }
    double Seconds(const std::string& name) const {
        const auto it = FSeconds.find(name);
        return it == FSeconds.end() ? 0 : it->second;
    }

private:
    bool FCpuTime;
    std::map<std::string, double> FSeconds;
};

struct Ratio {
    std::string what;
    std::string measured;
    std::string baseline;
    // Speed of measured as a multiple of baseline's speed (time baseline / time measured),
    // or time of measured as a multiple of the baseline's time.
    bool asSpeed;
    double target; // the bound the ratio must meet
    bool atLeast;  // true: ratio >= target passes; false: ratio <= target passes
};

inline int PrintRatios(const RatioReporter& reporter, const std::vector<Ratio>& ratios) {
    int failed = 0;
    std::printf("\n%-58s %10s %10s  %s\n", "ratio", "value", "target", "");
    for (const auto& r : ratios) {
        const double m = reporter.Seconds(r.measured);
        const double b = reporter.Seconds(r.baseline);
        if (m <= 0 || b <= 0)
            continue;
        const double value = r.asSpeed ? b / m : m / b;
        const bool ok = r.atLeast ? value >= r.target : value <= r.target;
        failed += ok ? 0 : 1;
        std::printf("%-58s %10.3f %s%8.2f  %s\n", r.what.c_str(), value,
                    r.atLeast ? ">=" : "<=", r.target, ok ? "met" : "MISSED");
    }
    return failed;
}

} // namespace tavik::bench
