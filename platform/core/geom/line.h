// Infinite straight lines of the plane, given by a point on the line and a direction angle.
#pragma once

#include "core/export.h"
#include "core/geom/vector.h"

// A line through point() running along the unit vector u = (cos a, sin a), a = the direction
// angle. Its left normal is n = (-sin a, cos a) (u turned by +90 degrees).
//
// Normal form (angle, d): the angle is the angle of the DIRECTION, in degrees, and d is the
// signed distance of the line from the origin measured along the left normal, so the line is
// { p : p . n = d } and the point of the line nearest the origin is d * n. This is the form
// xfLineFit returns; normalDistance() gives d back for any line.
//
// Measured against a line:
//   offset(p) = distanceAlong(p) = (p - point) . u   (coordinate along the line from its point)
//   distance(p) = (p - point) . n                    (signed: positive on the left-normal side)
//   project(p) = point + offset(p) * u               (the foot of p on the line)
class XCORE_API xcLine {
public:
    // The x axis: through (0, 0), direction 0.
    xcLine() = default;
    // Through `point` with the given direction angle. A point or angle that is not finite
    // throws xcGeomDefs::BadParams.
    xcLine(const xcVector<2>& point, xcRadian direction);
    // Normal form: direction angle in degrees and signed distance along the left normal; the
    // point becomes distance * n. Values that are not finite throw xcGeomDefs::BadParams.
    xcLine(xcDegree angle, double distance);
    // The line through a and b, directed from a to b; equal points throw xcGeomDefs::BadParams.
    static xcLine through(const xcVector<2>& a, const xcVector<2>& b);

    const xcVector<2>& point() const { return point_; }
    // Moves the line so that it passes through p; the direction is kept.
    void point(const xcVector<2>& p);

    // Direction angle, as given (not normalised).
    xcRadian angle() const { return angle_; }
    xcDegree angleDeg() const { return xcDegree(angle_); }
    // Turns the line about its point.
    void angle(xcRadian a);
    void angleDeg(xcDegree a) { angle(xcRadian(a)); }

    // Unit vector u along the line.
    xcVector<2> direction() const { return xcVector<2>::polar(angle_); }
    // Unit vector n = (-sin a, cos a), u turned by +90 degrees.
    xcVector<2> normal() const { return direction().perp(); }
    // d of the normal form: point . n.
    double normalDistance() const { return point_.dot(normal()); }

    // (p - point) . u.
    double offset(const xcVector<2>& p) const { return (p - point_).dot(direction()); }
    double distanceAlong(const xcVector<2>& p) const { return offset(p); }
    // (p - point) . n: signed distance of p from the line.
    double distance(const xcVector<2>& p) const { return (p - point_).dot(normal()); }
    // point + t * u.
    xcVector<2> pointAt(double t) const { return point_ + direction() * t; }
    // The point of the line nearest p.
    xcVector<2> project(const xcVector<2>& p) const { return pointAt(offset(p)); }

    friend bool operator==(const xcLine&, const xcLine&) = default;

private:
    xcVector<2> point_;
    xcRadian angle_;
};
