// Derived pel planes of the correlation search: float copies with padded rows, 2 x 2 pel sums and
// summed-area tables for exact window sums.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace xc_corrsearch {

// The correlation kernel reads whole blocks of this many placements, past a row's last
// placement; planes keep that many zero floats after every row.
inline constexpr long kBlock = 32;

// A grey plane as floats, rows `stride` apart, each followed by at least kBlock zeros.
struct FloatPlane {
    long width = 0, height = 0, stride = 0;
    std::unique_ptr<float[]> pels;
    const float* row(long y) const { return pels.get() + y * stride; }
};

// Summed-area tables of a plane's values and squared values: entry (x, y) holds the sums over
// the pels left of x and above y, (width + 1) x (height + 1) entries. They are whole numbers
// below 2^53 for planes of up to 2^22 values of up to 1020, so doubles hold them exactly and
// the window sums are exact.
struct Integral {
    long width = 0, height = 0;
    std::unique_ptr<double[]> sum, sum2;
    const double* sumRow(long y) const { return sum.get() + y * (width + 1); }
    const double* sum2Row(long y) const { return sum2.get() + y * (width + 1); }
    // The sums over the w x h pels from (x, y).
    void windowSums(long x, long y, long w, long h, std::int64_t& s, std::int64_t& s2) const {
        const long W = width + 1;
        const long a = y * W + x, b = a + w, c = (y + h) * W + x, d = c + w;
        s = std::int64_t((sum[d] - sum[b]) - (sum[c] - sum[a]));
        s2 = std::int64_t((sum2[d] - sum2[b]) - (sum2[c] - sum2[a]));
    }
};

// The derived planes of one searched image: its pels as floats with their sums, and the same
// for its 2 x 2 pel sums (empty when the image is narrower or lower than 2 pels).
struct ImagePlanes {
    FloatPlane full, coarse;
    Integral fullSums, coarseSums;
};

// Builds the planes of width x height pels, polling the calling thread's time limit.
void makeImagePlanes(const unsigned char* pels, long rowUpdate, long width, long height,
                     ImagePlanes& out);

// Plane values are 8-bit pels or 2 x 2 sums of them. The builders poll the calling thread's
// time limit every few rows and fill their buffers row by row, so that even the first touch of
// a large buffer's memory happens between polls.
template <class T>
void makeFloatPlane(const T* pels, long rowUpdate, long width, long height, FloatPlane& out);
template <class T>
void makeIntegral(const T* pels, long rowUpdate, long width, long height, Integral& out);

// Sums of 2 x 2 pel blocks: entry (i, j) = the pels (2i .. 2i + 1, 2j .. 2j + 1), for
// floor(width / 2) x floor(height / 2) entries, rows floor(width / 2) apart.
std::unique_ptr<std::uint16_t[]> sum2x2(const unsigned char* pels, long rowUpdate, long width,
                                        long height);

} // namespace xc_corrsearch
