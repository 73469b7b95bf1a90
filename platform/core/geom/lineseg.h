// Line segments: two end points.
#pragma once

#include "core/geom/vector.h"

// The segment from p1 to p2; its direction runs from p1 to p2.
class xcLineSeg {
public:
    // Both ends at (0, 0).
    xcLineSeg() = default;
    xcLineSeg(const xcVector<2>& p1, const xcVector<2>& p2) : p1_(p1), p2_(p2) {}

    const xcVector<2>& p1() const { return p1_; }
    const xcVector<2>& p2() const { return p2_; }
    void p1(const xcVector<2>& p) { p1_ = p; }
    void p2(const xcVector<2>& p) { p2_ = p; }

    double length() const { return p1_.distance(p2_); }
    // Angle of p2 - p1, in (-pi, pi]; 0 for a segment of length 0.
    xcRadian direction() const { return (p2_ - p1_).angle(); }
    xcVector<2> midpoint() const { return (p1_ + p2_) * 0.5; }

    friend bool operator==(const xcLineSeg&, const xcLineSeg&) = default;

private:
    xcVector<2> p1_, p2_;
};
