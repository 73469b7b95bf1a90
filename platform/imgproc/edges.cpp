#include "imgproc/edges.h"

#include "imgproc/detail/edge_params_table.h"
#include "imgproc/detail/hot_kernel.h"
#include "imgproc/imgproc_errors.h"

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <numbers>

namespace {

using EdgeTable = xc_EdgeParamsTable;
// tan(22.5 degrees) in units of 2^-15: a gradient is taken as horizontal when
// |gy| <= tan(22.5) |gx|, as vertical when |gx| <= tan(22.5) |gy|, and as diagonal otherwise.
constexpr int kTan22Q15 = 13573;
// The largest squared raw Sobel magnitude: both raw gradients at +-1020.
constexpr int kMaxRawMag2 = 2 * 1020 * 1020;

// Raw (8 x) Sobel gradients and their squared magnitude for one interior row; the first and last
// pel of the row get 0, as every pel off the interior does.
XI_HOT_KERNEL
void sobelRow(const unsigned char* __restrict above, const unsigned char* __restrict row,
              const unsigned char* __restrict below, long width, short* __restrict gx,
              short* __restrict gy, int* __restrict mag2) {
    gx[0] = gy[0] = 0;
    mag2[0] = 0;
    for (long x = 1; x + 1 < width; ++x) {
        const int a = above[x - 1], b = above[x], c = above[x + 1];
        const int d = row[x - 1], f = row[x + 1];
        const int g = below[x - 1], h = below[x], i = below[x + 1];
        const int sx = (c + 2 * f + i) - (a + 2 * d + g);
        const int sy = (g + 2 * h + i) - (a + 2 * b + c);
        gx[x] = static_cast<short>(sx);
        gy[x] = static_cast<short>(sy);
        mag2[x] = sx * sx + sy * sy;
    }
    gx[width - 1] = gy[width - 1] = 0;
    mag2[width - 1] = 0;
}

// Three rows of gradients that roll down the image: slot 1 is the row being thinned, slots 0 and
// 2 the rows above and below it.
class GradientRows {
public:
    explicit GradientRows(long width)
        : width_(width), gx_(3 * width), gy_(3 * width), mag2_(3 * width, 0) {}

    short* gx(int slot) { return gx_.data() + order_[slot] * width_; }
    short* gy(int slot) { return gy_.data() + order_[slot] * width_; }
    int* mag2(int slot) { return mag2_.data() + order_[slot] * width_; }
    // Slot 0 takes slot 1, slot 1 takes slot 2, and the old slot 0 becomes slot 2.
    void roll() { std::rotate(order_, order_ + 1, order_ + 3); }
    void clear(int slot) {
        std::fill_n(gx(slot), width_, short(0));
        std::fill_n(gy(slot), width_, short(0));
        std::fill_n(mag2(slot), width_, 0);
    }

private:
    long width_;
    std::vector<short> gx_, gy_;
    std::vector<int> mag2_;
    int order_[3] = {0, 1, 2};
};

constexpr long kSkipBlock = 16;

bool anyAtLeast(const int* m, int thr) {
    bool any = false;
    for (long i = 0; i < kSkipBlock; ++i) any |= m[i] >= thr;
    return any;
}

int squaredThreshold(double magnitudeThreshold) {
    // magnitude = sqrt(raw2) / 8 >= T  <=>  raw2 >= 64 T^2, and raw2 is a whole number.
    const double t2 = 64.0 * magnitudeThreshold * magnitudeThreshold;
    if (t2 > kMaxRawMag2) return kMaxRawMag2 + 1;
    return std::max(1, static_cast<int>(std::ceil(t2)));
}

int sign(int v) {
    return v > 0 ? 1 : -1;
}

// tan((j + 0.5) * pi / 128), j = 0..31: the borders between the 33 binary angles of the first
// octant.
struct OctantBorders {
    double tan[32];
    OctantBorders() {
        for (int j = 0; j < 32; ++j) tan[j] = std::tan((j + 0.5) * std::numbers::pi / 128.0);
    }
};
const OctantBorders kBorders;

// The binary angle of atan2(gy, gx), found from the octant and the number of octant borders that
// min(|gx|, |gy|) / max(|gx|, |gy|) passes (a branch-free binary search), without atan2. Whole
// gradients never fall on a border, so it agrees with rounding atan2 to 256 steps.
xcBinaryAngle8 gradientAngle(int gx, int gy) {
    const int ax = std::abs(gx), ay = std::abs(gy);
    const bool steep = ay > ax;
    const double num = steep ? ax : ay, den = steep ? ay : ax;
    int k = 0;
    for (int step = 16; step > 0; step /= 2) k += (num > den * kBorders.tan[k + step - 1]) * step;
    k += k < 32 && num > den * kBorders.tan[k];
    int a = steep ? 64 - k : k; // 0..64 in the first quadrant
    if (gx < 0) a = 128 - a;
    if (gy < 0) a = 256 - a;
    return xcBinaryAngle8(static_cast<unsigned char>(a & 255));
}

void detect(const unsigned char* pels, long rowUpdate, long width, long height, double originX,
            double originY, const xcEdgeParams& params, std::vector<xcEdgelet>& out) {
    const int thr = squaredThreshold(params.magnitudeThreshold());
    const bool peaks = params.edgeType() == xcEdgeParams::ePeakEdges;
    GradientRows rows(width);
    // Slot 1 becomes the row above row 1 at the first roll: row 0, which has no gradients.
    rows.clear(1);
    sobelRow(pels, pels + rowUpdate, pels + 2 * rowUpdate, width, rows.gx(2), rows.gy(2),
             rows.mag2(2));
    for (long y = 1; y + 1 < height; ++y) {
        rows.roll();
        if (y + 2 < height) {
            const unsigned char* r = pels + y * rowUpdate;
            sobelRow(r, r + rowUpdate, r + 2 * rowUpdate, width, rows.gx(2), rows.gy(2),
                     rows.mag2(2));
        } else {
            rows.clear(2);
        }
        const int* m0 = rows.mag2(0);
        const int* m1 = rows.mag2(1);
        const int* m2 = rows.mag2(2);
        const short* gxRow = rows.gx(1);
        const short* gyRow = rows.gy(1);
        const double cy = originY + double(y) + 0.5;
        for (long x = 1; x + 1 < width; ++x) {
            // Most pels are far below the threshold: pass over 16 of them at a time.
            if ((x - 1) % kSkipBlock == 0 && x + kSkipBlock < width && !anyAtLeast(m1 + x, thr)) {
                x += kSkipBlock - 1;
                continue;
            }
            const int m = m1[x];
            if (m < thr) continue;
            const int gx = gxRow[x], gy = gyRow[x];
            if (!peaks) {
                out.emplace_back(xcVector<2>(originX + double(x) + 0.5, cy),
                                 std::sqrt(double(m)) / 8.0, gradientAngle(gx, gy));
                continue;
            }
            const int ax = std::abs(gx), ay = std::abs(gy);
            int dx = 0, dy = 0;
            if ((ay << 15) <= kTan22Q15 * ax) {
                dx = sign(gx);
            } else if ((ax << 15) <= kTan22Q15 * ay) {
                dy = sign(gy);
            } else {
                dx = sign(gx);
                dy = sign(gy);
            }
            const int* aheadRow = dy > 0 ? m2 : (dy < 0 ? m0 : m1);
            const int* behindRow = dy > 0 ? m0 : (dy < 0 ? m2 : m1);
            const int mAhead = aheadRow[x + dx];
            const int mBehind = behindRow[x - dx];
            if (!(m > mBehind && m >= mAhead)) continue;
            // Parabola through the three magnitudes (not their squares) along the axis.
            const double f0 = std::sqrt(double(m));
            const double fa = std::sqrt(double(mAhead));
            const double fb = std::sqrt(double(mBehind));
            const double denom = fb - 2.0 * f0 + fa;
            assert(denom < 0.0);
            const double s = std::clamp((fb - fa) / (2.0 * denom), -0.5, 0.5);
            out.emplace_back(xcVector<2>(originX + double(x) + 0.5 + s * dx, cy + s * dy), f0 / 8.0,
                             gradientAngle(gx, gy));
        }
    }
}

} // namespace

xcEdgeParams::xcEdgeParams() {
    xf_ResetParams<EdgeTable>(*this);
}

xcEdgeParams::xcEdgeParams(double filterSize, double magnitudeThreshold, long edgeType)
    : xcEdgeParams() {
    this->filterSize(filterSize);
    this->magnitudeThreshold(magnitudeThreshold);
    this->edgeType(edgeType);
}

void xcEdgeParams::filterSize(double v) {
    xf_SetParam<EdgeTable>(*this, EdgeTable::filterSize, v);
}
void xcEdgeParams::magnitudeThreshold(double v) {
    xf_SetParam<EdgeTable>(*this, EdgeTable::magnitudeThreshold, v);
}
void xcEdgeParams::edgeType(long v) {
    xf_SetParam<EdgeTable>(*this, EdgeTable::edgeType, v);
}

xcEdgelet::xcEdgelet(const xcVector<2>& position, double magnitude, xcBinaryAngle8 angle)
    : position_(position), angle_(angle) {
    this->magnitude(magnitude);
}

void xcEdgelet::magnitude(double v) {
    if (!(v >= 0.0 && std::isfinite(v)))
        throw xcImgProcDefs::BadParams("Edgelet magnitude must be finite and >= 0");
    magnitude_ = v;
}

void xfEdgeDetect(const xcPelBuffer_const<unsigned char>& image, const xcEdgeParams& params,
                  std::vector<xcEdgelet>& edgelets, xcDiagObject*, unsigned long) {
    if (!image.isBound()) throw xcImgProcDefs::BadImage("Edge detection needs a bound image");
    const xcPelRect win = image.window();
    std::vector<xcEdgelet> out;
    if (win.width() >= 3 && win.height() >= 3) {
        const unsigned char* pels = image.pointToPel(0, 0);
        long rowUpdate = image.rowUpdate();
        cv::Mat smoothed;
        // Filter size 0 is the plain filter (no smoothing pass at all).
        const double sigma = 2.0 * params.filterSize();
        if (sigma > 0.0) {
            const cv::Mat src(int(win.height()), int(win.width()), CV_8U,
                              const_cast<unsigned char*>(pels), size_t(rowUpdate));
            cv::GaussianBlur(src, smoothed, cv::Size(0, 0), sigma, sigma, cv::BORDER_REPLICATE);
            pels = smoothed.ptr<unsigned char>(0);
            rowUpdate = long(smoothed.step[0]);
        }
        out.reserve(size_t(win.width() + win.height()) * 4);
        detect(pels, rowUpdate, win.width(), win.height(), double(win.x()), double(win.y()), params,
               out);
    }
    edgelets.swap(out);
}
