// Timing helpers the benchmarks share: thread and process CPU time, and percentiles.
#pragma once

#include <algorithm>
#include <cmath>
#include <ctime>
#include <vector>

namespace oc_bench {

// CPU time of the calling thread in milliseconds (steadier than wall time on a busy machine).
inline double threadCpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) * 1e-6;
}

// CPU time of the whole process in milliseconds, worker threads included.
inline double processCpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) * 1e-6;
}

// The smallest value with at least p of the values at or below it (p in 0..1); 0 for none.
inline double percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0.0;
    std::sort(v.begin(), v.end());
    const std::size_t i = std::min(v.size() - 1, std::size_t(std::ceil(p * double(v.size())) - 1));
    return v[i];
}

} // namespace oc_bench
