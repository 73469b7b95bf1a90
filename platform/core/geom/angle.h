// Angles as two distinct strong types, xcRadian and xcDegree, that convert by value.
#pragma once

#include "core/export.h"

#include <cmath>
#include <compare>
#include <numbers>

class xcDegree;

// An angle in radians. Positive angles turn +x towards +y (clockwise on screen, y down).
class xcRadian {
public:
    constexpr xcRadian() = default;
    constexpr explicit xcRadian(double radians) : v_(radians) {}
    constexpr xcRadian(const xcDegree& d);

    constexpr double toDouble() const { return v_; }

    // The same direction in [0, 2*pi).
    xcRadian norm() const {
        double r = std::fmod(v_, 2 * std::numbers::pi);
        if (r < 0) r += 2 * std::numbers::pi;
        if (r >= 2 * std::numbers::pi) r = 0; // fmod of a tiny negative value rounds up to 2*pi
        return xcRadian(r);
    }
    // The same direction in [-pi, pi).
    xcRadian signedNorm() const {
        double r = norm().v_;
        if (r >= std::numbers::pi) r -= 2 * std::numbers::pi;
        return xcRadian(r);
    }

    constexpr xcRadian operator-() const { return xcRadian(-v_); }
    constexpr xcRadian& operator+=(xcRadian o) {
        v_ += o.v_;
        return *this;
    }
    constexpr xcRadian& operator-=(xcRadian o) {
        v_ -= o.v_;
        return *this;
    }
    constexpr xcRadian& operator*=(double f) {
        v_ *= f;
        return *this;
    }
    constexpr xcRadian& operator/=(double f) {
        v_ /= f;
        return *this;
    }
    friend constexpr xcRadian operator+(xcRadian a, xcRadian b) { return a += b; }
    friend constexpr xcRadian operator-(xcRadian a, xcRadian b) { return a -= b; }
    friend constexpr xcRadian operator*(xcRadian a, double f) { return a *= f; }
    friend constexpr xcRadian operator*(double f, xcRadian a) { return a *= f; }
    friend constexpr xcRadian operator/(xcRadian a, double f) { return a /= f; }
    friend constexpr double operator/(xcRadian a, xcRadian b) { return a.v_ / b.v_; }
    friend constexpr auto operator<=>(xcRadian, xcRadian) = default;

private:
    double v_ = 0.0;
};

// An angle in degrees.
class xcDegree {
public:
    constexpr xcDegree() = default;
    constexpr explicit xcDegree(double degrees) : v_(degrees) {}
    constexpr xcDegree(const xcRadian& r) : v_(r.toDouble() * (180.0 / std::numbers::pi)) {}

    constexpr double toDouble() const { return v_; }

    // The same direction in [0, 360).
    xcDegree norm() const {
        double d = std::fmod(v_, 360.0);
        if (d < 0) d += 360.0;
        if (d >= 360.0) d = 0;
        return xcDegree(d);
    }
    // The same direction in [-180, 180).
    xcDegree signedNorm() const {
        double d = norm().v_;
        if (d >= 180.0) d -= 360.0;
        return xcDegree(d);
    }

    constexpr xcDegree operator-() const { return xcDegree(-v_); }
    constexpr xcDegree& operator+=(xcDegree o) {
        v_ += o.v_;
        return *this;
    }
    constexpr xcDegree& operator-=(xcDegree o) {
        v_ -= o.v_;
        return *this;
    }
    constexpr xcDegree& operator*=(double f) {
        v_ *= f;
        return *this;
    }
    constexpr xcDegree& operator/=(double f) {
        v_ /= f;
        return *this;
    }
    friend constexpr xcDegree operator+(xcDegree a, xcDegree b) { return a += b; }
    friend constexpr xcDegree operator-(xcDegree a, xcDegree b) { return a -= b; }
    friend constexpr xcDegree operator*(xcDegree a, double f) { return a *= f; }
    friend constexpr xcDegree operator*(double f, xcDegree a) { return a *= f; }
    friend constexpr xcDegree operator/(xcDegree a, double f) { return a /= f; }
    friend constexpr auto operator<=>(xcDegree, xcDegree) = default;

private:
    double v_ = 0.0;
};

constexpr xcRadian::xcRadian(const xcDegree& d) : v_(d.toDouble() * (std::numbers::pi / 180.0)) {
}

inline double sin(xcRadian a) {
    return std::sin(a.toDouble());
}
inline double cos(xcRadian a) {
    return std::cos(a.toDouble());
}
inline double tan(xcRadian a) {
    return std::tan(a.toDouble());
}

// atan2 of (y, x) as an angle in (-pi, pi].
inline xcRadian xfAtan2(double y, double x) {
    return xcRadian(std::atan2(y, x));
}
