// Circles: a centre and a radius.
#pragma once

#include "core/geom/geom_errors.h"
#include "core/geom/vector.h"

#include <cmath>

// The circle of points at distance radius() from centre(). A radius of 0 is allowed: it is what
// a circle fit returns when no circle fits.
class xcCircle {
public:
    // Centre (0, 0), radius 0.
    xcCircle() = default;
    // A radius that is negative or not finite throws xcGeomDefs::BadParams.
    xcCircle(const xcVector<2>& centre, double radius) : centre_(centre) { this->radius(radius); }

    const xcVector<2>& centre() const { return centre_; }
    void centre(const xcVector<2>& c) { centre_ = c; }
    double radius() const { return radius_; }
    void radius(double r) {
        if (!(r >= 0 && std::isfinite(r)))
            throw xcGeomDefs::BadParams("Circle radius must be finite and >= 0");
        radius_ = r;
    }

    // The point at polar angle a about the centre: centre + radius (cos a, sin a).
    xcVector<2> pointAt(xcRadian a) const { return centre_ + xcVector<2>::polar(a, radius_); }
    // Signed distance of p from the circle: |p - centre| - radius (negative inside).
    double distance(const xcVector<2>& p) const { return p.distance(centre_) - radius_; }

    friend bool operator==(const xcCircle&, const xcCircle&) = default;

private:
    xcVector<2> centre_;
    double radius_ = 0.0;
};
