// Parallelograms given by an origin corner and the ends of their two sides.
#pragma once

#include "core/export.h"
#include "core/geom/rect.h"
#include "core/geom/xform.h"

// Corners: Po the origin, Px the far end of the x side, Py the far end of the y side and
// Popp = Px + Py - Po opposite Po. The unit square maps onto it by affRectFromUnitSq(): (0, 0) to
// Po, (1, 0) to Px, (0, 1) to Py. Built from a rectangle, Po = ul, Px = ur, Py = ll.
class XCORE_API xcAffineRectangle {
public:
    // All corners at (0, 0).
    xcAffineRectangle() = default;
    xcAffineRectangle(const xcVector<2>& po, const xcVector<2>& px, const xcVector<2>& py)
        : po_(po), px_(px), py_(py) {}
    // Po = origin, Px = Po + xLength (cos r, sin r), Py = Po + yLength (-sin(r + skew),
    // cos(r + skew)): with r = skew = 0 the y side points down (+y).
    xcAffineRectangle(const xcVector<2>& origin, double xLength, double yLength, xcRadian xRotation,
                      xcRadian skew);
    explicit xcAffineRectangle(const xcRect& r) : po_(r.ul()), px_(r.ur()), py_(r.ll()) {}

    const xcVector<2>& cornerPo() const { return po_; }
    const xcVector<2>& cornerPx() const { return px_; }
    const xcVector<2>& cornerPy() const { return py_; }
    xcVector<2> cornerPopp() const { return px_ + py_ - po_; }

    // (Po + Popp) / 2.
    xcVector<2> centre() const { return (px_ + py_) * 0.5; }
    // Moves the whole parallelogram so that its centre is c.
    void centre(const xcVector<2>& c);

    double xLength() const { return (px_ - po_).len(); }
    double yLength() const { return (py_ - po_).len(); }
    // Direction of the x side.
    xcRadian xRotation() const { return (px_ - po_).angle(); }
    // Angle of the y side minus (xRotation + pi/2), in [-pi, pi).
    xcRadian skew() const;
    // The setters keep Po fixed: lengths scale their side, xRotation turns both sides with the
    // skew kept, skew turns the y side only. Negative lengths throw xcGeomDefs::BadParams.
    void xLength(double v);
    void yLength(double v);
    void xRotation(xcRadian r);
    void skew(xcRadian s);

    // The map of the unit square onto this parallelogram: columns Px - Po and Py - Po,
    // translation Po.
    xcXform<2> affRectFromUnitSq() const {
        return xcXform<2>(
            xcMatrix<2>(px_.x() - po_.x(), py_.x() - po_.x(), px_.y() - po_.y(), py_.y() - po_.y()),
            po_);
    }
    // |cross(Px - Po, Py - Po)|.
    double area() const { return std::fabs((px_ - po_).cross(py_ - po_)); }
    // Zero area or a corner that is not finite.
    bool degen() const;

    // The parallelogram mapped by an affine transform (exact: corners map to corners).
    xcAffineRectangle map(const xcXform<2>& x) const {
        return xcAffineRectangle(x.mapPoint(po_), x.mapPoint(px_), x.mapPoint(py_));
    }
    friend xcAffineRectangle operator*(const xcXform<2>& x, const xcAffineRectangle& r) {
        return r.map(x);
    }
    // The smallest axis-aligned rectangle holding the four corners.
    xcRect boundingBox() const;
    // The four corners mapped by imageFromClient, enclosed in a pel rectangle (floor of the
    // minima, ceil of the maxima, no tolerance).
    xcPelRect encloseImageRect(const xcXform<2>& imageFromClient) const;

    friend bool operator==(const xcAffineRectangle&, const xcAffineRectangle&) = default;

private:
    xcVector<2> po_, px_, py_;
};

inline bool xfRealEq(const xcAffineRectangle& a, const xcAffineRectangle& b, double tol) {
    return xfRealEq(a.cornerPo(), b.cornerPo(), tol) && xfRealEq(a.cornerPx(), b.cornerPx(), tol) &&
           xfRealEq(a.cornerPy(), b.cornerPy(), tol);
}
