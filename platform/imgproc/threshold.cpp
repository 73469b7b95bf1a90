#include "imgproc/threshold.h"

#include "imgproc/imgproc_errors.h"

#include <array>
#include <cmath>

namespace {

using Histogram = std::array<long long, 256>;

xcThresholdResult otsu(const Histogram& hist) {
    long long n = 0, s = 0;
    double s2 = 0.0;
    int lowest = -1;
    for (int g = 0; g < 256; ++g) {
        if (hist[g] == 0) continue;
        if (lowest < 0) lowest = g;
        n += hist[g];
        s += hist[g] * g;
        s2 += double(hist[g]) * g * g;
    }
    if (n == 0) return xcThresholdResult(0, 0.0);

    // N^2 sigmaB^2(t) = (S0 w1 - S1 w0)^2 / (w0 w1), with w0, S0 the count and sum below t.
    std::array<double, 256> between{};
    double best = 0.0;
    long long w0 = 0, s0 = 0;
    for (int t = 1; t < 256; ++t) {
        w0 += hist[t - 1];
        s0 += hist[t - 1] * (t - 1);
        const long long w1 = n - w0, s1 = s - s0;
        if (w0 == 0 || w1 == 0) continue;
        const double d = double(s0) * double(w1) - double(s1) * double(w0);
        between[t] = d * d / (double(w0) * double(w1));
        best = std::max(best, between[t]);
    }
    if (best <= 0.0) return xcThresholdResult(lowest, 0.0);

    int tmin = -1, tmax = -1;
    for (int t = 1; t < 256; ++t) {
        if (between[t] >= best * (1.0 - 1e-9)) {
            if (tmin < 0) tmin = t;
            tmax = t;
        }
    }
    const int threshold = (tmin + tmax) / 2;
    // N^2 total variance = N S2 - S^2.
    const double total = double(n) * s2 - double(s) * double(s);
    const double score = total > 0.0 ? std::min(1.0, between[threshold] / total) : 0.0;
    return xcThresholdResult(threshold, score);
}

} // namespace

xcThresholdResult::xcThresholdResult(long threshold, double score) {
    this->threshold(threshold);
    this->score(score);
}

void xcThresholdResult::threshold(long v) {
    if (v < 0 || v > 256) throw xcImgProcDefs::BadParams("Threshold must be between 0 and 256");
    threshold_ = v;
}

void xcThresholdResult::score(double v) {
    if (!(v >= 0.0 && v <= 1.0))
        throw xcImgProcDefs::BadParams("Threshold score must be between 0 and 1");
    score_ = v;
}

xcThresholdResult xfThresholdWGV(const xcPelBuffer_const<unsigned char>& image) {
    return xfThresholdWGV(image, xcPelBuffer_const<unsigned char>());
}

xcThresholdResult xfThresholdWGV(const xcPelBuffer_const<unsigned char>& image,
                                 const xcPelBuffer_const<unsigned char>& mask) {
    if (!image.isBound()) throw xcImgProcDefs::BadImage("Threshold image must be bound");
    const long w = image.width(), h = image.height();
    if (mask.isBound() && (mask.width() != w || mask.height() != h))
        throw xcImgProcDefs::BadImage("Threshold mask must have the size of the image");
    Histogram hist{};
    for (long y = 0; y < h; ++y) {
        const unsigned char* row = image.pointToPel(0, y);
        if (!mask.isBound()) {
            for (long x = 0; x < w; ++x) ++hist[row[x]];
            continue;
        }
        const unsigned char* m = mask.pointToPel(0, y);
        for (long x = 0; x < w; ++x)
            if (m[x] >= 128) ++hist[row[x]];
    }
    return otsu(hist);
}
