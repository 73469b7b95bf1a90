// The correlation kernels: float numerators for a row of placements, and exact integer sums for
// one placement.
#pragma once

#include "corrsearch/detail/planes.h"

#include <cmath>
#include <cstdint>

namespace xc_corrsearch {

// Model rows are stored this many floats apart at least, padded with zeros, so that single
// placements are scored in whole vectors.
inline constexpr long kModelRowRound = 8;
inline long paddedModelWidth(long mw) {
    return (mw + kModelRowRound - 1) / kModelRowRound * kModelRowRound;
}

// out[i] = sum over r < mh, c < mw of zm[r * zmStride + c] * plane(x0 + i + c, y + r), for i
// from 0 to n - 1, where zm is a model with its mean taken away; with the window sums this gives
// the correlation (see score). `out` must have room for n rounded up to kBlock entries; the
// entries past n are left undefined. The placements must lie inside the plane
// (x0 + n - 1 + mw <= width and y + mh <= height).
void correlateRow(const FloatPlane& plane, long x0, long y, const float* zm, long zmStride, long mw,
                  long mh, long n, float* out);

// The same sum for the one placement whose first model pel lies on plane pel (x, y); zm's rows
// are paddedModelWidth(mw) apart with zeros after the mw model values.
float correlateAt(const FloatPlane& plane, long x, long y, const float* zm, long mw, long mh);

// Scores of one row of placements: out[x] = score(n num[x], nVarX, n Sy2 - Sy^2) with the
// window sums of the mw x mh placement at (x, y) from `sums`, for x from 0 to pw - 1.
void scoreRow(const float* num, const Integral& sums, long y, long mw, long mh, long pw,
              double nVarX, float* out);

// The normalised correlation r = (n Sxy - Sx Sy) / sqrt((n Sx2 - Sx^2) (n Sy2 - Sy^2)), clamped
// to 0..1, from nNum = n Sxy - Sx Sy, the model's n Sx2 - Sx^2 and the window's n Sy2 - Sy^2; a
// flat window (nVarY <= 0) scores 0.
inline double score(double nNum, double nVarX, double nVarY) {
    if (nVarY <= 0.0 || nNum <= 0.0) return 0.0;
    const double r = nNum / std::sqrt(nVarX * nVarY);
    return r < 1.0 ? r : 1.0;
}

} // namespace xc_corrsearch
