#include "align/detail/gradient.h"

#include "align/detail/simd.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace xc_align {

namespace {
// Rows handled between two polls of the caller's time limit.
constexpr long kPollRows = 32;

// The noise histogram: slots of 2 magnitude units up to 2048.
constexpr std::size_t kSlots = 1024;

// The histogram slot of each pel's Sobel magnitude.
XC_ALIGN_HOT void magnitudeSlots(const std::int16_t* gx, const std::int16_t* gy, std::size_t n,
                                 std::uint16_t* slot) {
    for (std::size_t i = 0; i < n; ++i) {
        const float m = std::sqrt(float(gx[i]) * gx[i] + float(gy[i]) * gy[i]);
        slot[i] = std::uint16_t(std::min(int(m * 0.5f), int(kSlots) - 1));
    }
}
} // namespace

XC_ALIGN_HOT void sobelRow(const GreyView& src, long y, std::int16_t* gx, std::int16_t* gy) {
    const long w = src.width, h = src.height;
    const std::uint8_t* a = src.row(std::max(y - 1, 0L));
    const std::uint8_t* b = src.row(y);
    const std::uint8_t* c = src.row(std::min(y + 1, h - 1));
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
        gy[x] = std::int16_t((c[x - 1] + 2 * c[x] + c[x + 1]) - (a[x - 1] + 2 * a[x] + a[x + 1]));
    }
    if (w > 1) pel(w - 1);
}

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
        sobelRow(src, y, g.gx.row(y), g.gy.row(y));
    }
    return g;
}

int directionBinOfAngle(double radians) {
    double turns = radians / (2.0 * std::numbers::pi);
    turns -= std::floor(turns);
    const int b = int(turns * kBins);
    return std::clamp(b, 0, kBins - 1);
}

float noiseThreshold(const GreyView& src, float minimum, float maximum,
                     const std::function<void()>& poll) {
    // A histogram of magnitudes in steps of 2 up to 2048 finds the percentile in one pass. The
    // slots of a row are computed together (a loop that vectorises) and counted into four
    // histograms in turn: most pels of an image are background of nearly the same magnitude, and
    // with one histogram every count waited for the one before it to the same slot.
    const long w = src.width, h = src.height;
    const std::size_t n = std::size_t(w * h);
    if (n == 0) return minimum;
    std::vector<long> histo(4 * kSlots, 0);
    std::vector<std::int16_t> gx(static_cast<std::size_t>(w)), gy(static_cast<std::size_t>(w));
    std::vector<std::uint16_t> slots(static_cast<std::size_t>(w));
    for (long y = 0; y < h; ++y) {
        if (y % kPollRows == 0) poll();
        sobelRow(src, y, gx.data(), gy.data());
        magnitudeSlots(gx.data(), gy.data(), std::size_t(w), slots.data());
        long x = 0;
        for (; x + 4 <= w; x += 4)
            for (long k = 0; k < 4; ++k)
                ++histo[std::size_t(k) * kSlots + slots[std::size_t(x + k)]];
        for (; x < w; ++x) ++histo[slots[std::size_t(x)]];
    }
    for (std::size_t k = 1; k < 4; ++k)
        for (std::size_t j = 0; j < kSlots; ++j) histo[j] += histo[k * kSlots + j];
    const long target = long(n / 4);
    long seen = 0;
    int slot = 0;
    for (; slot < int(kSlots); ++slot) {
        seen += histo[std::size_t(slot)];
        if (seen > target) break;
    }
    const float p25 = 2.0f * float(slot) + 1.0f;
    return std::clamp(4.0f * p25, minimum, maximum);
}

} // namespace xc_align
