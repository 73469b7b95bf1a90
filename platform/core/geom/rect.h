// Axis-aligned rectangles: xcPelRect (long, pixel windows) and xcRect (double).
#pragma once

#include "core/export.h"
#include "core/geom/vector.h"

#include <algorithm>
#include <cmath>
#include <type_traits>

// A rectangle (x, y, width, height) with edge corners: ul = (x, y), ur = (x + w, y),
// ll = (x, y + h), lr = (x + w, y + h), y growing downwards. As a pixel window it holds the pels
// x .. x + w - 1 by y .. y + h - 1. It is null (holds nothing) when w <= 0 or h <= 0.
template <class T>
class xcRectangle {
public:
    constexpr xcRectangle() = default;
    constexpr xcRectangle(T x, T y, T width, T height) : x_(x), y_(y), w_(width), h_(height) {}

    constexpr T x() const { return x_; }
    constexpr T y() const { return y_; }
    constexpr T width() const { return w_; }
    constexpr T height() const { return h_; }
    constexpr void x(T v) { x_ = v; }
    constexpr void y(T v) { y_ = v; }
    constexpr void width(T v) { w_ = v; }
    constexpr void height(T v) { h_ = v; }
    // x + width and y + height: one past the last pel.
    constexpr T right() const { return x_ + w_; }
    constexpr T bottom() const { return y_ + h_; }

    xcVector<2> ul() const { return xcVector<2>(double(x_), double(y_)); }
    xcVector<2> ur() const { return xcVector<2>(double(x_ + w_), double(y_)); }
    xcVector<2> ll() const { return xcVector<2>(double(x_), double(y_ + h_)); }
    xcVector<2> lr() const { return xcVector<2>(double(x_ + w_), double(y_ + h_)); }
    // (x + w / 2, y + h / 2) in doubles.
    xcVector<2> center() const {
        return xcVector<2>(double(x_) + 0.5 * double(w_), double(y_) + 0.5 * double(h_));
    }

    // Holds nothing: width or height not positive (NaN counts as not positive).
    constexpr bool isNull() const { return !(w_ > 0 && h_ > 0); }
    constexpr bool degen() const { return isNull(); }
    constexpr T area() const { return isNull() ? T(0) : w_ * h_; }

    // Every point of r lies in this rectangle (edges included). A null r is judged by its
    // position and size like any other.
    constexpr bool contains(const xcRectangle& r) const {
        return r.x_ >= x_ && r.y_ >= y_ && r.x_ + r.w_ <= x_ + w_ && r.y_ + r.h_ <= y_ + h_;
    }
    // The point lies in [x, x + w) x [y, y + h).
    constexpr bool contains(double px, double py) const {
        return px >= double(x_) && py >= double(y_) && px < double(x_ + w_) && py < double(y_ + h_);
    }

    // The common part; the default (null) rectangle when the two do not overlap.
    constexpr xcRectangle intersect(const xcRectangle& r) const {
        const T x0 = std::max(x_, r.x_), y0 = std::max(y_, r.y_);
        const T x1 = std::min(x_ + w_, r.x_ + r.w_), y1 = std::min(y_ + h_, r.y_ + r.h_);
        if (!(x1 > x0 && y1 > y0)) return xcRectangle();
        return xcRectangle(x0, y0, x1 - x0, y1 - y0);
    }
    // The smallest rectangle holding both.
    constexpr xcRectangle enclose(const xcRectangle& r) const {
        const T x0 = std::min(x_, r.x_), y0 = std::min(y_, r.y_);
        const T x1 = std::max(x_ + w_, r.x_ + r.w_), y1 = std::max(y_ + h_, r.y_ + r.h_);
        return xcRectangle(x0, y0, x1 - x0, y1 - y0);
    }
    // Moves the left, right, top and bottom edges inwards by the given amounts (negative amounts
    // widen). With clamp, a size that would become negative becomes 0.
    constexpr xcRectangle trim(T left, T right, T top, T bottom, bool clamp) const {
        xcRectangle r(x_ + left, y_ + top, w_ - left - right, h_ - top - bottom);
        if (clamp) {
            r.w_ = std::max(r.w_, T(0));
            r.h_ = std::max(r.h_, T(0));
        }
        return r;
    }
    constexpr xcRectangle translate(T dx, T dy) const {
        return xcRectangle(x_ + dx, y_ + dy, w_, h_);
    }

    // The smallest pel rectangle holding this one: (floor x0, floor y0, ceil x1 - floor x0,
    // ceil y1 - floor y0), exact, no tolerance.
    xcRectangle<long> enclosePelRect() const requires std::is_floating_point_v<T>;

    friend constexpr bool operator==(const xcRectangle&, const xcRectangle&) = default;

private:
    T x_ = 0, y_ = 0, w_ = 0, h_ = 0;
};

using xcPelRect = xcRectangle<long>;
using xcRect = xcRectangle<double>;

// The smallest pel rectangle holding [x0, x1] x [y0, y1]: floor of the low edges, ceil of the
// high ones. Coordinates that are not finite or beyond +-2^40 throw xcGeomDefs::BadParams.
XCORE_API xcPelRect xfEnclosePel(double x0, double y0, double x1, double y1);

template <class T>
xcRectangle<long> xcRectangle<T>::enclosePelRect() const requires std::is_floating_point_v<T> {
    return xfEnclosePel(x_, y_, x_ + w_, y_ + h_);
}

// The double rectangle with the same edges as a pel rectangle.
inline xcRect xfToRect(const xcPelRect& r) {
    return xcRect(double(r.x()), double(r.y()), double(r.width()), double(r.height()));
}
// The rectangle spanned by two corners, in any order.
inline xcRect xfRectFromCorners(const xcVector<2>& a, const xcVector<2>& b) {
    const double x0 = std::min(a.x(), b.x()), y0 = std::min(a.y(), b.y());
    return xcRect(x0, y0, std::max(a.x(), b.x()) - x0, std::max(a.y(), b.y()) - y0);
}
