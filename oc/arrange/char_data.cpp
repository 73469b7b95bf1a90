#include "oc/arrange/char_data.h"

#include "core/geom/matrix.h"

#include <algorithm>
#include <cmath>

void xc_CharData::rect(const xcAffineRectangle& r) {
    rect_ = r;
    diagonalA_ = r.cornerPx() - r.cornerPy();
    diagonalB_ = r.cornerPx() + r.cornerPy() - r.cornerPo() * 2.0;
}

double xc_CharData::widthAt(double phiRadian) const {
    const double c = std::cos(phiRadian), s = std::sin(phiRadian);
    return std::max(std::fabs(c * diagonalB_.x() - s * diagonalB_.y()),
                    std::fabs(c * diagonalA_.x() - s * diagonalA_.y()));
}

double xc_CharData::heightAt(double phiRadian) const {
    const double c = std::cos(phiRadian), s = std::sin(phiRadian);
    return std::max(std::fabs(s * diagonalB_.x() + c * diagonalB_.y()),
                    std::fabs(s * diagonalA_.x() + c * diagonalA_.y()));
}
