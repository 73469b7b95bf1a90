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

// The sector of a gradient (0 .. kBins - 1); meaningless for a zero gradient.
int directionBin(int gx, int gy);
// The sector of a direction given as an angle in radians.
int directionBinOfAngle(double radians);

// A magnitude below which gradients are treated as noise: four times the 25th percentile of
// the Sobel magnitudes (about three noise standard deviations on an image that is mostly
// background), kept between minimum and maximum.
float noiseThreshold(
    const Gradient& g, float minimum, float maximum, const std::function<void()>& poll = [] {});

} // namespace xc_align
