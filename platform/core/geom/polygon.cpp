#include "core/geom/polygon.h"

#include "core/geom/geom_errors.h"

#include <algorithm>

namespace {

void checkFillMode(long mode) {
    if (mode != xcPolygon::eEvenOdd && mode != xcPolygon::eWinding)
        throw xcGeomDefs::BadParams("Polygon fill mode must be 0 or 1");
}

} // namespace

xcPolygon::xcPolygon(std::vector<xcVector<2>> vertices, long fillMode) {
    checkFillMode(fillMode);
    vertices_ = std::move(vertices);
    fillMode_ = fillMode;
}

void xcPolygon::fillMode(long mode) {
    checkFillMode(mode);
    fillMode_ = mode;
}

xcPolygon xcPolygon::map(const xcXform<2>& x) const {
    xcPolygon out;
    out.fillMode_ = fillMode_;
    out.vertices_.reserve(vertices_.size());
    for (const auto& v : vertices_) out.vertices_.push_back(x.mapPoint(v));
    return out;
}

xcRect xcPolygon::boundingBox() const {
    if (vertices_.empty()) return xcRect();
    double x0 = vertices_[0].x(), x1 = x0, y0 = vertices_[0].y(), y1 = y0;
    for (const auto& v : vertices_) {
        x0 = std::min(x0, v.x());
        x1 = std::max(x1, v.x());
        y0 = std::min(y0, v.y());
        y1 = std::max(y1, v.y());
    }
    return xcRect(x0, y0, x1 - x0, y1 - y0);
}
