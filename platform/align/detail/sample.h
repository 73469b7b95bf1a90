// Bilinear sampling of a fit level's grey values and gradients, shared by the fit and the
// scores.
#pragma once

#include "align/detail/image_data.h"

#include <algorithm>
#include <cmath>

namespace xc_align {

// Bilinear sample of the grey level and of its central-difference gradient (I(x+1) - I(x-1)
// and I(y+1) - I(y-1), halved) at an index-space point (pel centres at integers). Reads are
// clamped to the level; care is true only when the four pels around are all cared for.
struct Sample {
    float grey, gx, gy;
    bool care;
};
[[gnu::always_inline]] inline Sample sampleAt(const FitLevel& img, double px, double py) {
    const long W = img.width, H = img.height;
    long x0 = long(px), y0 = long(py); // floor, without a library call on old processors
    x0 -= double(x0) > px ? 1 : 0;
    y0 -= double(y0) > py ? 1 : 0;
    const float fx = float(px - double(x0)), fy = float(py - double(y0));
    Sample s;
    if (x0 >= 1 && y0 >= 1 && x0 + 2 < W && y0 + 2 < H) {
        // Interior: the 4 x 4 pels around, read without clamping, weighted in integers with
        // 10-bit fractions (a 1/1000 pel grid, far finer than any result needs).
        const long st = img.grey->width;
        const std::uint8_t* r0 = img.grey->row(y0) + x0;
        const std::uint8_t* r1 = r0 + st;
        const std::uint8_t* rm = r0 - st;
        const std::uint8_t* r2 = r1 + st;
        const int wx = int(fx * 1024.0f + 0.5f), wy = int(fy * 1024.0f + 0.5f);
        const int vx = 1024 - wx, vy = 1024 - wy;
        auto lerp = [&](int a, int b, int c, int d) {
            return (vy * (vx * a + wx * b) + wy * (vx * c + wx * d));
        };
        constexpr float kScale = 1.0f / (1024.0f * 1024.0f);
        s.grey = float(lerp(r0[0], r0[1], r1[0], r1[1])) * kScale;
        s.gx = float(lerp(r0[1] - r0[-1], r0[2] - r0[0], r1[1] - r1[-1], r1[2] - r1[0])) *
               (0.5f * kScale);
        s.gy = float(lerp(r1[0] - rm[0], r1[1] - rm[1], r2[0] - r0[0], r2[1] - r0[1])) *
               (0.5f * kScale);
    } else {
        const float w00 = (1 - fx) * (1 - fy), w10 = fx * (1 - fy), w01 = (1 - fx) * fy,
                    w11 = fx * fy;
        auto at = [&](long x, long y) {
            return float(img.grey->at(std::clamp(x, 0L, W - 1), std::clamp(y, 0L, H - 1)));
        };
        auto gx = [&](long x, long y) { return at(x + 1, y) - at(x - 1, y); };
        auto gy = [&](long x, long y) { return at(x, y + 1) - at(x, y - 1); };
        s.grey = w00 * at(x0, y0) + w10 * at(x0 + 1, y0) + w01 * at(x0, y0 + 1) +
                 w11 * at(x0 + 1, y0 + 1);
        s.gx = 0.5f * (w00 * gx(x0, y0) + w10 * gx(x0 + 1, y0) + w01 * gx(x0, y0 + 1) +
                       w11 * gx(x0 + 1, y0 + 1));
        s.gy = 0.5f * (w00 * gy(x0, y0) + w10 * gy(x0 + 1, y0) + w01 * gy(x0, y0 + 1) +
                       w11 * gy(x0 + 1, y0 + 1));
    }
    s.care = true;
    if (img.mask) {
        auto cared = [&](long x, long y) {
            return img.mask->at(std::clamp(x, 0L, W - 1), std::clamp(y, 0L, H - 1)) != 0;
        };
        s.care = cared(x0, y0) && cared(x0 + 1, y0) && cared(x0, y0 + 1) && cared(x0 + 1, y0 + 1);
    }
    return s;
}

// How far an image sample meets a trained edge point whose normal, mapped into the image, is
// (nx, ny): 1 when the image gradient points its way within about 23 degrees and is at least a
// quarter as strong as `expected` (the template's edge times the gain, over the pel scale; a
// Sobel magnitude is about 8 derivatives), 0.5 within about 45 degrees and a sixth of the
// strength, else 0. The strength test only keeps noise out, so blur costs little.
[[gnu::always_inline]] inline double edgeAgreement(const Sample& s, double nx, double ny,
                                                   double expected) {
    const double along = (s.gx * nx + s.gy * ny) / std::sqrt(nx * nx + ny * ny);
    const double len = std::sqrt(double(s.gx) * s.gx + double(s.gy) * s.gy);
    // Selected without jumps: which way this goes changes from point to point.
    const bool full = along >= 0.92 * len && len >= 0.25 * expected;
    const bool half = along >= 0.7 * len && len >= 0.17 * expected;
    return full ? 1.0 : (half ? 0.5 : 0.0);
}

} // namespace xc_align
