// Rigid transforms of the plane: p -> R(angle) * p + t.
#pragma once

#include "core/geom/xform.h"

class xc2Rigid {
public:
    xc2Rigid() = default;
    xc2Rigid(xcRadian angle, const xcVector<2>& translation) : angle_(angle), t_(translation) {}

    xcRadian angle() const { return angle_; }
    const xcVector<2>& translation() const { return t_; }
    void angle(xcRadian a) { angle_ = a; }
    void translation(const xcVector<2>& t) { t_ = t; }

    // The same map as a general affine transform (translation included).
    xcXform<2> linear() const { return xcXform<2>(xcMatrix<2>::rotation(angle_), t_); }
    xcVector<2> mapPoint(const xcVector<2>& p) const { return linear().mapPoint(p); }
    xcVector<2> operator*(const xcVector<2>& p) const { return mapPoint(p); }

    // (this * o)(p) = this(o(p)).
    xc2Rigid operator*(const xc2Rigid& o) const {
        return xc2Rigid(angle_ + o.angle_, xcMatrix<2>::rotation(angle_) * o.t_ + t_);
    }
    xc2Rigid inverse() const { return xc2Rigid(-angle_, -(xcMatrix<2>::rotation(-angle_) * t_)); }

    friend bool operator==(const xc2Rigid&, const xc2Rigid&) = default;

private:
    xcRadian angle_;
    xcVector<2> t_;
};
