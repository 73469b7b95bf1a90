#include "submodel/detail/cor_search.h"

#include "core/sys/attention.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace xc_submodel {

namespace {

__extension__ using Wide = __int128;

constexpr double kUnscored = std::numeric_limits<double>::quiet_NaN();
constexpr int kBlock = 8; // placements summed together in vector registers

struct Sums {
    long long n = 0, sx = 0, sx2 = 0, sy = 0, sy2 = 0, sxy = 0;
};

// r = (n Sxy - Sx Sy) / sqrt((n Sx2 - Sx^2)(n Sy2 - Sy^2)), exact up to the division; 0 when
// either side is flat.
double correlation(const Sums& s) {
    const Wide num = Wide(s.n) * s.sxy - Wide(s.sx) * s.sy;
    const Wide vx = Wide(s.n) * s.sx2 - Wide(s.sx) * s.sx;
    const Wide vy = Wide(s.n) * s.sy2 - Wide(s.sy) * s.sy;
    if (vx <= 0 || vy <= 0) return 0.0;
    const double r = double(num) / std::sqrt(double(vx) * double(vy));
    return std::clamp(r, -1.0, 1.0);
}

// Placements are summed in whole blocks of eight, the extra ones reading zeros and being dropped.
long paddedCount(long n) {
    return (n + kBlock - 1) / kBlock * kBlock;
}

// The most region pels (each held in three floats and three integral entries) copied at once:
// a band's zeroing, copying and freeing is a stretch of work without a poll, so it stays well
// under a millisecond.
constexpr long kBandPels = 1L << 17;
// Pels copied or integrated, or model-times-pel products summed, between two polls of the time
// limit: well under a millisecond of work.
constexpr long kPollWork = 1L << 18;

// The image pels that the searched placements can reach, with their squares: columns
// u0 .. u1 + w - 1 (and the padding of paddedCount) and rows v0 .. v1 + h - 1 of the image window,
// 0 where they fall outside it. With a mask the pels not cared for read 0 too, and k holds the care
// flags (1 or 0). Floats hold these integers exactly and let the sums below run four or eight lanes
// wide; the integral tables (w + 1) x (h + 1) give box sums of y, y2 and k.
struct Region {
    long w = 0, h = 0;
    long rowLo = 0, rowHi = 0; // the rows (region numbering) that lie inside the image window
    std::vector<float> y, y2, k;
    std::vector<long long> iy, iy2, ik;

    long long box(const std::vector<long long>& t, long x0, long y0, long bw, long bh) const {
        const long stride = w + 1;
        return t[(y0 + bh) * stride + x0 + bw] - t[y0 * stride + x0 + bw] -
               t[(y0 + bh) * stride + x0] + t[y0 * stride + x0];
    }
};

void integrate(const std::vector<float>& v, long w, long h, std::vector<long long>& t) {
    const long stride = w + 1;
    t.assign(static_cast<std::size_t>(stride) * (h + 1), 0);
    const long pollRows = std::max(1L, kPollWork / std::max(1L, w));
    for (long j = 0; j < h; ++j) {
        if (j % pollRows == 0) xcAttention::check();
        long long run = 0;
        for (long i = 0; i < w; ++i) {
            run += static_cast<long long>(v[static_cast<std::size_t>(j) * w + i]);
            t[(j + 1) * stride + i + 1] = t[j * stride + i + 1] + run;
        }
    }
}

Region copyRegion(const xcPelBuffer_const<unsigned char>& image,
                  const xcPelBuffer_const<unsigned char>* mask, const CorModel& model,
                  const SearchRange& range) {
    Region g;
    g.w = paddedCount(range.u1 - range.u0 + 1) + model.w - 1;
    g.h = range.v1 - range.v0 + model.h;
    const std::size_t count = static_cast<std::size_t>(g.w) * g.h;
    g.y.assign(count, 0.0f);
    g.y2.assign(count, 0.0f);
    if (mask) g.k.assign(count, 0.0f);
    const long c0 = std::max(0L, range.u0), c1 = std::min(image.width(), range.u0 + g.w);
    g.rowLo = std::max(0L, range.v0) - range.v0;
    g.rowHi = std::min(image.height(), range.v0 + g.h) - range.v0;
    const long pollRows = std::max(1L, kPollWork / g.w);
    for (long r = g.rowLo; r < g.rowHi; ++r) {
        if ((r - g.rowLo) % pollRows == 0) xcAttention::check();
        const long row = range.v0 + r;
        const unsigned char* src = image.rowPointer(row);
        const unsigned char* care = mask ? mask->rowPointer(row) : nullptr;
        for (long c = c0; c < c1; ++c) {
            const std::size_t at = static_cast<std::size_t>(r) * g.w + (c - range.u0);
            const bool cared = care == nullptr || care[c] >= 128;
            const int v = cared ? src[c] : 0;
            g.y[at] = float(v);
            g.y2[at] = float(v * v);
            if (mask) g.k[at] = cared ? 1.0f : 0.0f;
        }
    }
    if (model.nCare == model.w * model.h) {
        integrate(g.y, g.w, g.h, g.iy);
        integrate(g.y2, g.w, g.h, g.iy2);
        if (mask) integrate(g.k, g.w, g.h, g.ik);
    }
    return g;
}

// The model's pels, squares and care flags as floats, for the kernel below.
struct ModelFloats {
    std::vector<float> m, m2, c;
    explicit ModelFloats(const CorModel& model)
        : m(model.m.begin(), model.m.end()), m2(model.m2.begin(), model.m2.end()),
          c(model.c.begin(), model.c.end()) {}
};

// Sums of one row of placements, one entry per placement, in exact integers.
struct RowSums {
    std::vector<long long> sxy, sy, sy2, n, sx, sx2;

    void reset(long lanes) {
        for (auto* t : {&sxy, &sy, &sy2, &n, &sx, &sx2})
            t->assign(static_cast<std::size_t>(lanes), 0);
    }
};

constexpr long kPelsPerCarry = 256; // 256 * 255 * 255 < 2^24: float lanes stay exact

// Eight float lanes; the compiler maps them onto one AVX register or two SSE ones.
typedef float Lanes __attribute__((vector_size(kBlock * sizeof(float))));

// The eight floats from p on (unaligned); a reference, not a value, keeps the calling
// convention the same on every target.
[[gnu::always_inline]] inline const Lanes& load(const float* p, Lanes& v) {
    std::memcpy(&v, p, sizeof v);
    return v;
}

// Adds the lanes into the integer totals of the block's placements and clears them.
[[gnu::always_inline]] inline void carry(Lanes& lanes, std::vector<long long>& total, long block) {
    for (int l = 0; l < kBlock; ++l)
        total[static_cast<std::size_t>(block + l)] += static_cast<long long>(lanes[l]);
    lanes = Lanes{};
}

// Sums one block of eight neighbouring placements over the model rows that lie on the image:
// for every model pel, one load of the eight image pels under it and a multiply-add per sum,
// the sums staying in registers. Uncared-for model pels have m = m2 = c = 0 and so add nothing.
// kImageSums: the image's sums (and count, with kMasked) under the model's care flags are
// needed; kMasked: the image has a mask, so the model's sums depend on the placement too.
// The lanes are carried into the integer totals every kPelsPerCarry pels, before a float could
// lose a unit.
template <bool kImageSums, bool kMasked>
[[gnu::always_inline]] inline void sumBlock(const CorModel& model, const ModelFloats& mf,
                                            const Region& g, long first, long block, RowSums& out) {
    Lanes xy{}, y1{}, y2{}, n1{}, x1{}, x2{}, y, t;
    auto carryAll = [&] {
        carry(xy, out.sxy, block);
        if constexpr (kImageSums) {
            carry(y1, out.sy, block);
            carry(y2, out.sy2, block);
            if constexpr (kMasked) carry(n1, out.n, block);
        }
        if constexpr (kMasked) {
            carry(x1, out.sx, block);
            carry(x2, out.sx2, block);
        }
    };
    long count = 0;
    const long j0 = std::max(0L, g.rowLo - first), j1 = std::min(model.h, g.rowHi - first);
    for (long j = j0; j < j1; ++j) {
        const std::size_t grow = static_cast<std::size_t>(first + j) * g.w + block;
        const std::size_t mrow = static_cast<std::size_t>(j) * model.w;
        for (long i0 = 0; i0 < model.w;) {
            const long i1 = std::min(model.w, i0 + (kPelsPerCarry - count));
            for (long i = i0; i < i1; ++i) {
                const float m = mf.m[mrow + i];
                load(&g.y[grow + i], y);
                xy += m * y;
                if constexpr (kImageSums) {
                    const float c = mf.c[mrow + i];
                    y1 += c * y;
                    y2 += c * load(&g.y2[grow + i], t);
                    if constexpr (kMasked) n1 += c * load(&g.k[grow + i], t);
                }
                if constexpr (kMasked) {
                    load(&g.k[grow + i], t);
                    x1 += m * t;
                    x2 += mf.m2[mrow + i] * t;
                }
            }
            count += i1 - i0;
            i0 = i1;
            if (count == kPelsPerCarry) {
                carryAll();
                count = 0;
            }
        }
    }
    carryAll();
}

// Sums the blocks from `from` up to `to` of a placement row with the kernel that fits the masks.
// Compiled twice, for AVX2 processors and for the rest, chosen when the library loads.
__attribute__((target_clones("avx2", "default"))) void
sumRow(const CorModel& model, const ModelFloats& mf, const Region& g, long first, long from,
       long to, bool imageSums, bool masked, RowSums& out) {
    for (long block = from; block < to; block += kBlock) {
        if (imageSums && masked)
            sumBlock<true, true>(model, mf, g, first, block, out);
        else if (imageSums)
            sumBlock<true, false>(model, mf, g, first, block, out);
        else if (masked)
            sumBlock<false, true>(model, mf, g, first, block, out);
        else
            sumBlock<false, false>(model, mf, g, first, block, out);
    }
}

// Scores the placements (u0 + iu, v) into `out`: the correlation, or kUnscored when fewer than
// half of the model's cared-for pels take part. Without a model mask the image's sums under the
// model (and the count with an image mask) are box sums; without an image mask the model's sums
// over the overlap come from the model's own tables.
void scoreRow(const CorModel& model, const ModelFloats& mf, const Region& g, bool masked,
              const SearchRange& range, long v, const xcPelRect& imageSize, RowSums& sums,
              std::vector<double>& out) {
    const long nu = range.u1 - range.u0 + 1;
    const long lanes = paddedCount(nu);
    const bool imageSums = model.nCare != model.w * model.h;
    const long first = v - range.v0; // region row under model row 0
    sums.reset(lanes);
    // A row of a large model on a wide range is many milliseconds of work: it is summed in spans
    // of whole blocks that each stay within the polling budget.
    const long span = std::max(1L, kPollWork / (model.w * model.h * kBlock)) * kBlock;
    for (long from = 0; from < lanes; from += span) {
        xcAttention::check();
        sumRow(model, mf, g, first, from, std::min(lanes, from + span), imageSums, masked, sums);
    }
    const long j0 = std::max(0L, -v), j1 = std::min(model.h, imageSize.height() - v);
    for (long iu = 0; iu < nu; ++iu) {
        const long u = range.u0 + iu;
        Sums s;
        if (masked) {
            s.n = imageSums ? sums.n[iu] : g.box(g.ik, iu, first, model.w, model.h);
            s.sx = sums.sx[iu];
            s.sx2 = sums.sx2[iu];
        } else {
            const long i0 = std::max(0L, -u), i1 = std::min(model.w, imageSize.width() - u);
            if (i1 > i0 && j1 > j0) model.rectSums(i0, j0, i1, j1, s.n, s.sx, s.sx2);
        }
        if (s.n == 0 || 2 * s.n < model.nCare) {
            out[iu] = kUnscored;
            continue;
        }
        s.sxy = sums.sxy[iu];
        if (imageSums) {
            s.sy = sums.sy[iu];
            s.sy2 = sums.sy2[iu];
        } else {
            s.sy = g.box(g.iy, iu, first, model.w, model.h);
            s.sy2 = g.box(g.iy2, iu, first, model.w, model.h);
        }
        out[iu] = correlation(s);
    }
}

// The vertex offset of the parabola through (-1, a), (0, b), (1, c), when b is a peak of it.
double parabolaOffset(double a, double b, double c) {
    if (std::isnan(a) || std::isnan(c)) return 0.0;
    const double curvature = a - 2.0 * b + c;
    if (!(curvature < 0.0)) return 0.0;
    return std::clamp(0.5 * (a - c) / curvature, -0.5, 0.5);
}

bool better(const Peak& a, const Peak& b) {
    if (a.r != b.r) return a.r > b.r;
    return a.v != b.v ? a.v < b.v : a.u < b.u;
}

} // namespace

std::vector<Peak> xf_SearchCor(const CorModel& model, const xcPelBuffer_const<unsigned char>& image,
                               const xcPelBuffer_const<unsigned char>* mask,
                               const SearchRange& range, std::size_t maxPeaks) {
    assert(range.u0 <= range.u1 && range.v0 <= range.v1 && maxPeaks > 0);
    xcAttention::check();
    const bool masked = mask != nullptr;
    const xcPelRect imageSize(0, 0, image.width(), image.height());
    const ModelFloats mf(model);
    RowSums sums;
    const long nu = range.u1 - range.u0 + 1, nv = range.v1 - range.v0 + 1;

    // Three rows of scores at a time: a row's maxima are known once the row below is scored.
    std::array<std::vector<double>, 3> rows;
    for (auto& r : rows) r.assign(static_cast<std::size_t>(nu), kUnscored);
    const std::vector<double> none(static_cast<std::size_t>(nu), kUnscored);
    std::vector<Peak> peaks;

    auto collect = [&](long iv, const std::vector<double>& above, const std::vector<double>& row,
                       const std::vector<double>& below) {
        for (long iu = 0; iu < nu; ++iu) {
            const double s = row[iu];
            if (std::isnan(s)) continue;
            // Among equal neighbours the first in row order is the maximum; NaN compares false.
            bool isMax = true;
            for (long di = -1; di <= 1 && isMax; ++di) {
                const long x = iu + di;
                if (x < 0 || x >= nu) continue;
                if (above[x] >= s || below[x] > s) isMax = false;
            }
            if (isMax && iu > 0 && row[iu - 1] >= s) isMax = false;
            if (isMax && iu + 1 < nu && row[iu + 1] > s) isMax = false;
            if (!isMax) continue;
            Peak p;
            p.u = range.u0 + iu;
            p.v = range.v0 + iv;
            p.r = s;
            p.du = parabolaOffset(iu > 0 ? row[iu - 1] : kUnscored, s,
                                  iu + 1 < nu ? row[iu + 1] : kUnscored);
            p.dv = parabolaOffset(above[iu], s, below[iu]);
            peaks.push_back(p);
        }
        // Keep the list short: only the best maxPeaks can be reported.
        if (peaks.size() > 4 * maxPeaks) {
            std::partial_sort(peaks.begin(), peaks.begin() + maxPeaks, peaks.end(), better);
            peaks.resize(maxPeaks);
        }
    };

    // The image pels are copied for a band of placement rows at a time, which bounds the memory
    // a large search takes.
    const long regionWidth = paddedCount(nu) + model.w - 1;
    const long bandRows = std::clamp(kBandPels / regionWidth - (model.h - 1), 1L, nv);
    Region g;
    SearchRange band = range;
    for (long iv = 0; iv < nv; ++iv) {
        xcAttention::check();
        if (iv % bandRows == 0) {
            band.v0 = range.v0 + iv;
            band.v1 = std::min(range.v1, band.v0 + bandRows - 1);
            g = copyRegion(image, mask, model, band);
        }
        std::vector<double>& row = rows[iv % 3];
        scoreRow(model, mf, g, masked, band, range.v0 + iv, imageSize, sums, row);
        if (iv >= 1) collect(iv - 1, iv >= 2 ? rows[(iv - 2) % 3] : none, rows[(iv - 1) % 3], row);
    }
    collect(nv - 1, nv >= 2 ? rows[(nv - 2) % 3] : none, rows[(nv - 1) % 3], none);

    std::sort(peaks.begin(), peaks.end(), better);
    if (peaks.size() > maxPeaks) peaks.resize(maxPeaks);
    return peaks;
}

} // namespace xc_submodel
