#include "core/geom/affine_rect.h"

#include "core/geom/geom_errors.h"

#include <algorithm>
#include <numbers>

xcAffineRectangle::xcAffineRectangle(const xcVector<2>& origin, double xLength, double yLength,
                                     xcRadian xRotation, xcRadian skew)
    : po_(origin), px_(origin + xcVector<2>::polar(xRotation, xLength)),
      py_(origin + xcVector<2>::polar(xRotation + skew + xcRadian(std::numbers::pi / 2), yLength)) {
}

void xcAffineRectangle::centre(const xcVector<2>& c) {
    const xcVector<2> d = c - centre();
    po_ += d;
    px_ += d;
    py_ += d;
}

xcRadian xcAffineRectangle::skew() const {
    return ((py_ - po_).angle() - xRotation() - xcRadian(std::numbers::pi / 2)).signedNorm();
}

void xcAffineRectangle::xLength(double v) {
    if (!(v >= 0)) throw xcGeomDefs::BadParams("Length must be >= 0");
    px_ = po_ + xcVector<2>::polar(xRotation(), v);
}

void xcAffineRectangle::yLength(double v) {
    if (!(v >= 0)) throw xcGeomDefs::BadParams("Length must be >= 0");
    py_ = po_ + xcVector<2>::polar((py_ - po_).angle(), v);
}

void xcAffineRectangle::xRotation(xcRadian r) {
    const xcRadian turn = r - xRotation();
    const xcMatrix<2> rot = xcMatrix<2>::rotation(turn);
    px_ = po_ + rot * (px_ - po_);
    py_ = po_ + rot * (py_ - po_);
}

void xcAffineRectangle::skew(xcRadian s) {
    py_ = po_ + xcVector<2>::polar(xRotation() + s + xcRadian(std::numbers::pi / 2), yLength());
}

bool xcAffineRectangle::degen() const {
    const double a = (px_ - po_).cross(py_ - po_);
    return !(std::isfinite(a) && a != 0.0);
}

xcRect xcAffineRectangle::boundingBox() const {
    const xcVector<2> c[4] = {po_, px_, py_, cornerPopp()};
    double x0 = c[0].x(), x1 = x0, y0 = c[0].y(), y1 = y0;
    for (const auto& p : c) {
        x0 = std::min(x0, p.x());
        x1 = std::max(x1, p.x());
        y0 = std::min(y0, p.y());
        y1 = std::max(y1, p.y());
    }
    return xcRect(x0, y0, x1 - x0, y1 - y0);
}

xcPelRect xcAffineRectangle::encloseImageRect(const xcXform<2>& imageFromClient) const {
    const xcRect b = map(imageFromClient).boundingBox();
    return xfEnclosePel(b.x(), b.y(), b.x() + b.width(), b.y() + b.height());
}
