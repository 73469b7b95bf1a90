// The search's pose parameters and how they act on pattern pels.
#pragma once

#include <cmath>

namespace xc_align {

// A 2 x 2 matrix [[a, b], [c, d]] acting on column vectors.
struct Mat2 {
    double a = 1, b = 0, c = 0, d = 1;

    Mat2 operator*(const Mat2& o) const {
        return Mat2{a * o.a + b * o.c, a * o.b + b * o.d, c * o.a + d * o.c, c * o.b + d * o.d};
    }
    Mat2 operator*(double f) const { return Mat2{a * f, b * f, c * f, d * f}; }
    double det() const { return a * d - b * c; }
    Mat2 inverse() const {
        const double k = 1.0 / det();
        return Mat2{d * k, -b * k, -c * k, a * k};
    }
    Mat2 transpose() const { return Mat2{a, c, b, d}; }
    static Mat2 rotation(double radians) {
        const double co = std::cos(radians), si = std::sin(radians);
        return Mat2{co, -si, si, co};
    }
};

// Angle and scale are searched in client coordinates: the pattern turned by theta and scaled by
// s in the run image's client frame. In pels that is the linear map
//   A(theta, s) = G * s R(theta) * H,
// with H the train image's client-from-image matrix and G the inverse of the run image's.
struct Frame {
    Mat2 G;
    Mat2 H;

    Mat2 A(double theta, double s) const { return G * Mat2::rotation(theta) * H * s; }
    // dA / dtheta.
    Mat2 dA(double theta, double s) const {
        return G * Mat2::rotation(theta + 1.5707963267948966) * H * s;
    }
    // How much one unit of client scale is in pels: sqrt |det(G H)|.
    double pelScale() const { return std::sqrt(std::fabs((G * H).det())); }
};

// One hypothesis: where the pattern's anchor lies in the run image (full-resolution pels,
// window-relative, edge coordinates), its angle (radians) and scale in client terms.
struct Hypothesis {
    double x = 0, y = 0;
    double theta = 0;
    double scale = 1;
};

} // namespace xc_align
