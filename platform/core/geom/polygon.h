// Polygons: an ordered list of vertices and a fill rule.
#pragma once

#include "core/export.h"
#include "core/geom/rect.h"
#include "core/geom/xform.h"

#include <utility>
#include <vector>

// The closed polygon through vertices() in order (the last joins the first). The fill mode says
// which points count as inside when it is filled: eEvenOdd (0, the one used throughout) or
// eWinding (1, non-zero winding number).
class XCORE_API xcPolygon {
public:
    enum FillMode : long { eEvenOdd = 0, eWinding = 1 };

    // No vertices, fill mode 0.
    xcPolygon() = default;
    // A fill mode other than 0 or 1 throws xcGeomDefs::BadParams.
    explicit xcPolygon(std::vector<xcVector<2>> vertices, long fillMode = eEvenOdd);

    const std::vector<xcVector<2>>& vertices() const { return vertices_; }
    void vertices(std::vector<xcVector<2>> v) { vertices_ = std::move(v); }
    long numVertices() const { return static_cast<long>(vertices_.size()); }
    long fillMode() const { return fillMode_; }
    void fillMode(long mode);

    // Every vertex mapped by x (exact for an affine map: edges map to edges).
    xcPolygon map(const xcXform<2>& x) const;
    friend xcPolygon operator*(const xcXform<2>& x, const xcPolygon& p) { return p.map(x); }

    // The smallest axis-aligned rectangle holding every vertex; the default (null) rectangle
    // when there are no vertices.
    xcRect boundingBox() const;

    friend bool operator==(const xcPolygon&, const xcPolygon&) = default;

private:
    std::vector<xcVector<2>> vertices_;
    long fillMode_ = eEvenOdd;
};
