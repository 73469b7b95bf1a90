// Arcs of ellipses: centre, two radii, rotation, start angle and signed span.
#pragma once

#include "core/geom/geom_errors.h"
#include "core/geom/matrix.h"

#include <cmath>

// The points centre + R(rotation) (xRadius cos t, yRadius sin t) for t from start to
// start + span; a negative span runs the other way. With equal radii and rotation 0 this is an
// arc of a circle and t is the polar angle about the centre.
class xcEllipseArc2 {
public:
    // Centre (0, 0), radii 0, all angles 0.
    xcEllipseArc2() = default;
    // Radii that are negative or not finite throw xcGeomDefs::BadParams.
    xcEllipseArc2(const xcVector<2>& centre, double xRadius, double yRadius, xcRadian rotation,
                  xcRadian start, xcRadian span)
        : centre_(centre), rotation_(rotation), start_(start), span_(span) {
        checkRadius(xRadius);
        checkRadius(yRadius);
        xRadius_ = xRadius;
        yRadius_ = yRadius;
    }

    const xcVector<2>& centre() const { return centre_; }
    void centre(const xcVector<2>& c) { centre_ = c; }
    double xRadius() const { return xRadius_; }
    void xRadius(double r) {
        checkRadius(r);
        xRadius_ = r;
    }
    double yRadius() const { return yRadius_; }
    void yRadius(double r) {
        checkRadius(r);
        yRadius_ = r;
    }
    // Angle of the ellipse's x axis.
    xcRadian rotation() const { return rotation_; }
    void rotation(xcRadian r) { rotation_ = r; }
    // Parameter t where the arc starts.
    xcRadian start() const { return start_; }
    void start(xcRadian a) { start_ = a; }
    // Signed extent of the arc in t.
    xcRadian span() const { return span_; }
    void span(xcRadian a) { span_ = a; }

    // The point of the ellipse at parameter t.
    xcVector<2> pointAt(xcRadian t) const {
        return centre_ +
               xcMatrix<2>::rotation(rotation_) * xcVector<2>(xRadius_ * cos(t), yRadius_ * sin(t));
    }
    xcVector<2> startPoint() const { return pointAt(start_); }
    xcVector<2> endPoint() const { return pointAt(start_ + span_); }

    friend bool operator==(const xcEllipseArc2&, const xcEllipseArc2&) = default;

private:
    static void checkRadius(double r) {
        if (!(r >= 0 && std::isfinite(r)))
            throw xcGeomDefs::BadParams("Ellipse radius must be finite and >= 0");
    }

    xcVector<2> centre_;
    double xRadius_ = 0.0, yRadius_ = 0.0;
    xcRadian rotation_, start_, span_;
};
