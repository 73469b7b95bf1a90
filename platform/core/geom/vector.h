// Two-dimensional vectors (points and displacements) of doubles.
#pragma once

#include "core/geom/angle.h"

#include <cmath>

template <int N>
class xcVector;

template <>
class xcVector<2> {
public:
    constexpr xcVector() = default;
    constexpr xcVector(double x, double y) : x_(x), y_(y) {}

    constexpr double x() const { return x_; }
    constexpr double y() const { return y_; }
    constexpr void x(double v) { x_ = v; }
    constexpr void y(double v) { y_ = v; }
    // Element 0 is x, element 1 is y.
    constexpr double operator[](int i) const { return i == 0 ? x_ : y_; }

    constexpr double dot(const xcVector& o) const { return x_ * o.x_ + y_ * o.y_; }
    // z component of the 3-D cross product: positive when o lies on the +y side of this.
    constexpr double cross(const xcVector& o) const { return x_ * o.y_ - y_ * o.x_; }
    double len() const { return std::hypot(x_, y_); }
    constexpr double len2() const { return x_ * x_ + y_ * y_; }
    // Direction from +x towards +y, in (-pi, pi].
    xcRadian angle() const { return xfAtan2(y_, x_); }
    // This vector scaled to length 1; the zero vector stays zero.
    xcVector unit() const {
        double l = len();
        return l > 0 ? xcVector(x_ / l, y_ / l) : xcVector();
    }
    // This vector turned by +90 degrees: (-y, x).
    constexpr xcVector perp() const { return xcVector(-y_, x_); }
    double distance(const xcVector& o) const { return std::hypot(x_ - o.x_, y_ - o.y_); }

    constexpr xcVector operator-() const { return xcVector(-x_, -y_); }
    constexpr xcVector& operator+=(const xcVector& o) {
        x_ += o.x_;
        y_ += o.y_;
        return *this;
    }
    constexpr xcVector& operator-=(const xcVector& o) {
        x_ -= o.x_;
        y_ -= o.y_;
        return *this;
    }
    constexpr xcVector& operator*=(double f) {
        x_ *= f;
        y_ *= f;
        return *this;
    }
    constexpr xcVector& operator/=(double f) {
        x_ /= f;
        y_ /= f;
        return *this;
    }
    friend constexpr xcVector operator+(xcVector a, const xcVector& b) { return a += b; }
    friend constexpr xcVector operator-(xcVector a, const xcVector& b) { return a -= b; }
    friend constexpr xcVector operator*(xcVector a, double f) { return a *= f; }
    friend constexpr xcVector operator*(double f, xcVector a) { return a *= f; }
    friend constexpr xcVector operator/(xcVector a, double f) { return a /= f; }
    friend constexpr bool operator==(const xcVector&, const xcVector&) = default;

    // Unit vector at an angle.
    static xcVector polar(xcRadian a, double length = 1.0) {
        return xcVector(length * cos(a), length * sin(a));
    }

private:
    double x_ = 0.0;
    double y_ = 0.0;
};

using xcVector2 = xcVector<2>;

// True when every component differs by at most tol.
inline bool xfRealEq(double a, double b, double tol) {
    return std::fabs(a - b) <= tol;
}
inline bool xfRealEq(const xcVector<2>& a, const xcVector<2>& b, double tol) {
    return xfRealEq(a.x(), b.x(), tol) && xfRealEq(a.y(), b.y(), tol);
}
