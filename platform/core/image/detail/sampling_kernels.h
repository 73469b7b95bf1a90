// Interpolation kernels of the affine sampler, on fixed-point lattice coordinates.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace xc_sampling {

// Lattice coordinates: u = image x - window x - 0.5, so that the centre of window pel k is at
// u = k. They are held as 64-bit integers with kFracBits fractional bits, which keeps the
// positions of a whole row exact under integer increments.
constexpr int kFracBits = 24;
constexpr std::int64_t kOne = std::int64_t(1) << kFracBits;
constexpr double kScale = double(kOne);

// The source window: w x h pels, rows `stride` bytes apart.
struct Source {
    const unsigned char* pels;
    long stride;
    long w;
    long h;

    unsigned char at(long x, long y) const { return pels[y * stride + x]; }
    long clampX(std::int64_t x) const { return long(std::clamp<std::int64_t>(x, 0, w - 1)); }
    long clampY(std::int64_t y) const { return long(std::clamp<std::int64_t>(y, 0, h - 1)); }
};

// A double lattice coordinate as fixed point. Values beyond a few pels outside the window read
// the same border pels, so they are clamped first (NaN included) to keep the conversion defined.
inline std::int64_t toFixed(double u, long size) {
    const double lo = -4.0, hi = double(size) + 4.0;
    if (!(u >= lo)) u = lo;
    if (!(u <= hi)) u = hi;
    return std::llround(u * kScale);
}

inline double fraction(std::int64_t x) {
    return double(x & (kOne - 1)) * (1.0 / kScale);
}

// Every kernel gives the range [lo, hi] of a coordinate whose reads stay inside a window of
// `size` pels (interior), an unchecked read for such coordinates, and a clamped read for any
// coordinate.

struct Nearest {
    static std::int64_t lo(long) { return -kOne / 2; }
    static std::int64_t hi(long size) {
        return (std::int64_t(size - 1) << kFracBits) + kOne / 2 - 1;
    }
    static unsigned char interior(const Source& s, std::int64_t x, std::int64_t y) {
        return s.at(long((x + kOne / 2) >> kFracBits), long((y + kOne / 2) >> kFracBits));
    }
    static unsigned char clamped(const Source& s, std::int64_t x, std::int64_t y) {
        return s.at(s.clampX((x + kOne / 2) >> kFracBits), s.clampY((y + kOne / 2) >> kFracBits));
    }
};

// Weights in 1/256 steps, rounded from the position: weight 256 takes the next pel alone.
struct Bilinear {
    static std::int64_t lo(long) { return 0; }
    static std::int64_t hi(long size) { return (std::int64_t(size - 1) << kFracBits) - 1; }
    static int weight(std::int64_t x) { return (int((x >> (kFracBits - 9)) & 511) + 1) >> 1; }
    static unsigned char blend(int p00, int p01, int p10, int p11, int wx, int wy) {
        const int top = p00 * 256 + (p01 - p00) * wx;
        const int bot = p10 * 256 + (p11 - p10) * wx;
        return static_cast<unsigned char>((top * 256 + (bot - top) * wy + 32768) >> 16);
    }
    static unsigned char interior(const Source& s, std::int64_t x, std::int64_t y) {
        const unsigned char* p = s.pels + (y >> kFracBits) * s.stride + (x >> kFracBits);
        return blend(p[0], p[1], p[s.stride], p[s.stride + 1], weight(x), weight(y));
    }
    static unsigned char clamped(const Source& s, std::int64_t x, std::int64_t y) {
        const std::int64_t ix = x >> kFracBits, iy = y >> kFracBits;
        const long x0 = s.clampX(ix), x1 = s.clampX(ix + 1);
        const long y0 = s.clampY(iy), y1 = s.clampY(iy + 1);
        return blend(s.at(x0, y0), s.at(x1, y0), s.at(x0, y1), s.at(x1, y1), weight(x), weight(y));
    }
};

struct BilinearPrecise {
    static std::int64_t lo(long) { return 0; }
    static std::int64_t hi(long size) { return (std::int64_t(size - 1) << kFracBits) - 1; }
    static unsigned char blend(int p00, int p01, int p10, int p11, double fx, double fy) {
        const double top = p00 + (p01 - p00) * fx;
        const double bot = p10 + (p11 - p10) * fx;
        return static_cast<unsigned char>(top + (bot - top) * fy + 0.5);
    }
    static unsigned char interior(const Source& s, std::int64_t x, std::int64_t y) {
        const unsigned char* p = s.pels + (y >> kFracBits) * s.stride + (x >> kFracBits);
        return blend(p[0], p[1], p[s.stride], p[s.stride + 1], fraction(x), fraction(y));
    }
    static unsigned char clamped(const Source& s, std::int64_t x, std::int64_t y) {
        const std::int64_t ix = x >> kFracBits, iy = y >> kFracBits;
        const long x0 = s.clampX(ix), x1 = s.clampX(ix + 1);
        const long y0 = s.clampY(iy), y1 = s.clampY(iy + 1);
        return blend(s.at(x0, y0), s.at(x1, y0), s.at(x0, y1), s.at(x1, y1), fraction(x),
                     fraction(y));
    }
};

// Cubic convolution with a = -0.5 (Catmull-Rom): weights of the pels at -1, 0, 1, 2 around the
// position's pel for a fraction t.
struct Bicubic {
    static std::int64_t lo(long) { return kOne; }
    static std::int64_t hi(long size) { return (std::int64_t(size - 2) << kFracBits) - 1; }
    static void weights(double t, double w[4]) {
        const double t2 = t * t, t3 = t2 * t;
        w[0] = -0.5 * t3 + t2 - 0.5 * t;
        w[1] = 1.5 * t3 - 2.5 * t2 + 1.0;
        w[2] = -1.5 * t3 + 2.0 * t2 + 0.5 * t;
        w[3] = 0.5 * t3 - 0.5 * t2;
    }
    static unsigned char finish(double v) {
        return static_cast<unsigned char>(std::clamp(v, 0.0, 255.0) + 0.5);
    }
    static unsigned char interior(const Source& s, std::int64_t x, std::int64_t y) {
        double wx[4], wy[4];
        weights(fraction(x), wx);
        weights(fraction(y), wy);
        const unsigned char* p = s.pels + ((y >> kFracBits) - 1) * s.stride + (x >> kFracBits) - 1;
        double v = 0.0;
        for (int r = 0; r < 4; ++r, p += s.stride)
            v += wy[r] * (wx[0] * p[0] + wx[1] * p[1] + wx[2] * p[2] + wx[3] * p[3]);
        return finish(v);
    }
    static unsigned char clamped(const Source& s, std::int64_t x, std::int64_t y) {
        double wx[4], wy[4];
        weights(fraction(x), wx);
        weights(fraction(y), wy);
        const std::int64_t ix = x >> kFracBits, iy = y >> kFracBits;
        long cx[4];
        for (int k = 0; k < 4; ++k) cx[k] = s.clampX(ix - 1 + k);
        double v = 0.0;
        for (int r = 0; r < 4; ++r) {
            const unsigned char* row = s.pels + s.clampY(iy - 1 + r) * s.stride;
            v += wy[r] * (wx[0] * row[cx[0]] + wx[1] * row[cx[1]] + wx[2] * row[cx[2]] +
                          wx[3] * row[cx[3]]);
        }
        return finish(v);
    }
};

} // namespace xc_sampling
