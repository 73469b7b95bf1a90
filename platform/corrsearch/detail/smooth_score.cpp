#include "corrsearch/detail/smooth_score.h"

#include "core/sys/attention.h"
#include "corrsearch/detail/hot.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace xc_corrsearch {

namespace {

typedef float V8 __attribute__((vector_size(32)));

// The image kernel has one tap more than the model's, for the fraction of a pel.
constexpr long kTaps = 2 * kSmoothReach + 2;
// Scratch floats kept per thread between calls; larger buffers live for one call only.
constexpr std::size_t kKeptFloats = 1 << 16;
// Multiply-adds of the smoothing between two polls of the time limit: well under a millisecond.
constexpr long kPollMacs = 1L << 20;

// Zeroed scratch floats: the calling thread's buffer `slot` for the usual small models (models
// are trained and searched by the dozen), a buffer of the call's own for large ones.
class Scratch {
public:
    Scratch(std::size_t n, int slot) {
        thread_local std::vector<float> kept[2];
        std::vector<float>& v = n <= kKeptFloats ? kept[slot] : own_;
        v.assign(n, 0.0f);
        data_ = v.data();
    }
    float* data() const { return data_; }

private:
    std::vector<float> own_;
    float* data_ = nullptr;
};

// Ones in the lanes of the last block of a row that hold inner values, zeros past them.
void lastBlockMask(long innerWidth, V8& mask) {
    const long used = innerWidth - (innerWidth - 1) / 8 * 8;
    for (long k = 0; k < 8; ++k) mask[k] = k < used ? 1.0f : 0.0f;
}

// Gaussian weights at offsets i - f for i from -kSmoothReach to kSmoothReach + 1, summing to 1;
// with `last` false the last tap is left out (0), which keeps the kernel symmetric at f = 0.
void kernel(double f, bool last, float out[kTaps]) {
    double w[kTaps], sum = 0.0;
    for (long k = 0; k < kTaps; ++k) {
        const double d = double(k - kSmoothReach) - f;
        w[k] = last || k + 1 < kTaps ? std::exp(-0.5 * d * d / (kSmoothSigma * kSmoothSigma)) : 0.0;
        sum += w[k];
    }
    for (long k = 0; k < kTaps; ++k) out[k] = float(w[k] / sum);
}

// Smooths `rows` rows of `src` (rows `srcStride` apart) along x into `dst` (rows `stride`
// apart): dst(c, r) = sum over k of g[k] src(c + k, r), for c below `stride`.
XC_CS_HOT
void smoothRows(const float* src, long srcStride, long rows, const float g[kTaps], long stride,
                float* dst) {
    for (long r = 0; r < rows; ++r) {
        const float* s = src + r * srcStride;
        for (long c = 0; c < stride; c += 8) {
            V8 acc = {};
            for (long k = 0; k < kTaps; ++k) {
                V8 v;
                std::memcpy(&v, s + c + k, sizeof v);
                acc += g[k] * v;
            }
            std::memcpy(dst + r * stride + c, &acc, sizeof acc);
        }
    }
}

// Smooths along y: dst(c, r) = sum over k of g[k] src(c, r + k), for r below `rows`.
XC_CS_HOT
void smoothColumns(const float* src, long rows, const float g[kTaps], long stride, float* dst) {
    for (long r = 0; r < rows; ++r) {
        for (long c = 0; c < stride; c += 8) {
            V8 acc = {};
            for (long k = 0; k < kTaps; ++k) {
                V8 v;
                std::memcpy(&v, src + (r + k) * stride + c, sizeof v);
                acc += g[k] * v;
            }
            std::memcpy(dst + r * stride + c, &acc, sizeof acc);
        }
    }
}

// Smooths `rows` along y as smoothColumns does, for inner rows r0 to r1 - 1 of the model, and
// adds the sums of the values, their squares and their products with the model to out[0..2]
// (the padding columns masked off).
XC_CS_HOT
void smoothColumnSums(const float* rows, const float g[kTaps], const SmoothModel& s, long r0,
                      long r1, double out[3]) {
    const V8 ones = {1, 1, 1, 1, 1, 1, 1, 1};
    V8 last;
    lastBlockMask(s.innerWidth, last);
    V8 a0 = {}, a1 = {}, a2 = {};
    for (long r = r0; r < r1; ++r) {
        for (long c = 0; c < s.stride; c += 8) {
            V8 x = {};
            for (long k = 0; k < kTaps; ++k) {
                V8 v;
                std::memcpy(&v, rows + (r + k) * s.stride + c, sizeof v);
                x += g[k] * v;
            }
            V8 m;
            std::memcpy(&m, s.m.data() + r * s.stride + c, sizeof m);
            x *= c + 8 < s.stride ? ones : last;
            a0 += x;
            a1 += x * x;
            a2 += x * m;
        }
    }
    const V8* acc[3] = {&a0, &a1, &a2};
    for (int i = 0; i < 3; ++i) {
        double t = 0.0;
        for (int k = 0; k < 8; ++k) t += double((*acc[i])[k]);
        out[i] += t;
    }
}

// Takes the mean of the n inner values away from them (the padding stays 0) and returns the sum
// of their squares.
XC_CS_HOT
double removeMean(SmoothModel& s, double n) {
    const long size = s.innerHeight * s.stride;
    V8 acc = {};
    for (long k = 0; k < size; k += 8) {
        V8 v;
        std::memcpy(&v, s.m.data() + k, sizeof v);
        acc += v;
    }
    double sum = 0.0;
    for (int k = 0; k < 8; ++k) sum += double(acc[k]);
    const float mean = float(sum / n);
    const V8 ones = {1, 1, 1, 1, 1, 1, 1, 1};
    V8 last;
    lastBlockMask(s.innerWidth, last);
    acc = V8{};
    for (long k = 0; k < size; k += 8) {
        V8 v;
        std::memcpy(&v, s.m.data() + k, sizeof v);
        v -= mean * (k % s.stride + 8 < s.stride ? ones : last);
        std::memcpy(s.m.data() + k, &v, sizeof v);
        acc += v * v;
    }
    double var = 0.0;
    for (int k = 0; k < 8; ++k) var += double(acc[k]);
    return var;
}

} // namespace

std::unique_ptr<SmoothModel> buildSmoothModel(const float* zm, long stride, long w, long h) {
    if (w < 2 * kSmoothReach + 3 || h < 2 * kSmoothReach + 3) return nullptr;
    auto s = std::make_unique<SmoothModel>();
    s->innerWidth = w - 2 * kSmoothReach;
    s->innerHeight = h - 2 * kSmoothReach;
    s->stride = (s->innerWidth + 7) / 8 * 8;
    float g[kTaps];
    kernel(0.0, false, g);
    // The source rows are read up to kTaps - 1 floats past the stride: room for that, zeros.
    const long srcStride = s->stride + kTaps + 8;
    const Scratch src(static_cast<std::size_t>(srcStride * h), 0);
    for (long r = 0; r < h; ++r)
        std::copy(zm + r * stride, zm + r * stride + w, src.data() + r * srcStride);
    // One row of zeros more for the symmetric kernel's unused last tap.
    const Scratch rows(static_cast<std::size_t>(s->stride * (h + 1)), 1);
    smoothRows(src.data(), srcStride, h, g, s->stride, rows.data());
    const std::size_t size = static_cast<std::size_t>(s->stride * s->innerHeight);
    s->m.assign(size, 0.0f);
    smoothColumns(rows.data(), s->innerHeight, g, s->stride, s->m.data());
    // The padding columns hold what the kernel smeared past the inner width: cleared.
    for (long r = 0; r < s->innerHeight; ++r) {
        const auto row = s->m.begin() + r * s->stride;
        std::fill(row + s->innerWidth, row + s->stride, 0.0f);
    }
    const double n = double(s->innerWidth) * double(s->innerHeight);
    const double var = removeMean(*s, n);
    if (!(var > 0.0)) return nullptr;
    s->nVarX = n * var;
    return s;
}

bool smoothScore(const FloatPlane& plane, const SmoothModel& s, long w, long h, long x, long y,
                 const xcVector<2>& t, double& score) {
    if (plane.width <= w || plane.height <= h) return false;
    // Pels x + floor(tx) .. x + floor(tx) + w must lie inside the plane; so must the rows.
    const double tx = std::clamp(t.x(), double(-x), double(plane.width - w - 1 - x));
    const double ty = std::clamp(t.y(), double(-y), double(plane.height - h - 1 - y));
    const long ix = long(std::floor(tx)), iy = long(std::floor(ty));
    if (x + ix < 0 || y + iy < 0 || x + ix + w >= plane.width || y + iy + h >= plane.height)
        return false;
    float gx[kTaps], gy[kTaps];
    kernel(tx - double(ix), true, gx);
    kernel(ty - double(iy), true, gy);
    // Rows h + 1 of the image, smoothed along x (the padding columns read past the row's end
    // into the plane's zeros), then along y to the inner rows; in bands between polls.
    const Scratch rows(static_cast<std::size_t>(s.stride * (h + 1)), 0);
    const long band = std::max(1L, kPollMacs / (s.stride * kTaps));
    const float* src = plane.row(y + iy) + x + ix;
    for (long r = 0; r <= h; r += band) {
        xcAttention::check();
        smoothRows(src + r * plane.stride, plane.stride, std::min(band, h + 1 - r), gx, s.stride,
                   rows.data() + r * s.stride);
    }
    double sums[3] = {0.0, 0.0, 0.0};
    for (long r = 0; r < s.innerHeight; r += band) {
        xcAttention::check();
        smoothColumnSums(rows.data(), gy, s, r, std::min(r + band, s.innerHeight), sums);
    }
    const double n = double(s.innerWidth) * double(s.innerHeight);
    const double nVarY = n * sums[1] - sums[0] * sums[0];
    score = nVarY > 0.0 && sums[2] > 0.0 ? std::min(1.0, n * sums[2] / std::sqrt(s.nVarX * nVarY))
                                         : 0.0;
    return true;
}

} // namespace xc_corrsearch
