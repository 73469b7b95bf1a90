// Affine transforms of the plane: p -> M * p + t. The product X * Y applies Y first, then X.
#pragma once

#include "core/export.h"
#include "core/geom/matrix.h"

template <int N>
class xcXform;

template <>
class XCORE_API xcXform<2> {
public:
    // The identity.
    constexpr xcXform() = default;
    constexpr xcXform(const xcMatrix<2>& m, const xcVector<2>& t) : m_(m), t_(t) {}
    // Translation, uniform scale, aspect, shear and rotation: the matrix is
    // xcMatrix<2>(rotation, rotation + shear, scale, scale * aspect), so (t, s, 1, 0, a) places
    // an object turned by a and scaled by s at t.
    xcXform(const xcVector<2>& translation, double scale, double aspect, xcRadian shear,
            xcRadian rotation);

    static constexpr xcXform identity() { return xcXform(); }
    static constexpr xcXform translation(const xcVector<2>& t) { return xcXform(xcMatrix<2>(), t); }

    constexpr const xcMatrix<2>& matrix() const { return m_; }
    constexpr const xcVector<2>& trans() const { return t_; }
    constexpr void matrix(const xcMatrix<2>& m) { m_ = m; }
    constexpr void trans(const xcVector<2>& t) { t_ = t; }

    constexpr xcVector<2> mapPoint(const xcVector<2>& p) const { return m_ * p + t_; }
    // Maps a displacement (the matrix alone).
    constexpr xcVector<2> mapVector(const xcVector<2>& v) const { return m_ * v; }
    constexpr xcVector<2> operator*(const xcVector<2>& p) const { return mapPoint(p); }

    // (this * o)(p) = this(o(p)).
    constexpr xcXform operator*(const xcXform& o) const {
        return xcXform(m_ * o.m_, m_ * o.t_ + t_);
    }
    constexpr xcXform compose(const xcXform& o) const { return *this * o; }
    // The inverse; a singular matrix throws xcGeomDefs::Singular.
    xcXform inverse() const;

    constexpr bool isIdentity() const { return m_.isIdentity() && t_ == xcVector<2>(); }
    constexpr double det() const { return m_.det(); }
    xcRadian xRot() const { return m_.xRot(); }
    xcRadian yRot() const { return m_.yRot(); }
    double xScale() const { return m_.xScale(); }
    double yScale() const { return m_.yScale(); }
    xcRadian skew() const { return m_.skew(); }

    friend constexpr bool operator==(const xcXform&, const xcXform&) = default;

private:
    xcMatrix<2> m_;
    xcVector<2> t_;
};

using xcXform2 = xcXform<2>;

// Every one of the six numbers within tol.
inline bool xfRealEq(const xcXform<2>& x, const xcXform<2>& y, double tol) {
    return xfRealEq(x.matrix(), y.matrix(), tol) && xfRealEq(x.trans(), y.trans(), tol);
}
