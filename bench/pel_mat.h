// A pel buffer's window copied into an OpenCV matrix, for the benchmarks' OpenCV peers.
#pragma once

#include "core/image/pel_buffer.h"

#include <opencv2/core.hpp>

#include <algorithm>

namespace oc_bench {

inline cv::Mat toMat(const xcPelBuffer_const<unsigned char>& b) {
    cv::Mat m(int(b.height()), int(b.width()), CV_8U);
    for (long y = 0; y < b.height(); ++y)
        std::copy(b.rowPointer(y), b.rowPointer(y) + b.width(), m.ptr<unsigned char>(int(y)));
    return m;
}

} // namespace oc_bench
