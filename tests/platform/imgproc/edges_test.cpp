#include "imgproc/edges.h"
#include "imgproc/imgproc_errors.h"
#include "support/caught.h"

#include <gtest/gtest.h>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <cmath>
#include <functional>
#include <map>
#include <numbers>

namespace {

using Image = xcPelBuffer<unsigned char>;

// An image with window `win` whose pel at image coordinates (x, y) is f(x, y).
Image makeImage(const xcPelRect& win, const std::function<int(long, long)>& f) {
    Image img(win);
    for (long y = 0; y < win.height(); ++y)
        for (long x = 0; x < win.width(); ++x)
            *img.pointToPel(x, y) = static_cast<unsigned char>(f(win.x() + x, win.y() + y));
    return img;
}

std::vector<xcEdgelet> detect(const Image& img, const xcEdgeParams& params = xcEdgeParams()) {
    std::vector<xcEdgelet> out;
    xfEdgeDetect(img, params, out, nullptr, 0);
    return out;
}

} // namespace

TEST(Edgelet, ChecksItsMagnitudeAndRoundsAngles) {
    EXPECT_THROW(xcEdgelet(xcVector<2>(), -1.0, xcBinaryAngle8()), xcImgProcDefs::BadParams);

    // Angles round to the nearest of 256 directions.
    const double step = 2.0 * std::numbers::pi / 256.0;
    for (auto [rad, plain] : std::vector<std::pair<double, int>>{{-std::numbers::pi, 128},
                                                                 {-0.4 * step, 0},
                                                                 {-0.6 * step, 255},
                                                                 {10.6 * step, 11},
                                                                 {4.0 * std::numbers::pi, 0},
                                                                 {NAN, 0}})
        EXPECT_EQ(xcBinaryAngle8(xcRadian(rad)).plain(), plain) << rad;
    for (int p8 = 0; p8 < 256; ++p8) {
        const xcBinaryAngle8 a{static_cast<unsigned char>(p8)};
        EXPECT_EQ(xcBinaryAngle8(a.toRadian()), a) << p8;
    }
}

// A sharp step between pel columns 9 and 10 of a window whose origin is (5, 3) lies at image x =
// 15.0; each interior row gives one edgelet, of magnitude (200 - 40) * 4 / 8 = 80, pointing
// from dark to light.
TEST(EdgeDetect, SharpStepGivesOneSubPixelEdgeletPerRow) {
    const xcPelRect win(5, 3, 20, 12);
    for (bool darkLeft : {true, false}) {
        const int lo = darkLeft ? 40 : 200, hi = darkLeft ? 200 : 40;
        const auto e = detect(makeImage(win, [&](long x, long) { return x < 15 ? lo : hi; }));
        ASSERT_EQ(e.size(), 10u) << darkLeft;
        for (size_t i = 0; i < e.size(); ++i) {
            EXPECT_NEAR(e[i].position().x(), 15.0, 1e-12);
            EXPECT_NEAR(e[i].position().y(), 3 + 1 + long(i) + 0.5, 1e-12);
            EXPECT_NEAR(e[i].magnitude(), 80.0, 1e-12);
            EXPECT_EQ(e[i].angle().plain(), darkLeft ? 0 : 128);
        }
    }
}

// Columns ..9 = 40, 10 = v, 11.. = 200 give magnitudes (v - 40) / 2, 80, (200 - v) / 2 at
// columns 9, 10, 11; v = 80 gives s = (20 - 60) / (2 (20 - 160 + 60)) = 0.25 (x = 10.75).
TEST(EdgeDetect, SubPixelPositionFollowsTheParabolaVertex) {
    const std::map<int, double> expected{{120, 10.5}, {80, 10.75}, {160, 10.25}};
    for (const auto& [v, x0] : expected) {
        const auto e = detect(makeImage(xcPelRect(0, 0, 20, 8), [v = v](long x, long) {
            return x < 10 ? 40 : (x == 10 ? v : 200);
        }));
        ASSERT_EQ(e.size(), 6u) << v;
        for (const auto& el : e) EXPECT_NEAR(el.position().x(), x0, 1e-12) << v;
    }
}

TEST(EdgeDetect, ThresholdSmoothingAndSmallWindows) {
    const Image step =
        makeImage(xcPelRect(0, 0, 20, 12), [](long x, long) { return x < 10 ? 40 : 200; });
    EXPECT_EQ(detect(step, xcEdgeParams(1.0, 80.0, 1)).size(), 10u);
    EXPECT_TRUE(detect(step, xcEdgeParams(1.0, 80.001, 1)).empty());
    EXPECT_TRUE(detect(makeImage(xcPelRect(0, 0, 9, 9), [](long, long) { return 90; }),
                       xcEdgeParams(1.0, 0.0, 1))
                    .empty());                                    // zero gradient is never an edge
    const auto smooth = detect(step, xcEdgeParams(3.0, 10.0, 1)); // in place, lower peak
    ASSERT_EQ(smooth.size(), 10u);
    for (const auto& el : smooth) {
        EXPECT_NEAR(el.position().x(), 10.0, 1e-3);
        EXPECT_LT(el.magnitude(), 60.0);
        EXPECT_GT(el.magnitude(), 20.0);
    }
    EXPECT_TRUE(
        detect(makeImage(xcPelRect(0, 0, 2, 50), [](long, long y) { return y * 5; })).empty());
    std::vector<xcEdgelet> keep(3);
    EXPECT_THROW(xfEdgeDetect(Image(), xcEdgeParams(), keep), xcImgProcDefs::BadImage);
    EXPECT_EQ(keep.size(), 3u);
}

// With every pel kept (edge type 0), the edgelets are the interior pels whose OpenCV 3 x 3 Sobel
// magnitude / 8 reaches the threshold, with the same magnitude and direction.
TEST(EdgeDetect, AllEdgesMatchOpenCvSobel) {
    const xcPelRect win(3, 7, 61, 47);
    const Image img = makeImage(win, [](long x, long y) {
        return int(128 + 70 * std::sin(x / 5.0) * std::cos(y / 7.0) + ((x / 9 + y / 11) % 2) * 30);
    });
    const cv::Mat m(int(win.height()), int(win.width()), CV_8U,
                    const_cast<unsigned char*>(img.pointToPel(0, 0)), size_t(img.rowUpdate()));
    cv::Mat dx, dy;
    cv::Sobel(m, dx, CV_32F, 1, 0, 3);
    cv::Sobel(m, dy, CV_32F, 0, 1, 3);
    const double thr = 12.0;
    std::vector<xcEdgelet> want;
    for (int y = 1; y + 1 < m.rows; ++y) {
        for (int x = 1; x + 1 < m.cols; ++x) {
            const double gx = dx.at<float>(y, x), gy = dy.at<float>(y, x);
            const double mag = std::hypot(gx, gy) / 8.0;
            if (mag < thr || mag == 0.0) continue;
            want.emplace_back(xcVector<2>(win.x() + x + 0.5, win.y() + y + 0.5), mag,
                              xcBinaryAngle8(xcRadian(std::atan2(gy, gx))));
        }
    }
    const auto got = detect(img, xcEdgeParams(1.0, thr, 0));
    ASSERT_EQ(got.size(), want.size());
    ASSERT_GT(got.size(), 500u);
    for (size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].position(), want[i].position());
        EXPECT_NEAR(got[i].magnitude(), want[i].magnitude(), 1e-9);
        EXPECT_EQ(got[i].angle(), want[i].angle());
    }
}
