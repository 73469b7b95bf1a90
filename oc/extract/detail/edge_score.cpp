#include "oc/extract/detail/edge_score.h"

#include "imgproc/edges.h"

#include <array>
#include <vector>

std::optional<double> xf_OCExtractEdgeScore(const xcPelBuffer_const<unsigned char>& image) {
    std::vector<xcEdgelet> edgelets;
    xfEdgeDetect(image, xcEdgeParams(1.0, 10.0, 1), edgelets, nullptr, 0);
    const long n = static_cast<long>(edgelets.size());
    if (n < 25) return std::nullopt;

    // 128 directions plus a copy of the first 15 bins, so windows wrap round without a modulo.
    constexpr int kBins = 128, kWindow = 15;
    std::array<long, kBins + kWindow> histo{};
    for (const xcEdgelet& e : edgelets) ++histo[e.angle().plain() & 0x7F];
    for (int b = 0; b < kWindow; ++b) histo[kBins + b] = histo[b];

    long sum = 0;
    for (int b = 0; b < kWindow; ++b) sum += histo[b];
    long best = sum;
    for (int start = 1; start < kBins; ++start) {
        sum += histo[start + kWindow - 1] - histo[start - 1];
        if (sum > best) best = sum;
    }
    if (static_cast<double>(best) > static_cast<double>(n) * 0.5) return std::nullopt;
    return static_cast<double>(n - best);
}
