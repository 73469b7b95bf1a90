#include "core/persist/archive_geom.h"

#include "core/geom/nmmatrix.h"
#include "core/persist/archive.h"

#include <array>
#include <cstdint>
#include <string>

namespace {

// Exchanges N doubles: storing writes v, loading fills it completely before the caller
// assigns anything.
template <std::size_t N>
void exchange(xcArchive& ar, std::array<double, N>& v) {
    for (double& d : v) ar || d;
}

xcVector<2> vec(double x, double y) {
    return xcVector<2>(x, y);
}

} // namespace

xcArchive& operator||(xcArchive& ar, xcVector<2>& v) {
    std::array<double, 2> d{v.x(), v.y()};
    exchange(ar, d);
    if (ar.isLoading()) v = vec(d[0], d[1]);
    return ar;
}

xcArchive& operator||(xcArchive& ar, xcMatrix<2>& m) {
    std::array<double, 4> d{m.a(), m.b(), m.c(), m.d()};
    exchange(ar, d);
    if (ar.isLoading()) m = xcMatrix<2>(d[0], d[1], d[2], d[3]);
    return ar;
}

xcArchive& operator||(xcArchive& ar, xcXform<2>& x) {
    const xcMatrix<2>& m = x.matrix();
    std::array<double, 6> d{m.a(), m.b(), m.c(), m.d(), x.trans().x(), x.trans().y()};
    exchange(ar, d);
    if (ar.isLoading()) x = xcXform<2>(xcMatrix<2>(d[0], d[1], d[2], d[3]), vec(d[4], d[5]));
    return ar;
}

xcArchive& operator||(xcArchive& ar, xc2XformLinear& x) {
    xcXform<2> a = x.linear();
    ar || a;
    if (ar.isLoading()) x = xc2XformLinear(a);
    return ar;
}

xcArchive& operator||(xcArchive& ar, xc2Rigid& r) {
    std::array<double, 3> d{r.angle().toDouble(), r.translation().x(), r.translation().y()};
    exchange(ar, d);
    if (ar.isLoading()) r = xc2Rigid(xcRadian(d[0]), vec(d[1], d[2]));
    return ar;
}

xcArchive& operator||(xcArchive& ar, xcRadian& a) {
    double d = a.toDouble();
    ar || d;
    if (ar.isLoading()) a = xcRadian(d);
    return ar;
}

xcArchive& operator||(xcArchive& ar, xcDegree& a) {
    double d = a.toDouble();
    ar || d;
    if (ar.isLoading()) a = xcDegree(d);
    return ar;
}

xcArchive& operator||(xcArchive& ar, xcRange& r) {
    unsigned char kind = r.kind();
    std::array<double, 2> d{r.start(), r.end()};
    ar || kind;
    if (ar.isLoading() && kind > xcRange::eFull)
        throw xcArchive::BadFormat("Range kind " + std::to_string(unsigned(kind)) +
                                   " is not 0, 1 or 2");
    exchange(ar, d);
    if (ar.isLoading()) r = xcRange::fromParts(static_cast<xcRange::Kind>(kind), d[0], d[1]);
    return ar;
}

xcArchive& operator||(xcArchive& ar, xcRect& r) {
    std::array<double, 4> d{r.x(), r.y(), r.width(), r.height()};
    exchange(ar, d);
    if (ar.isLoading()) r = xcRect(d[0], d[1], d[2], d[3]);
    return ar;
}

xcArchive& operator||(xcArchive& ar, xcPelRect& r) {
    // The long operator stores 32 bits and refuses wider values.
    std::array<long, 4> v{r.x(), r.y(), r.width(), r.height()};
    for (long& e : v) ar || e;
    if (ar.isLoading()) r = xcPelRect(v[0], v[1], v[2], v[3]);
    return ar;
}

xcArchive& operator||(xcArchive& ar, xcAffineRectangle& r) {
    const xcVector<2>&po = r.cornerPo(), &px = r.cornerPx(), &py = r.cornerPy();
    std::array<double, 6> d{po.x(), po.y(), px.x(), px.y(), py.x(), py.y()};
    exchange(ar, d);
    if (ar.isLoading()) r = xcAffineRectangle(vec(d[0], d[1]), vec(d[2], d[3]), vec(d[4], d[5]));
    return ar;
}

xcArchive& operator||(xcArchive& ar, xcNMMatrix& m) {
    if (ar.isStoring()) {
        unsigned long rows = static_cast<unsigned long>(m.rows());
        unsigned long cols = static_cast<unsigned long>(m.cols());
        ar || rows || cols;
        if (rows == 0 || cols == 0) return ar;
        for (long i = 0; i < m.rows(); ++i)
            for (long j = 0; j < m.cols(); ++j) ar || m(i, j);
        return ar;
    }
    unsigned long rows = 0, cols = 0;
    ar || rows || cols;
    // Two uint32 values: their product fits into 64 bits.
    ar.checkCount(static_cast<std::uint64_t>(rows) * cols, 8);
    if (rows * cols > static_cast<unsigned long>(xcNMMatrix::kMaxElements))
        throw xcArchive::BadFormat("Matrix of " + std::to_string(rows) + " x " +
                                   std::to_string(cols) + " is too large");
    xcNMMatrix loaded(static_cast<long>(rows), static_cast<long>(cols));
    // A matrix with a side of 0 has no elements: the other side, which the bytes left do not
    // bound, must not drive a loop.
    if (rows == 0 || cols == 0) {
        m = std::move(loaded);
        return ar;
    }
    for (long i = 0; i < loaded.rows(); ++i)
        for (long j = 0; j < loaded.cols(); ++j) ar || loaded(i, j);
    m = std::move(loaded);
    return ar;
}
