// Gradients and quantised gradient directions shared by training and run time.
#pragma once

#include "align/detail/raw_image.h"

#include <cstdint>
#include <functional>

namespace xc_align {

// Directions are quantised into kBins sectors of 360 / kBins degrees over the full circle, so
// the contrast polarity counts: bin b holds atan2(gy, gx) in [b, b + 1) * 22.5 degrees
// (image coordinates, y down, gradient pointing from dark to light).
constexpr int kBins = 16;

// 3 x 3 Sobel gradients (not normalised: a unit step gives 4) with replicated borders.
struct Gradient {
    Plane<std::int16_t> gx;
    Plane<std::int16_t> gy;
};
// poll() is called after every band of rows.
Gradient sobel(
    const GreyView& src, const std::function<void()>& poll = [] {});
// Row y of the same gradients (src.width values each), for passes that need no whole planes.
void sobelRow(const GreyView& src, long y, std::int16_t* gx, std::int16_t* gy);

// The sector of a gradient (0 .. kBins - 1); meaningless for a zero gradient. Inline and free of
// branches so that the run image's row loops vectorise with it.
inline int directionBin(int gx, int gy) {
    // c = the number of sector edges k * 22.5 deg (k = 0..7) with sin(angle - edge) >= 0. In
    // the upper half plane (gy >= 0) the angle has passed c edges, so the sector is c - 1; in
    // the lower half the edges at or beyond angle - 180 count, so the sector is 15 - c.
    constexpr int kCos[8] = {1024, 946, 724, 392, 0, -392, -724, -946};
    constexpr int kSin[8] = {0, 392, 724, 946, 1024, 946, 724, 392};
    int count = 0;
    for (int k = 0; k < 8; ++k) count += (kCos[k] * gy - kSin[k] * gx) >= 0 ? 1 : 0;
    return gy >= 0 ? count - 1 : 15 - count;
}
// The sector of a direction given as an angle in radians.
int directionBinOfAngle(double radians);

// A magnitude below which gradients are treated as noise: four times the 25th percentile of
// the Sobel magnitudes (about three noise standard deviations on an image that is mostly
// background), kept between minimum and maximum. The gradients of src are computed a row at a
// time; poll() is called after every band of rows.
float noiseThreshold(
    const GreyView& src, float minimum, float maximum, const std::function<void()>& poll = [] {});

} // namespace xc_align
