#include "core/geom/line.h"

#include "core/geom/geom_errors.h"

#include <cmath>

namespace {

bool finite(const xcVector<2>& p) {
    return std::isfinite(p.x()) && std::isfinite(p.y());
}

void checkPoint(const xcVector<2>& p) {
    if (!finite(p)) throw xcGeomDefs::BadParams("Line point must be finite");
}

void checkAngle(double a) {
    if (!std::isfinite(a)) throw xcGeomDefs::BadParams("Line angle must be finite");
}

} // namespace

xcLine::xcLine(const xcVector<2>& point, xcRadian direction) {
    checkPoint(point);
    checkAngle(direction.toDouble());
    point_ = point;
    angle_ = direction;
}

xcLine::xcLine(xcDegree angle, double distance) {
    checkAngle(angle.toDouble());
    if (!std::isfinite(distance)) throw xcGeomDefs::BadParams("Line distance must be finite");
    angle_ = xcRadian(angle);
    point_ = normal() * distance;
}

xcLine xcLine::through(const xcVector<2>& a, const xcVector<2>& b) {
    checkPoint(a);
    checkPoint(b);
    if (a == b) throw xcGeomDefs::BadParams("A line needs two distinct points");
    const xcVector<2> d = b - a;
    // A difference of two finite points can still overflow to infinity.
    if (!finite(d)) throw xcGeomDefs::BadParams("Line point must be finite");
    return xcLine(a, d.angle());
}

void xcLine::point(const xcVector<2>& p) {
    checkPoint(p);
    point_ = p;
}

void xcLine::angle(xcRadian a) {
    checkAngle(a.toDouble());
    angle_ = a;
}
