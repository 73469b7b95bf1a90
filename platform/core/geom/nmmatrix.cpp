#include "core/geom/nmmatrix.h"

#include "core/base/errors.h"

#include <algorithm>
#include <string>

namespace {

void checkSize(long rows, long cols) {
    if (rows < 0 || cols < 0 || (rows > 0 && cols > xcNMMatrix::kMaxElements / rows))
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
