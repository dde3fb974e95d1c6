#pragma once
// The main of a benchmark of the main window: Qt on the offscreen platform
// unless told otherwise, wall times (the window's work waits on its threads),
// the ratios printed after the run.
#include "Ratios.h"

#include <QApplication>
#include <cstdlib>

namespace tavik::bench {

// Runs the benchmarks asked for and prints ratios; 1 when one misses its target.
inline int RunWindowBenchmarks(int argc, char** argv, const std::vector<Ratio>& ratios) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter(false);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const int missed = PrintRatios(reporter, ratios);
    benchmark::Shutdown();
    return missed > 0 ? 1 : 0;
}

} // namespace tavik::bench
