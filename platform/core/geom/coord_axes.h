// A pair of coordinate axes drawn as two strokes from a common origin.
#pragma once

#include "core/geom/geom_errors.h"
#include "core/geom/xform.h"

#include <cmath>

// Origin, end of the x axis and end of the y axis.
class xcCoordAxes {
public:
    // All three points at (0, 0).
    xcCoordAxes() = default;
    xcCoordAxes(const xcVector<2>& origin, const xcVector<2>& xEnd, const xcVector<2>& yEnd)
        : origin_(origin), xEnd_(xEnd), yEnd_(yEnd) {}
    // The axes of the frame that x maps from, drawn in the frame it maps to: the images of
    // (0, 0), (length, 0) and (0, length). A length that is negative or not finite throws
    // xcGeomDefs::BadParams.
    xcCoordAxes(const xcXform<2>& x, double length) {
        if (!(length >= 0 && std::isfinite(length)))
            throw xcGeomDefs::BadParams("Axis length must be finite and >= 0");
        origin_ = x.mapPoint(xcVector<2>(0, 0));
        xEnd_ = x.mapPoint(xcVector<2>(length, 0));
        yEnd_ = x.mapPoint(xcVector<2>(0, length));
    }

    const xcVector<2>& origin() const { return origin_; }
    const xcVector<2>& xEnd() const { return xEnd_; }
    const xcVector<2>& yEnd() const { return yEnd_; }
    void origin(const xcVector<2>& p) { origin_ = p; }
    void xEnd(const xcVector<2>& p) { xEnd_ = p; }
    void yEnd(const xcVector<2>& p) { yEnd_ = p; }

    // The axes mapped by an affine transform.
    xcCoordAxes map(const xcXform<2>& x) const {
        return xcCoordAxes(x.mapPoint(origin_), x.mapPoint(xEnd_), x.mapPoint(yEnd_));
    }

    friend bool operator==(const xcCoordAxes&, const xcCoordAxes&) = default;

private:
    xcVector<2> origin_, xEnd_, yEnd_;
};
