#include "corrsearch/detail/surface.h"

#include "corrsearch/detail/hot.h"

#include <cstring>

namespace xc_corrsearch {

namespace {

// Eight floats; in the baseline clone the compiler splits it into two SSE registers.
typedef float V8 __attribute__((vector_size(32)));

// NV x 8 placements from `img` (the image pel under the first model pel of the block's first
// placement): the model is swept pel by pel, its value broadcast and multiplied with NV
// unaligned vectors of the image row, so the accumulators stay in registers for the whole
// model. Inlined into the hot clones, so it is compiled for each of their targets.
template <int NV>
[[gnu::always_inline]] inline void correlateBlock(const float* img, long stride, const float* zm,
                                                  long zmStride, long mw, long mh, float* out) {
    V8 acc[NV];
    for (int k = 0; k < NV; ++k) acc[k] = V8{};
    for (long r = 0; r < mh; ++r) {
        const float* row = img + r * stride;
        const float* m = zm + r * zmStride;
        for (long c = 0; c < mw; ++c) {
            const float mv = m[c];
            const V8 b = {mv, mv, mv, mv, mv, mv, mv, mv};
            for (int k = 0; k < NV; ++k) {
                V8 v;
                std::memcpy(&v, row + c + 8 * k, sizeof v);
                acc[k] += b * v;
            }
        }
    }
    std::memcpy(out, acc, sizeof acc);
}

} // namespace

XC_CS_HOT
void correlateRow(const FloatPlane& plane, long x0, long y, const float* zm, long zmStride, long mw,
                  long mh, long n, float* out) {
    const float* base = plane.row(y) + x0;
    long x = 0;
    for (; x + 32 <= n; x += 32)
        correlateBlock<4>(base + x, plane.stride, zm, zmStride, mw, mh, out + x);
    const long rest = n - x;
    if (rest > 16)
        correlateBlock<4>(base + x, plane.stride, zm, zmStride, mw, mh, out + x);
    else if (rest > 8)
        correlateBlock<2>(base + x, plane.stride, zm, zmStride, mw, mh, out + x);
    else if (rest > 0)
        correlateBlock<1>(base + x, plane.stride, zm, zmStride, mw, mh, out + x);
}

XC_CS_HOT
void scoreRow(const float* num, const Integral& sums, long y, long mw, long mh, long pw,
              double nVarX, float* out) {
    const double n = double(mw) * double(mh);
    const double* a = sums.sumRow(y);
    const double* c = sums.sumRow(y + mh);
    const double* a2 = sums.sum2Row(y);
    const double* c2 = sums.sum2Row(y + mh);
    for (long x = 0; x < pw; ++x) {
        const double s = (c[x + mw] - a[x + mw]) - (c[x] - a[x]);
        const double s2 = (c2[x + mw] - a2[x + mw]) - (c2[x] - a2[x]);
        const double nVarY = n * s2 - s * s;
        const double nNum = n * double(num[x]);
        // The guard leaves out windows that are flat up to the rounding of n Sy2 - Sy^2 on
        // large windows; on the windows of interest the difference is exact.
        const bool ok = nVarY > 1e-9 * n * s2 + 0.5 && nNum > 0.0;
        const double r = nNum / std::sqrt(nVarX * (ok ? nVarY : 1.0));
        out[x] = ok ? float(r < 1.0 ? r : 1.0) : 0.0f;
    }
}

XC_CS_HOT
float correlateAt(const FloatPlane& plane, long x, long y, const float* zm, long mw, long mh) {
    const long stride = paddedModelWidth(mw);
    // Four accumulators let the multiply-adds of one model row run in parallel.
    V8 acc[4] = {V8{}, V8{}, V8{}, V8{}};
    for (long r = 0; r < mh; ++r) {
        const float* img = plane.row(y + r) + x;
        const float* m = zm + r * stride;
        for (long c = 0, k = 0; c < stride; c += 8, k = (k + 1) & 3) {
            V8 a, b;
            std::memcpy(&a, img + c, sizeof a);
            std::memcpy(&b, m + c, sizeof b);
            acc[k] += a * b;
        }
    }
    const V8 t = (acc[0] + acc[1]) + (acc[2] + acc[3]);
    return ((t[0] + t[1]) + (t[2] + t[3])) + ((t[4] + t[5]) + (t[6] + t[7]));
}

} // namespace xc_corrsearch
