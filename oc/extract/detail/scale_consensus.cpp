#include "oc/extract/detail/scale_consensus.h"

#include <algorithm>
#include <cmath>

std::optional<double> xf_OCExtractScaleConsensus(const std::vector<double>& observed,
                                                 long minAgree) {
    if (minAgree < 1 || static_cast<long>(observed.size()) < minAgree) return std::nullopt;
    std::vector<double> s = observed;
    std::sort(s.begin(), s.end());
    if (s.front() < 0.0) return std::nullopt;

    const long w = minAgree - 1;
    const long size = static_cast<long>(s.size());
    double best = 1.08;
    long chosen = -1;
    for (long start = 0; start <= size - w - 1; ++start) {
        if (best * s[start] > s[start + w]) {
            best = s[start + w] / s[start];
            chosen = start;
        }
    }
    if (chosen < 0) return std::nullopt;
    return std::sqrt(s[chosen] * s[chosen + w]);
}
