// A direction held in 8 bits: 256 steps per full turn, plain() 0..255.
#pragma once

#include "core/geom/angle.h"

#include <cmath>
#include <numbers>

// plain = round(angle * 256 / 2pi) mod 256, so plain 0 is +x, 64 is +y (a quarter turn from +x
// towards +y), 128 is -x and 192 is -y. Clearing the top bit folds a direction onto its
// opposite (direction modulo 180 degrees, 128 steps).
class xcBinaryAngle8 {
public:
    constexpr xcBinaryAngle8() = default;
    constexpr explicit xcBinaryAngle8(unsigned char plain) : plain_(plain) {}
    // The nearest of the 256 directions; halves round away from zero. A non-finite angle gives 0.
    explicit xcBinaryAngle8(xcRadian angle) : plain_(fromRadians(angle.toDouble())) {}

    constexpr unsigned char plain() const { return plain_; }
    constexpr void plain(unsigned char v) { plain_ = v; }
    // plain * 2pi / 256, in [0, 2pi).
    xcRadian toRadian() const { return xcRadian(plain_ * (2.0 * std::numbers::pi / 256.0)); }

    friend constexpr bool operator==(xcBinaryAngle8, xcBinaryAngle8) = default;

private:
    static unsigned char fromRadians(double a) {
        if (!std::isfinite(a)) return 0;
        const double steps = std::fmod(a, 2.0 * std::numbers::pi) * (128.0 / std::numbers::pi);
        return static_cast<unsigned char>(std::lround(steps) & 255);
    }

    unsigned char plain_ = 0;
};
