// Runs a benchmark program's pair "ours" / "peer" single-threaded and prints their time ratio.
#pragma once

#include <benchmark/benchmark.h>
#include <opencv2/core.hpp>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace oc_bench {

// Keeps every run's real and CPU time so that the ratio of a pair can be printed at the end.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const auto& r : runs) {
            times[r.benchmark_name()] = r.GetAdjustedRealTime();
            cpuTimes[r.benchmark_name()] = r.GetAdjustedCPUTime();
        }
    }
    std::map<std::string, double> times, cpuTimes;
};

// The body of main: OpenCV on one thread like ours, run every benchmark, then one line
// "<label>: ours T <unit>, OpenCV T <unit>, ratio ours/OpenCV R (CPU time ratio C)". Real time
// is what a caller waits; CPU time is steadier on a busy machine.
inline int runWithRatio(int argc, char** argv, const char* label, const std::string& ours,
                        const std::string& peer, const char* unit) {
    cv::setNumThreads(1);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    if (reporter.times.count(ours) && reporter.times.count(peer))
        std::printf("%s: ours %.3f %s, OpenCV %.3f %s, ratio ours/OpenCV %.2f (CPU time ratio "
                    "%.2f)\n",
                    label, reporter.times[ours], unit, reporter.times[peer], unit,
                    reporter.times[ours] / reporter.times[peer],
                    reporter.cpuTimes[ours] / reporter.cpuTimes[peer]);
    benchmark::Shutdown();
    return 0;
}

} // namespace oc_bench
