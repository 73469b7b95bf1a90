#include "core/geom/nmmatrix.h"

#include "core/base/errors.h"
#include "core/persist/archive.h"

#include <algorithm>
#include <string>

namespace {

// Keeps every matrix far below sizes whose element count or byte size could overflow.
constexpr long kMaxElements = 1L << 28;

void checkSize(long rows, long cols) {
    if (rows < 0 || cols < 0 || (rows > 0 && cols > kMaxElements / rows))
        throw xcBadParams("Bad matrix size " + std::to_string(rows) + " x " + std::to_string(cols));
}

} // namespace

xcNMMatrix::xcNMMatrix(long rows, long cols, double fill) {
    checkSize(rows, cols);
    v_.assign(static_cast<std::size_t>(rows * cols), fill);
    rows_ = rows;
    cols_ = cols;
}

void xcNMMatrix::resize(long rows, long cols, double fill) {
    checkSize(rows, cols);
    std::vector<double> v(static_cast<std::size_t>(rows * cols), fill);
    const long r = std::min(rows, rows_), c = std::min(cols, cols_);
    for (long i = 0; i < r; ++i) std::copy_n(v_.begin() + i * cols_, c, v.begin() + i * cols);
    v_.swap(v);
    rows_ = rows;
    cols_ = cols;
}

void xcNMMatrix::fill(double v) {
    std::fill(v_.begin(), v_.end(), v);
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
    if (rows * cols > static_cast<unsigned long>(kMaxElements))
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
