// 2 x 2 matrices of doubles acting on column vectors, with their angle/scale decomposition.
#pragma once

#include "core/export.h"
#include "core/geom/vector.h"

template <int N>
class xcMatrix;

// [[a b], [c d]] with a = (0,0), b = (0,1), c = (1,0), d = (1,1).
//
// Built from angles and scales, the columns are xScale * (cos xRot, sin xRot) and
// yScale * (-sin yRot, cos yRot); the decomposition gives those four values back, with
// xRot = atan2(c, a), yRot = atan2(-b, d), xScale = |column 0|, yScale = |column 1| (never
// negative) and skew = yRot - xRot (a mirror shows as a skew of pi, not as a negative scale).
template <>
class XCORE_API xcMatrix<2> {
public:
    // The identity.
    constexpr xcMatrix() = default;
    constexpr xcMatrix(double a, double b, double c, double d) : a_(a), b_(b), c_(c), d_(d) {}
    xcMatrix(xcRadian xRot, xcRadian yRot, double xScale, double yScale);

    static constexpr xcMatrix identity() { return xcMatrix(); }
    // Rotation by angle, scaled by s.
    static xcMatrix rotation(xcRadian angle, double s = 1.0) {
        return xcMatrix(angle, angle, s, s);
    }

    constexpr double a() const { return a_; }
    constexpr double b() const { return b_; }
    constexpr double c() const { return c_; }
    constexpr double d() const { return d_; }
    // Element (row, column), both 0 or 1.
    constexpr double element(int row, int col) const {
        return row == 0 ? (col == 0 ? a_ : b_) : (col == 0 ? c_ : d_);
    }
    void element(int row, int col, double v);

    constexpr double det() const { return a_ * d_ - b_ * c_; }
    constexpr double trace() const { return a_ + d_; }
    constexpr xcMatrix transpose() const { return xcMatrix(a_, c_, b_, d_); }
    constexpr bool isIdentity() const { return a_ == 1 && b_ == 0 && c_ == 0 && d_ == 1; }
    constexpr bool isSingular() const { return det() == 0.0 || !(det() == det()); }
    // The inverse; a singular matrix throws xcGeomDefs::Singular.
    xcMatrix inverse() const;

    xcRadian xRot() const;
    xcRadian yRot() const;
    double xScale() const;
    double yScale() const;
    // yRot - xRot, in [-pi, pi).
    xcRadian skew() const;

    constexpr xcMatrix operator*(const xcMatrix& o) const {
        return xcMatrix(a_ * o.a_ + b_ * o.c_, a_ * o.b_ + b_ * o.d_, c_ * o.a_ + d_ * o.c_,
                        c_ * o.b_ + d_ * o.d_);
    }
    constexpr xcVector<2> operator*(const xcVector<2>& v) const {
        return xcVector<2>(a_ * v.x() + b_ * v.y(), c_ * v.x() + d_ * v.y());
    }
    constexpr xcMatrix operator*(double f) const {
        return xcMatrix(a_ * f, b_ * f, c_ * f, d_ * f);
    }
    constexpr xcMatrix operator+(const xcMatrix& o) const {
        return xcMatrix(a_ + o.a_, b_ + o.b_, c_ + o.c_, d_ + o.d_);
    }
    constexpr xcMatrix operator-(const xcMatrix& o) const {
        return xcMatrix(a_ - o.a_, b_ - o.b_, c_ - o.c_, d_ - o.d_);
    }
    friend constexpr bool operator==(const xcMatrix&, const xcMatrix&) = default;

private:
    double a_ = 1.0, b_ = 0.0, c_ = 0.0, d_ = 1.0;
};

// Every element within tol.
inline bool xfRealEq(const xcMatrix<2>& m, const xcMatrix<2>& n, double tol) {
    return xfRealEq(m.a(), n.a(), tol) && xfRealEq(m.b(), n.b(), tol) &&
           xfRealEq(m.c(), n.c(), tol) && xfRealEq(m.d(), n.d(), tol);
}
