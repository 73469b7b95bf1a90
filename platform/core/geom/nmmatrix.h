// Dense matrices of doubles of any size, stored row by row.
#pragma once

#include "core/export.h"

#include <cassert>
#include <cstddef>
#include <vector>

class xcArchive;

// rows x cols doubles; element (i, j) is row i, column j. A 0 x n or n x 0 matrix is empty.
// Sizes are checked: negative ones, or more than 2^28 elements, throw xcBadParams.
class XCORE_API xcNMMatrix {
public:
    // The largest element count; it keeps every size far below an overflowing byte count.
    static constexpr long kMaxElements = 1L << 28;

    // 0 x 0.
    xcNMMatrix() = default;
    xcNMMatrix(long rows, long cols, double fill = 0.0);

    long rows() const { return rows_; }
    long cols() const { return cols_; }

    double operator()(long i, long j) const {
        assert(i >= 0 && i < rows_ && j >= 0 && j < cols_);
        return v_[static_cast<std::size_t>(i * cols_ + j)];
    }
    double& operator()(long i, long j) {
        assert(i >= 0 && i < rows_ && j >= 0 && j < cols_);
        return v_[static_cast<std::size_t>(i * cols_ + j)];
    }
    // The elements row by row.
    const double* data() const { return v_.data(); }

    // New size; the elements of the common upper-left block keep their values, new ones are
    // fill.
    void resize(long rows, long cols, double fill = 0.0);
    // Every element set to v.
    void fill(double v);

    // Same size and exactly equal elements.
    friend bool operator==(const xcNMMatrix&, const xcNMMatrix&) = default;

private:
    long rows_ = 0;
    long cols_ = 0;
    std::vector<double> v_;
};

// Archive: rows and cols as unsigned longs (uint32), then the elements row by row as doubles.
// Loading checks the size against the bytes left before it allocates, and leaves the matrix as
// it was when it fails.
XCORE_API xcArchive& operator||(xcArchive& ar, xcNMMatrix& m);
