#include "core/geom/matrix.h"

#include "core/geom/geom_errors.h"

#include <cmath>

xcMatrix<2>::xcMatrix(xcRadian xRot, xcRadian yRot, double xScale, double yScale)
    : a_(xScale * cos(xRot)), b_(-yScale * sin(yRot)), c_(xScale * sin(xRot)),
      d_(yScale * cos(yRot)) {
}

void xcMatrix<2>::element(int row, int col, double v) {
    double* e[2][2] = {{&a_, &b_}, {&c_, &d_}};
    *e[row != 0][col != 0] = v;
}

xcMatrix<2> xcMatrix<2>::inverse() const {
    const double det = this->det();
    if (det == 0.0 || !std::isfinite(det)) throw xcGeomDefs::Singular("Matrix is singular");
    return xcMatrix(d_ / det, -b_ / det, -c_ / det, a_ / det);
}

xcRadian xcMatrix<2>::xRot() const {
    return xfAtan2(c_, a_);
}
xcRadian xcMatrix<2>::yRot() const {
    return xfAtan2(-b_, d_);
}
double xcMatrix<2>::xScale() const {
    return std::hypot(a_, c_);
}
double xcMatrix<2>::yScale() const {
    return std::hypot(b_, d_);
}
xcRadian xcMatrix<2>::skew() const {
    return (yRot() - xRot()).signedNorm();
}
