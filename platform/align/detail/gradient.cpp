#include "align/detail/gradient.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace xc_align {

namespace {
// Rows (or, for flat loops, pels / 2048) handled between two polls of the caller's time limit.
constexpr long kPollRows = 32;
} // namespace

Gradient sobel(const GreyView& src, const std::function<void()>& poll) {
    const long w = src.width, h = src.height;
    Gradient g{Plane<std::int16_t>::reserved(w, h), Plane<std::int16_t>::reserved(w, h)};
    if (w == 0 || h == 0) return g;
    for (long y = 0; y < h; ++y) {
        if (y % kPollRows == 0) {
            poll();
            g.gx.growTo(std::min(h, y + kPollRows));
            g.gy.growTo(std::min(h, y + kPollRows));
        }
        const std::uint8_t* a = src.row(std::max(y - 1, 0L));
        const std::uint8_t* b = src.row(y);
        const std::uint8_t* c = src.row(std::min(y + 1, h - 1));
        std::int16_t* gx = g.gx.row(y);
        std::int16_t* gy = g.gy.row(y);
        auto at = [&](const std::uint8_t* r, long x) { return int(r[std::clamp(x, 0L, w - 1)]); };
        auto pel = [&](long x) {
            gx[x] = std::int16_t((at(a, x + 1) + 2 * at(b, x + 1) + at(c, x + 1)) -
                                 (at(a, x - 1) + 2 * at(b, x - 1) + at(c, x - 1)));
            gy[x] = std::int16_t((at(c, x - 1) + 2 * at(c, x) + at(c, x + 1)) -
                                 (at(a, x - 1) + 2 * at(a, x) + at(a, x + 1)));
        };
        pel(0);
        for (long x = 1; x < w - 1; ++x) {
            gx[x] = std::int16_t((a[x + 1] + 2 * b[x + 1] + c[x + 1]) -
                                 (a[x - 1] + 2 * b[x - 1] + c[x - 1]));
            gy[x] =
                std::int16_t((c[x - 1] + 2 * c[x] + c[x + 1]) - (a[x - 1] + 2 * a[x] + a[x + 1]));
        }
        if (w > 1) pel(w - 1);
    }
    return g;
}

int directionBin(int gx, int gy) {
    // c = the number of sector edges k * 22.5 deg (k = 0..7) with sin(angle - edge) >= 0. In
    // the upper half plane (gy >= 0) the angle has passed c edges, so the sector is c - 1; in
    // the lower half the edges at or beyond angle - 180 count, so the sector is 15 - c.
    static constexpr int kCos[8] = {1024, 946, 724, 392, 0, -392, -724, -946};
    static constexpr int kSin[8] = {0, 392, 724, 946, 1024, 946, 724, 392};
    int count = 0;
    for (int k = 0; k < 8; ++k) count += (kCos[k] * gy - kSin[k] * gx) >= 0 ? 1 : 0;
    return gy >= 0 ? count - 1 : 15 - count;
}

int directionBinOfAngle(double radians) {
    double turns = radians / (2.0 * std::numbers::pi);
    turns -= std::floor(turns);
    const int b = int(turns * kBins);
    return std::clamp(b, 0, kBins - 1);
}

float noiseThreshold(const Gradient& g, float minimum, float maximum,
                     const std::function<void()>& poll) {
    // A histogram of magnitudes in steps of 2 up to 2048 finds the percentile in one pass.
    constexpr int kSlots = 1024;
    std::vector<long> histo(kSlots, 0);
    const std::size_t n = g.gx.px.size();
    if (n == 0) return minimum;
    for (std::size_t i = 0; i < n; ++i) {
        if (i % (kPollRows * 2048) == 0) poll();
        const float m = std::sqrt(float(g.gx.px[i]) * g.gx.px[i] + float(g.gy.px[i]) * g.gy.px[i]);
        ++histo[std::min(int(m * 0.5f), kSlots - 1)];
    }
    const long target = long(n / 4);
    long seen = 0;
    int slot = 0;
    for (; slot < kSlots; ++slot) {
        seen += histo[std::size_t(slot)];
        if (seen > target) break;
    }
    const float p25 = 2.0f * float(slot) + 1.0f;
    return std::clamp(4.0f * p25, minimum, maximum);
}

} // namespace xc_align
